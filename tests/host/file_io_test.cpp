#include "host/file_io.h"

#include <gtest/gtest.h>

#include "host/temp_folder.h"

namespace fs = std::filesystem;

namespace host {
namespace {

TEST(ReplaceFileAtomically, RefusesWhatCannotBeReplaced) {
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
}

TEST(ReadWholeFile, MissingFileOrFolderGivesNothing) {
    host_test::TempFolder temp;
    EXPECT_FALSE(ReadWholeFile(temp.Path() / "missing").has_value());
    EXPECT_FALSE(ReadWholeFile(temp.Path()).has_value());
}

}  // namespace
}  // namespace host
