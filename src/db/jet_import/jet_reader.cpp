#include "db/jet_import/jet_reader.h"

#include <fcntl.h>
#include <iconv.h>
#include <mdbtools.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "db/embedded/date_text.h"
#include "db/error.h"
#include "host/codepage.h"
#include "util/date_serial.h"

namespace db::jet {
namespace {

// The low bits of a row's offset on its page; the high bits flag deleted and moved rows.
constexpr int kRowOffsetMask = 0x1fff;
// A long value (memo, OLE) in the row is a 12-byte reference: length and flags, then the page
// and row of its data.
constexpr int kLongValueHeader = 12;
constexpr std::uint32_t kLongInline = 0x80000000u;
constexpr std::uint32_t kLongOnePage = 0x40000000u;
constexpr std::uint32_t kLongLengthMask = 0x3fffffffu;
// A chain of long-value pages longer than this is a damaged file, not data.
constexpr int kMaxLongValuePages = 1 << 20;

[[noreturn]] void Fail(const std::string& what) {
    throw DbError(ErrorNumber::kUnspecified, what, "datapatch import-jet");
}

std::uint32_t Get32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t Get64(const unsigned char* p) {
    return static_cast<std::uint64_t>(Get32(p)) | static_cast<std::uint64_t>(Get32(p + 4)) << 32;
}

// UTF-16 code units as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(const std::vector<std::uint16_t>& units) {
    std::string out;
    out.reserve(units.size() * 3);
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            host::AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            host::AppendUtf8(out, 0xFFFD);
        } else {
            host::AppendUtf8(out, u);
        }
    }
    return out;
}

// Jet3 code pages by their number in the header; iconv knows them all as "CP<n>".
std::string CodePageName(int codePage) {
    return "CP" + std::to_string(codePage == 0 ? 1252 : codePage);
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

std::string ShortestText(float value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// How long libmdb may take to read the table list and the tables' definitions: milliseconds on
// a sound file, however large.
constexpr std::chrono::seconds kListReadLimit{15};

}  // namespace

// A child process, so that a libmdb that reads without end, or breaks down, can be stopped.
void CheckTableListEnds(const std::filesystem::path& file, std::chrono::milliseconds limit) {
    const pid_t child = ::fork();
    if (child < 0) return;  // no check possible: the reading goes on as it would without
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (quiet >= 0) ::dup2(quiet, STDERR_FILENO);
        MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
        if (mdb == nullptr || mdb_read_catalog(mdb, MDB_TABLE) == nullptr) ::_exit(1);
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
            MdbTableDef* def = mdb_read_table(entry);
            if (def == nullptr) ::_exit(1);
            mdb_read_columns(def);
            mdb_read_indices(def);
        }
        ::_exit(0);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%.1f s", limit.count() / 1000.0);
            Fail("the table list of '" + file.string() + "' does not end (libmdb read it for " +
                 seconds + "): the file is damaged");
        }
        ::usleep(5000);
    }
    if (WIFSIGNALED(status)) {
        Fail("libmdb breaks down on the table list of '" + file.string() + "' (signal " +
             std::to_string(WTERMSIG(status)) + "): the file is damaged");
    }
}

std::string DecodeUnicodeText(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::vector<std::uint16_t> units;
    units.reserve(n);
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        // Compressed: one byte a character (U+0000 to U+00FF) until a zero byte switches to two
        // bytes a character, and the next zero byte back.
        bool compressed = true;
        for (std::size_t i = 2; i < n;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                units.push_back(p[i++]);
            } else if (i + 1 < n) {
                units.push_back(static_cast<std::uint16_t>(p[i] | p[i + 1] << 8));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            units.push_back(static_cast<std::uint16_t>(p[i] | p[i + 1] << 8));
        }
    }
    return Utf16ToUtf8(units);
}

