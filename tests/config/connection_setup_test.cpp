#include "config/connection_setup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "config/config_errors.h"
#include "config/config_world.h"
#include "db/error.h"
#include "host/case_table.h"
#include "host/net_drives.h"

namespace config {
namespace {

namespace fs = std::filesystem;
using config_test::kStoreMdb;

constexpr const char* kCases = "config/cases/connection.txt";

class ConnectionSetupTest : public config_test::ConfigWorld {
  protected:
    // A stand-in connection test tool that leaves "<itself>.ran" when it runs.
    void PutLintor() {
        const std::string tool = "C:\\Quillon\\Lintor.exe";
        Put(tool, "#!/bin/sh\n: > \"$0.ran\"\n");
        fs::permissions(Native(tool), fs::perms::owner_all, fs::perm_options::add);
    }
    bool LintorRan() {
        const fs::path marker = Native("C:\\Quillon") / "Lintor.exe.ran";
        for (int i = 0; i < 1000 && !fs::exists(marker); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return fs::exists(marker);
    }
    // Z: mapped to an existing share \\SRV\DATA.
    void MapDriveZ() {
        std::filesystem::create_directories(Native("\\\\SRV\\DATA"));
        ASSERT_EQ(host_.Drives().Add('Z', "\\\\SRV\\DATA", "", ""), host::net_result::kOk);
    }
    void UseMdb(std::string path) {
        Config().데이터_종류 = 0;
        Config().데이터_MDBPath = std::move(path);
    }
};

TEST_F(ConnectionSetupTest, EachKindShowsItsMessageAndStartsTheTool) {
    std::int32_t first = 0;
    ShowConnectionError(Rt(), first);  // without the tool: only the message
    EXPECT_EQ(BoxTexts().size(), 1u);
    EXPECT_FALSE(fs::exists(Native("C:\\Quillon") / "Lintor.exe.ran"));
    PutLintor();
    for (const auto& c : host_test::LoadCaseTable(kCases, "error messages")) {
        std::int32_t kind = std::stoi(c[0]);
        ShowConnectionError(Rt(), kind);
        const auto box = desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox).back();
        EXPECT_EQ(box.text, c[1]) << c.where;
        EXPECT_EQ(box.title, "데이터연결오류");
    }
    EXPECT_TRUE(LintorRan());
}

TEST_F(ConnectionSetupTest, CheckDataPathGivesTheReasonForAMissingFileAndMappedDrivesTheirShare) {
    MapDriveZ();
    for (const auto& c : host_test::LoadCaseTable(kCases, "missing mdb")) {
        UseMdb(c[0]);
        std::int16_t target = 0;
        EXPECT_FALSE(CheckDataPath(Rt(), Config(), target)) << c.where;
        ASSERT_FALSE(BoxTexts().empty());
        EXPECT_EQ(BoxTexts().back(), c[1]) << c.where;
    }
    std::string remote;
    EXPECT_EQ(GetNetworkDrivePath(Rt(), "Z:", remote), 0);
    EXPECT_EQ(remote, "\\\\SRV\\DATA");
    EXPECT_EQ(GetNetworkDrivePath(Rt(), "Y:", remote), host::net_result::kNotConnected);
    EXPECT_EQ(remote, "\\Y:");
    EXPECT_EQ(GetNetworkDrivePath(Rt(), "Da", remote), host::net_result::kBadDevice);
    EXPECT_EQ(remote, "\\Da");

    // A file that is there passes, blanks around its path aside.
    const std::size_t shown = BoxTexts().size();
    Put(kStoreMdb, "x");
    UseMdb(std::string("  ") + kStoreMdb + " ");
    std::int16_t target = 0;
    EXPECT_TRUE(CheckDataPath(Rt(), Config(), target));
    // SQL Server is never looked for, even with a stale MDB path.
    Config().데이터_종류 = 1;
    Config().데이터_MDBPath = "C:\\gone\\old.mdb";
    EXPECT_TRUE(CheckDataPath(Rt(), Config(), target));
    std::int16_t other = 1;
    EXPECT_FALSE(CheckDataPath(Rt(), Config(), other));
    EXPECT_EQ(BoxTexts().size(), shown);
}

TEST_F(ConnectionSetupTest, ConnectingUsesTheKindOfTheLoadAndShowsAFailedOpenOnlyWithMdecchk) {
    RunServer("STORE", {"CREATE TABLE T (A INT)"});
    Config().데이터_SQLServer = std::string(" ") + config_test::kServer;
    Config().데이터_SQLDataName = "STORE";
    Config().데이터_SQLID = "sa";
    // A kind changed after the load does not count: the load saw 0 (MDB, missing file) ...
    Config().데이터_종류 = 1;
    Config().데이터_MDBPath = "C:\\gone.mdb";
    EXPECT_FALSE(ConnectStoreDatabase(Rt()));
    EXPECT_EQ(Config().데이터_종류, 0);
    EXPECT_EQ(BoxTexts().size(), 1u);

    // A file that is no database: the path check passes, the open fails.
    Put(kStoreMdb, "not a database");
    UseMdb(kStoreMdb);
    Config().데이터_네트웍사용여부 = 1;
    EXPECT_FALSE(ConnectStoreDatabase(Rt()));
    EXPECT_EQ(BoxTexts().size(), 1u);
    Config().M_MDECCHK = "1";
    EXPECT_FALSE(ConnectStoreDatabase(Rt()));
    ASSERT_EQ(BoxTexts().size(), 2u);
    EXPECT_EQ(BoxTexts()[1], "데이터가 정상적으로 열리지 않습니다");
}

// A failed connection is not remembered as a usable one: the next call tries again. Once
// connected, later calls do nothing.
TEST_F(ConnectionSetupTest, AdminDatabaseConnectsOnce) {
    Config().데이터_SQLServer_S = config_test::kServer;
    Config().데이터_SQLDataName_S = " DATA1 ";
    Config().데이터_SQLID_S = "sa";
    EXPECT_FALSE(ConnectAdminDatabase(Rt()));
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], "SQL이 설치된 피씨가 꺼져있거나, SQL-Service관리자가 꺼져있습니다");
    EXPECT_FALSE(ConnectAdminDatabase(Rt()));
    EXPECT_EQ(BoxTexts().size(), 2u);

    RunServer("DATA1", {"CREATE TABLE T (A INT)"});
    ASSERT_TRUE(ConnectAdminDatabase(Rt()));
    const db::ConnectionRef first = Rt().AdminConnection;
    Config().데이터_SQLDataName_S = "OTHER";
    EXPECT_TRUE(ConnectAdminDatabase(Rt()));
    EXPECT_EQ(Rt().AdminConnection, first);
    EXPECT_EQ(BoxTexts().size(), 2u);
}

}  // namespace
}  // namespace config
