#include "util/kro_function.h"

#include <gtest/gtest.h>

#include "util/host_fixture.h"

namespace util {
namespace {

class KroFunctionHostTest : public util_test::HostFixture {};

TEST_F(KroFunctionHostTest, CurrentFolderIsAVirtualPath) {
    MakeFolder("C:\\Data\\Sub");
    Kro_Function f(host_);
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Quillon");

    EXPECT_TRUE(f.SetCurrentDir("C:\\Data\\"));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Data");
    EXPECT_TRUE(f.SetCurrentDir("sub"));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Data\\sub");
    EXPECT_TRUE(f.SetCurrentDir(".."));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Data");
    EXPECT_TRUE(f.SetCurrentDir("\\"));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\");

    EXPECT_FALSE(f.SetCurrentDir("C:\\Missing"));
    EXPECT_FALSE(f.SetCurrentDir(Variant::MakeNull()));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\");
}

TEST_F(KroFunctionHostTest, RelativePathsAreTakenFromTheCurrentFolder) {
    MakeFolder("C:\\Data");
    Kro_Function f(host_);
    ASSERT_TRUE(f.SetCurrentDir("C:\\Data"));
    EXPECT_TRUE(f.FileWriteStr("a.txt", "x"));
    EXPECT_EQ(Get("C:\\Data\\a.txt"), "x\r\n");
    EXPECT_TRUE(f.FileExist("..\\Data\\A.TXT"));
    EXPECT_FALSE(f.NativePath("C:relative").has_value());
    EXPECT_FALSE(f.NativePath("").has_value());
}

TEST_F(KroFunctionHostTest, HelpersSharingAStateShareTheCurrentFolder) {
    MakeFolder("D:\\Work");
    KroFunctionState state;
    KroFunctionOptions options;
    options.state = &state;
    Kro_Function first(host_, options);
    Kro_Function second(host_, options);
    ASSERT_TRUE(first.SetCurrentDir("D:\\Work"));
    EXPECT_EQ(second.GetCurrentDir(), "D:\\Work");
    EXPECT_EQ(Kro_Function(host_).GetCurrentDir(), "C:\\Quillon");  // a helper of its own
}

}  // namespace
}  // namespace util