// Jet keeps dates as OLE Automation dates: the signed whole part counts days from 1899-12-30 and
// the fraction's absolute value is the time of day, so -1.25 is 1899-12-29 06:00
// (https://learn.microsoft.com/en-us/cpp/atl-mfc-shared/date-type,
// https://learn.microsoft.com/dotnet/api/system.datetime.fromoadate). util::ToCivil reads them so.
std::string StoredDateText(double serial) {
    embedded::DateText date;
    date.time = util::ToCivil(util::DateTime{serial});
    date.hasTime = date.time.hour != 0 || date.time.minute != 0 || date.time.second != 0;
    return embedded::FormatStoredDate(date);
}

struct JetReader::State {
    MdbHandle* mdb = nullptr;
    JetKind kind = JetKind::None;
    int codePage = 0;
    std::unique_ptr<void, IconvCloser> jet3Text;
    std::vector<Table> tables;
    std::vector<MdbTableDef*> defs;

    ~State() {
        for (MdbTableDef* def : defs) mdb_free_tabledef(def);
        if (mdb != nullptr) mdb_close(mdb);
    }

    std::string Jet3Text(std::string_view bytes) const {
        std::string out(bytes.size() * 4 + 4, '\0');
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* to = out.data();
        std::size_t outLeft = out.size();
        iconv(static_cast<iconv_t>(jet3Text.get()), nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            if (iconv(static_cast<iconv_t>(jet3Text.get()), &in, &inLeft, &to, &outLeft) !=
                static_cast<std::size_t>(-1)) {
                break;
            }
            // A byte the code page does not define: kept visible as U+FFFD, not dropped.
            if (outLeft < 3) break;
            std::memcpy(to, "\xEF\xBF\xBD", 3);
            to += 3;
            outLeft -= 3;
            ++in;
            --inLeft;
        }
        out.resize(out.size() - outLeft);
        return out;
    }

    std::string Text(std::string_view bytes) const {
        return kind == JetKind::Jet3 ? Jet3Text(bytes) : DecodeUnicodeText(bytes);
    }

    // The bytes of a memo or OLE value, from the row or from its long-value pages.
    std::string LongValue(const unsigned char* field, int size) const {
        if (size < kLongValueHeader) return {};
        const std::uint32_t header = Get32(field);
        const std::size_t length = header & kLongLengthMask;
        if (header & kLongInline) {
            const std::size_t here = static_cast<std::size_t>(size - kLongValueHeader);
            return std::string(reinterpret_cast<const char*>(field) + kLongValueHeader,
                               std::min(here, length));
        }
        std::uint32_t pageRow = Get32(field + 4);
        std::string out;
        for (int pages = 0; pageRow != 0 && out.size() < length; ++pages) {
            if (pages > kMaxLongValuePages) Fail("a long value's page chain does not end");
            void* buffer = nullptr;
            int offset = 0;
            std::size_t rowSize = 0;
            if (mdb_find_pg_row(mdb, static_cast<int>(pageRow), &buffer, &offset, &rowSize) != 0) {
                Fail("a long value's page cannot be read");
            }
            const auto* row = static_cast<const unsigned char*>(buffer) + (offset & kRowOffsetMask);
            if (header & kLongOnePage) {
                out.assign(reinterpret_cast<const char*>(row), std::min(rowSize, length));
                break;
            }
            if (rowSize < 4) Fail("a long value's page is damaged");
            pageRow = Get32(row);
            out.append(reinterpret_cast<const char*>(row) + 4, rowSize - 4);
        }
        if (out.size() > length) out.resize(length);
        return out;
    }

