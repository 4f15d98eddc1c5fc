// `status` and `history` only look: driven through the real program they leave every file under
// the root as it was, tell "up to date" from "patching pending" by the exit code, and when
// start-up ends they say on standard error which file was looked at and what to do.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "fixtures/program_runner.h"
#include "host/host.h"
#include "host/instance_lock.h"
#include "host/settings_store.h"
#include "host/temp_folder.h"

namespace {

using fixtures::Outcome;
using fixtures::Quoted;
namespace fs = std::filesystem;

constexpr int kPending = 10;
constexpr int kStartupEnded = 2;
constexpr const char* kStdout = " 2>/dev/null";
constexpr const char* kStderr = " 2>&1 >/dev/null";

bool Has(const Outcome& out, const std::string& text) {
    return out.output.find(text) != std::string::npos;
}

// A strict check of JSON's grammar (RFC 8259), enough to know a script can read the output.
class JsonChecker {
  public:
    explicit JsonChecker(const std::string& text) : s_(text) {}
    bool Valid() {
        Blank();
        if (!Value()) return false;
        Blank();
        return i_ == s_.size();
    }

  private:
    bool Value() {
        if (i_ >= s_.size()) return false;
        switch (s_[i_]) {
            case '{':
                return Members('}', true);
            case '[':
                return Members(']', false);
            case '"':
                return String();
            case 't':
                return Word("true");
            case 'f':
                return Word("false");
            case 'n':
                return Word("null");
            default:
                return Number();
        }
    }
    bool Members(char close, bool object) {
        ++i_;
        Blank();
        if (Eat(close)) return true;
        for (;;) {
            Blank();
            if (object) {
                if (!String()) return false;
                Blank();
                if (!Eat(':')) return false;
                Blank();
            }
            if (!Value()) return false;
            Blank();
            if (Eat(close)) return true;
            if (!Eat(',')) return false;
        }
    }
    bool String() {
        if (!Eat('"')) return false;
        while (i_ < s_.size()) {
            const auto c = static_cast<unsigned char>(s_[i_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') continue;
            if (i_ >= s_.size()) return false;
            const char e = s_[i_++];
            if (e == 'u') {
                for (int k = 0; k < 4; ++k) {
                    if (i_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[i_++]))) {
                        return false;
                    }
                }
            } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
                return false;
            }
        }
        return false;
    }
    bool Number() {
        const std::size_t start = i_;
        Eat('-');
        while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) ||
                                  std::string(".eE+-").find(s_[i_]) != std::string::npos)) {
            ++i_;
        }
        return i_ > start && std::isdigit(static_cast<unsigned char>(s_[i_ - 1]));
    }
    bool Word(const char* word) {
        const std::string w(word);
        if (s_.compare(i_, w.size(), w) != 0) return false;
        i_ += w.size();
        return true;
    }
    bool Eat(char c) {
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void Blank() {
        while (i_ < s_.size() && std::string(" \t\r\n").find(s_[i_]) != std::string::npos) ++i_;
    }
    const std::string& s_;
    std::size_t i_ = 0;
};

bool IsJson(const std::string& text) {
    return JsonChecker(text).Valid();
}

