#include "util/kro_function.h"

#include <thread>

#include "util/vb_text.h"

namespace util {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasDrive(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' &&
           ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

bool IsUnc(std::string_view p) {
    return p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1]);
}

// The part of an absolute path that ".." cannot climb above: "C:" or "\\server\share".
std::size_t AnchorLength(std::string_view p) {
    if (!IsUnc(p)) return 2;
    std::size_t share = p.find_first_of("\\/", 2);
    if (share == std::string_view::npos) return p.size();
    std::size_t end = p.find_first_of("\\/", share + 1);
    return end == std::string_view::npos ? p.size() : end;
}

// Rebuilds an absolute Windows path with "\" separators and "." and ".." resolved.
std::string Normalise(std::string_view p) {
    std::size_t anchorLen = AnchorLength(p);
    std::string out(p.substr(0, anchorLen));
    for (char& c : out)
        if (c == '/') c = '\\';
    std::vector<std::string_view> parts;
    std::string_view rest = p.substr(anchorLen);
    while (!rest.empty()) {
        std::size_t cut = rest.find_first_of("\\/");
        std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty()) return out + "\\";
    for (std::string_view part : parts) out.append("\\").append(part);
    return out;
}

}  // namespace

Kro_Function::Kro_Function(host::Host& host, std::function<void()> yield)
    : Kro_Function(host, KroFunctionOptions{std::move(yield)}) {}

Kro_Function::Kro_Function(host::Host& host, KroFunctionOptions options)
    : host_(host), options_(std::move(options)) {
    if (options_.state == nullptr) ownState_ = std::make_unique<KroFunctionState>();
    state_ = options_.state != nullptr ? options_.state : ownState_.get();
}

Variant Kro_Function::Nz(const Variant& Value, int EQKind) {
    const Variant blank = EQKind == 1 ? Variant(std::string()) : Variant(0);
    if (Value.IsEmpty() || Value.IsNull()) return blank;
    std::string text = Value.AsText();
    std::string trimmed = Trim(text);
    if (trimmed.empty()) return blank;
    if (EQKind == 1) return Variant(std::move(trimmed));
    if (Value.IsNumeric()) {
        if (EQKind == 2) return Variant(Val(text));
        if (EQKind == 3) return Variant(Value.AsDouble());
        return Variant(Value.AsCurrency());
    }
    return Value;
}

std::optional<std::string> Kro_Function::FullPath(std::string_view windowsPath) const {
    if (windowsPath.empty()) return std::nullopt;
    if (IsUnc(windowsPath) ||
        (HasDrive(windowsPath) && windowsPath.size() > 2 && IsSeparator(windowsPath[2])))
        return Normalise(windowsPath);
    if (HasDrive(windowsPath)) return std::nullopt;  // "C:name": a drive's own current folder
    std::string current = GetCurrentDir();
    if (IsSeparator(windowsPath[0]))
        return Normalise(current.substr(0, AnchorLength(current)) + std::string(windowsPath));
    return Normalise(current + "\\" + std::string(windowsPath));
}

std::optional<std::filesystem::path> Kro_Function::NativePath(std::string_view windowsPath) const {
    std::optional<std::string> full = FullPath(windowsPath);
    if (!full) return std::nullopt;
    return host_.Native(*full);
}

bool Kro_Function::SetCurrentDir(const Variant& sPath) {
    std::optional<std::string> full = FullPath(Trim(sPath.AsText()));
    std::error_code ec;
    if (!full) return false;
    std::optional<std::filesystem::path> native = host_.Native(*full);
    if (!native || !std::filesystem::is_directory(*native, ec)) return false;
    // A drive's root keeps its backslash ("C:\"); any other folder is written without one.
    if (full->size() > 3 && full->back() == '\\') full->pop_back();
    State().currentDir = *full;
    return true;
}

std::string Kro_Function::GetCurrentDir() const {
    const std::string& dir = State().currentDir;
    return Trim(dir.empty() ? host_.ProgramFolder() : dir);
}

std::string Kro_Function::SysDir() const {
    return host_.SystemFolder();
}
std::string Kro_Function::SysWinDir() const {
    return host_.WindowsFolder();
}
std::string Kro_Function::SysComName() const {
    return host_.ComputerName();
}
std::string Kro_Function::SysUserName() const {
    return host_.UserName();
}

void Kro_Function::SleepX(int xSecond) {
    if (xSecond > 0) std::this_thread::sleep_for(std::chrono::milliseconds(xSecond * 100L));
}

std::int16_t Kro_Function::ChkSwitchTuFa(std::int16_t cValue) {
    return static_cast<std::int16_t>((cValue + 1) % 2);
}

void Kro_Function::Pause() {
    if (options_.yield) options_.yield();
    std::this_thread::sleep_for(options_.loadRetryInterval);
}

}  // namespace util
