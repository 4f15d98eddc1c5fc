#pragma once
// Declared column types of both dialects: what kind of value a column holds, its ADO type number,
// and the text under which the type is stored in the SQLite schema (so that the schema reports
// the type back as declared, "NVARCHAR(16)", "TEXT(32)", "MONEY", with the SQLite affinity of its
// kind).
#include <string>
#include <string_view>

#include "db/session.h"

namespace db::embedded {

enum class ValueKind { Text, Integer, Double, Currency, Decimal, Date, Bool, Binary };

// What SQL Server accepts after a type name: the name is not one of its types (Jet's CURRENCY,
// MEMO, …), or a type that takes no width (int, text, money), a width (char(n), float(n),
// time(n)), a width or (max) (varchar, nvarchar, varbinary), or precision and scale (decimal).
enum class ServerUse { kUnknown, kNoWidth, kWidth, kWidthOrMax, kPrecision };

struct TypeRow {
    std::string_view name;  // upper case, words separated by one blank
    ValueKind kind;
    int jetAdo;
    int sqlAdo;
    bool unsizedIsLong;  // Jet's TEXT without a size is a long text (memo)
    ServerUse server;
};

// The row of a type name (any letter case, words separated by blanks); null when neither dialect
// knows the name.
const TypeRow* FindType(std::string_view name);

struct DeclaredType {
    std::string name;  // as declared, without brackets: "nvarchar", "TEXT", "DOUBLE PRECISION"
    int size = 0;      // first argument (length or precision); 0 when none or (max)
    int scale = 0;     // second argument
    bool hasScale = false;
    bool max = false;              // (max)
    std::string identity;          // "IDENTITY(1,1)" for identity columns, else empty
    const TypeRow* row = nullptr;  // null for a name neither dialect knows

    ValueKind Kind() const;
    bool IsText() const { return Kind() == ValueKind::Text; }
    int AdoType(Dialect dialect) const;
    // The type as stored in the SQLite schema: name, arguments, identity, and " TEXT" where the
    // name alone would not give SQLite's text affinity ("MEMO TEXT").
    std::string StoredText() const;
};

// Reads back a stored type text (PRAGMA table_info's type, or a result column's declared type).
DeclaredType ParseStoredType(std::string_view stored);

}  // namespace db::embedded
