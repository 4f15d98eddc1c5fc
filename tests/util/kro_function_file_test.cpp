#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "util/host_fixture.h"
#include "util/kro_function.h"

namespace util {
namespace {

using namespace std::chrono_literals;

TEST(FileNamePartsTest, SplitAtTheLastSeparator) {
    static const struct {
        const char* name;
        const char* path;
        const char* fileName;
        const char* withoutExtension;
    } kCases[] = {
        {"C:\\A\\B.TXT", "C:\\A", "B.TXT", "C:\\A\\B"},
        {"C:\\A\\B.tar.gz", "C:\\A", "B.tar.gz", "C:\\A\\B.tar"},
        {"C:\\A.B\\C", "C:\\A.B", "C", ""},
        {"B.TXT", "", "", "B"},
        {"NoSeparator", "", "", ""},
        {"C:\\A\\", "C:\\A", "", ""},
        {"", "", "", ""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Kro_Function::FileGetPath(c.name), c.path) << c.name;
        EXPECT_EQ(Kro_Function::FileGetFileName(c.name), c.fileName) << c.name;
        EXPECT_EQ(Kro_Function::FileGetInSide확장자(c.name), c.withoutExtension) << c.name;
    }
}

class KroFunctionFileTest : public util_test::HostFixture {
  protected:
    // A helper whose waits are short and counted.
    Kro_Function Helper(std::chrono::milliseconds timeout) {
        KroFunctionOptions options;
        options.yield = [this] { ++yields_; };
        options.loadTimeout = timeout;
        options.loadRetryInterval = 10ms;
        return Kro_Function(host_, options);
    }

