// Parses the bytes as an INI document, reads every section and key back, writes one value and
// checks that the value survives serialising and parsing again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/profile.h"

namespace {

void Fail(const char* what, std::string_view section, std::string_view key) {
    std::fprintf(stderr, "fuzz_ini: %s ([%.*s] %.*s)\n", what, static_cast<int>(section.size()),
                 section.data(), static_cast<int>(key.size()), key.data());
    std::abort();
}

// Sets section/key to value and checks that the document and its serialised form both read it
// back. A refused Set leaves nothing to check.
void CheckSet(host::ProfileDocument doc, std::string_view section, std::string_view key,
              std::string_view value) {
    if (!doc.Set(section, key, value)) return;
    if (doc.Get(section, key) != std::string(value)) Fail("value not read back", section, key);
    const host::ProfileDocument again = host::ProfileDocument::Parse(doc.Serialize());
    if (again.Get(section, key) != std::string(value)) {
        Fail("value lost in serialising", section, key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const host::ProfileDocument doc = host::ProfileDocument::Parse(bytes);

    std::string firstSection, firstKey;
    for (const std::string& section : doc.Sections()) {
        for (const std::string& key : doc.Keys(section)) {
            if (!doc.Get(section, key)) Fail("listed key has no value", section, key);
            if (firstKey.empty()) {
                firstSection = section;
                firstKey = key;
            }
        }
    }
    (void)doc.Serialize();

    // "값" is B0 AA in CP949, which is not UTF-8, so setting it cannot turn the encoding over.
    CheckSet(doc, "퍼징", "Key", "값=1");
    if (!firstKey.empty()) CheckSet(doc, firstSection, firstKey, "값 2");
    return 0;
}
