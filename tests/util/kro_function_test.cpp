#include <gtest/gtest.h>
#include <filesystem>
#include <functional>

#include "fixtures/host_root.h"
#include "host/net_drives.h"
#include "util/kro_function.h"

namespace util {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A Host on a fresh temporary root per test, with helpers that place files on its drives.
class KroFunctionTest : public ::testing::Test, public fixtures::HostRoot {
  protected:
    void MakeFolder(std::string_view windowsPath) {
        std::filesystem::create_directories(Native(windowsPath));
    }
    // A program that writes its arguments, one a line, beside itself and ends with code 3.
    void PutProgram(std::string_view windowsPath) {
        Put(windowsPath, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.out\"\nexit 3\n");
        fs::permissions(Native(windowsPath), fs::perms::owner_all, fs::perm_options::add);
    }
    // A helper whose waits are short and counted; `onFirstYield` plays the writer of the file
    // being waited for.
    Kro_Function Helper(std::chrono::milliseconds timeout,
                        std::function<void()> onFirstYield = nullptr) {
        KroFunctionOptions options;
        options.yield = [this, onFirstYield] {
            if (++yields_ == 1 && onFirstYield) onFirstYield();
        };
        options.loadTimeout = timeout;
        options.loadRetryInterval = 1ms;
        return Kro_Function(host_, options);
    }
    // Writes the file whole, as a writer that renames its finished temporary into place.
    void Finish(std::string_view windowsPath, const std::string& bytes) {
        const std::filesystem::path target = Native(windowsPath);
        host_test::WriteBytes(target.parent_path() / "tmp", bytes);
        std::filesystem::rename(target.parent_path() / "tmp", target);
    }