    std::atomic<int> yields_ = 0;
};

TEST_F(KroFunctionFileTest, FileWriteStrReplacesOrAppends) {
    Kro_Function f(host_);
    MakeFolder("C:\\Out");
    EXPECT_TRUE(f.FileWriteStr("C:\\Out\\log.txt", "one"));
    EXPECT_TRUE(f.FileWriteStr("C:\\Out\\log.txt", "two"));
    EXPECT_EQ(Get("C:\\Out\\log.txt"), "two\r\n");
    EXPECT_TRUE(f.FileWriteStr("C:\\Out\\log.txt", "셋", "", true));
    EXPECT_EQ(Get("C:\\Out\\log.txt"), "two\r\n셋\r\n");
}

TEST_F(KroFunctionFileTest, FileWriteStrMakesTheFolderFirst) {
    Kro_Function f(host_);
    EXPECT_FALSE(f.FileWriteStr("C:\\New\\Sub\\x.ini", ""));  // no folder, none asked for
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\x.ini", "", " C:\\New\\Sub "));
    EXPECT_EQ(Get("C:\\New\\Sub\\x.ini"), "\r\n");
    // An existing folder is no reason to skip the write.
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\y.ini", "y", "C:\\New\\Sub"));
    EXPECT_EQ(Get("C:\\New\\Sub\\y.ini"), "y\r\n");
}

TEST_F(KroFunctionFileTest, FileLoadStrPutsLineKAtIndexK) {
    Put("C:\\In\\lines.txt", "first\r\nsecond\nthird\r\rlast");
    Kro_Function f = Helper(1s);
    std::vector<std::string> lines = {"zero", "old1", "old2", "old3", "old4", "old5", "old6"};
    ASSERT_TRUE(f.FileLoadStr(lines, " C:\\In\\LINES.TXT "));
    EXPECT_EQ(lines, (std::vector<std::string>{"zero", "first", "second", "third", "", "last"}));

    Put("C:\\In\\empty.txt", "");
    ASSERT_TRUE(f.FileLoadStr(lines, "C:\\In\\empty.txt"));
    EXPECT_EQ(lines, std::vector<std::string>{"zero"});
}

TEST_F(KroFunctionFileTest, FileLoadStrReadsTheAnsiCodePage) {
    Put("C:\\In\\ansi.txt", "\xB0\xA1\xB3\xAA\r\nabc\r\n");  // "가나" in CP949
    Kro_Function f = Helper(1s);
    std::vector<std::string> lines;
    ASSERT_TRUE(f.FileLoadStr(lines, "C:\\In\\ansi.txt"));
    EXPECT_EQ(lines, (std::vector<std::string>{"", "가나", "abc"}));
}

TEST_F(KroFunctionFileTest, FileLoadStrWaitsForAFileThatAppears) {
    MakeFolder("C:\\Wait");
    const std::filesystem::path target = Native("C:\\Wait\\out.txt");
    std::thread writer([target] {
        std::this_thread::sleep_for(200ms);
        host_test::WriteBytes(target.parent_path() / "tmp", "done\r\n");
        std::filesystem::rename(target.parent_path() / "tmp", target);
    });
    Kro_Function f = Helper(10s);
    std::vector<std::string> lines;
    bool loaded = f.FileLoadStr(lines, "C:\\Wait\\out.txt");
    writer.join();
    EXPECT_TRUE(loaded);
    EXPECT_EQ(lines, (std::vector<std::string>{"", "done"}));
    EXPECT_GT(yields_, 0);
}

TEST_F(KroFunctionFileTest, FileLoadStrGivesUpOnAFileThatNeverAppears) {
    MakeFolder("C:\\Wait");
    Kro_Function f = Helper(100ms);
    std::vector<std::string> lines = {"keep"};
    EXPECT_FALSE(f.FileLoadStr(lines, "C:\\Wait\\never.txt"));
    EXPECT_EQ(lines, std::vector<std::string>{"keep"});
    EXPECT_GT(yields_, 0);
}

TEST_F(KroFunctionFileTest, FileLoadStrDoesNotWaitForAMissingFolder) {
    Kro_Function f = Helper(10s);
    std::vector<std::string> lines;
    EXPECT_FALSE(f.FileLoadStr(lines, "C:\\NoFolder\\out.txt"));
    EXPECT_FALSE(f.FileLoadStr(lines, "relative:bad"));
    EXPECT_EQ(yields_, 0);
}

TEST_F(KroFunctionFileTest, FileLoadStrWaitsForTheWriterToFinish) {
    Put("C:\\Wait\\out.txt", "partial\r\n\r\n");
    Kro_Function f = Helper(100ms);
    std::vector<std::string> lines;
    // Without WaitingCreate an empty last line is just a line.
    ASSERT_TRUE(f.FileLoadStr(lines, "C:\\Wait\\out.txt"));
    EXPECT_EQ(lines, (std::vector<std::string>{"", "partial", ""}));
    // With it, a writer that never finishes ends in the time-out.
    EXPECT_FALSE(f.FileLoadStr(lines, "C:\\Wait\\out.txt", true));

    const std::filesystem::path target = Native("C:\\Wait\\out.txt");
    std::thread writer([target] {
        std::this_thread::sleep_for(200ms);
        host_test::WriteBytes(target.parent_path() / "tmp", "partial\r\nrest\r\n");
        std::filesystem::rename(target.parent_path() / "tmp", target);
    });
    Kro_Function patient = Helper(10s);
    bool loaded = patient.FileLoadStr(lines, "C:\\Wait\\out.txt", true);
    writer.join();
    EXPECT_TRUE(loaded);
    EXPECT_EQ(lines, (std::vector<std::string>{"", "partial", "rest"}));
}

TEST_F(KroFunctionFileTest, FileExistOnlyForReadableFiles) {
    Put("C:\\A\\B.TXT", "x");
    Kro_Function f(host_);
    EXPECT_TRUE(f.FileExist("C:\\A\\B.TXT"));
    EXPECT_TRUE(f.FileExist("c:\\a\\b.txt"));
    EXPECT_FALSE(f.FileExist("C:\\A"));
    EXPECT_FALSE(f.FileExist("C:\\A\\C.TXT"));
}

TEST_F(KroFunctionFileTest, FileCopyHonoursChkOverWrite) {
    Put("C:\\Src\\a.ini", "new");
    Put("C:\\Dst\\a.ini", "old");
    Kro_Function f(host_);
    EXPECT_FALSE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst\\a.ini", true));
    EXPECT_EQ(Get("C:\\Dst\\a.ini"), "old");
    EXPECT_TRUE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst\\a.ini", false));
    EXPECT_EQ(Get("C:\\Dst\\a.ini"), "new");
    EXPECT_TRUE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst\\b.ini", true));
    EXPECT_FALSE(f.FileCopy("C:\\Src\\missing.ini", "C:\\Dst\\c.ini", false));
    EXPECT_FALSE(f.FileCopy("C:\\Src\\a.ini", "C:\\Src\\A.INI", false));  // onto itself
    EXPECT_FALSE(f.FileCopy("C:\\Src\\a.ini", "C:\\Dst", false));         // onto a folder
    EXPECT_EQ(Get("C:\\Src\\a.ini"), "new");
}

TEST_F(KroFunctionFileTest, FileMoveKeepsTheSourceWhenTheCopyFails) {
    Put("C:\\Src\\a.ini", "a");
    Put("C:\\Dst\\a.ini", "old");
    Kro_Function f(host_);
    EXPECT_FALSE(f.FileMove("C:\\Src\\a.ini", "C:\\Dst\\a.ini", true));
    EXPECT_TRUE(f.FileExist("C:\\Src\\a.ini"));
    EXPECT_TRUE(f.FileMove("C:\\Src\\a.ini", "C:\\Dst\\a.ini", false));
    EXPECT_FALSE(f.FileExist("C:\\Src\\a.ini"));
    EXPECT_EQ(Get("C:\\Dst\\a.ini"), "a");
}

TEST_F(KroFunctionFileTest, FoldersAreMadeAndRemoved) {
    Kro_Function f(host_);
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

}  // namespace
}  // namespace util
