// GetPrivateProfileString / WritePrivateProfileString on real files.
#include <gtest/gtest.h>

#include "host/case_table.h"
#include "host/codepage.h"
#include "host/file_io.h"
#include "host/profile.h"
#include "host/temp_folder.h"

namespace fs = std::filesystem;

namespace host {
namespace {

class ProfileFileTest : public ::testing::Test {
  protected:
    fs::path File(std::string_view name = "NVConfig.INI") const { return temp_.Path() / name; }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp_.Path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    host_test::TempFolder temp_;
};

TEST_F(ProfileFileTest, SizeCountsTheTerminatingNulAndIsHeldTo255) {
    const std::string longValue(400, 'x');
    host_test::WriteBytes(
        File(), Utf8ToCp949("[S]\r\nAscii=abcdef\r\nHangul=가나다\r\nLong=" + longValue + "\r\n"));
    for (const host_test::CaseRow& c :
         host_test::LoadCaseTable("host/cases/profile.txt", "sizes")) {
        EXPECT_EQ(GetPrivateProfileString("s", c[0], "", std::stoi(c[1]), File()), c[2]) << c.where;
    }
    EXPECT_EQ(GetPrivateProfileString("s", "Long", "", 300, File()), std::string(254, 'x'));
    EXPECT_EQ(GetPrivateProfileString("s", "Long", "", 10, File()), std::string(9, 'x'));
}

TEST_F(ProfileFileTest, MissingKeyOrFileGivesTheDefault) {
    host_test::WriteBytes(File(), "[S]\r\nK=\"quoted value\"\r\nE=\r\nNoEquals\r\n");
    EXPECT_EQ(GetPrivateProfileString("S", "K", "d", 255, File()), "quoted value");
    EXPECT_EQ(GetPrivateProfileString("S", "E", "d", 255, File()), "");  // present but empty
    EXPECT_EQ(GetPrivateProfileString("S", "NoEquals", "d", 255, File()), "d");
    EXPECT_EQ(GetPrivateProfileString("S", "Missing", "default  ", 255, File()), "default");
    EXPECT_EQ(GetPrivateProfileString("S", "Missing", "default", 4, File()), "def");
    EXPECT_EQ(GetPrivateProfileString("S", "K", "d", 255, File("missing.ini")), "d");
    EXPECT_EQ(GetPrivateProfileString("S", "K", "d", 255, temp_.Path()), "d");  // a folder
}

TEST_F(ProfileFileTest, WritingOneKeyChangesOnlyItsLineInACp949File) {
    const std::string original = Utf8ToCp949(
        ";하로나 환경 설정\r\n"
        "[기타관리]\r\n"
        "데이터_종류=0000000001\r\n"
        "  ; 주석\r\n"
        "[DATA]\r\n"
        "m_MDBPath = C:\\Quillon\\매장.mdb\r\n"
        "m_MDECCHK=\r\n");
    host_test::WriteBytes(File(), original);
    ASSERT_TRUE(WritePrivateProfileString("data", "M_MDBPATH", "D:\\데이터\\매장.mdb", File()));
    std::string expected = original;
    const std::string oldPath = Utf8ToCp949("C:\\Quillon\\매장.mdb");
    expected.replace(expected.find(oldPath), oldPath.size(), Utf8ToCp949("D:\\데이터\\매장.mdb"));
    EXPECT_EQ(host_test::ReadBytes(File()), expected);
    EXPECT_EQ(GetPrivateProfileString("DATA", "m_MDBPath", "", 255, File()),
              "D:\\데이터\\매장.mdb");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"NVConfig.INI"});  // no temporary left
}

// What the program reads and writes back keeps its bytes: bytes that are no CP949 character
// (a password, a line nobody reads), and a value written back as it was read.
TEST_F(ProfileFileTest, AValueWrittenBackAsReadKeepsItsBytes) {
    const std::string original = "[S]\r\nPass=p\xFFw\x80\xA2\xE8!\r\nQuoted = \"a b\"   \r\n";
    for (const auto& c : host_test::LoadCaseTable("host/cases/profile.txt", "written back")) {
        host_test::WriteBytes(File(), original);
        const std::string value = GetPrivateProfileString("S", c[0], "", 255, File());
        ASSERT_TRUE(WritePrivateProfileString("S", c[1], value, File())) << c.where;
        EXPECT_EQ(host_test::ReadBytes(File()), original + c[2]) << c.where;
    }
}

TEST_F(ProfileFileTest, WriteCreatesTheFileInCp949ButNotItsFolder) {
    ASSERT_TRUE(WritePrivateProfileString("기타관리", "데이터_종류", "0000000003", File()));
    EXPECT_EQ(host_test::ReadBytes(File()),
              Utf8ToCp949("[기타관리]\r\n데이터_종류=0000000003\r\n"));
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "V", temp_.Path() / "no-folder" / "x.ini"));
    EXPECT_FALSE(fs::exists(temp_.Path() / "no-folder"));
}

TEST_F(ProfileFileTest, RefusedTextOrReadOnlyFileOrFolderIsNotWritten) {
    host_test::WriteBytes(File(), "[S]\r\nK=old\r\n");
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "a\r\n[T]\r\nX=y", File()));  // refused text
    fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "new", File()));
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "old", File()));  // even when unchanged
    EXPECT_EQ(host_test::ReadBytes(File()), "[S]\r\nK=old\r\n");

    const fs::path folder = temp_.Path() / "locked";
    fs::create_directories(folder);
    host_test::WriteBytes(folder / "a.ini", "[S]\r\nK=old\r\n");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "new", folder / "a.ini"));
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "new", folder / "b.ini"));
    EXPECT_EQ(host_test::ReadBytes(folder / "a.ini"), "[S]\r\nK=old\r\n");
}

TEST_F(ProfileFileTest, WriteKeepsPermissionsAndFollowsSymbolicLinks) {
    host_test::WriteBytes(File("real.ini"), "[S]\nK=1\n");
    fs::permissions(File("real.ini"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.ini", File("link.ini"));
    ASSERT_TRUE(WritePrivateProfileString("S", "K", "2", File("link.ini")));
    EXPECT_TRUE(fs::is_symlink(File("link.ini")));
    EXPECT_EQ(host_test::ReadBytes(File("real.ini")), "[S]\nK=2\n");
    EXPECT_EQ(fs::status(File("real.ini")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(FileIo, RefusesWhatCannotBeReplacedAndReadsOnlyFiles) {
    host_test::TempFolder temp;
    const fs::path readOnly = temp.Path() / "ro.ini";
    host_test::WriteBytes(readOnly, "old");
    fs::permissions(readOnly, fs::perms::owner_read);
    fs::create_directories(temp.Path() / "folder");
    const fs::path cases[] = {readOnly, temp.Path() / "folder", temp.Path() / "missing" / "a.ini"};
    for (const fs::path& target : cases) {
        EXPECT_FALSE(ReplaceFileAtomically(target, "new")) << target;
    }
    EXPECT_EQ(ReadWholeFile(readOnly), "old");
    EXPECT_TRUE(IsReadOnly(readOnly));
    EXPECT_FALSE(IsReadOnly(temp.Path() / "missing"));
    EXPECT_FALSE(ReadWholeFile(temp.Path() / "missing").has_value());
    EXPECT_FALSE(ReadWholeFile(temp.Path()).has_value());
}

}  // namespace
}  // namespace host
