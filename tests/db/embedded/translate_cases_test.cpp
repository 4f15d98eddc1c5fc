// Runs the translation cases of cases/*.txt (format in case_file.h) on fresh databases of each
// mode the case names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "db/embedded/case_file.h"
#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/error.h"

namespace db::embedded::testing {
namespace {

namespace fs = std::filesystem;

std::vector<TranslationCase> AllCases(const char* folder) {
    const fs::path dir = fs::path(DATAPATCH_TESTS_DIR) / "db" / "embedded" / folder;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<TranslationCase> cases;
    for (const fs::path& file : files) {
        std::ifstream in(file);
        for (TranslationCase& c : LoadCases(in, file.filename().string())) cases.push_back(c);
    }
    return cases;
}

std::string CheckValue(Session& s, const std::string& sql) {
    try {
        const util::Variant v = FirstValue(s, sql);
        if (v.IsEmpty()) return "(no row)";
        if (v.IsNull()) return "(null)";
        return v.AsText();
    } catch (const DbError& e) {
        return "(error " + HexNumber(e.Number()) + ")";
    }
}

void RunAction(Session& s, const Action& a) {
    SCOPED_TRACE(a.run);
    try {
        ExecOutcome outcome = s.Execute(a.run, 30);
        if (a.expectKind == "error") {
            ADD_FAILURE() << "ran, expected error " << HexNumber(a.expectNumber);
        } else if (a.expectKind == "affected") {
            EXPECT_EQ(outcome.affected, a.expectCount);
        } else if (a.expectKind == "rows") {
            ASSERT_TRUE(outcome.rows) << "no result rows";
            std::int64_t n = 0;
            std::vector<util::Variant> row;
            while (outcome.rows->Next(row)) ++n;
            EXPECT_EQ(n, a.expectCount);
        }
    } catch (const DbError& e) {
        if (a.expectKind != "error") {
            ADD_FAILURE() << "failed: " << HexNumber(e.Number()) << " " << e.Description();
        } else {
            EXPECT_EQ(HexNumber(e.Number()), HexNumber(a.expectNumber)) << e.Description();
            EXPECT_NE(e.Description().find(a.expectText), std::string::npos) << e.Description();
        }
    }
}

void RunCase(const TranslationCase& c, Dialect dialect) {
    TempDir dir;
    std::unique_ptr<Session> s = Open(dir / "case.db", OpenOptions{dialect, "", true});
    for (const std::string& setup : c.setup) {
        try {
            s->Execute(setup, 30);
        } catch (const DbError& e) {
            ADD_FAILURE() << "setup failed: " << setup << ": " << e.Description();
            return;
        }
    }
    for (const Action& a : c.actions) RunAction(*s, a);
    for (const Check& check : c.checks) {
        EXPECT_EQ(CheckValue(*s, check.query), check.expected) << check.query;
    }
}

void RunEachMode(const std::vector<TranslationCase>& cases) {
    for (const TranslationCase& c : cases) {
        for (Dialect d : {Dialect::Jet, Dialect::SqlServer}) {
            if ((d == Dialect::Jet && !c.jet) || (d == Dialect::SqlServer && !c.sqlServer))
                continue;
            SCOPED_TRACE(c.file + ":" + std::to_string(c.line) + " [" +
                         (d == Dialect::Jet ? "jet" : "sqlserver") + "] " + c.name);
            RunCase(c, d);
        }
    }
}

TEST(TranslationCasesTest, EveryCaseHoldsInEachOfItsModes) {
    const std::vector<TranslationCase> cases = AllCases("cases");
    ASSERT_GE(cases.size(), 40u);
    RunEachMode(cases);
}

// What SQL Server and Jet give for a statement, each case with the reference page that says so.
TEST(DifferentialCasesTest, TheEmbeddedEngineGivesWhatTheRealEngineGives) {
    const std::vector<TranslationCase> cases = AllCases("differential");
    ASSERT_GE(cases.size(), 150u);
    for (const TranslationCase& c : cases) {
        EXPECT_EQ(c.source.rfind("https://", 0), 0u)
            << c.file << ":" << c.line << " '" << c.name << "' names no reference page";
    }
    RunEachMode(cases);
}

}  // namespace
}  // namespace db::embedded::testing
