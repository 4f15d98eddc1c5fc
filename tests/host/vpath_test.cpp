#include "host/vpath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <optional>

#include "host/ascii_text.h"
#include "host/case_table.h"
#include "host/temp_folder.h"

namespace fs = std::filesystem;

namespace host {
namespace {

class PathMapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host_test::WriteBytes(Root() / "c" / "Quillon" / "Tessel.EXE", "x");
        host_test::WriteBytes(Root() / "c" / "Quillon" / "데이터" / "매장.mdb", "x");
        host_test::WriteBytes(Root() / "unc" / "Server1" / "Share" / "Data" / "a.mdb", "x");
    }
    const fs::path& Root() const { return temp_.Path(); }

    host_test::TempFolder temp_;
    PathMap map_{temp_.Path()};
};

TEST_F(PathMapTest, MapsDriveAndUncPathsExactSpellingFirstAndRefusesOtherTexts) {
    for (const host_test::CaseRow& c : host_test::LoadCaseTable("host/cases/paths.txt", "maps")) {
        SCOPED_TRACE(c.where);
        const std::optional<fs::path> native = map_.ToNative(c[0]);
        ASSERT_TRUE(native.has_value());
        EXPECT_EQ(*native, Root() / c[1]);
    }
    for (const host_test::CaseRow& c :
         host_test::LoadCaseTable("host/cases/paths.txt", "refused")) {
        EXPECT_FALSE(map_.ToNative(c[0]).has_value()) << c.where;
    }
    // The exact spelling wins over other cases.
    host_test::WriteBytes(Root() / "c" / "dup" / "File.txt", "1");
    host_test::WriteBytes(Root() / "c" / "dup" / "file.txt", "2");
    EXPECT_EQ(*map_.ToNative("C:\\dup\\file.txt"), Root() / "c/dup/file.txt");
    EXPECT_EQ(*map_.ToNative("C:\\dup\\File.txt"), Root() / "c/dup/File.txt");
    EXPECT_EQ(*map_.ToNative("C:\\dup\\FILE.TXT"), Root() / "c/dup/File.txt");  // first in order
}

TEST(EqualsNoCase, FoldsOnlyAsciiLetters) {
    EXPECT_TRUE(EqualsNoCase("NVConfig.INI", "nvconfig.ini"));
    EXPECT_TRUE(EqualsNoCase("데이터A", "데이터a"));
    EXPECT_FALSE(EqualsNoCase("데이터", "데이타"));
    EXPECT_FALSE(EqualsNoCase("[", "{"));  // 0x5B and 0x7B differ by the case bit only
    EXPECT_FALSE(EqualsNoCase("a", "ab"));
}

// Sets, or with nullptr clears, an environment variable until the end of the scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ResolveRoot, ExplicitRootThenEnvironmentThenHomeDefault) {
    host_test::TempFolder cli, env, home;
    const ScopedEnv rootVar("DATAPATCH_ROOT", env.Path().c_str());
    const ScopedEnv homeVar("HOME", home.Path().c_str());
    EXPECT_EQ(ResolveRoot(cli.Path()), cli.Path());
    EXPECT_EQ(ResolveRoot(std::nullopt), env.Path());
    {
        const ScopedEnv noRoot("DATAPATCH_ROOT", nullptr);
        const fs::path expected = home.Path() / ".local/share/datapatch/root";
        EXPECT_EQ(ResolveRoot(std::nullopt), expected);
        EXPECT_TRUE(fs::is_directory(expected));  // created on demand
    }
    // An explicit root, or one named by the environment, must be an existing folder; it is never
    // created, and the error names it.
    const fs::path missing = cli.Path() / "no-such-root";
    host_test::WriteBytes(cli.Path() / "plain-file", "x");
    for (const fs::path& bad : {missing, cli.Path() / "plain-file"}) {
        EXPECT_THAT([&] { ResolveRoot(bad); },
                    testing::ThrowsMessage<std::runtime_error>(testing::HasSubstr(bad.string())));
        const ScopedEnv badVar("DATAPATCH_ROOT", bad.c_str());
        EXPECT_THROW(ResolveRoot(std::nullopt), std::runtime_error);
    }
    EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace host
