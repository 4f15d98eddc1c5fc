#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "util/host_fixture.h"
#include "util/kro_function.h"

namespace util {
namespace {

using namespace std::chrono_literals;

class KroFunctionFileTest : public util_test::HostFixture {
  protected:
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

TEST_F(KroFunctionFileTest, FileWriteStrMakesTheFolderThenReplacesOrAppends) {
    Kro_Function f(host_);
    EXPECT_FALSE(f.FileWriteStr("C:\\New\\Sub\\x.ini", ""));  // no folder, none asked for
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\x.ini", "one", " C:\\New\\Sub "));
    // An existing folder is no reason to skip the write.
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\x.ini", "two", "C:\\New\\Sub"));
    EXPECT_EQ(Get("C:\\New\\Sub\\x.ini"), "two\r\n");
    EXPECT_TRUE(f.FileWriteStr("C:\\New\\Sub\\x.ini", "셋", "", true));
    EXPECT_EQ(Get("C:\\New\\Sub\\x.ini"), "two\r\n셋\r\n");
}

// Lines in the ANSI code page, whatever their line ends.
TEST_F(KroFunctionFileTest, FileLoadStrPutsLineKAtIndexK) {
    Put("C:\\In\\lines.txt", "first\r\n\xB0\xA1\xB3\xAA\nthird\r\rlast");  // "가나" in CP949
    Kro_Function f = Helper(1s);
    std::vector<std::string> lines = {"zero", "old1", "old2", "old3", "old4", "old5", "old6"};
    ASSERT_TRUE(f.FileLoadStr(lines, " C:\\In\\LINES.TXT "));
    EXPECT_EQ(lines, (std::vector<std::string>{"zero", "first", "가나", "third", "", "last"}));

    Put("C:\\In\\empty.txt", "");
    ASSERT_TRUE(f.FileLoadStr(lines, "C:\\In\\empty.txt"));
    EXPECT_EQ(lines, std::vector<std::string>{"zero"});
}

TEST_F(KroFunctionFileTest, FileLoadStrWaitsForAFileThatAppearsButNotForAMissingFolder) {
    Kro_Function f = Helper(10s, [this] { Finish("C:\\Wait\\out.txt", "done\r\n"); });
    std::vector<std::string> lines;
    EXPECT_FALSE(f.FileLoadStr(lines, "C:\\Wait\\out.txt"));
    EXPECT_FALSE(f.FileLoadStr(lines, "relative:bad"));
    EXPECT_EQ(yields_, 0);

    MakeFolder("C:\\Wait");
    EXPECT_TRUE(f.FileLoadStr(lines, "C:\\Wait\\out.txt"));
    EXPECT_EQ(lines, (std::vector<std::string>{"", "done"}));
    // One that never appears ends in the time-out and leaves the lines alone.
    Kro_Function impatient = Helper(20ms);
    lines = {"keep"};
    EXPECT_FALSE(impatient.FileLoadStr(lines, "C:\\Wait\\never.txt"));
    EXPECT_EQ(lines, std::vector<std::string>{"keep"});
}

TEST_F(KroFunctionFileTest, FileLoadStrWaitsForTheWriterToFinish) {
    Put("C:\\Wait\\out.txt", "partial\r\n\r\n");
    Kro_Function f = Helper(20ms);
    std::vector<std::string> lines;
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

TEST_F(KroFunctionFileTest, FileCopyAndMoveHonourChkOverWrite) {
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
