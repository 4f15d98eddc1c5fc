// GetPrivateProfileString / WritePrivateProfileString on real files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

    host_test::TempFolder temp_;
};

TEST_F(ProfileFileTest, ReadsWithinTheSizeOrGiveTheDefault) {
    const std::string longValue(400, 'x');
    host_test::WriteBytes(
        File(), Utf8ToCp949("[S]\r\nAscii=abcdef\r\nHangul=가나다\r\nLong=" + longValue + "\r\n"));
    for (const host_test::CaseRow& c :
         host_test::LoadCaseTable("host/cases/profile.txt", "sizes")) {
        EXPECT_EQ(GetPrivateProfileString("s", c[0], "", std::stoi(c[1]), File()), c[2]) << c.where;
    }
    EXPECT_EQ(GetPrivateProfileString("s", "Long", "", 300, File()), std::string(254, 'x'));
    EXPECT_EQ(GetPrivateProfileString("s", "Long", "", 10, File()), std::string(9, 'x'));

    // A missing key, or file, gives the default.
    host_test::WriteBytes(File(), "[S]\r\nK=\"quoted value\"\r\nE=\r\nNoEquals\r\n");
    EXPECT_EQ(GetPrivateProfileString("S", "K", "d", 255, File()), "quoted value");
    EXPECT_EQ(GetPrivateProfileString("S", "E", "d", 255, File()), "");  // present but empty
    EXPECT_EQ(GetPrivateProfileString("S", "NoEquals", "d", 255, File()), "d");
    EXPECT_EQ(GetPrivateProfileString("S", "Missing", "default  ", 255, File()), "default");
    EXPECT_EQ(GetPrivateProfileString("S", "Missing", "default", 4, File()), "def");
    EXPECT_EQ(GetPrivateProfileString("S", "K", "d", 255, File("missing.ini")), "d");
    EXPECT_EQ(GetPrivateProfileString("S", "K", "d", 255, temp_.Path()), "d");  // a folder
}

// Each row writes a key into a file of a fresh folder, which holds nothing else afterwards: no
// temporary file, no folder made.
TEST(WritePrivateProfileString, ChangesOnlyTheKeysLineInCp949) {
    for (const auto& c : host_test::LoadCaseTable("host/cases/profile.txt", "writes")) {
        SCOPED_TRACE(c.where);
        host_test::TempFolder temp;
        const fs::path file = temp.Path() / c[0];
        if (c[1] != "none") host_test::WriteBytes(file, Utf8ToCp949(c[1]));
        EXPECT_EQ(WritePrivateProfileString(c[2], c[3], c[4], file), c[5] == "true");
        EXPECT_EQ(fs::exists(file) ? Cp949ToUtf8(host_test::ReadBytes(file)) : "none", c[6]);
        const auto entries = fs::recursive_directory_iterator(temp.Path());
        EXPECT_EQ(std::distance(begin(entries), end(entries)), fs::exists(file) ? 1 : 0);
    }
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

TEST_F(ProfileFileTest, ReadOnlyFileOrFolderIsNotWrittenAndLinksAreFollowed) {
    host_test::WriteBytes(File(), "[S]\r\nK=old\r\n");
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

    // A writable file keeps its permissions, and a symbolic link is followed.
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

// A writer killed before its rename leaves its temporary file beside the file; the next write
// removes those of writers that are gone, and leaves a running writer's and other names alone.
TEST(FileIo, AWriteRemovesTheTemporaryFilesOfWritersThatAreGone) {
    host_test::TempFolder temp;
    const fs::path file = temp.Path() / "NVConfig.INI";
    host_test::WriteBytes(file, "[A]\r\n");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const auto beside = [&](const std::string& name) {
        host_test::WriteBytes(temp.Path() / name, "half");
        return temp.Path() / name;
    };
    const fs::path abandoned = beside(".NVConfig.INI." + std::to_string(gone) + ".77.tmp");
    const fs::path running = beside(".NVConfig.INI." + std::to_string(::getpid()) + ".78.tmp");
    const fs::path init = beside(".NVConfig.INI.1.79.tmp");
    const fs::path other = beside(".QLPRIM.INI." + std::to_string(gone) + ".80.tmp");

    ASSERT_TRUE(ReplaceFileAtomically(file, "[B]\r\n"));
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(init));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_EQ(ReadWholeFile(file), "[B]\r\n");
}

}  // namespace
}  // namespace host
