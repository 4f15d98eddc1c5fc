// Runs the built datapatch program as a user would and checks what it prints and returns.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fixtures/program_runner.h"
#include "host/instance_lock.h"
#include "host/temp_folder.h"

namespace {

using fixtures::Has;
using fixtures::Outcome;
namespace fs = std::filesystem;

using DemoRoot = fixtures::ProgramRoot<>;

TEST_F(DemoRoot, JsonReportGoesToStandardOutputAlone) {
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    const Outcome out = Datapatch("run --json --no-data1", "", " 2>/dev/null");
    EXPECT_EQ(out.exitCode, 0) << out.output;
    EXPECT_EQ(out.output.rfind("{\n", 0), 0u) << out.output;
    for (const char* expected :
         {"\"startup\": \"ready\"",
          "\"passes\": [{\"target\": 0, \"database\": \"store\", \"opened\": true, \"ok\": true, "
          "\"backup\": \"C:\\\\Quillon\\\\Backup\\\\Patch\\\\DatMain_",
          "\"messages\": [\"매장데이터패치시작\", \"매장데이터패치종료\"]",
          "\"summary\": {\"passes\": [{\"database\": \"store\", \"result\": \"patched\", ",
          "\"actions\": [\"거래처관리 메뉴에서 전체 거래처를 재계산 해 주시기 바랍니다!\"",
          "\"result\": \"success\""}) {
        EXPECT_TRUE(Has(out, expected)) << expected << "\n" << out.output;
    }
}

TEST_F(DemoRoot, SqlTraceNamesEachStatementAndHidesPasswords) {
    ASSERT_EQ(Datapatch("demo --kind sql").exitCode, 0);
    const auto trace = temp_.Path() / "trace.sql";
    const Outcome out = Datapatch("run --trace-sql " + trace.string());
    EXPECT_EQ(out.exitCode, 0) << out.output;
    const std::string text = host_test::ReadBytes(trace);
    EXPECT_NE(text.find("-- #1 query SQL Server STORE-SQL/ZENTRIX\n"), std::string::npos) << text;
    EXPECT_NE(text.find("INSERT INTO PATCH_HIST"), std::string::npos) << text;
    EXPECT_EQ(text.find("norv2093"), std::string::npos) << text;
}

// The store's own row of CONFIGPC names a table that is no plain name: status and run refuse
// with a message naming it and end start-up, and every product and table is still there.
TEST_F(DemoRoot, AConfigurationTableNameThatIsNoPlainNameEndsStartUpAndNothingRuns) {
    const std::string script = (temp_.Path() / "script.sql").string();
    const auto sql = [&](const std::string& text) {
        std::ofstream(script, std::ios::binary | std::ios::trunc) << text;
        return Datapatch("sql " + script);
    };
    const std::string counts =
        "SELECT COUNT(*) AS N FROM 사용상품\nGO\nSELECT COUNT(*) AS N FROM 제품\nGO\n";
    for (const char* kind : {"mdb", "sql"}) {
        ASSERT_EQ(Datapatch(std::string("demo --force --kind ") + kind).exitCode, 0) << kind;
        const Outcome before = sql(counts);
        ASSERT_EQ(before.exitCode, 0) << before.output;
        for (const char* table : {"CONFIG;DELETE FROM 사용상품;--", "CONFIG;DROP TABLE 제품;--"}) {
            ASSERT_EQ(sql("UPDATE CONFIGPC SET 테이블명 = '" + std::string(table) + "'\n").exitCode,
                      0);
            for (const char* command : {"status", "run"}) {
                const Outcome out = Datapatch(command);
                EXPECT_EQ(out.exitCode, 2) << kind << " " << command << "\n" << out.output;
                EXPECT_TRUE(Has(out, "'" + std::string(table) + "' (CONFIGPC.테이블명"))
                    << kind << " " << command << "\n"
                    << out.output;
                const Outcome after = sql(counts);
                EXPECT_EQ(after.output, before.output) << kind << " " << command << " " << table;
            }
        }
    }
}

// The demo replaces an empty root or its own untouched demo; a patched store, or one it did not
// make, only with --force.
TEST_F(DemoRoot, DemoReplacesOnlyAnEmptyRootOrAnUntouchedDemo) {
    const fs::path root = Root();
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    const Outcome again = Datapatch("demo");
    fixtures::ExpectRun(again, 0, {"replacing " + (root / "c/Quillon/Data/DatMain.mdb").string()});
    ASSERT_EQ(Datapatch("run --answer no").exitCode, 0);

    const Outcome refused = Datapatch("demo --kind sql");
    fixtures::ExpectRun(
        refused, 64,
        {"not an untouched demo", "--force", "  " + (root / "c/Quillon/NVConfig.INI").string()});
    EXPECT_TRUE(Has(Datapatch("status"), "패치할 데이타 없음"));

    const Outcome forced = Datapatch("demo --force");
    EXPECT_EQ(forced.exitCode, 0) << forced.output;
    EXPECT_TRUE(Has(Datapatch("status"), "패치할 데이타 있음"));

    // A store the demo did not make.
    fs::remove_all(root);
    fs::create_directories(root / "c/Quillon");
    std::ofstream(root / "c/Quillon/NVConfig.INI") << "[DATA]\r\n";
    const Outcome foreign = Datapatch("demo");
    fixtures::ExpectRun(foreign, 64, {"NVConfig.INI was not made by datapatch demo"});
    EXPECT_EQ(host_test::ReadBytes(root / "c/Quillon/NVConfig.INI"), "[DATA]\r\n");
}

// While another copy of the program holds the root (a run), the demo touches nothing.
TEST_F(DemoRoot, DemoIsRefusedWhileAnotherCopyRunsOnTheRoot) {
    const fs::path root = Root();
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    const fs::path store = root / "c/Quillon/Data/DatMain.mdb";
    const auto before = fs::last_write_time(store);
    {
        host::SingleInstanceLock running(root);
        ASSERT_TRUE(running.TryAcquire());
        const Outcome out = Datapatch("demo --force");
        fixtures::ExpectRun(out, 2, {"another datapatch is running"});
        EXPECT_EQ(fs::last_write_time(store), before);
    }
    EXPECT_EQ(Datapatch("demo --force").exitCode, 0);
}

// The server housekeeping says when the server refuses, can always leave single-user mode, and
// names the configuration a rename leaves behind.
TEST_F(DemoRoot, ServerHousekeepingReportsRefusalsAndCanBeUndone) {
    ASSERT_EQ(Datapatch("demo --kind sql").exitCode, 0);
    struct Case {
        const char* args;
        int exitCode;
        const char* text;
    };
    const Case cases[] = {
        {"db detach NOSUCH", 1, "detach NOSUCH failed: The database 'NOSUCH' does not exist"},
        {"db attach COPY 'C:\\Quillon\\none.sqlite'", 1, "Unable to open the physical file"},
        {"db single on", 0, "single-user mode on"},
        {"db single off", 0, "single-user mode off"},
        {"status", 10, "패치할 데이타 있음"},
        {"db rename ZENTRIX2", 0,
         "the configuration still names the store database \"ZENTRIX\": "
         "C:\\Quillon\\NVConfig.INI, [DATA] 데이터_SQLDataName=ZENTRIX"},
        {"status", 2, "데이터가 연결에 오류가 있습니다"},
    };
    for (const Case& c : cases) {
        const Outcome out = Datapatch(c.args);
        EXPECT_EQ(out.exitCode, c.exitCode) << c.args << "\n" << out.output;
        EXPECT_TRUE(Has(out, c.text)) << c.args << "\n" << out.output;
    }
}

// What the command line answers by itself: its version, its help, and usage errors (exit 64)
// for bad arguments and a root that does not exist.
TEST_F(DemoRoot, VersionHelpAndUsageErrors) {
    const struct {
        const char* args;
        int exitCode;
        const char* text;
    } cases[] = {
        {"--version", 0, "하로나 DataPatchProgram Ver"},
        {"-V", 0, "catalogue release 20201221"},
        {"--help", 0, "Exit codes"},
        {"--no-such-option", 64, "--no-such-option"},
        {"run --answer maybe", 64, "maybe"},
        {"demo --kind access", 64, "access"},
        {"status", 64, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        fixtures::ExpectRun(Datapatch(c.args), c.exitCode, {c.text});
    }
}

}  // namespace