    Value Decode(MdbColumn* col, const MdbField& field) const {
        Value v;
        // A Yes/No field is its bit in the row's null mask: set for Yes. It is never NULL.
        if (col->col_type == MDB_BOOL) {
            v.tag = ValueTag::Integer;
            v.integer = field.is_null ? 0 : -1;
            return v;
        }
        if (field.is_null) return v;
        const auto* p = mdb->pg_buf + field.start;
        const int size = field.siz;
        const auto need = [&](int bytes) {
            if (size < bytes) Fail("a field of column " + std::string(col->name) + " is short");
        };
        switch (col->col_type) {
            case MDB_BYTE:
                need(1);
                v.tag = ValueTag::Integer;
                v.integer = p[0];
                break;
            case MDB_INT:
                need(2);
                v.tag = ValueTag::Integer;
                v.integer = static_cast<std::int16_t>(p[0] | p[1] << 8);
                break;
            case MDB_LONGINT:
            case MDB_COMPLEX:
                need(4);
                v.tag = ValueTag::Integer;
                v.integer = static_cast<std::int32_t>(Get32(p));
                break;
            case MDB_MONEY:
                need(8);
                v.tag = ValueTag::Money;
                v.integer = static_cast<std::int64_t>(Get64(p));
                break;
            case MDB_FLOAT: {
                need(4);
                const std::uint32_t bits = Get32(p);
                float f;
                std::memcpy(&f, &bits, 4);
                // The single as Jet shows it ("444.555"), not its binary expansion as a double.
                v.tag = ValueTag::Real;
                v.real = std::strtod(ShortestText(f).c_str(), nullptr);
                break;
            }
            case MDB_DOUBLE:
            case MDB_DATETIME: {
                need(8);
                const std::uint64_t bits = Get64(p);
                double d;
                std::memcpy(&d, &bits, 8);
                if (col->col_type == MDB_DOUBLE) {
                    v.tag = ValueTag::Real;
                    v.real = d;
                } else {
                    v.tag = ValueTag::Date;
                    v.bytes = StoredDateText(d);
                }
                break;
            }
            case MDB_TEXT:
                v.tag = ValueTag::Text;
                v.bytes = Text(std::string_view(reinterpret_cast<const char*>(p), size));
                break;
            case MDB_MEMO:
                v.tag = ValueTag::Text;
                v.bytes = Text(LongValue(p, size));
                break;
            case MDB_OLE:
                v.tag = ValueTag::Binary;
                v.bytes = LongValue(p, size);
                break;
            case MDB_BINARY:
                v.tag = ValueTag::Binary;
                v.bytes.assign(reinterpret_cast<const char*>(p), size);
                break;
            case MDB_REPID: {
                need(16);
                char* text = mdb_uuid_to_string(mdb->pg_buf, field.start);
                v.tag = ValueTag::Text;
                v.bytes = text;
                g_free(text);
                break;
            }
            case MDB_NUMERIC: {
                need(17);
                char* text = mdb_numeric_to_string(mdb, field.start, col->col_scale, col->col_prec);
                v.tag = ValueTag::Real;
                v.real = std::strtod(text, nullptr);
                g_free(text);
                break;
            }
            default:
                Fail("column " + std::string(col->name) + " has a type (" +
                     std::to_string(col->col_type) + ") that cannot be imported");
        }
        return v;
    }