class LookOnly : public ::testing::Test {
  protected:
    fs::path RootPath() const { return temp_.Path() / "root"; }
    Outcome Datapatch(const std::string& args, const char* streams = " 2>&1",
                      const std::string& env = "") const {
        return fixtures::RunShell(env + "LC_ALL=C " + fixtures::DatapatchProgram() + " --root " +
                                  Quoted(RootPath().string()) + " " + args + " </dev/null" +
                                  streams);
    }
    // Every file and folder under the root with its bytes.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(RootPath())) {
            const std::string name = fs::relative(e.path(), RootPath()).string();
            files[name] = e.is_regular_file() ? host_test::ReadBytes(e.path()) : "<folder>";
        }
        return files;
    }
    // The first of the names that differ between two listings, or "".
    static std::string FirstDifference(const std::map<std::string, std::string>& a,
                                       const std::map<std::string, std::string>& b) {
        for (const auto& [name, bytes] : a) {
            const auto it = b.find(name);
            if (it == b.end()) return name + " (gone)";
            if (it->second != bytes) return name + " (changed)";
        }
        for (const auto& [name, bytes] : b) {
            if (!a.contains(name)) return name + " (new)";
        }
        return "";
    }
    // Runs each look-only command and checks that the files are as they were.
    void ExpectLooksChangeNothing(const std::string& kind, int statusCode) {
        const auto before = Files();
        for (const char* args : {"status", "status --json", "history", "history --json"}) {
            const Outcome out = Datapatch(args, kStdout);
            const bool status = std::string(args).starts_with("status");
            EXPECT_EQ(out.exitCode, status ? statusCode : 0) << kind << " " << args << "\n"
                                                             << out.output;
            if (std::string(args).ends_with("--json")) {
                EXPECT_TRUE(IsJson(out.output)) << kind << " " << args << "\n" << out.output;
            }
            EXPECT_EQ(FirstDifference(before, Files()), "") << kind << " " << args;
        }
    }
    host_test::TempFolder temp_;
};

TEST_F(LookOnly, StatusAndHistoryChangeNoFileAndTheExitCodeTellsPendingFromUpToDate) {
    for (const std::string kind : {"mdb", "sql"}) {
        ASSERT_EQ(Datapatch("demo --force --kind " + kind).exitCode, 0) << kind;
        ExpectLooksChangeNothing(kind, kPending);
        const Outcome pending = Datapatch("status");
        EXPECT_TRUE(Has(pending, "last patch   20100101")) << pending.output;
        EXPECT_TRUE(Has(pending, "data1 patch  ")) << pending.output;
        EXPECT_TRUE(Has(pending, "패치할 데이타 있음")) << pending.output;
        const Outcome pendingJson = Datapatch("status --json", kStdout);
        for (const char* expected : {"\"lastPatch\": \"20100101\"", "\"pending\": true",
                                     "\"database\": \"data1\"", "\"release\": \"20201221\""}) {
            EXPECT_TRUE(Has(pendingJson, expected)) << expected << "\n" << pendingJson.output;
        }

        ASSERT_EQ(Datapatch("run").exitCode, 0) << kind;
        ExpectLooksChangeNothing(kind, 0);
        const Outcome upToDate = Datapatch("status");
        EXPECT_TRUE(Has(upToDate, "last patch   20201221")) << upToDate.output;
        EXPECT_TRUE(Has(upToDate, "data1 patch  20201221")) << upToDate.output;
        EXPECT_TRUE(Has(upToDate, "패치할 데이타 없음")) << upToDate.output;
        EXPECT_TRUE(Has(Datapatch("status --json", kStdout), "\"pending\": false"));

        // The run's rows come first, each with the version that wrote it and the run's log.
        const Outcome history = Datapatch("history");
        const std::size_t firstRow = history.output.find('\n') + 1;
        EXPECT_EQ(history.output.substr(firstRow + 10, 8), "20201221") << history.output;
        EXPECT_TRUE(Has(history, "store     20201221")) << history.output;
        EXPECT_TRUE(Has(history, "data1     20201221")) << history.output;
        EXPECT_TRUE(Has(history, "하로나 DataPatchProgram Ver")) << history.output;
        EXPECT_TRUE(Has(history, "  log: C:\\Quillon\\Patch\\")) << history.output;
        const Outcome json = Datapatch("history --json", kStdout);
        EXPECT_TRUE(Has(json, "\"date\": \"20201221\"")) << json.output;
        EXPECT_TRUE(Has(json, "\"logFile\": \"C:\\\\Quillon\\\\Patch\\\\")) << json.output;
        EXPECT_TRUE(Has(json, "\"logPath\": \"" + RootPath().string() + "/c/Quillon/Patch/"))
            << json.output;
        EXPECT_TRUE(Has(json, "\"date\": \"20100101\"")) << json.output;
    }
}

// Looking takes no lock: status answers while a run holds the root.
TEST_F(LookOnly, StatusAnswersWhileAnotherCopyHoldsTheRoot) {
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    host::SingleInstanceLock running(RootPath());
    ASSERT_TRUE(running.TryAcquire());
    const Outcome out = Datapatch("status");
    EXPECT_EQ(out.exitCode, kPending) << out.output;
}

