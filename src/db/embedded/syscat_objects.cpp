#include "db/embedded/syscat_objects.h"

#include <array>
#include <vector>

#include "db/embedded/names.h"
#include "db/embedded/routine_catalogue.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/token.h"

namespace db::embedded {
namespace {

constexpr std::array kKinds{
    ObjectKind{"U", "USER_TABLE", false, false},
    ObjectKind{"V", "VIEW", false, false},
    ObjectKind{"FN", "SQL_SCALAR_FUNCTION", true, false},
    ObjectKind{"IF", "SQL_INLINE_TABLE_VALUED_FUNCTION", true, false},
    ObjectKind{"TF", "SQL_TABLE_VALUED_FUNCTION", true, false},
    ObjectKind{"P", "SQL_STORED_PROCEDURE", false, true},
};

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The parts of a dotted name; '.' inside [ ] or " " belongs to the part.
std::vector<std::string> NameParts(std::string_view reference) {
    std::vector<std::string> parts(1);
    char close = 0;
    for (char ch : reference) {
        if (close != 0) {
            if (ch == close) {
                close = 0;
            } else {
                parts.back() += ch;
            }
        } else if (ch == '[' || ch == '"') {
            close = ch == '[' ? ']' : '"';
        } else if (ch == '.') {
            parts.emplace_back();
        } else {
            parts.back() += ch;
        }
    }
    return parts;
}

}  // namespace

std::span<const ObjectKind> ObjectKinds() {
    return kKinds;
}

const ObjectKind* FindObjectKind(std::string_view code) {
    code = TrimBlanks(code);
    for (const ObjectKind& kind : kKinds) {
        if (EqualsNoCase(kind.code, code)) return &kind;
    }
    return nullptr;
}

// FNV-1a over the upper-cased name, kept within the positive 31-bit range the server's ids use.
std::int64_t ObjectId(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (char ch : UpperAscii(name)) {
        hash ^= static_cast<unsigned char>(ch);
        hash *= 16777619u;
    }
    constexpr std::uint32_t kFirstUserId = 1000;
    const std::uint32_t id = hash & 0x7FFFFFFFu;
    return id < kFirstUserId ? id + kFirstUserId : id;
}

std::string ObjectNameOf(std::string_view reference) {
    return std::string(TrimBlanks(NameParts(TrimBlanks(reference)).back()));
}

std::string ObjectKindOf(sqlite3* db, std::string_view name) {
    std::string kind;
    QueryRows(db,
              "SELECT name, type FROM main.sqlite_master WHERE type IN ('table', 'view') AND "
              "name = ?1 COLLATE NOCASE",
              {name}, [&](sqlite3_stmt* s) {
                  if (IsHiddenTable(ColumnText(s, 0))) return;
                  // Assigned from a char rather than a literal: GCC 12 warns falsely
                  // (-Wrestrict) about a literal assigned inside this callback.
                  kind.assign(1, ColumnText(s, 1) == "view" ? 'V' : 'U');
              });
    if (!kind.empty()) return kind;
    const std::optional<RoutineRecord> routine = FindRoutine(db, name);
    return routine ? routine->kind : std::string();
}

}  // namespace db::embedded
