#include "db/embedded/syscat_names.h"

#include <array>
#include <cstddef>

namespace db::embedded {
namespace {

struct CatalogueName {
    std::string_view owner;  // the owner the name requires; empty: any owner or none
    std::string_view name;
    std::string_view view;
};

constexpr std::array kNames{
    CatalogueName{"", "SYSCOLUMNS", kSysColumnsView},
    CatalogueName{"", "SYSOBJECTS", kSysObjectsView},
    CatalogueName{"sys", "objects", kSysObjectsCatalogView},
    CatalogueName{"sys", "columns", kSysColumnsCatalogView},
    CatalogueName{"sys", "key_constraints", kKeyConstraintsView},
    CatalogueName{"INFORMATION_SCHEMA", "TABLES", kSchemaTablesView},
    CatalogueName{"INFORMATION_SCHEMA", "COLUMNS", kSchemaColumnsView},
};

bool IsDot(const Tokens& t, std::size_t i) {
    return i < t.size() && t[i].IsPunct(".");
}

bool IsNameAt(const Tokens& t, std::size_t i) {
    return i < t.size() && t[i].IsName();
}

// The index of the owner name before the name at i ("owner . name"), or i itself when none.
std::size_t OwnerStart(const Tokens& t, std::size_t i) {
    return i >= 2 && IsDot(t, i - 1) && IsNameAt(t, i - 2) ? i - 2 : i;
}

const CatalogueName* MatchAt(const Tokens& t, std::size_t i) {
    // A name followed by '(' is a call; followed by '.' it qualifies a column and is mapped too.
    if (!t[i].IsName() || (i + 1 < t.size() && t[i + 1].IsPunct("("))) return nullptr;
    const std::size_t owner = OwnerStart(t, i);
    for (const CatalogueName& n : kNames) {
        if (!EqualsNoCase(t[i].value, n.name)) continue;
        if (n.owner.empty() || (owner < i && EqualsNoCase(t[owner].value, n.owner))) return &n;
    }
    return nullptr;
}

}  // namespace

bool MapSystemCatalogue(Tokens& tokens) {
    bool mapped = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const CatalogueName* match = MatchAt(tokens, i);
        if (match == nullptr) continue;
        // A database before the owner (db.dbo.name) goes with it.
        std::size_t first = OwnerStart(tokens, i);
        if (first < i) first = OwnerStart(tokens, first);
        Token view;
        view.kind = TokenKind::QuotedName;
        view.value = std::string(match->view);
        view.offset = tokens[first].offset;
        tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                     tokens.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        tokens[first] = std::move(view);
        i = first;
        mapped = true;
    }
    return mapped;
}

}  // namespace db::embedded
