#pragma once
// Case tables kept as text beside the tests (<layer>/cases/*.txt), for the host, util and config
// tests. One case a line, its fields separated by '|'; blank lines and lines starting with '#'
// are skipped, and a line "[name]" (no '|') starts the table of that name. A field is trimmed
// unless it is wrapped in backticks; <CR>, <LF>, <TAB>, <NUL> and <xHH> stand for those bytes.
#include <gtest/gtest.h>

#include <fstream>
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
    static const std::pair<std::string, char> kNames[] = {
        {"<CR>", '\r'}, {"<LF>", '\n'}, {"<TAB>", '\t'}, {"<NUL>", '\0'}};
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool named = false;
        for (const auto& [name, byte] : kNames) {
            if (text.compare(i, name.size(), name) == 0) {
                out += byte;
                i += name.size() - 1;
                named = true;
            }
        }
        if (!named && text.compare(i, 2, "<x") == 0 && i + 4 < text.size() && text[i + 4] == '>') {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 4;
        } else if (!named) {
            out += text[i];
        }
    }
    return out;
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
