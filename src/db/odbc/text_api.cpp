#include "db/odbc/text_api.h"

#include <sqlucode.h>

#include <algorithm>
#include <array>

#include "db/ascii_text.h"
#include "db/odbc/wide_text.h"

namespace db::odbc {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is UTF-16");

// Drivers that implement only the narrow calls and take UTF-8 there, by a fragment of their
// file name: the SQLite driver.
constexpr std::array<std::string_view, 1> kNarrowUtf8Drivers{"sqlite"};

using NarrowText = std::vector<SQLCHAR>;
using WideText = std::vector<SQLWCHAR>;

// Null-terminated copies, because the ODBC calls take non-const pointers.
NarrowText ToNarrow(std::string_view utf8) {
    NarrowText out(utf8.begin(), utf8.end());
    out.push_back(0);
    return out;
}

WideText ToWide(std::string_view utf8) {
    const std::u16string units = Utf16FromUtf8(utf8);
    WideText out(units.begin(), units.end());
    out.push_back(0);
    return out;
}

std::string Decode(const SQLCHAR* text, size_t length) {
    return std::string(reinterpret_cast<const char*>(text), length);
}

std::string Decode(const SQLWCHAR* text, size_t length) {
    return Utf8FromUtf16(std::u16string(text, text + length));
}

template <class Unit>
size_t LengthUpToNul(const std::vector<Unit>& buffer) {
    return std::find(buffer.begin(), buffer.end(), Unit{0}) - buffer.begin();
}

// Runs fetch(buffer, capacity, length) with a buffer grown until the whole answer fits, capacity
// and length counted in Units, and decodes the answer into out.
template <class Unit, class Fetch>
SQLRETURN FetchString(Fetch fetch, std::string& out) {
    std::vector<Unit> buffer(256, Unit{0});
    for (;;) {
        SQLLEN length = -1;
        const SQLRETURN rc = fetch(buffer.data(), static_cast<SQLSMALLINT>(buffer.size()), length);
        if (!SQL_SUCCEEDED(rc)) return rc;
        if (length >= static_cast<SQLLEN>(buffer.size()) && buffer.size() < 32767) {
            buffer.assign(std::min<size_t>(length + 1, 32767), Unit{0});
            continue;
        }
        const size_t used =
            length < 0 ? LengthUpToNul(buffer) : std::min<size_t>(length, LengthUpToNul(buffer));
        out = Decode(buffer.data(), used);
        return rc;
    }
}

// Reads a column in chunks. A chunk was cut short when the driver says so (01004) and the
// length left is unknown or more than the chunk held besides its terminator.
template <class Unit>
SQLRETURN ReadChunks(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType,
                     std::optional<std::vector<Unit>>& out) {
    constexpr SQLLEN kChunkBytes = 8192;
    std::vector<Unit> chunk(kChunkBytes / sizeof(Unit));
    std::vector<Unit> text;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, cType, chunk.data(), kChunkBytes, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) return rc;
        if (indicator == SQL_NULL_DATA) {
            out.reset();
            return SQL_SUCCESS;
        }
        const SQLLEN room = kChunkBytes - static_cast<SQLLEN>(sizeof(Unit));
        const bool cut =
            rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > room);
        const SQLLEN bytes = cut ? room : std::min(indicator, room);
        text.insert(text.end(), chunk.begin(), chunk.begin() + bytes / sizeof(Unit));
        if (!cut) break;
    }
    out = std::move(text);
    return SQL_SUCCESS;
}

template <class Unit>
SQLRETURN GetTextAs(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType,
                    std::optional<std::string>& out) {
    std::optional<std::vector<Unit>> units;
    const SQLRETURN rc = ReadChunks(stmt, column, cType, units);
    if (!SQL_SUCCEEDED(rc)) return rc;
    if (units) {
        out = Decode(units->data(), units->size());
    } else {
        out.reset();
    }
    return rc;
}

}  // namespace

SQLRETURN TextApi::DriverConnect(SQLHDBC dbc, std::string_view connectionString) const {
    if (wide_) {
        WideText text = ToWide(connectionString);
        return SQLDriverConnectW(dbc, nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr,
                                 SQL_DRIVER_NOPROMPT);
    }
    NarrowText text = ToNarrow(connectionString);
    return SQLDriverConnect(dbc, nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr,
                            SQL_DRIVER_NOPROMPT);
}

