#include "db/central_login.h"

#include <gtest/gtest.h>

#include "db/embedded/case_file.h"
#include "db/login_resolver.h"
#include "host/profile.h"

namespace db {
namespace {

constexpr std::string_view kLogins =
    "[STORE-PC\\SQLEXPRESS]\r\nAddress=192.168.0.10\r\nPassword=s3cret\r\n"
    "[HQ]\r\nAddress=hq.example\r\nPassword=\r\n";

// The logins of tables/central_logins.txt.
TEST(ApplyCentralLoginDefaultsTest, CompletesEveryLogin) {
    const LoginResolver logins(host::ProfileDocument::Parse(kLogins));
    for (const auto& block : embedded::testing::LoadBlocks("tables/central_logins.txt")) {
        std::string login[4];
        for (int i = 0; i < 4; ++i) login[i] = block.at(i).second;
        ApplyCentralLoginDefaults(logins, login[0], login[1], login[2], login[3]);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(login[i], block.at(i + 4).second) << block[0].second << " " << block[i].first;
        }
    }
}

}  // namespace
}  // namespace db
