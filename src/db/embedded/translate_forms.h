#pragma once
// The statement forms, one translator each. Each takes a cursor placed after the words that
// chose it (see the dispatch table in translator.cpp) and appends its steps to the program.
#include <string>

#include "db/embedded/translate_common.h"

namespace db::embedded {

void TranslateSelect(Cursor& c, Program& out);
void TranslateInsert(Cursor& c, Program& out);
void TranslateUpdate(Cursor& c, Program& out);
void TranslateDelete(Cursor& c, Program& out);
void TranslateCreateTable(Cursor& c, Program& out);
void TranslateAlterTable(Cursor& c, Program& out);
void TranslateDropTable(Cursor& c, Program& out);
void TranslateCreateIndex(Cursor& c, Program& out);
void TranslateDropIndex(Cursor& c, Program& out);
void TranslateRoutine(Cursor& c, Program& out);

// One column definition of CREATE TABLE or ALTER TABLE ADD, written for SQLite.
struct ColumnDefinition {
    std::string name;
    std::string sql;
    bool nullable = true;
    bool hasDefault = false;
};

// Reads a column definition from the position to the end of the cursor's span.
ColumnDefinition ReadColumnDefinition(Cursor& c);

}  // namespace db::embedded
