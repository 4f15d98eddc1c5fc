#include "config/connection_setup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "config/config_errors.h"
#include "config/config_world.h"
#include "db/error.h"
#include "host/net_drives.h"

namespace config {
namespace {

namespace fs = std::filesystem;
using config_test::kStoreMdb;

TEST(TextToByte, ConvertsSettingTexts) {
    const struct {
        util::Variant in;
        std::uint8_t out;
    } cases[] = {{"-5", 0},
                 {"", 0},
                 {"12abc", 12},
                 {"7.6", 8},
                 {"255", 255},
                 {" 1 2", 12},
                 {"2.5", 2},
                 {"3.5", 4},
                 {"abc", 0},
                 {" -5", 0},
                 {std::string("1\0", 2), 1},
                 {util::Variant(9), 9}};
    for (const auto& c : cases) EXPECT_EQ(TextToByte(c.in), c.out) << c.in.AsText();
}

TEST(TextToByte, AboveAByteIsAnOverflow) {
    for (const char* text : {"300", "256", "255.5", "1e9"}) {
        try {
            TextToByte(util::Variant(text));
            ADD_FAILURE() << text;
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.Number(), ConfigError::kOverflow) << text;
        }
    }
}

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
    PutLintor();
    const struct {
        std::int32_t kind;
        const char* text;
    } cases[] = {
        {0, "해당 폴더에 데이터가 없습니다"},
        {1, "네트워크가 연결되어 있지 않거나 서버 피씨의 해당 폴더에 데이터가 없습니다"},
        {2, "SQL이 설치된 피씨가 꺼져있거나, SQL-Service관리자가 꺼져있습니다"},
        {3, "데이터가 정상적으로 열리지 않습니다"},
        {99, "데이터가 정상적으로 열리지 않습니다"},
    };
    for (const auto& c : cases) {
        std::int32_t kind = c.kind;
        ShowConnectionError(Rt(), kind);
        const auto box = desktop_.CallsOf(host::ScriptedDesktop::CallKind::MessageBox).back();
        EXPECT_EQ(box.text, c.text) << c.kind;
        EXPECT_EQ(box.title, "데이터연결오류");
    }
    EXPECT_TRUE(LintorRan());
}

TEST_F(ConnectionSetupTest, WithoutTheToolOnlyTheMessage) {
    std::int32_t kind = 0;
    ShowConnectionError(Rt(), kind);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(fs::exists(Native("C:\\Quillon") / "Lintor.exe.ran"));
}

TEST_F(ConnectionSetupTest, MissingMdbFileGivesTheReason) {
    MapDriveZ();
    const struct {
        const char* path;
        const char* message;
    } cases[] = {
        {"C:\\Quillon\\Data\\missing.mdb", "해당 폴더에 데이터가 없습니다"},
        {"\\\\SRV\\DATA\\missing.mdb",
         "네트워크가 연결되어 있지 않거나 서버 피씨의 해당 폴더에 데이터가 없습니다"},
        // A mapped drive answers; only the file is missing.
        {"Z:\\missing.mdb", "해당 폴더에 데이터가 없습니다"},
        // Not a drive at all: the network call fails.
        {"Data\\missing.mdb",
         "네트워크가 연결되어 있지 않거나 서버 피씨의 해당 폴더에 데이터가 없습니다"},
    };
    for (const auto& c : cases) {
        UseMdb(c.path);
        std::int16_t target = 0;
        EXPECT_FALSE(CheckDataPath(Rt(), Config(), target)) << c.path;
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), c.message) << c.path;
    }
}

TEST_F(ConnectionSetupTest, CheckDataPathPasses) {
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
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConnectionSetupTest, NetworkDrivePath) {
    MapDriveZ();
    std::string remote;
    EXPECT_EQ(GetNetworkDrivePath(Rt(), "Z:", remote), 0);
    EXPECT_EQ(remote, "\\\\SRV\\DATA");
    EXPECT_EQ(GetNetworkDrivePath(Rt(), "Y:", remote), host::net_result::kNotConnected);
    EXPECT_EQ(remote, "\\Y:");
    EXPECT_EQ(GetNetworkDrivePath(Rt(), "Da", remote), host::net_result::kBadDevice);
    EXPECT_EQ(remote, "\\Da");
}

TEST_F(ConnectionSetupTest, ConnectsTheStoreMdb) {
    RunMdb({"CREATE TABLE T (A INT)"});
    UseMdb(kStoreMdb);
    for (const std::int32_t network : {0, 1}) {  // 0 also tries the network folder first
        Config().데이터_네트웍사용여부 = network;
        Rt().StoreConnection.reset();
        EXPECT_TRUE(ConnectStoreDatabase(Rt())) << network;
        ASSERT_TRUE(Rt().StoreConnection);
        EXPECT_EQ(Rt().StoreConnection->State(), db::ObjectState::Open);
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConnectionSetupTest, RestoresTheKindOfTheLoadBeforeConnecting) {
    RunServer("STORE", {"CREATE TABLE T (A INT)"});
    Config().데이터_SQLServer = std::string(" ") + config_test::kServer;
    Config().데이터_SQLDataName = "STORE";
    Config().데이터_SQLID = "sa";
    // A kind changed after the load does not count: the load saw 0 (MDB, missing file) ...
    Config().데이터_종류 = 1;
    Config().데이터_MDBPath = "C:\\gone.mdb";
    EXPECT_FALSE(ConnectStoreDatabase(Rt()));
    EXPECT_EQ(Config().데이터_종류, 0);
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(ConnectionSetupTest, FailedOpenIsShownOnlyWithMdecchk) {
    // A file that is no database: the path check passes, the open fails.
    Put(kStoreMdb, "not a database");
    UseMdb(kStoreMdb);
    Config().데이터_네트웍사용여부 = 1;
    EXPECT_FALSE(ConnectStoreDatabase(Rt()));
    EXPECT_TRUE(Messages().empty());
    Config().M_MDECCHK = "1";
    EXPECT_FALSE(ConnectStoreDatabase(Rt()));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "데이터가 정상적으로 열리지 않습니다");
}

TEST_F(ConnectionSetupTest, AdminDatabaseConnectsOnce) {
    RunServer("DATA1", {"CREATE TABLE T (A INT)"});
    Config().데이터_SQLServer_S = config_test::kServer;
    Config().데이터_SQLDataName_S = " DATA1 ";
    Config().데이터_SQLID_S = "sa";
    ASSERT_TRUE(ConnectAdminDatabase(Rt()));
    const db::ConnectionRef first = Rt().AdminConnection;
    Config().데이터_SQLDataName_S = "OTHER";
    EXPECT_TRUE(ConnectAdminDatabase(Rt()));
    EXPECT_EQ(Rt().AdminConnection, first);  // nothing done the second time
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConnectionSetupTest, AdminDatabaseFailureIsNotRememberedAsSuccess) {
    Config().데이터_SQLServer_S = config_test::kServer;
    Config().데이터_SQLDataName_S = "MISSING";
    EXPECT_FALSE(ConnectAdminDatabase(Rt()));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "SQL이 설치된 피씨가 꺼져있거나, SQL-Service관리자가 꺼져있습니다");
    // The next call tries again instead of taking the failed connection for a usable one.
    EXPECT_FALSE(ConnectAdminDatabase(Rt()));
    EXPECT_EQ(Messages().size(), 2u);
    RunServer("MISSING", {"CREATE TABLE T (A INT)"});
    EXPECT_TRUE(ConnectAdminDatabase(Rt()));
}

}  // namespace
}  // namespace config
