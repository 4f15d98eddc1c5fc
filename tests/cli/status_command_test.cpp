// `status` and `history` only look: driven through the real program they leave every file under
// the root as it was, and when start-up ends they say on standard error which file was looked at
// and what to do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "fixtures/program_runner.h"
#include "host/codepage.h"
#include "host/host.h"
#include "host/settings_store.h"
#include "host/temp_folder.h"
#include "util/sql_text.h"

namespace {

using fixtures::Has;
using fixtures::Outcome;
using fixtures::Quoted;
namespace fs = std::filesystem;

constexpr int kStartupEnded = 2;
constexpr const char* kStdout = " 2>/dev/null";
constexpr const char* kStderr = " 2>&1 >/dev/null";

// Whether the text is JSON (RFC 8259), as the sqlite3 shell's json_valid() reads it, so that a
// script can read the output.
bool IsJson(const std::string& text) {
    const std::string sql = "SELECT json_valid(" + util::SqlQuoted(text) + ")";
    return fixtures::RunShell("sqlite3 :memory: " + Quoted(sql)).output == "1\n";
}

using LookOnly = fixtures::ProgramRoot<>;

// Before and after a run, the look-only commands change no file and their JSON is JSON. (What they
// show and their exit codes: cases/commands.txt.)
TEST_F(LookOnly, StatusAndHistoryChangeNoFileBeforeAndAfterARun) {
    for (const std::string kind : {"mdb", "sql"}) {
        ASSERT_EQ(Datapatch("demo --force --kind " + kind).exitCode, 0) << kind;
        for (const bool afterRun : {false, true}) {
            if (afterRun) {
                // The run's list ends each pass; the summary after it gives each pass, the errors
                // passed over, and the instruction of the closing repair's box, without status
                // line or colour (not a terminal).
                const Outcome run = Datapatch("run");
                ASSERT_EQ(run.exitCode, 0) << kind << "\n" << run.output;
                fixtures::ExpectShows(
                    run,
                    {"-------------------------- 매장디비", "* 매장데이터패치종료",
                     "* 데이터1패치종료", "-------------------------- 작업 종료",
                     "log: C:\\Quillon\\Patch\\",
                     "\nsummary\n  store     patched  (backup C:\\Quillon\\Backup\\Patch\\",
                     "  데이터1   patched  (backup ", "  errors passed over by the rules: ",
                     "  to do:\n    ! 거래처관리 메뉴에서 전체 거래처를 재계산 해 주시기 "
                     "바랍니다!\n"},
                    {"\033["});
            }
            const auto before = fixtures::FilesUnder(Root());
            for (const std::string args :
                 {"status", "status --json", "history", "history --json"}) {
                const Outcome out = Datapatch(args, "", kStdout);
                if (afterRun && args == "history") {  // the run's rows come first
                    EXPECT_EQ(out.output.substr(out.output.find('\n') + 11, 8), "20201221");
                }
                if (args.ends_with("--json")) {
                    EXPECT_TRUE(IsJson(out.output)) << kind << " " << args << "\n" << out.output;
                }
                EXPECT_TRUE(fixtures::FilesUnder(Root()) == before) << kind << " " << args;
            }
        }
    }
}

TEST_F(LookOnly, ARootWithoutConfigurationNamesThePathAndTheDemo) {
    fs::create_directories(Root());
    for (const char* command : {"status", "history", "status --json"}) {
        SCOPED_TRACE(command);
        fixtures::ExpectRun(Datapatch(command, "", kStderr), kStartupEnded,
                            {(Root() / "c/Quillon/NVConfig.INI").string(),
                             "datapatch demo --root " + Root().string()});
    }
    // The program's own boxes are still shown.
    EXPECT_TRUE(Has(Datapatch("status"), "[환경오류] 환경설정파일이 없습니다"));
    const Outcome json = Datapatch("status --json", "", kStdout);
    EXPECT_TRUE(IsJson(json.output)) << json.output;
    fixtures::ExpectShows(json, {"\"startup\": \"configuration-failed\""});
    // Nothing was made there.
    EXPECT_TRUE(fs::is_empty(Root()));
    // A run's start-up makes the configuration file (as the store software does) and then
    // names the database setting it holds, and where.
    const Outcome run = Datapatch("run --answer no", "", kStderr);
    fixtures::ExpectRun(run, kStartupEnded,
                        {(Root() / "c/Quillon/NVConfig.INI").string(), "데이터_MDBPath"});
}

TEST_F(LookOnly, ARefusedTimeFormatNamesWhereItCameFromAndTheValueToPut) {
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    host::HostOptions options;
    options.root = Root();
    const fs::path settings = host::Host(options).Settings().File();
    // As a Korean and a US Windows set the clock.
    for (const char* picture : {"tt h:mm:ss", "h:mm:ss tt"}) {
        fs::create_directories(settings.parent_path());
        std::ofstream(settings, std::ios::trunc) << "[Regional]\nsTimeFormat=" << picture << "\n";
        fixtures::ExpectRun(Datapatch("status", "", kStderr), kStartupEnded,
                            {std::string("\"") + picture + "\"",
                             "sTimeFormat in [Regional] of " + settings.string(),
                             "sTimeFormat=HH:mm:ss", "[Regional] section of "});
        EXPECT_TRUE(
            Has(Datapatch("status"), "[알림] 시간 표시 형식이 틀립니다. HH:MM:SS 로 설정해주세요"));
    }
}

TEST_F(LookOnly, ADatabaseThatCannotBeOpenedGivesTheEnginesReasonAndTheSetting) {
    struct Case {
        const char* kind;
        const char* file;  // under the root
        const char* reason;
        const char* setting;
    };
    const Case cases[] = {
        {"mdb", "c/Quillon/Data/DatMain.mdb", "Unrecognized database format",
         "데이터_MDBPath=C:\\Quillon\\Data\\DatMain.mdb"},
        {"sql", "c/Quillon/SqlServer/ZENTRIX.sqlite", "\"ZENTRIX\" 데이터베이스를 열 수 없습니다",
         "데이터_SQLDataName=ZENTRIX"},
        // The file that tells where each server is: a folder in its place is named.
        {"sql", "c/Quillon/SqlLogin.INI", "(the login settings file C:\\Quillon\\SqlLogin.INI (",
         "데이터_SQLServer=STORE-SQL"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Datapatch(std::string("demo --force --kind ") + c.kind).exitCode, 0);
        const fs::path file = Root() / c.file;
        if (std::string(c.kind) == "mdb") host_test::WriteBytes(file, "not a database");
        if (std::string(c.kind) == "sql") fs::remove(file);
        if (file.filename() == "SqlLogin.INI") fs::create_directory(file);
        fixtures::ExpectRun(Datapatch("status", "", kStderr), kStartupEnded,
                            {"the store database cannot be opened", c.reason, c.setting,
                             (Root() / "c/Quillon/NVConfig.INI").string()});
    }
}

// A configuration that names no database file says what is there instead: a folder where the
// INI should be, an INI without the setting (the built-in default is used), a folder as the
// database.
TEST_F(LookOnly, AConfigurationThatNamesNoDatabaseFileSaysWhatIsThere) {
    const fs::path ini = Root() / "c/Quillon/NVConfig.INI";
    struct Case {
        std::function<void()> make;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {[&] {
             fs::remove(ini);
             fs::create_directory(ini);
         },
         {ini.string() + " is a folder (or another kind of file), not the store's NVConfig.INI"}},
        {[&] { host_test::WriteBytes(ini, ""); },
         {"[DATA] 데이터_MDBPath is not set in " + ini.string() +
          ", so the built-in default is used"}},
        {[&] {
             host_test::WriteBytes(
                 ini, host::Utf8ToCp949("[DATA]\r\n데이터_MDBPath=C:\\Quillon\\Data\r\n"));
         },
         {"(" + (Root() / "c/Quillon/Data").string() + ") is a folder, not a database file",
          "it is named by 데이터_MDBPath in [DATA] of " + ini.string()}},
    };
    for (const Case& c : cases) {
        fs::remove_all(Root());
        ASSERT_EQ(Datapatch("demo").exitCode, 0);
        c.make();
        const Outcome status = Datapatch("status", "", kStderr);
        EXPECT_EQ(status.exitCode, kStartupEnded) << status.output;
        for (const std::string& text : c.said) EXPECT_TRUE(Has(status, text)) << status.output;
    }
}

// A row of the configuration table that cannot be read ends start-up with the row named.
TEST_F(LookOnly, AConfigurationRowThatCannotBeReadIsNamed) {
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    ASSERT_EQ(
        fixtures::RunShell("sqlite3 " + Quoted((Root() / "c/Quillon/Data/DatMain.mdb").string()) +
                           " \"UPDATE CONFIG SET 환경코드 = 'abc' WHERE 신규명 = '사업자_상호'\"")
            .exitCode,
        0);
    fixtures::ExpectRun(Datapatch("status", "", kStderr), kStartupEnded,
                        {"the configuration table CONFIG of the store database",
                         "환경코드 'abc' is not a number (the row whose 신규명 is '사업자_상호')"});
}

}  // namespace
