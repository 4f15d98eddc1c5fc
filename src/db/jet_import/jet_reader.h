#pragma once
// Reads a real Jet3, Jet4 or ACE file through libmdb, value for value. The library's own value
// converters are not used: they turn zero-length texts into NULL, characters outside the Basic
// Multilingual Plane into "??", dates outside about 1900-4637 into an invalid day, and Korean
// Jet3 texts into CP1252. Each field is cracked from its row and decoded here instead.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/jet_import/jet_header.h"

namespace db::jet {

// A value as both sides of an import hold it: what the embedded engine stores for it.
enum class ValueTag : std::uint8_t { Null, Integer, Real, Money, Date, Text, Binary };

struct Value {
    ValueTag tag = ValueTag::Null;
    std::int64_t integer = 0;  // Integer; Money in ten-thousandths
    double real = 0;           // Real
    std::string bytes;         // Date as stored ("yyyy-MM-dd[ HH:mm:ss]"), Text (UTF-8), Binary
};

enum class ColumnKind { Integer, Boolean, Money, Real, Date, Text, Binary, Decimal };

struct Column {
    std::string name;
    std::string jetType;  // as Jet's CREATE TABLE writes it: "TEXT(50)", "COUNTER", "CURRENCY"
    ColumnKind kind = ColumnKind::Text;
    bool required = false;
};

struct IndexKey {
    std::string column;
    bool descending = false;
};

struct Index {
    std::string name;
    bool primary = false;
    bool unique = false;
    std::vector<IndexKey> keys;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<Index> indexes;  // the primary key first, when there is one
    std::int64_t rows = 0;       // as the table's definition counts them
};

class JetReader {
  public:
    // Opens the file for reading only. Throws DbError 0x80004005 when it is no Jet or ACE file
    // libmdb can read, or its Jet3 code page has no converter.
    explicit JetReader(const std::filesystem::path& file);
    ~JetReader();
    JetReader(const JetReader&) = delete;
    JetReader& operator=(const JetReader&) = delete;

    JetKind Kind() const;
    int CodePage() const;  // the Jet3 texts' code page from the header; 0 for Unicode files
    const std::vector<Table>& Tables() const;

    // Every row of Tables()[table] in the file's order, one value a column. Throws DbError.
    void ReadRows(std::size_t table, const std::function<void(const std::vector<Value>&)>& row);

  private:
    struct State;
    std::unique_ptr<State> s_;
};

// Throws DbError when libmdb does not read the file's table list and its tables' definitions to
// their end within limit, or breaks down on them (it reads some damaged files without end, taking
// memory as it goes): the reading is tried in a child process first. A list that cannot be read
// is left to the reader to report. JetReader checks this with a limit of 15 s.
void CheckTableListEnds(const std::filesystem::path& file, std::chrono::milliseconds limit);

// Jet4 and ACE text bytes (UCS-2LE, or the compressed form that starts with FF FE) as UTF-8.
std::string DecodeUnicodeText(std::string_view bytes);
// A Jet date (days since 1899-12-30; the fraction is the time of day, also before that day) as
// the embedded engine stores dates: the day alone when the time is midnight.
std::string StoredDateText(double serial);

}  // namespace db::jet