SQLRETURN TextApi::ExecDirect(SQLHSTMT stmt, std::string_view sql) const {
    if (wide_) {
        WideText text = ToWide(sql);
        return SQLExecDirectW(stmt, text.data(), SQL_NTS);
    }
    NarrowText text = ToNarrow(sql);
    return SQLExecDirect(stmt, text.data(), SQL_NTS);
}

SQLRETURN TextApi::Tables(SQLHSTMT stmt, const std::string* tablePattern) const {
    if (wide_) {
        WideText table = tablePattern ? ToWide(*tablePattern) : WideText{};
        return SQLTablesW(stmt, nullptr, 0, nullptr, 0, tablePattern ? table.data() : nullptr,
                          tablePattern ? SQL_NTS : 0, nullptr, 0);
    }
    NarrowText table = tablePattern ? ToNarrow(*tablePattern) : NarrowText{};
    return SQLTables(stmt, nullptr, 0, nullptr, 0, tablePattern ? table.data() : nullptr,
                     tablePattern ? SQL_NTS : 0, nullptr, 0);
}

SQLRETURN TextApi::Columns(SQLHSTMT stmt, const std::string& tablePattern) const {
    if (wide_) {
        WideText table = ToWide(tablePattern);
        return SQLColumnsW(stmt, nullptr, 0, nullptr, 0, table.data(), SQL_NTS, nullptr, 0);
    }
    NarrowText table = ToNarrow(tablePattern);
    return SQLColumns(stmt, nullptr, 0, nullptr, 0, table.data(), SQL_NTS, nullptr, 0);
}

SQLRETURN TextApi::Statistics(SQLHSTMT stmt, const std::string& table) const {
    if (wide_) {
        WideText name = ToWide(table);
        return SQLStatisticsW(stmt, nullptr, 0, nullptr, 0, name.data(), SQL_NTS, SQL_INDEX_ALL,
                              SQL_QUICK);
    }
    NarrowText name = ToNarrow(table);
    return SQLStatistics(stmt, nullptr, 0, nullptr, 0, name.data(), SQL_NTS, SQL_INDEX_ALL,
                         SQL_QUICK);
}

SQLRETURN TextApi::PrimaryKeys(SQLHSTMT stmt, const std::string& table) const {
    if (wide_) {
        WideText name = ToWide(table);
        return SQLPrimaryKeysW(stmt, nullptr, 0, nullptr, 0, name.data(), SQL_NTS);
    }
    NarrowText name = ToNarrow(table);
    return SQLPrimaryKeys(stmt, nullptr, 0, nullptr, 0, name.data(), SQL_NTS);
}

SQLRETURN TextApi::DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT column, ColumnShape& out) const {
    SQLSMALLINT nullable = 0;
    auto describe = [&](auto* buffer, SQLSMALLINT capacity, SQLLEN& length) {
        SQLSMALLINT nameLength = 0;
        SQLRETURN rc;
        if constexpr (std::is_same_v<decltype(buffer), SQLWCHAR*>) {
            rc = SQLDescribeColW(stmt, column, buffer, capacity, &nameLength, &out.sqlType,
                                 &out.size, &out.scale, &nullable);
        } else {
            rc = SQLDescribeCol(stmt, column, buffer, capacity, &nameLength, &out.sqlType,
                                &out.size, &out.scale, &nullable);
        }
        length = nameLength;
        return rc;
    };
    return wide_ ? FetchString<SQLWCHAR>(describe, out.name)
                 : FetchString<SQLCHAR>(describe, out.name);
}