    Column Describe(MdbColumn* col) const {
        Column c;
        c.name = col->name;
        const char* required = mdb_col_get_prop(col, "Required");
        c.required = required != nullptr && required[0] == 'y';
        switch (col->col_type) {
            case MDB_BOOL:
                c.jetType = "YESNO";
                c.kind = ColumnKind::Boolean;
                break;
            case MDB_BYTE:
                c.jetType = "BYTE";
                c.kind = ColumnKind::Integer;
                break;
            case MDB_INT:
                c.jetType = "INTEGER";
                c.kind = ColumnKind::Integer;
                break;
            case MDB_LONGINT:
            case MDB_COMPLEX:
                c.jetType = col->is_long_auto ? "COUNTER" : "LONG";
                c.kind = ColumnKind::Integer;
                break;
            case MDB_MONEY:
                c.jetType = "CURRENCY";
                c.kind = ColumnKind::Money;
                break;
            case MDB_FLOAT:
                c.jetType = "SINGLE";
                c.kind = ColumnKind::Real;
                break;
            case MDB_DOUBLE:
                c.jetType = "DOUBLE";
                c.kind = ColumnKind::Real;
                break;
            case MDB_DATETIME:
                c.jetType = "DATETIME";
                c.kind = ColumnKind::Date;
                break;
            case MDB_TEXT: {
                // Jet4 and ACE count the size in bytes of UCS-2, Jet3 in bytes of its code page.
                const int chars = kind == JetKind::Jet3 ? col->col_size : col->col_size / 2;
                c.jetType = "TEXT(" + std::to_string(chars > 0 ? chars : 255) + ")";
                c.kind = ColumnKind::Text;
                break;
            }
            case MDB_MEMO:
                c.jetType = "MEMO";
                c.kind = ColumnKind::Text;
                break;
            case MDB_OLE:
                c.jetType = "LONGBINARY";
                c.kind = ColumnKind::Binary;
                break;
            case MDB_BINARY:
                c.jetType =
                    "BINARY(" + std::to_string(col->col_size > 0 ? col->col_size : 255) + ")";
                c.kind = ColumnKind::Binary;
                break;
            case MDB_REPID:
                // The engine has no GUID type: the identifier is kept as its text.
                c.jetType = "TEXT(38)";
                c.kind = ColumnKind::Text;
                break;
            case MDB_NUMERIC:
                c.jetType = "DECIMAL(" + std::to_string(col->col_prec) + "," +
                            std::to_string(col->col_scale) + ")";
                c.kind = ColumnKind::Decimal;
                break;
            default:
                Fail("column " + c.name + " has a type (" + std::to_string(col->col_type) +
                     ") that cannot be imported");
        }
        return c;
    }

    void ReadIndexes(MdbTableDef* def, Table& table) const {
        mdb_read_indices(def);
        if (def->indices == nullptr) return;
        for (guint i = 0; i < def->indices->len; ++i) {
            auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(def->indices, i));
            // Type 2 is the far side of a relationship: no index of the table's own.
            if (idx->index_type == 2) continue;
            Index index;
            index.name = idx->name;
            index.primary = idx->index_type == 1;
            index.unique = index.primary || (idx->flags & MDB_IDX_UNIQUE) != 0;
            for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
                const int n = idx->key_col_num[k] - 1;
                if (n < 0 || static_cast<guint>(n) >= def->columns->len) continue;
                auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, n));
                index.keys.push_back({col->name, idx->key_col_order[k] == MDB_DESC});
            }
            if (index.keys.empty()) continue;
            if (index.primary) {
                for (const IndexKey& key : index.keys) {
                    for (Column& c : table.columns) {
                        if (c.name == key.column) c.required = true;
                    }
                }
                table.indexes.insert(table.indexes.begin(), std::move(index));
            } else {
                table.indexes.push_back(std::move(index));
            }
        }
    }
};

