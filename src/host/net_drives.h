#pragma once
// Network drives: a table of drive letters mapped to UNC paths, kept in the settings store
// (section "NetworkDrives", key the upper-case letter, value the UNC path), in place of the
// Windows connection calls. A share "exists" when its folder exists under <root>/unc. No
// credentials are checked or kept: the shares are folders of the virtual root.
#include <optional>
#include <string>
#include <string_view>

namespace host {

class PathMap;
class SettingsStore;

// Result codes of the connection calls, as the Windows calls return them.
namespace net_result {
inline constexpr int kOk = 0;
inline constexpr int kBadNetName = 67;           // the share does not exist
inline constexpr int kAlreadyAssigned = 85;      // the letter is in use
inline constexpr int kBadDevice = 1200;          // not a drive letter
inline constexpr int kCannotOpenProfile = 1205;  // the table could not be written
inline constexpr int kNotConnected = 2250;       // the letter is not mapped
}  // namespace net_result

class NetworkDrives {
  public:
    // `store` and `paths` must outlive this object.
    NetworkDrives(SettingsStore& store, const PathMap& paths);

    // True when the letter is mapped or a local drive folder <root>/<letter> exists.
    bool DriveInUse(char letter) const;
    // Maps the letter to a UNC path ("\\server\share[\folder]"). `user` and `password` are
    // accepted for the callers' sake and ignored.
    int Add(char letter, std::string_view unc, std::string_view user, std::string_view password);
    // Drops the letter's mapping: kOk, or kNotConnected when it was not mapped.
    int Cancel(char letter);
    // The UNC path of a mapped letter; empty when it is not mapped.
    std::string Get(char letter) const;
    // kOk with `remote` set for a mapped letter; kNotConnected, or kBadDevice for a text that is
    // not a letter.
    int GetConnection(char letter, std::string& remote) const;
    // The path with its mapped drive letter replaced by the UNC path ("Z:\a" -> "\\srv\sh\a");
    // nullopt when the path does not start with a mapped letter.
    std::optional<std::string> Redirect(std::string_view windowsPath) const;

  private:
    SettingsStore& store_;
    const PathMap& paths_;
};

}  // namespace host
