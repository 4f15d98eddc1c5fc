#pragma once
// Translation cases kept as data (cases/*.txt). A file holds cases in this form:
//
//   # a comment
//   case: a name
//   mode: jet | sqlserver | both
//   setup: a statement that must succeed first (any number)
//   run: a statement under test
//   + a continuation of the statement above, joined to it with CR LF
//   expect: ok | affected N | rows N | error 0xNUMBER [text the description contains]
//   (further run/expect pairs run in order on the same database)
//   check: a statement => the text of its first value, (null), (no row), or (error 0xNUMBER)
//          (any number, after the runs; an action statement that succeeds gives (no row))
//   source: the page of the real engine's reference that states the expected result
//
// The differential table (differential/*.txt) holds what SQL Server or Jet give for a statement;
// every case there names its source.
//
// Tables of the unit tests (*/tables/*.txt) are plain blocks of "key: value" lines, apart by blank
// lines, with the same comments and '+' continuations; each test gives its keys their meaning.
#include <cstdint>
#include <fstream>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace db::embedded::testing {

struct Check {
    std::string query;
    std::string expected;
};

// One statement under test and what it must give.
struct Action {
    std::string run;
    std::string expectKind;  // "ok", "affected", "rows", "error"
    std::int64_t expectCount = 0;
    std::int32_t expectNumber = 0;
    std::string expectText;
};

struct TranslationCase {
    std::string name;
    std::string file;
    int line = 0;
    bool jet = false;
    bool sqlServer = false;
    std::vector<std::string> setup;
    std::vector<Action> actions;
    std::vector<Check> checks;
    std::string source;
};

inline std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    const auto e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

class CaseFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline void ParseExpect(Action& c, const std::string& value) {
    const auto blank = value.find(' ');
    c.expectKind = value.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : Trim(value.substr(blank + 1));
    if (c.expectKind == "ok") return;
    if (c.expectKind == "affected" || c.expectKind == "rows") {
        c.expectCount = std::stoll(rest);
        return;
    }
    if (c.expectKind == "error") {
        const auto space = rest.find(' ');
        c.expectNumber = static_cast<std::int32_t>(std::stoul(rest.substr(0, space), nullptr, 16));
        if (space != std::string::npos) c.expectText = Trim(rest.substr(space + 1));
        return;
    }
    throw CaseFileError("unknown expectation: " + value);
}

// A block's lines in order, as key and value (a statement's blanks kept), and their line numbers.
struct Block : std::vector<std::pair<std::string, std::string>> {
    std::vector<int> lines;
};

inline std::vector<Block> ReadBlocks(std::istream& in, const std::string& name) {
    std::vector<Block> blocks(1);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trim(line).empty()) {
            if (!blocks.back().empty()) blocks.emplace_back();
        } else if (line.rfind("+ ", 0) == 0 || line == "+") {
            if (blocks.back().empty()) {
                throw CaseFileError(name + ":" + std::to_string(number) + ": nothing to continue");
            }
            blocks.back().back().second += "\r\n" + (line.size() > 2 ? line.substr(2) : "");
        } else if (line[0] != '#') {
            const auto colon = line.find(':');
            if (colon == std::string::npos) {
                throw CaseFileError(name + ":" + std::to_string(number) +
                                    ": expected 'key: value'");
            }
            const std::size_t start = colon + (line.size() > colon + 1 && line[colon + 1] == ' ');
            blocks.back().emplace_back(line.substr(0, colon), line.substr(start + 1));
            blocks.back().lines.push_back(number);
        }
    }
    if (blocks.back().empty()) blocks.pop_back();
    return blocks;
}

// name: a path under tests/db.
inline std::vector<Block> LoadBlocks(const std::string& name) {
    std::ifstream in(std::string(DATAPATCH_TESTS_DIR) + "/db/" + name);
    if (!in) throw CaseFileError("no table " + name);
    return ReadBlocks(in, name);
}

inline std::vector<TranslationCase> LoadCases(std::istream& in, const std::string& file) {
    std::vector<TranslationCase> cases;
    for (const Block& block : ReadBlocks(in, file)) {
        for (std::size_t i = 0; i < block.size(); ++i) {
            const auto& [key, raw] = block[i];
            const std::string value = Trim(raw);
            const auto fail = [&](const std::string& why) {
                throw CaseFileError(file + ":" + std::to_string(block.lines[i]) + ": " + why);
            };
            if (key == "case") {
                cases.emplace_back();
                cases.back().name = value;
                cases.back().file = file;
                cases.back().line = block.lines[i];
                continue;
            }
            if (cases.empty()) fail("'" + key + "' before the first case");
            TranslationCase& c = cases.back();
            if (key == "mode") {
                c.jet = value == "jet" || value == "both";
                c.sqlServer = value == "sqlserver" || value == "both";
                if (!c.jet && !c.sqlServer) fail("unknown mode: " + value);
            } else if (key == "setup") {
                c.setup.push_back(raw);
            } else if (key == "run") {
                if (!c.actions.empty() && c.actions.back().expectKind.empty()) {
                    fail("run without expect before it");
                }
                c.actions.emplace_back();
                c.actions.back().run = raw;
            } else if (key == "expect") {
                if (c.actions.empty() || !c.actions.back().expectKind.empty()) {
                    fail("expect without run");
                }
                ParseExpect(c.actions.back(), value);
            } else if (key == "source") {
                c.source = value;
            } else if (key == "check") {
                const auto arrow = value.rfind("=>");
                if (arrow == std::string::npos) fail("check without '=>'");
                c.checks.push_back({Trim(value.substr(0, arrow)), Trim(value.substr(arrow + 2))});
            } else {
                fail("unknown key: " + key);
            }
        }
    }
    for (const TranslationCase& c : cases) {
        const bool unfinished = c.actions.empty() || c.actions.back().expectKind.empty();
        if (unfinished || (!c.jet && !c.sqlServer)) {
            throw CaseFileError(file + ":" + std::to_string(c.line) + ": case '" + c.name +
                                "' needs mode, run and expect");
        }
    }
    return cases;
}

}  // namespace db::embedded::testing
