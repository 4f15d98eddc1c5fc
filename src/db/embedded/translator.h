#pragma once
// Translation of one statement text of Jet SQL or T-SQL into the steps that SQLite runs. The
// forms are translated each in its own source (translate_<form>.cpp); statements a dialect does
// not accept fail here, before SQLite sees them.
#include <string>
#include <string_view>
#include <vector>

#include "db/session.h"

namespace db::embedded {

struct Step {
    enum class Kind {
        Sql,         // run sql
        DropColumn,  // drop column name of table, refused when an index uses it
        DropIndex,   // drop index name of table
    };
    Kind kind = Kind::Sql;
    std::string sql;
    std::string table;
    std::string name;
    bool countsChanges = false;  // INSERT, UPDATE, DELETE: the affected-row count is reported
};

struct Program {
    std::vector<Step> steps;
};

// Translates text (one or more statements separated by ';'). Throws DbError: 0x80040E14 for
// syntax errors and constructs the dialect rejects, 0x80040E37 for system-catalogue probes.
Program Translate(std::string_view text, Dialect dialect);

}  // namespace db::embedded
