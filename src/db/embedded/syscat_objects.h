#pragma once
// The objects of the server kind's catalogue: tables, views, recorded routines and the tables'
// PRIMARY KEY and UNIQUE constraints, their kind codes (sysobjects.xtype, sys.objects.type) and
// the ids the catalogue gives them.
#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace db::embedded {

struct ObjectKind {
    std::string_view code;         // "U", "V", "FN", "IF", "TF", "P", "PK", "UQ"
    std::string_view description;  // sys.objects.type_desc
    bool function;
    bool procedure;
};

// Every kind of object the catalogue lists.
std::span<const ObjectKind> ObjectKinds();
// The kind of code (any letter case, trailing blanks ignored); null for codes of no listed kind.
const ObjectKind* FindObjectKind(std::string_view code);

// The id of the object named name: the same for every connection and session, whatever the
// letter case of the name, and positive.
std::int64_t ObjectId(std::string_view name);

// The object name that an OBJECT_ID argument refers to: "[dbo].[x]", "dbo.x", "db..x" and "x"
// all give "x"; brackets and double quotes are removed.
std::string ObjectNameOf(std::string_view reference);

// A PRIMARY KEY or UNIQUE constraint of a table.
struct KeyConstraint {
    bool primary = false;
    std::string name;          // an unnamed key: "PK_" and the table, as the engine names it
                               // everywhere; "UQ_", the table, "_" and the first column
    bool systemNamed = false;  // the statement gave no name
    std::vector<std::string> columns;
};

// The key constraints of table, read from its CREATE TABLE text, at column or table level, in
// their order.
std::vector<KeyConstraint> KeyConstraintsOf(std::string_view createText, std::string_view table);

// The kind code of the object named name on db: "U" for a table, "V" for a view, the recorded
// kind of a routine, "PK" or "UQ" for a key constraint; empty when there is none. Throws DbError
// when db cannot be read.
std::string ObjectKindOf(sqlite3* db, std::string_view name);

}  // namespace db::embedded
