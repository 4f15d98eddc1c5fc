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
          "\"runList\": [\"-------------------------- 매장디비\", \"백업: C:\\\\Quillon\\\\",
          "\"rule\": 4, \"number\": -2147217900, \"hex\": \"0x80040E14\", \"description\": ",
          "\"boxes\": [{\"title\": \"거래처 재계산 요함\", \"text\": \"거래처관리 메뉴에서",
          "\"messages\": [\"매장데이터패치시작\", \"매장데이터패치종료\"]",
          "\"summary\": {\"passes\": [{\"database\": \"store\", \"result\": \"patched\", ",
          "\"actions\": [\"거래처관리 메뉴에서 전체 거래처를 재계산 해 주시기 바랍니다!\"",
          "\"result\": \"success\""}) {
        EXPECT_TRUE(Has(out, expected)) << expected << "\n" << out.output;
    }
}

// The trace names each statement's kind and database, and masks the passwords of both kinds of
// store, in the statements too.
TEST_F(DemoRoot, SqlTraceNamesEachStatementAndHidesPasswords) {
    const auto trace = temp_.Path() / "trace.sql";
    const std::pair<const char*, const char*> kinds[] = {
        {"mdb", "MDB C:\\Quillon\\Data\\DatMain.mdb\n"},
        {"sql", "SQL Server STORE-SQL/ZENTRIX\n"},
    };
    for (const auto& [kind, store] : kinds) {
        ASSERT_EQ(Datapatch(std::string("demo --force --kind ") + kind).exitCode, 0);
        EXPECT_EQ(Datapatch("run --trace-sql " + trace.string()).exitCode, 0) << kind;
        const std::string text = host_test::ReadBytes(trace);
        for (const std::string& shown :
             {"-- #1 query " + std::string(store) + "SELECT * FROM CONFIGPC",
              "execute " + std::string(store) + "INSERT INTO PATCH_HIST",
              std::string("query SQL Server STORE-SQL/ZENTRIX_DATA1\n"),
              std::string("SET 적용 ='****' WHERE 신규명 = '데이터_SQLPass'")}) {
            EXPECT_NE(text.find(shown), std::string::npos) << kind << ": " << shown;
        }
        for (const char* secret : {"norv2093", "kelp2093"}) {
            EXPECT_EQ(text.find(secret), std::string::npos) << kind << ": " << secret;
        }
    }
}

// A store the demo did not make is not replaced. (Its own demo, untouched or patched:
// cases/commands.txt.)
TEST_F(DemoRoot, DemoLeavesAStoreItDidNotMake) {
    fs::create_directories(Root() / "c/Quillon");
    std::ofstream(Root() / "c/Quillon/NVConfig.INI") << "[DATA]\r\n";
    fixtures::ExpectRun(Datapatch("demo"), 64, {"NVConfig.INI was not made by datapatch demo"});
    EXPECT_EQ(host_test::ReadBytes(Root() / "c/Quillon/NVConfig.INI"), "[DATA]\r\n");
}

// While another copy of the program holds the root (a run), the demo touches nothing; looking
// takes no lock, so status still answers.
TEST_F(DemoRoot, DemoIsRefusedWhileAnotherCopyRunsOnTheRoot) {
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    const fs::path store = Root() / "c/Quillon/Data/DatMain.mdb";
    const auto before = fs::last_write_time(store);
    {
        host::SingleInstanceLock running(Root());
        ASSERT_TRUE(running.TryAcquire());
        const Outcome out = Datapatch("demo --force");
        fixtures::ExpectRun(out, 2, {"another datapatch is running"});
        EXPECT_EQ(fs::last_write_time(store), before);
        EXPECT_EQ(Datapatch("status").exitCode, 10);
    }
    EXPECT_EQ(Datapatch("demo --force").exitCode, 0);
}

// A repair runs by name on the configured store, and leaves its log in the Patch folder as a run
// does.
TEST_F(DemoRoot, ARepairRunsOneRoutineOnTheConfiguredStoreByNameInAnyCase) {
    ASSERT_EQ(Datapatch("demo --kind mdb").exitCode, 0);
    const Outcome fixed = Datapatch("repair fixorderpackquantities");
    fixtures::ExpectRun(fixed, 0, {"FixOrderPackQuantities finished: ", "DatMain.mdb"});
    const std::string prefix = "log: C:\\Quillon\\Patch\\";
    const std::size_t at = fixed.output.find(prefix);
    ASSERT_NE(at, std::string::npos) << fixed.output;
    const std::size_t from = at + prefix.size();
    const std::string name = fixed.output.substr(from, fixed.output.find('\n', from) - from);
    EXPECT_TRUE(name.ends_with("-FixOrderPackQuantities.log")) << name;
    EXPECT_TRUE(std::filesystem::exists(Root() / "c/Quillon/Patch" / name)) << name;
    // Nothing is left to correct the second time.
    const Outcome again = Datapatch("repair FixOrderPackQuantities");
    EXPECT_TRUE(Has(again, "FixOrderPackQuantities finished: 0 rows changed")) << again.output;
}

}  // namespace
