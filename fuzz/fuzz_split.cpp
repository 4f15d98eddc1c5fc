// Splits a parameter text and checks the splitter's limits. The first two bytes of the input
// name the bytes that stand for the record and the field separator in the rest, so that the
// fuzzer reaches many records and fields without having to find '$' and '#' itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "db/embedded/routine_split.h"

namespace {

std::size_t Characters(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_split: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const char recordSeparator = static_cast<char>(data[0]);
    const char fieldSeparator = static_cast<char>(data[1]);
    std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    for (char& c : text) {
        if (c == recordSeparator) {
            c = '$';
        } else if (c == fieldSeparator) {
            c = '#';
        }
    }

    const auto records = db::embedded::SplitParameterText(text);
    const std::string_view read =
        db::embedded::FirstCharacters(text, db::embedded::kSplitTextLength);
    if (Characters(read) > db::embedded::kSplitTextLength) Fail("text read past its length");
    std::size_t recordEnds = 0;
    for (const char c : read) recordEnds += c == '$';
    if (records.size() > recordEnds + 1) Fail("more records than separators");
    for (const auto& fields : records) {
        static_assert(std::tuple_size_v<db::embedded::SplitRecord> == db::embedded::kSplitFields);
        for (const std::string& field : fields) {
            if (Characters(field) > db::embedded::kSplitFieldLength) Fail("field too long");
            if (field.find_first_of("$#") != std::string::npos) Fail("separator in a field");
        }
    }
    return 0;
}
