#pragma once
// Case tables kept as text beside the tests (<layer>/cases/*.txt), for the host, util and config
// tests. One case a line, its fields separated by '|'; blank lines and lines starting with '#'
// are skipped, and a line "[name]" (no '|') starts the table of that name. A field is trimmed
// unless it is wrapped in backticks; <CR>, <LF>, <TAB>, <NUL> and <xHH> stand for those bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace host_test {

struct CaseRow {
    std::string where;  // file:line, for SCOPED_TRACE
    std::vector<std::string> fields;

    const std::string& operator[](std::size_t i) const { return fields.at(i); }
};

inline std::string CaseField(std::string text) {
    const auto b = text.find_first_not_of(" \t");
    text = b == std::string::npos ? "" : text.substr(b, text.find_last_not_of(" \t") - b + 1);
    if (text.size() >= 2 && text.front() == '`' && text.back() == '`') {
        text = text.substr(1, text.size() - 2);
    }
    static const std::regex kByte("<(CR|LF|TAB|NUL|x[0-9A-Fa-f]{2})>");
    std::string out;
    auto from = text.cbegin();
    for (std::sregex_iterator m(text.begin(), text.end(), kByte), end; m != end; ++m) {
        out.append(from, (*m)[0].first);
        const std::string n = (*m)[1];
        out += n == "CR"    ? '\r'
               : n == "LF"  ? '\n'
               : n == "TAB" ? '\t'
               : n == "NUL" ? '\0'
                            : static_cast<char>(std::stoi(n.substr(1), nullptr, 16));
        from = (*m)[0].second;
    }
    return out.append(from, text.cend());
}

// The rows of table `name` in `file` (relative to the tests folder); fails the test when there
// are none.
inline std::vector<CaseRow> LoadCaseTable(const std::string& file, const std::string& name) {
    std::ifstream in(std::string(DATAPATCH_TESTS_DIR) + "/" + file);
    std::vector<CaseRow> rows;
    std::string line, table;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']' && line.find('|') == std::string::npos) {
            table = line.substr(1, line.size() - 2);
            continue;
        }
        if (table != name) continue;
        CaseRow& row = rows.emplace_back();
        row.where = file + ":" + std::to_string(number);
        for (std::size_t from = 0;;) {
            const auto bar = line.find('|', from);
            row.fields.push_back(CaseField(line.substr(from, bar - from)));
            if (bar == std::string::npos) break;
            from = bar + 1;
        }
    }
    EXPECT_FALSE(rows.empty()) << "no table [" << name << "] in " << file;
    return rows;
}

}  // namespace host_test