TEST_F(LookOnly, ARootWithoutConfigurationNamesThePathAndTheDemo) {
    fs::create_directories(RootPath());
    for (const char* command : {"status", "history", "status --json"}) {
        const Outcome err = Datapatch(command, kStderr);
        EXPECT_EQ(err.exitCode, kStartupEnded) << command << "\n" << err.output;
        for (const std::string& text : {(RootPath() / "c/Quillon/NVConfig.INI").string(),
                                        "datapatch demo --root " + RootPath().string()}) {
            EXPECT_TRUE(Has(err, text)) << command << ": " << text << "\n" << err.output;
        }
    }
    // The program's own boxes are still shown.
    EXPECT_TRUE(Has(Datapatch("status"), "[환경오류] 환경설정파일이 없습니다"));
    const Outcome json = Datapatch("status --json", kStdout);
    EXPECT_TRUE(IsJson(json.output)) << json.output;
    EXPECT_TRUE(Has(json, "\"startup\": \"configuration-failed\"")) << json.output;
    // Nothing was made there.
    EXPECT_TRUE(fs::is_empty(RootPath()));
    // A run's start-up makes the configuration file (as the store software does) and then
    // names the database setting it holds, and where.
    const Outcome run = Datapatch("run --answer no", kStderr);
    EXPECT_EQ(run.exitCode, kStartupEnded) << run.output;
    EXPECT_TRUE(Has(run, (RootPath() / "c/Quillon/NVConfig.INI").string())) << run.output;
    EXPECT_TRUE(Has(run, "데이터_MDBPath")) << run.output;
}

TEST_F(LookOnly, ARefusedTimeFormatNamesWhereItCameFromAndTheValueToPut) {
    ASSERT_EQ(Datapatch("demo").exitCode, 0);
    host::HostOptions options;
    options.root = RootPath();
    const fs::path settings = host::Host(options).Settings().File();
    // As a Korean and a US Windows set the clock.
    for (const char* picture : {"tt h:mm:ss", "h:mm:ss tt"}) {
        fs::create_directories(settings.parent_path());
        std::ofstream(settings, std::ios::trunc) << "[Regional]\nsTimeFormat=" << picture << "\n";
        const Outcome err = Datapatch("status", kStderr);
        EXPECT_EQ(err.exitCode, kStartupEnded) << err.output;
        for (const std::string& text :
             {std::string("\"") + picture + "\"",
              "sTimeFormat in [Regional] of " + settings.string(),
              std::string("sTimeFormat=HH:mm:ss"), std::string("[Regional] section of ")}) {
            EXPECT_TRUE(Has(err, text)) << text << "\n" << err.output;
        }
        EXPECT_TRUE(Has(Datapatch("status"), "시간 표시 형식이 틀립니다"));
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
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Datapatch(std::string("demo --force --kind ") + c.kind).exitCode, 0);
        const fs::path file = RootPath() / c.file;
        if (std::string(c.kind) == "mdb") {
            std::ofstream(file, std::ios::binary | std::ios::trunc) << "not a database";
        } else {
            fs::remove(file);
        }
        const Outcome err = Datapatch("status", kStderr);
        EXPECT_EQ(err.exitCode, kStartupEnded) << err.output;
        for (const std::string& text :
             {std::string("the store database cannot be opened"), std::string(c.reason),
              std::string(c.setting), (RootPath() / "c/Quillon/NVConfig.INI").string()}) {
            EXPECT_TRUE(Has(err, text)) << c.kind << ": " << text << "\n" << err.output;
        }
    }
}

TEST_F(LookOnly, AnEmptyRootIsAUsageError) {
    for (const char* args : {"--root '' status", "--root= run"}) {
        const Outcome out = fixtures::RunShell("LC_ALL=C " + fixtures::DatapatchProgram() + " " +
                                               args + " </dev/null 2>&1");
        EXPECT_EQ(out.exitCode, 64) << args << "\n" << out.output;
        EXPECT_TRUE(Has(out, "--root needs a folder")) << out.output;
    }
}

}  // namespace
