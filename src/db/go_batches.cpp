#include "db/go_batches.h"

#include "host/ascii_text.h"

namespace db {

namespace {
constexpr std::string_view kLineBlanks = " \t\r\f\v";
}

bool IsGoLine(std::string_view line) {
    return host::EqualsNoCase(host::Trim(line, kLineBlanks), "GO");
}

bool HasStatementText(std::string_view batch) {
    return !host::Trim(batch, " \t\r\n\f\v").empty();
}

std::vector<std::string> SplitGoBatches(std::string_view script, std::string_view lineEnd) {
    std::vector<std::string> batches;
    std::string batch;
    bool first = true;
    const auto finish = [&] {
        if (HasStatementText(batch)) batches.push_back(batch);
        batch.clear();
        first = true;
    };
    while (!script.empty()) {
        const std::size_t end = script.find('\n');
        std::string_view line = script.substr(0, end);
        script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (IsGoLine(line)) {
            finish();
            continue;
        }
        if (!first) batch += lineEnd;
        batch += line;
        first = false;
    }
    finish();
    return batches;
}

}  // namespace db
