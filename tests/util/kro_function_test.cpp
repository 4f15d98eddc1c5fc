#include "util/kro_function.h"

#include <gtest/gtest.h>

#include "util/date_serial.h"
#include "util/host_fixture.h"

namespace util {
namespace {

TEST(NzTest, NormalisesByKind) {
    const Variant kDate = MakeDateTime({2020, 12, 21});
    static const struct {
        Variant value;
        int eqKind;
        Variant expected;
    } kCases[] = {
        // Not passed, Null, "" and blanks: 0, or "" with EQKind 1.
        {Variant(), 0, Variant(0)},
        {Variant(), 1, Variant("")},
        {Variant(), 2, Variant(0)},
        {Variant::MakeNull(), 0, Variant(0)},
        {Variant::MakeNull(), 1, Variant("")},
        {"", 0, Variant(0)},
        {"   ", 0, Variant(0)},
        {"   ", 1, Variant("")},
        {"   ", 3, Variant(0)},
        // Numeric text.
        {" 12 ", 0, Currency{120000}},
        {" 12 ", 1, Variant("12")},
        {" 12 ", 2, Variant(12.0)},
        {" 12 ", 3, Variant(12.0)},
        {"1,000", 0, Currency{10000000}},
        {"1,000", 2, Variant(1.0)},  // Val stops at the comma
        {"1,000", 3, Variant(1000.0)},
        // Non-numeric text comes back unchanged, blanks included, except with EQKind 1.
        {"  abc ", 0, Variant("  abc ")},
        {"  abc ", 1, Variant("abc")},
        {"12abc", 2, Variant("12abc")},
        // Numbers and booleans.
        {5, 0, Currency{50000}},
        {5, 1, Variant("5")},
        {1.5, 0, Currency{15000}},
        {Currency{15000}, 3, Variant(1.5)},
        {true, 0, Currency{-10000}},
        {0, 0, Currency{0}},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Kro_Function::Nz(c.value, c.eqKind), c.expected)
            << "'" << c.value.AsText() << "' EQKind " << c.eqKind;
    }
    EXPECT_EQ(Kro_Function::Nz(kDate), kDate);
    EXPECT_EQ(Kro_Function::Nz(kDate, 1), Variant("2020-12-21"));
}

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
