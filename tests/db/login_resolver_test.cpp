#include "db/login_resolver.h"

#include <gtest/gtest.h>

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

TEST(LoginResolverTest, ResolvesKnownServersByName) {
    const auto logins = Sample();
    struct Case {
        std::string_view server;
        int status;
        std::string_view address, password;
    } cases[] = {
        {"STORE-PC\\SQLEXPRESS", 0, "192.168.0.10", "s3cret"},
        {"store-pc\\sqlexpress", 0, "192.168.0.10", "s3cret"},
        {"HQ", 0, "hq.example", ""},
        {"NOADDRESS", 0, "NOADDRESS", "p"},
        {"192.168.0.10", 3, "", ""},  // an address is not a server name
        {"Central", 3, "", ""},
        {"Drivers", 3, "", ""},
        {"", 3, "", ""},
        {"OTHER", 3, "", ""},
    };
    for (const auto& c : cases) {
        const auto r = logins.Resolve(c.server);
        EXPECT_EQ(r.status, c.status) << c.server;
        EXPECT_EQ(r.address, c.address) << c.server;
        EXPECT_EQ(r.password, c.password) << c.server;
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
