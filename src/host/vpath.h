#pragma once
// Virtual Windows paths: "X:\a\b" lives at <root>/x/a/b and "\\server\share\a" at
// <root>/unc/server/share/a. Every component is looked up case-insensitively against what exists,
// so "Tessel.exe" and "Tessel.EXE" name the same file. ".." never climbs above the drive or share.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace host {

class PathMap {
  public:
    // `root` is made absolute; it is not required to exist here (see ResolveRoot).
    explicit PathMap(std::filesystem::path root);
    const std::filesystem::path& Root() const { return root_; }

    // nullopt for texts that are not a drive or UNC path (empty, relative, "C:foo"), that hold a
    // NUL character, or whose UNC server or share is missing. "\" and "/" both separate; "." is
    // skipped; trailing blanks and dots of a component are dropped, as Windows does. Each
    // component takes the spelling of the existing entry that matches it ignoring ASCII case
    // (an exact match wins; among several others the first in byte order); components with no
    // match, and all below them, are used as given so that new files can be created.
    std::optional<std::filesystem::path> ToNative(std::string_view windowsPath) const;

    // The folder that holds the files of a drive letter: <root>/<letter in lower case>.
    std::filesystem::path DriveFolder(char letter) const;

  private:
    std::filesystem::path root_;
};

// The environment variable that names the root.
inline constexpr std::string_view kRootVariable = "DATAPATCH_ROOT";

// The root chosen by --root, then DATAPATCH_ROOT, then ~/.local/share/datapatch/root (created when
// missing). Throws std::runtime_error naming the path when an explicitly chosen root does not
// exist or is not a folder, or the default cannot be created.
std::filesystem::path ResolveRoot(const std::optional<std::filesystem::path>& cliRoot);

}  // namespace host