JetReader::JetReader(const std::filesystem::path& file) : s_(std::make_unique<State>()) {
    s_->kind = KindOfFile(file);
    if (s_->kind == JetKind::None) {
        Fail("'" + file.string() + "' is no Jet or ACE database file");
    }
    // A Jet file is made of whole pages (2 KB for Jet3, 4 KB after): one that is not was cut
    // short, and libmdb would read past its end as empty pages.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    const std::uintmax_t page = s_->kind == JetKind::Jet3 ? 2048 : 4096;
    if (ec || size % page != 0) {
        Fail("'" + file.string() + "' is cut short: its size (" + std::to_string(size) +
             " bytes) is not a whole number of " + std::to_string(page) + "-byte pages");
    }
    CheckTableListEnds(file, kListReadLimit);
    s_->mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    if (s_->mdb == nullptr) Fail("libmdb cannot open '" + file.string() + "'");
    if (s_->kind == JetKind::Jet3) {
        // Jet3 texts are in the code page the header names. libmdb knows no Korean code page
        // and would read CP949 names as CP1252: its converter is set up again for this one.
        s_->codePage = s_->mdb->f->code_page;
        const std::string name = CodePageName(s_->codePage);
        iconv_t cd = iconv_open("UTF-8", name.c_str());
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            Fail("the code page " + std::to_string(s_->codePage) + " of '" + file.string() +
                 "' has no converter");
        }
        s_->jet3Text.reset(cd);
        setenv("MDB_JET3_CHARSET", name.c_str(), 1);
        mdb_iconv_close(s_->mdb);
        mdb_iconv_init(s_->mdb);
    }
    if (mdb_read_catalog(s_->mdb, MDB_TABLE) == nullptr) {
        Fail("the table list of '" + file.string() + "' cannot be read");
    }
    for (unsigned i = 0; i < s_->mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(s_->mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry)) continue;
        MdbTableDef* def = mdb_read_table(entry);
        if (def == nullptr) Fail("table " + std::string(entry->object_name) + " cannot be read");
        s_->defs.push_back(def);
        mdb_read_columns(def);
        Table table;
        table.name = entry->object_name;
        table.rows = def->num_rows;
        for (guint c = 0; c < def->columns->len; ++c) {
            table.columns.push_back(
                s_->Describe(static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c))));
        }
        s_->ReadIndexes(def, table);
        s_->tables.push_back(std::move(table));
    }
    // A store has tables: none found is a table list that cannot be read whole.
    if (s_->tables.empty()) {
        Fail("no tables are found in '" + file.string() +
             "': the file is empty or its table list is damaged");
    }
}

JetReader::~JetReader() = default;

JetKind JetReader::Kind() const {
    return s_->kind;
}

int JetReader::CodePage() const {
    return s_->codePage;
}

const std::vector<Table>& JetReader::Tables() const {
    return s_->tables;
}

void JetReader::ReadRows(std::size_t table,
                         const std::function<void(const std::vector<Value>&)>& row) {
    MdbTableDef* def = s_->defs.at(table);
    MdbHandle* mdb = s_->mdb;
    const std::size_t columns = def->columns->len;
    std::vector<MdbField> fields(MDB_MAX_COLS);
    std::vector<Value> values(columns);
    mdb_rewind_table(def);
    // A damaged file makes libmdb skip rows, or hand out rows without end: the rows must come
    // out as many as the table's definition counts, or the file is refused.
    const std::string& name = s_->tables[table].name;
    const std::int64_t counted = s_->tables[table].rows;
    std::int64_t read = 0;
    // libmdb finds the next live row (past deleted ones and onto the next data page); its fields
    // are then cracked here, where a zero-length text is told from NULL.
    while (mdb_fetch_row(def)) {
        if (++read > counted) {
            Fail("table " + name + " holds more rows than its definition counts (" +
                 std::to_string(counted) + "): the file is damaged");
        }
        int start = 0;
        std::size_t size = 0;
        if (mdb_find_row(mdb, static_cast<int>(def->cur_row) - 1, &start, &size) != 0) {
            Fail("a row of table " + name + " cannot be found again");
        }
        const int count = mdb_crack_row(def, start & kRowOffsetMask, size, fields.data());
        if (count < static_cast<int>(columns)) {
            Fail("a row of table " + name + " has fewer fields than columns");
        }
        for (std::size_t c = 0; c < columns; ++c) {
            values[c] =
                s_->Decode(static_cast<MdbColumn*>(g_ptr_array_index(def->columns, c)), fields[c]);
        }
        row(values);
    }
    if (read != counted) {
        Fail("table " + name + " gives " + std::to_string(read) + " of the " +
             std::to_string(counted) + " rows its definition counts: the file is damaged");
    }
}

}  // namespace db::jet
