// Tokenises the bytes as a statement text and translates it in both dialects. DbError is how the
// translator refuses a text; anything else thrown, and every sanitizer report, is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "db/embedded/token.h"
#include "db/embedded/translator.h"
#include "db/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const db::embedded::Tokens tokens = db::embedded::Tokenize(text);
    std::size_t previous = 0;
    for (const db::embedded::Token& token : tokens) {
        if (token.offset >= text.size() || token.offset < previous) {
            std::fprintf(stderr, "fuzz_sql: token offset %zu out of order\n", token.offset);
            std::abort();
        }
        previous = token.offset;
    }
    for (const db::Dialect dialect : {db::Dialect::Jet, db::Dialect::SqlServer}) {
        try {
            (void)db::embedded::Translate(text, dialect);
        } catch (const db::DbError&) {
        }
    }
    return 0;
}