    int yields_ = 0;
};

// The current folder is a Windows path, shared by the helpers of one state, and relative paths
// are taken from it.
TEST_F(KroFunctionTest, CurrentFolderIsAVirtualPath) {
    MakeFolder("C:\\Data\\Sub");
    KroFunctionState state;
    KroFunctionOptions options;
    options.state = &state;
    Kro_Function f(host_, options);
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Quillon");

    EXPECT_TRUE(f.SetCurrentDir("C:\\Data\\"));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Data");
    EXPECT_TRUE(f.FileWriteStr("a.txt", "x"));
    EXPECT_EQ(Get("C:\\Data\\a.txt"), "x\r\n");
    EXPECT_TRUE(f.FileExist("..\\Data\\A.TXT"));
    EXPECT_TRUE(f.SetCurrentDir("sub"));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Data\\sub");
    EXPECT_EQ(Kro_Function(host_, options).GetCurrentDir(), "C:\\Data\\sub");
    EXPECT_EQ(Kro_Function(host_).GetCurrentDir(), "C:\\Quillon");  // a helper of its own
    EXPECT_TRUE(f.SetCurrentDir(".."));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\Data");
    EXPECT_TRUE(f.SetCurrentDir("\\"));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\");

    EXPECT_FALSE(f.SetCurrentDir("C:\\Missing"));
    EXPECT_FALSE(f.SetCurrentDir(Variant::MakeNull()));
    EXPECT_EQ(f.GetCurrentDir(), "C:\\");
    EXPECT_FALSE(f.NativePath("C:relative").has_value());
    EXPECT_FALSE(f.NativePath("").has_value());
}

TEST_F(KroFunctionTest, FileLoadStrWaitsForAFileThatAppearsButNotForAMissingFolder) {
    Kro_Function f = Helper(10s, [this] { Finish("C:\\Wait\\out.txt", "done\r\n"); });
    std::vector<std::string> lines;
    EXPECT_FALSE(f.FileLoadStr(lines, "C:\\Wait\\out.txt"));
    EXPECT_FALSE(f.FileLoadStr(lines, "relative:bad"));
    EXPECT_EQ(yields_, 0);

    MakeFolder("C:\\Wait");
    EXPECT_TRUE(f.FileLoadStr(lines, "C:\\Wait\\out.txt"));
    EXPECT_EQ(lines, (std::vector<std::string>{"", "done"}));
}

// Lines in the ANSI code page, whatever their line ends; line K at index K.
TEST_F(KroFunctionTest, FileLoadStrReadsTheLinesAndWaitsForTheWriterToFinish) {
    Put("C:\\In\\lines.txt", "first\r\n\xB0\xA1\xB3\xAA\nthird\r\rlast");  // "가나" in CP949
    Kro_Function f = Helper(20ms);
    std::vector<std::string> lines = {"zero", "old1", "old2", "old3", "old4", "old5", "old6"};
    ASSERT_TRUE(f.FileLoadStr(lines, " C:\\In\\LINES.TXT "));
    EXPECT_EQ(lines, (std::vector<std::string>{"zero", "first", "가나", "third", "", "last"}));
    Put("C:\\In\\empty.txt", "");
    ASSERT_TRUE(f.FileLoadStr(lines, "C:\\In\\empty.txt"));
    EXPECT_EQ(lines, std::vector<std::string>{"zero"});
    // One that never appears ends in the time-out and leaves the lines alone.
    lines = {"keep"};
    EXPECT_FALSE(f.FileLoadStr(lines, "C:\\In\\never.txt"));
    EXPECT_EQ(lines, std::vector<std::string>{"keep"});

    Put("C:\\Wait\\out.txt", "partial\r\n\r\n");
    lines.clear();
    // Without WaitingCreate an empty last line is just a line.
    ASSERT_TRUE(f.FileLoadStr(lines, "C:\\Wait\\out.txt"));
    EXPECT_EQ(lines, (std::vector<std::string>{"", "partial", ""}));
    // With it, a writer that never finishes ends in the time-out.
    EXPECT_FALSE(f.FileLoadStr(lines, "C:\\Wait\\out.txt", true));

    yields_ = 0;
    Kro_Function patient =
        Helper(10s, [this] { Finish("C:\\Wait\\out.txt", "partial\r\nrest\r\n"); });
    EXPECT_TRUE(patient.FileLoadStr(lines, "C:\\Wait\\out.txt", true));
    EXPECT_EQ(lines, (std::vector<std::string>{"", "partial", "rest"}));
}

TEST_F(KroFunctionTest, FilesAreCopiedMovedAndDeletedAndFoldersMadeAndRemoved) {
    Put("C:\\Src\\a.ini", "new");
    Put("C:\\Dst\\a.ini", "old");
    Kro_Function f(host_);
    EXPECT_FALSE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst\\a.ini", true));
    EXPECT_FALSE(f.FileMove("C:\\Src\\a.ini", "C:\\Dst\\a.ini", true));
    EXPECT_EQ(Get("C:\\Dst\\a.ini"), "old");
    EXPECT_TRUE(f.FileExist("c:\\src\\A.INI"));  // the failed move kept the source
    EXPECT_FALSE(f.FileExist("C:\\Src"));        // a folder is no file
    EXPECT_TRUE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst\\a.ini", false));
    EXPECT_EQ(Get("C:\\Dst\\a.ini"), "new");
    EXPECT_TRUE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst\\b.ini", true));
    EXPECT_FALSE(f.FileCopy("C:\\Src\\missing.ini", "C:\\Dst\\c.ini", false));
    EXPECT_FALSE(f.FileCopy("C:\\Src\\a.ini", "C:\\Src\\A.INI", false));  // onto itself
    EXPECT_FALSE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst", false));         // onto a folder
    EXPECT_EQ(Get("C:\\Src\\a.ini"), "new");
    EXPECT_TRUE(f.FileMove("C:\\Src\\a.ini", "C:\\Dst\\m.ini", false));
    EXPECT_FALSE(f.FileExist("C:\\Src\\a.ini"));
    EXPECT_EQ(Get("C:\\Dst\\m.ini"), "new");

    // FileWriteStr makes the folder it is given, then replaces or appends.
    EXPECT_FALSE(f.FileWriteStr("C:\\New\\Sub\\x.ini", ""));  // no folder, none asked for
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\x.ini", "one", " C:\\New\\Sub "));
    // An existing folder is no reason to skip the write.
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\x.ini", "two", "C:\\New\\Sub"));
    EXPECT_EQ(Get("C:\\New\\Sub\\x.ini"), "two\r\n");
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\x.ini", "셋", "", true));
    EXPECT_EQ(Get("C:\\New\\Sub\\x.ini"), "two\r\n셋\r\n");

    // Folders are made one level at a time (or all at once) and removed when empty.
    MakeFolder("C:\\Base");
    EXPECT_FALSE(f.DirMake("C:\\Base\\x\\y"));  // one level only
    EXPECT_TRUE(f.DirMake("C:\\Base\\x"));
    EXPECT_TRUE(f.DirMake("C:\\Base\\x"));  // there already
    EXPECT_TRUE(f.DirMake_Auto("C:\\Base\\p\\q\\r"));
    EXPECT_TRUE(std::filesystem::is_directory(Native("C:\\Base\\p\\q\\r")));

    Put("C:\\Base\\x\\file.txt", "x");
    EXPECT_FALSE(f.DirDelete("C:\\Base\\x"));   // not empty
    EXPECT_FALSE(f.FileDelete("C:\\Base\\x"));  // a folder is no file
    EXPECT_TRUE(f.FileDelete("C:\\Base\\x\\file.txt"));
    EXPECT_FALSE(f.FileDelete("C:\\Base\\x\\file.txt"));
    EXPECT_TRUE(f.DirDelete("C:\\Base\\x"));
    EXPECT_FALSE(f.DirDelete("C:\\Base\\x"));
}

TEST_F(KroFunctionTest, ProgramsStartWithTheirCommandLineSplitOrDoNotStart) {
    PutProgram("C:\\Quillon\\Tool.sh");
    int yields = 0;
    Kro_Function f(host_, [&yields] { ++yields; });
    host::SpawnResult r = f.FileOpenEXEWait(R"(C:\Quillon\tool.sh /Mds "a b" c\"d)");
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(Get("C:\\Quillon\\Tool.sh.out"), "/Mds\na b\nc\"d\n");
    // A bare name is found in the current folder; not waited for: no yield.
    EXPECT_TRUE(f.FileOpenEXEWait("Tool.sh", true).started);
    EXPECT_EQ(yields, 1);
    EXPECT_TRUE(f.FileOpenEXE(" C:\\Quillon\\Tool.sh "));

    EXPECT_FALSE(f.FileOpenEXEWait("   ").started);
    EXPECT_FALSE(f.FileOpenEXEWait("C:\\Quillon\\missing.exe /x").started);
    EXPECT_FALSE(f.FileOpenEXE("C:\\Quillon\\missing.exe"));
}

TEST_F(KroFunctionTest, NetDirConTakesTheFirstFreeLetter) {
    MakeFolder("\\\\srv\\data");
    MakeFolder("\\\\srv\\other");
    MakeFolder("E:\\");  // a local drive: in use
    KroFunctionState state;
    KroFunctionOptions options;
    options.state = &state;
    Kro_Function f(host_, options);

    EXPECT_EQ(f.NetDirCon("pw", "user", "\\\\srv\\data"), "D:");
    EXPECT_EQ(host_.Drives().Get('D'), "\\\\srv\\data");
    // Connected already: the same letter again, no second mapping.
    EXPECT_EQ(f.NetDirCon("pw", "user", "\\\\SRV\\Data\\"), "D:");
    EXPECT_EQ(host_.Drives().Get('F'), "");

    EXPECT_EQ(f.NetDirCon("", "", "\\\\srv\\other"), "F:");
    EXPECT_EQ(state.netDriveLetter, "F:");

    // A share that does not exist stops the search at once.
    EXPECT_EQ(f.NetDirCon("", "", "\\\\srv\\missing"), "");
    EXPECT_EQ(host_.Drives().Get('G'), "");
    EXPECT_EQ(state.netDriveLetter, "F:");

    // Another helper on the same state drops the last connection.
    Kro_Function(host_, options).NetDirDisCon();
    EXPECT_EQ(host_.Drives().Get('F'), "");
    EXPECT_EQ(host_.Drives().Get('D'), "\\\\srv\\data");
    // A helper of its own has no connection to drop.
    Kro_Function(host_).NetDirDisCon();
    EXPECT_EQ(host_.Drives().Get('D'), "\\\\srv\\data");
}

}  // namespace
}  // namespace util
