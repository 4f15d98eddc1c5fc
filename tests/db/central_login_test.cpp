#include "db/central_login.h"

#include <gtest/gtest.h>

#include "db/login_resolver.h"
#include "host/profile.h"

namespace db {
namespace {

constexpr std::string_view kLogins =
    "[STORE-PC\\SQLEXPRESS]\r\nAddress=192.168.0.10\r\nPassword=s3cret\r\n"
    "[HQ]\r\nAddress=hq.example\r\nPassword=\r\n";

TEST(ApplyCentralLoginDefaultsTest, CompletesEveryLogin) {
    const LoginResolver logins(host::ProfileDocument::Parse(kLogins));
    struct Case {
        std::string server, database, user, password;
        std::string wantServer, wantDatabase, wantUser, wantPassword;
    } cases[] = {
        // known server: its address, "sa" and its password replace what was given
        {"STORE-PC\\SQLEXPRESS", "STORE", "kim", "x", "192.168.0.10", "STORE", "sa", "s3cret"},
        // known server without a password: the built-in one
        {"HQ", "", "", "", "hq.example", "NVMAIN", "sa", "zelk"},
        // unknown server (status 3) keeps server and user; an empty password becomes built-in
        {"10.1.1.1", "DB", "kim", "", "10.1.1.1", "DB", "kim", "zelk"},
        {"10.1.1.1", "", "", "pw", "10.1.1.1", "NVMAIN", "sa", "pw"},
        // emptiness is tested on the exact text: blanks stay
        {"10.1.1.1", " ", " ", " ", "10.1.1.1", " ", " ", " "},
    };
    for (auto c : cases) {
        ApplyCentralLoginDefaults(logins, c.server, c.database, c.user, c.password);
        EXPECT_EQ(c.server, c.wantServer);
        EXPECT_EQ(c.database, c.wantDatabase) << c.wantServer;
        EXPECT_EQ(c.user, c.wantUser) << c.wantServer;
        EXPECT_EQ(c.password, c.wantPassword) << c.wantServer;
    }
}

TEST(ApplyCentralLoginDefaultsTest, EmptyResolverKeepsEveryServer) {
    const LoginResolver none;
    std::string server = "STORE-PC\\SQLEXPRESS", database, user, password;
    ApplyCentralLoginDefaults(none, server, database, user, password);
    EXPECT_EQ(server, "STORE-PC\\SQLEXPRESS");
    EXPECT_EQ(database, "NVMAIN");
    EXPECT_EQ(user, "sa");
    EXPECT_EQ(password, "zelk");
}

}  // namespace
}  // namespace db
