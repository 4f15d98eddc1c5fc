#pragma once
// Translation of one statement text of Jet SQL or T-SQL into the steps that SQLite runs. The
// forms are translated each in its own source (translate_<form>.cpp); statements a dialect does
// not accept fail here, before SQLite sees them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/embedded.h"
#include "db/embedded/token.h"
#include "db/session.h"

namespace db::embedded {

// One argument of a procedure call: positional (name empty) or named (@name = value, the name
// kept without '@'); a Null value is empty.
struct CallArgument {
    std::string name;
    std::optional<std::string> value;
    bool operator==(const CallArgument&) const = default;
};

// The private schemas under which an Attach step's database is read are named so, then a number.
inline constexpr std::string_view kExternalSchemaPrefix = "dp_ext_";

struct Step {
    enum class Kind {
        Sql,             // run sql
        DropColumn,      // drop column name of table, refused when an index uses it
        DropIndex,       // drop index name of table
        SkipUnless,      // sql gives one value; when it is 0, the next skip steps do not run
        CreateRoutine,   // record routine name of routineKind, its definition in sql
        DropRoutine,     // remove routine name, a function (routineKind "FN") or procedure ("P")
        CallRoutine,     // run procedure name with the arguments
        AlterColumn,     // rebuild table with column name defined anew by sql
        AddPrimaryKey,   // rebuild table with the key constraint sql (named name) over columns
        AddDefault,      // rebuild table with default sql (constraint name) on columns[0]
        DropConstraint,  // rebuild table without its default constraint name
        Insert,          // run sql, which inserts into table; its identity columns are numbered
        Attach,          // attach the database of external under the schema name for the text's run
        Backup,          // write a copy of the database name to the file of external
    };
    Kind kind = Kind::Sql;
    std::string sql;
    std::string table;
    std::string name;
    bool countsChanges = false;  // INSERT, UPDATE, DELETE: the affected-row count is reported
    std::size_t skip = 0;
    std::string routineKind;
    std::vector<CallArgument> arguments;
    std::vector<std::string> columns;  // AddPrimaryKey: key columns; Insert: the columns named;
                                       // AddDefault: its column
    std::string source;                // Insert: the VALUES or SELECT part, written for SQLite
    bool notNull = false;              // AlterColumn: the new definition says NOT NULL
    ExternalReference external;        // Attach: the database; Backup: the file to write
    // Sql and Insert: the values of ?1, ?2, … in sql and source, each written as a literal (a
    // quoted text or a whole number).
    std::vector<std::string> parameters;
    bool operator==(const Step&) const = default;
};

struct Program {
    std::vector<Step> steps;
    bool usesCatalogue = false;         // reads the server kind's catalogue views
    std::vector<std::string> routines;  // routines of the server kind that the statements call
    bool oneOff = false;  // literal values filled into a known shape: its text seldom recurs
    bool operator==(const Program&) const = default;
};

// Translates text (one or more statements separated by ';'). Throws DbError: 0x80040E14 for
// syntax errors and constructs the dialect rejects, 0x80040E37 for system-catalogue probes.
Program Translate(std::string_view text, Dialect dialect);
// The same for text already split into tokens (Tokenize(text), or a copy with other literal
// values).
Program TranslateTokens(std::string_view text, Tokens tokens, Dialect dialect);

}  // namespace db::embedded
