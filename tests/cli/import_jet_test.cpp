// A store whose DatMain.mdb is still the real Jet file, driven through the real program: start-up
// says what the file is and how to import it, leaving it as it was; import-jet refuses to replace
// it without --force, then replaces it with the verified store and keeps the Jet file as a copy;
// the store then answers the program's own SQL with the Korean texts of the Jet file.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "fixtures/program_runner.h"
#include "host/temp_folder.h"

namespace {

using fixtures::Outcome;
using fixtures::Quoted;
namespace fs = std::filesystem;

const fs::path kJetFiles = fs::path(DATAPATCH_TEST_DATA) / "jet";

class ImportJet : public fixtures::ProgramRoot<> {
  protected:
    void SetUp() override {
        if (!fs::exists(kJetFiles)) GTEST_SKIP() << "no Jet test files at " << kJetFiles;
        ASSERT_EQ(Datapatch("demo").exitCode, 0);
        fs::copy_file(kJetFiles / "store-sample-jet4.mdb", Store(),
                      fs::copy_options::overwrite_existing);
    }
    fs::path Store() const { return Root() / "c/Quillon/Data/DatMain.mdb"; }
    std::set<std::string> DataFolder() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(Store().parent_path())) {
            names.insert(e.path().filename().string());
        }
        return names;
    }
};

TEST_F(ImportJet, StartUpNamesTheJetFileAndImportReplacesItOnlyWithForce) {
    const std::string jet = host_test::ReadBytes(Store());
    const std::set<std::string> before = DataFolder();
    const Outcome status = Datapatch("status", "", " 2>&1 >/dev/null");
    EXPECT_EQ(status.exitCode, 2);  // start-up ended
    const Outcome run = Datapatch("run --json --answer no", "", " 2>/dev/null");
    fixtures::ExpectShows(status,
                          {"Jet4 (Access 2000-2003)", Store().string(), "datapatch import-jet"});
    // The run's log keeps the reason too.
    fixtures::ExpectShows(run, {"Jet4 (Access 2000-2003)", Store().string(), "datapatch import-jet",
                                "\"problem\": ", "\"logFile\": \"C:\\\\Quillon\\\\Patch\\\\"});
    std::string logs;
    for (const auto& e : fs::directory_iterator(Root() / "c/Quillon/Patch")) {
        logs += host_test::ReadBytes(e.path());
    }
    EXPECT_NE(logs.find("datapatch import-jet"), std::string::npos) << logs;
    EXPECT_EQ(host_test::ReadBytes(Store()), jet);
    EXPECT_EQ(DataFolder(), before);

    const std::string windowsPath = Quoted("C:\\Quillon\\Data\\DatMain.mdb");
    const Outcome refused = Datapatch("import-jet " + windowsPath);
    fixtures::ExpectRun(refused, 64, {"--force"});
    EXPECT_EQ(host_test::ReadBytes(Store()), jet);
    EXPECT_EQ(DataFolder(), before);

    const Outcome imported = Datapatch("import-jet " + windowsPath + " --force --json", "", "");
    ASSERT_EQ(imported.exitCode, 0) << imported.output;
    fixtures::ExpectShows(imported,
                          {"\"verified\": true",
                           "{\"name\": \"입출상품\", \"sourceRows\": 3000, \"storeRows\": 3000"});
    std::set<std::string> backups;
    for (const std::string& name : DataFolder()) {
        if (!before.contains(name)) backups.insert(name);
    }
    // The Jet file, byte for byte, and the import's log; nothing else.
    ASSERT_EQ(backups.size(), 2u);
    const std::string backup = *backups.begin();
    EXPECT_TRUE(backup.starts_with("DatMain.before-import-")) << backup;
    EXPECT_EQ(host_test::ReadBytes(Store().parent_path() / backup), jet);
    EXPECT_TRUE(backups.rbegin()->starts_with("DatMain.import-")) << *backups.rbegin();

    // The program's own statement path reads the Korean texts back from the new store.
    const Outcome sql = fixtures::RunShell(
        "printf '%s\\n' \"SELECT 제품명, 규격 FROM 사용상품 WHERE 제품코드 = 'P0000000'\" | " +
        fixtures::DatapatchProgram() + " --root " + Quoted(Root().string()) + " sql --mdb " +
        windowsPath + " 2>&1");
    fixtures::ExpectRun(sql, 0, {"관절", "케어"});
}

TEST_F(ImportJet, AFileThatIsNoJetFileIsNotImported) {
    const fs::path into = temp_.Path() / "new.mdb";
    const Outcome out = Datapatch("import-jet " + Quoted(Root() / "c/Quillon/SimStdCd.MDB") +
                                  " --into " + Quoted(into.string()));
    fixtures::ExpectRun(out, 64, {"is no Jet or ACE database file"});
    EXPECT_FALSE(fs::exists(into));
}

// A folder as the target is refused before anything is read, also with --force.
TEST_F(ImportJet, AFolderAsTheTargetIsRefused) {
    const fs::path into = temp_.Path() / "folder";
    fs::create_directory(into);
    const Outcome out =
        Datapatch("import-jet " + Quoted(Store().string()) + " --force --into " + Quoted(into));
    fixtures::ExpectRun(out, 64,
                        {into.string() +
                         " is a folder; nothing was imported. Name the store file "
                         "itself (for example " +
                         (into / "DatMain.mdb").string() + ")"});
    EXPECT_TRUE(fs::is_empty(into));
}

}  // namespace
