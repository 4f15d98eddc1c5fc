#include "db/login_resolver.h"

#include <gtest/gtest.h>

#include "db/embedded/case_file.h"
#include "host/host.h"
#include "host/profile.h"
#include "host/temp_folder.h"

namespace db {
namespace {

constexpr std::string_view kLogins =
    "[STORE-PC\\SQLEXPRESS]\r\n"
    "Address=192.168.0.10\r\n"
    "Password=s3cret\r\n"
    "Engine=embedded:C:\\Quillon\\Server\r\n"
    "[HQ]\r\n"
    "Address=hq.example\r\n"
    "Password=\r\n"
    "Engine=ODBC:Driver=FreeTDS;Server=10.0.0.5;Port=1433\r\n"
    "[NOADDRESS]\r\n"
    "Password=p\r\n"
    "Engine=bogus:whatever\r\n"
    "[Central]\r\n"
    "Server=HQ\r\n"
    "Database=NVCENTRAL\r\n"
    "[Drivers]\r\n"
    "Excel=Driver={Excel ODBC}\r\n";

LoginResolver Sample() {
    return LoginResolver(host::ProfileDocument::Parse(kLogins));
}

// The names of tables/server_logins.txt.
TEST(LoginResolverTest, ResolvesKnownServersByName) {
    const auto logins = Sample();
    for (const auto& block : embedded::testing::LoadBlocks("tables/server_logins.txt")) {
        const auto r = logins.Resolve(block.at(0).second);
        EXPECT_EQ(r.status, std::stoi(block.at(1).second)) << block.at(0).second;
        EXPECT_EQ(r.address, block.at(2).second) << block.at(0).second;
        EXPECT_EQ(r.password, block.at(3).second) << block.at(0).second;
    }
}

TEST(LoginResolverTest, FindsEnginesByNameOrAddress) {
    const auto logins = Sample();
    for (std::string_view key : {"STORE-PC\\SQLEXPRESS", "192.168.0.10"}) {
        auto e = logins.EngineFor(key);
        ASSERT_TRUE(e) << key;
        EXPECT_EQ(e->kind, LoginResolver::EngineKind::Embedded);
        EXPECT_EQ(e->target, "C:\\Quillon\\Server");
        EXPECT_EQ(e->password, "s3cret");
    }
    auto hq = logins.EngineFor("HQ.EXAMPLE");
    ASSERT_TRUE(hq);
    EXPECT_EQ(hq->kind, LoginResolver::EngineKind::Odbc);
    EXPECT_EQ(hq->target, "Driver=FreeTDS;Server=10.0.0.5;Port=1433");
    EXPECT_FALSE(logins.EngineFor("NOADDRESS"));  // unusable engine text
    EXPECT_FALSE(logins.EngineFor("nowhere"));
}

TEST(LoginResolverTest, CentralAndDrivers) {
    const auto logins = Sample();
    EXPECT_EQ(logins.CentralServer(), "HQ");
    EXPECT_EQ(logins.CentralDatabase(), "NVCENTRAL");
    EXPECT_EQ(logins.DriverFor("excel"), "Driver={Excel ODBC}");
    EXPECT_EQ(logins.DriverFor("Paradox"), "");
}

TEST(LoginResolverTest, MissingOrBadFileKnowsNoServer) {
    host_test::TempFolder temp;
    host::HostOptions options;
    options.root = temp.Path();
    host::Host host(options);

    EXPECT_EQ(LoginResolver::Load(host).Resolve("STORE-PC\\SQLEXPRESS").status, 3);

    host_test::WriteBytes(*host.Native(kDefaultLoginFile), "\x01\xff\xfe garbage [[[ =\n");
    EXPECT_EQ(LoginResolver::Load(host).Resolve("garbage").status, 3);

    host_test::WriteBytes(*host.Native(kDefaultLoginFile), kLogins);
    EXPECT_EQ(LoginResolver::Load(host).Resolve("HQ").status, 0);
    std::filesystem::create_directories(*host.Native("C:\\Folder.INI"));
    EXPECT_EQ(LoginResolver::Load(host, "C:\\Folder.INI").Resolve("HQ").status, 3);
}

}  // namespace
}  // namespace db
