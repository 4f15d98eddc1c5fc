#include "db/embedded/text_order.h"

#include "db/embedded/error_map.h"

namespace db::embedded {
namespace {

// SQLite's own NOCASE folds upper to lower case; folding the same way keeps the order of the
// indexes it made (for texts without trailing blanks).
constexpr unsigned char Fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

std::size_t WithoutTrailingBlanks(const unsigned char* text, std::size_t n) {
    while (n > 0 && text[n - 1] == ' ') --n;
    return n;
}

int Compare(const unsigned char* a, std::size_t na, const unsigned char* b, std::size_t nb) {
    na = WithoutTrailingBlanks(a, na);
    nb = WithoutTrailingBlanks(b, nb);
    const std::size_t common = na < nb ? na : nb;
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char ca = Fold(a[i]);
        const unsigned char cb = Fold(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return na == nb ? 0 : na < nb ? -1 : 1;
}

int ServerCollation(void*, int na, const void* a, int nb, const void* b) noexcept {
    return Compare(static_cast<const unsigned char*>(a), static_cast<std::size_t>(na),
                   static_cast<const unsigned char*>(b), static_cast<std::size_t>(nb));
}

// The Bloom filters of SQLite 3.38 to 3.41 hash a text by its length, so a join would pass over
// rows whose keys differ by trailing blanks only (later versions hash every text alike). The
// optimization flags of SQLite's test interface (sqliteInt.h) turn them off for the connection.
constexpr unsigned kBloomFilter = 0x00080000;
constexpr unsigned kBloomPulldown = 0x00100000;

}  // namespace

int CompareServerText(std::string_view a, std::string_view b) {
    return Compare(reinterpret_cast<const unsigned char*>(a.data()), a.size(),
                   reinterpret_cast<const unsigned char*>(b.data()), b.size());
}

void RegisterServerCollation(sqlite3* db) {
    const int rc =
        sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, ServerCollation, nullptr);
    if (rc != SQLITE_OK) throw LastError(db, rc);
    sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, db, kBloomFilter | kBloomPulldown);
}

}  // namespace db::embedded
