#pragma once
// How the server kind describes a declared column type: the facts of its system catalogue
// (syscolumns, sys.columns), of its column listing (sp_columns) and of INFORMATION_SCHEMA.COLUMNS,
// as the server reports them.
#include <cstdint>
#include <optional>
#include <string>

#include "db/embedded/type_map.h"

namespace db::embedded {

// A fact that the server reports as Null is empty.
using CatalogueFact = std::optional<std::int64_t>;

struct ServerColumnType {
    std::string name;  // the server's type name in lower case: "nvarchar", "int", "money"

    // syscolumns
    int xtype = 0;
    int type = 0;             // the older type code (syscolumns.type)
    std::int64_t length = 0;  // bytes of storage: NVARCHAR(n) 2n, VARCHAR(n) n, INT 4, (max) -1
    int xprec = 0;
    int xscale = 0;
    std::int64_t prec = 0;  // characters of a text, digits of a number

    // sp_columns
    int dataType = 0;             // the ODBC SQL type (DATA_TYPE)
    std::int64_t precision = 0;   // PRECISION
    std::int64_t listLength = 0;  // LENGTH: bytes of the value as transferred
    CatalogueFact scale;
    CatalogueFact radix;
    int sqlDataType = 0;
    CatalogueFact datetimeSub;
    CatalogueFact charOctetLength;

    // INFORMATION_SCHEMA.COLUMNS (and COLUMNPROPERTY's CharMaxLen, OctetMaxLen)
    CatalogueFact characterMaximumLength;  // characters of a text, bytes of a binary; (max) -1
    CatalogueFact characterOctetLength;    // bytes of a text or binary; (max) -1
    CatalogueFact numericPrecision;
    CatalogueFact numericPrecisionRadix;
    CatalogueFact numericScale;
    CatalogueFact datetimePrecision;

    // DATALENGTH: how a value of the type counts its bytes.
    enum class Bytes {
        Fixed,    // always length
        Ansi,     // CP949 bytes of the text (varchar, text)
        Unicode,  // two bytes a UTF-16 unit (nvarchar, ntext)
        Binary,   // bytes of the value (varbinary, image)
    };
    Bytes valueBytes = Bytes::Fixed;
};

// The server's description of a column declared with type (either dialect's type names; names
// neither dialect knows are described by their kind).
ServerColumnType DescribeServerType(const DeclaredType& type);

}  // namespace db::embedded
