#pragma once
// The statement forms, one translator each. Each takes a cursor placed after the words that
// chose it (see the dispatch table in translator.cpp) and appends its steps to the program.
#include <string>
#include <vector>

#include "db/embedded/translate_common.h"
#include "db/embedded/type_map.h"

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
// ALTER TABLE t ALTER COLUMN …, from the position after ALTER; ALTER TABLE t [WITH NOCHECK] ADD
// CONSTRAINT … from the position after the table name.
void TranslateAlterColumn(Cursor& c, const std::string& table, Program& out);
void TranslateAddConstraint(Cursor& c, const std::string& table, Program& out);
void TranslateIf(Cursor& c, Program& out);
// BACKUP DATABASE name TO DISK = 'file' (server kind only).
void TranslateBackup(Cursor& c, Program& out);

// A statement inside another (the statement of IF EXISTS …), translated by its own form.
void TranslateNested(const Tokens& tokens, Span span, Dialect dialect, Program& out);

// CREATE FUNCTION and CREATE PROC[EDURE] take the whole statement text as their definition, so
// they are recognised before the text is split into statements.
bool IsRoutineDefinition(const Tokens& tokens);
void TranslateRoutineDefinition(std::string_view text, const Tokens& tokens, Dialect dialect,
                                Program& out);
// Notes in out the native routines of the server kind that the statements call.
void NoteRoutineCalls(const Tokens& tokens, Program& out);

// Tables of other databases that a statement reads: the Jet form [MS Access;DATABASE=…].t and
// OPENROWSET(…) of the server kind. Each reference is replaced in tokens by a name in a private
// schema, for whose database an Attach step is appended to out (before the statements' steps). A
// rowset given by a query becomes one token that holds the query written for SQLite (TokenKind::
// Query), which the expression writer puts in place as it is. Throws DbError 0x80040E14 for
// forms it does not run (a table of another database as the target of a change, other
// providers).
void ReplaceExternalReferences(Tokens& tokens, Dialect dialect, Program& out);

// One column definition of CREATE TABLE or ALTER TABLE ADD, written for SQLite.
struct ColumnDefinition {
    std::string name;
    std::string sql;   // the name quoted, then body
    std::string body;  // type, collation, constraints and the length check of a sized text
    bool nullable = true;
    bool notNull = false;  // NOT NULL was written
    DeclaredType type;
    bool hasDefault = false;
};

// Reads a column definition from the position to the end of the cursor's span. ordinal is the
// column's place in the statement, which the server names when it does not know the type.
ColumnDefinition ReadColumnDefinition(Cursor& c, int ordinal = 1);
// Steps that keep a new CHAR(n) or NCHAR(n) column of the server kind padded, its present values
// included (char_padding.h); none for other columns.
void AddPadding(const std::string& table, const ColumnDefinition& def, Dialect dialect,
                Program& out);

}  // namespace db::embedded
