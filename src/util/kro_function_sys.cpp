// Kro_Function: starting programs and network drives.
#include "host/ascii_text.h"
#include "host/net_drives.h"
#include "host/vpath.h"
#include "util/command_line.h"
#include "util/kro_function.h"
#include "util/vb_text.h"

namespace util {
namespace {

constexpr char kFirstNetLetter = 'D';
constexpr char kLastNetLetter = 'Z';
constexpr int kMaxConnectFailures = 5;

std::string LetterText(char letter) {
    return std::string(1, letter) + ":";
}

// UNC paths compare without regard to ASCII case or trailing separators.
bool SameShare(std::string_view a, std::string_view b) {
    auto strip = [](std::string_view s) {
        while (s.size() > 2 && (s.back() == '\\' || s.back() == '/')) s.remove_suffix(1);
        return s;
    };
    return host::EqualsNoCase(strip(a), strip(b));
}

}  // namespace

bool Kro_Function::FileOpenEXE(std::string_view xPath) {
    std::optional<std::string> program = FullPath(Trim(xPath));
    return program && host_.Start(*program, {}, false).started;
}

host::SpawnResult Kro_Function::FileOpenEXEWait(std::string_view RunCommand, bool bNotWait) {
    std::vector<std::string> parts = SplitCommandLine(RunCommand);
    std::optional<std::string> program = parts.empty() ? std::nullopt : FullPath(parts.front());
    if (!program) {
        host::SpawnResult none;
        none.error = "no program in the command line";
        return none;
    }
    std::vector<std::string> args(parts.begin() + 1, parts.end());
    host::SpawnResult result = host_.Start(*program, args, !bNotWait);
    if (!bNotWait && options_.yield) options_.yield();
    return result;
}

void Kro_Function::SysProcessKill(std::string_view /*xExePath*/) {}

std::string Kro_Function::NetDirCon(std::string_view strPass, std::string_view strUser,
                                    std::string_view strNetDir) {
    host::NetworkDrives& drives = host_.Drives();
    // A folder that is connected already keeps its letter, so that repeated starts do not use up
    // one remembered letter each.
    for (char letter = kFirstNetLetter; letter <= kLastNetLetter; ++letter) {
        std::string remote;
        if (drives.GetConnection(letter, remote) == host::net_result::kOk &&
            SameShare(remote, strNetDir)) {
            State().netDriveLetter = LetterText(letter);
            return State().netDriveLetter;
        }
    }
    int failures = 0;
    for (char letter = kFirstNetLetter; letter <= kLastNetLetter; ++letter) {
        if (drives.DriveInUse(letter)) continue;
        drives.Cancel(letter);  // a remembered connection of a letter that is not in use
        int rc = drives.Add(letter, strNetDir, strUser, strPass);
        if (rc == host::net_result::kOk) {
            State().netDriveLetter = LetterText(letter);
            return State().netDriveLetter;
        }
        if (rc == host::net_result::kBadNetName || ++failures >= kMaxConnectFailures) break;
    }
    return "";
}

void Kro_Function::NetDirDisCon() {
    const std::string& letter = State().netDriveLetter;
    if (letter.empty()) return;
    host_.Drives().Cancel(letter[0]);
}

}  // namespace util
