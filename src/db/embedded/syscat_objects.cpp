#include "db/embedded/syscat_objects.h"

#include <array>
#include <vector>

#include "db/embedded/names.h"
#include "db/embedded/routine_catalogue.h"
#include "db/embedded/sqlite_handle.h"
#include "db/embedded/token.h"
#include "host/ascii_text.h"

namespace db::embedded {
namespace {

constexpr std::array kKinds{
    ObjectKind{"U", "USER_TABLE", false, false},
    ObjectKind{"V", "VIEW", false, false},
    ObjectKind{"FN", "SQL_SCALAR_FUNCTION", true, false},
    ObjectKind{"IF", "SQL_INLINE_TABLE_VALUED_FUNCTION", true, false},
    ObjectKind{"TF", "SQL_TABLE_VALUED_FUNCTION", true, false},
    ObjectKind{"P", "SQL_STORED_PROCEDURE", false, true},
    ObjectKind{"PK", "PRIMARY_KEY_CONSTRAINT", false, false},
    ObjectKind{"UQ", "UNIQUE_CONSTRAINT", false, false},
};

std::string_view TrimBlanks(std::string_view text) {
    return host::Trim(text, " ");
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

std::vector<KeyConstraint> KeyConstraintsOf(std::string_view createText, std::string_view table) {
    const Tokens t = Tokenize(createText);
    std::vector<KeyConstraint> keys;
    std::size_t i = 0;
    while (i < t.size() && !t[i].IsPunct("(")) ++i;
    std::size_t definition = i + 1;
    int depth = 0;
    std::string name;
    for (++i; i < t.size(); ++i) {
        if (t[i].IsPunct("(")) ++depth;
        if (t[i].IsPunct(")") && --depth < 0) break;
        if (depth == 0 && t[i].IsPunct(",")) {
            definition = i + 1;
            name.clear();
            continue;
        }
        if (depth != 0) continue;
        if (t[i].Is("CONSTRAINT") && i + 1 < t.size()) {
            name = t[++i].value;
            continue;
        }
        const bool primary = t[i].Is("PRIMARY") && i + 1 < t.size() && t[i + 1].Is("KEY");
        if (!primary && !t[i].Is("UNIQUE")) {
            name.clear();  // the name was a default's or a check's
            continue;
        }
        KeyConstraint key{primary, name, name.empty(), {}};
        name.clear();
        if (primary) ++i;
        std::size_t j = i + 1;
        while (j < t.size() && (t[j].Is("CLUSTERED") || t[j].Is("NONCLUSTERED"))) ++j;
        const Token& first = t[definition];
        if (first.Is("CONSTRAINT") || first.Is("PRIMARY") || first.Is("UNIQUE")) {
            // A table constraint: its column list follows.
            for (++j; j < t.size() && !t[j].IsPunct(")"); ++j) {
                if (t[j].IsName() && !t[j].Is("ASC") && !t[j].Is("DESC")) {
                    key.columns.push_back(t[j].value);
                }
            }
        } else {
            key.columns.push_back(t[definition].value);
        }
        if (key.systemNamed) {
            key.name = std::string(primary ? "PK_" : "UQ_") + std::string(table);
            if (!primary && !key.columns.empty()) key.name += "_" + key.columns.front();
        }
        keys.push_back(std::move(key));
    }
    return keys;
}

namespace {

// The key constraint named name: the tables whose text holds the name (LIKE: without regard to
// the letter case of ASCII, and '_' matches itself too), and for an unnamed primary key the table
// its name gives.
std::string KeyConstraintKindOf(sqlite3* db, std::string_view name) {
    std::string kind;
    QueryRows(db,
              "SELECT name, sql FROM main.sqlite_master WHERE type = 'table' AND (sql LIKE '%' || "
              "?1 || '%' OR 'PK_' || name = ?1 COLLATE NOCASE)",
              {name}, [&](sqlite3_stmt* s) {
                  const std::string table = ColumnText(s, 0);
                  if (!kind.empty() || IsHiddenTable(table)) return;
                  for (const KeyConstraint& key : KeyConstraintsOf(ColumnText(s, 1), table)) {
                      if (EqualsNoCase(key.name, name)) {
                          kind = key.primary ? "PK" : "UQ";
                          return;
                      }
                  }
              });
    return kind;
}

}  // namespace

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
    if (routine) return routine->kind;
    return KeyConstraintKindOf(db, name);
}

}  // namespace db::embedded