std::string TextApi::ColumnTypeName(SQLHSTMT stmt, SQLUSMALLINT column) const {
    // The attribute's buffer and length are counted in bytes in both families.
    auto attribute = [&](auto* buffer, SQLSMALLINT capacity, SQLLEN& length) {
        using Unit = std::remove_pointer_t<decltype(buffer)>;
        const auto bytes = static_cast<SQLSMALLINT>(capacity * sizeof(Unit));
        SQLSMALLINT byteLength = 0;
        SQLRETURN rc;
        if constexpr (std::is_same_v<Unit, SQLWCHAR>) {
            rc = SQLColAttributeW(stmt, column, SQL_DESC_TYPE_NAME, buffer, bytes, &byteLength,
                                  nullptr);
        } else {
            rc = SQLColAttribute(stmt, column, SQL_DESC_TYPE_NAME, buffer, bytes, &byteLength,
                                 nullptr);
        }
        length = byteLength / static_cast<SQLLEN>(sizeof(Unit));
        return rc;
    };
    std::string name;
    const SQLRETURN rc =
        wide_ ? FetchString<SQLWCHAR>(attribute, name) : FetchString<SQLCHAR>(attribute, name);
    return SQL_SUCCEEDED(rc) ? name : std::string();
}

SQLRETURN TextApi::GetText(SQLHSTMT stmt, SQLUSMALLINT column,
                           std::optional<std::string>& out) const {
    return wide_ ? GetTextAs<SQLWCHAR>(stmt, column, SQL_C_WCHAR, out)
                 : GetTextAs<SQLCHAR>(stmt, column, SQL_C_CHAR, out);
}

std::string TextApi::InfoText(SQLHDBC dbc, SQLUSMALLINT infoType) const {
    auto info = [&](auto* buffer, SQLSMALLINT capacity, SQLLEN& length) {
        using Unit = std::remove_pointer_t<decltype(buffer)>;
        const auto bytes = static_cast<SQLSMALLINT>(capacity * sizeof(Unit));
        SQLSMALLINT byteLength = 0;
        SQLRETURN rc;
        if constexpr (std::is_same_v<Unit, SQLWCHAR>) {
            rc = SQLGetInfoW(dbc, infoType, buffer, bytes, &byteLength);
        } else {
            rc = SQLGetInfo(dbc, infoType, buffer, bytes, &byteLength);
        }
        length = byteLength / static_cast<SQLLEN>(sizeof(Unit));
        return rc;
    };
    std::string text;
    const SQLRETURN rc =
        wide_ ? FetchString<SQLWCHAR>(info, text) : FetchString<SQLCHAR>(info, text);
    return SQL_SUCCEEDED(rc) ? text : std::string();
}

std::vector<DiagRecord> TextApi::Diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) const {
    std::vector<DiagRecord> records;
    for (SQLSMALLINT index = 1;; ++index) {
        DiagRecord record;
        std::string state;
        auto read = [&](auto* buffer, SQLSMALLINT capacity, SQLLEN& length) {
            using Unit = std::remove_pointer_t<decltype(buffer)>;
            Unit stateText[6] = {};
            SQLINTEGER native = 0;
            SQLSMALLINT textLength = 0;
            SQLRETURN rc;
            if constexpr (std::is_same_v<Unit, SQLWCHAR>) {
                rc = SQLGetDiagRecW(handleType, handle, index, stateText, &native, buffer, capacity,
                                    &textLength);
            } else {
                rc = SQLGetDiagRec(handleType, handle, index, stateText, &native, buffer, capacity,
                                   &textLength);
            }
            state = Decode(stateText, 5);
            record.nativeError = native;
            length = textLength;
            return rc;
        };
        const SQLRETURN rc = wide_ ? FetchString<SQLWCHAR>(read, record.message)
                                   : FetchString<SQLCHAR>(read, record.message);
        if (!SQL_SUCCEEDED(rc)) break;
        record.sqlState = state.substr(0, state.find('\0'));
        records.push_back(std::move(record));
    }
    return records;
}

bool IsNarrowUtf8Driver(std::string_view driverName) {
    const std::string name = AsciiLower(driverName);
    return std::any_of(
        kNarrowUtf8Drivers.begin(), kNarrowUtf8Drivers.end(),
        [&](std::string_view fragment) { return name.find(fragment) != std::string::npos; });
}

TextApi ChooseTextApi(SQLHDBC dbc) {
    // The driver's file name is plain ASCII, which either family carries.
    return TextApi(!IsNarrowUtf8Driver(TextApi(true).InfoText(dbc, SQL_DRIVER_NAME)));
}

}  // namespace db::odbc
