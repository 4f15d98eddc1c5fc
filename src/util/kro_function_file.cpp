// Kro_Function: files and folders.
#include <fstream>

#include "host/codepage.h"
#include "host/file_io.h"
#include "util/kro_function.h"
#include "util/vb_text.h"

namespace util {
namespace fs = std::filesystem;

namespace {

// The file's text in UTF-8: kept as it is when it is UTF-8 (a byte-order mark dropped), read as
// the ANSI code page otherwise.
std::string DecodeText(std::string bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    if (host::IsValidUtf8(bytes)) return bytes;
    return host::Cp949ToUtf8Lossy(bytes);
}

// Lines ended by CR LF, LF or CR; a line end at the very end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

bool IsFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// The text before position `cut`; "" when there is no cut.
std::string Before(std::string_view s, std::size_t cut) {
    return cut == std::string_view::npos ? "" : std::string(s.substr(0, cut));
}

}  // namespace

bool Kro_Function::FileWriteStr(std::string_view FileName, std::string_view WriteString,
                                std::string_view MkDirName, bool AddMode) {
    if (!Trim(MkDirName).empty() && !DirMake_Auto(Trim(MkDirName))) return false;
    std::optional<fs::path> file = NativePath(FileName);
    if (!file) return false;
    if (host_.Preview()) {
        host_.Withhold((AddMode ? "append to " : "write ") + std::string(FileName));
        return true;
    }
    std::string line = std::string(WriteString) + "\r\n";
    if (!AddMode) return host::ReplaceFileAtomically(*file, line);
    std::ofstream out(*file, std::ios::binary | std::ios::app);
    out << line;
    out.close();
    return !out.fail();
}

bool Kro_Function::FileLoadStr(std::vector<std::string>& cAry, std::string_view FileName,
                               bool WaitingCreate) {
    const auto deadline = std::chrono::steady_clock::now() + options_.loadTimeout;
    const std::string name = Trim(FileName);
    for (;;) {
        // Mapped on every attempt: a file that appears later may be spelt in another case.
        std::optional<fs::path> file = NativePath(name);
        if (!file) return false;
        bool waiting = false;
        std::error_code ec;
        if (!fs::exists(*file, ec)) {
            // Only a missing file is waited for; a missing folder is an error at once.
            if (!IsFolder(file->parent_path())) return false;
            waiting = true;
        } else {
            std::optional<std::string> bytes = host::ReadWholeFile(*file);
            if (!bytes || !IsFile(*file)) return false;
            std::vector<std::string> lines = SplitLines(DecodeText(std::move(*bytes)));
            cAry.resize(lines.size() + 1);
            for (std::size_t k = 0; k < lines.size(); ++k) cAry[k + 1] = std::move(lines[k]);
            // An empty last line (or none at all) means the writer is still at work.
            waiting = WaitingCreate && (cAry.size() == 1 || cAry.back().empty());
        }
        if (!waiting) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Pause();
    }
}

bool Kro_Function::FileExist(std::string_view FileName) const {
    std::optional<fs::path> file = NativePath(FileName);
    if (!file || !IsFile(*file)) return false;
    std::ifstream in(*file, std::ios::binary);
    return in.is_open();
}

bool Kro_Function::FileCopy(std::string_view WonFilePathName, std::string_view NewFilePathName,
                            bool ChkOverWrite) {
    std::optional<fs::path> from = NativePath(WonFilePathName);
    std::optional<fs::path> to = NativePath(NewFilePathName);
    if (!from || !to || !IsFile(*from)) return false;
    std::error_code ec;
    if (fs::exists(*to, ec) && (ChkOverWrite || !IsFile(*to))) return false;
    if (fs::equivalent(*from, *to, ec)) return false;
    if (host_.Preview()) {
        host_.Withhold("copy " + std::string(WonFilePathName) + " to " +
                       std::string(NewFilePathName));
        return true;
    }
    return fs::copy_file(*from, *to, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool Kro_Function::FileMove(std::string_view Source, std::string_view Destination,
                            bool ChkOverWrite) {
    return FileCopy(Source, Destination, ChkOverWrite) && FileDelete(Source);
}

bool Kro_Function::FileDelete(std::string_view FileName) {
    std::optional<fs::path> file = NativePath(FileName);
    std::error_code ec;
    if (!file || IsFolder(*file)) return false;
    if (host_.Preview()) {
        if (!IsFile(*file)) return false;
        host_.Withhold("delete " + std::string(FileName));
        return true;
    }
    return fs::remove(*file, ec) && !ec;
}

bool Kro_Function::DirMake(std::string_view PATH) {
    std::optional<fs::path> dir = NativePath(PATH);
    if (!dir || !IsFolder(dir->parent_path())) return false;
    if (host_.Preview()) {
        if (!IsFolder(*dir)) host_.Withhold("make folder " + std::string(PATH));
        return true;
    }
    std::error_code ec;
    fs::create_directory(*dir, ec);
    return IsFolder(*dir);
}

bool Kro_Function::DirMake_Auto(std::string_view PATH) {
    std::optional<fs::path> dir = NativePath(PATH);
    if (!dir) return false;
    if (host_.Preview()) {
        if (!IsFolder(*dir)) host_.Withhold("make folder " + std::string(PATH));
        return true;
    }
    std::error_code ec;
    fs::create_directories(*dir, ec);
    return IsFolder(*dir);
}

bool Kro_Function::DirDelete(std::string_view PATH) {
    std::optional<fs::path> dir = NativePath(PATH);
    std::error_code ec;
    if (!dir || !IsFolder(*dir)) return false;
    if (host_.Preview()) {
        host_.Withhold("remove folder " + std::string(PATH));
        return true;
    }
    return fs::remove(*dir, ec) && !ec;
}

std::string Kro_Function::FileGetPath(std::string_view FileName) {
    return Before(FileName, FileName.rfind('\\'));
}

std::string Kro_Function::FileGetFileName(std::string_view FileName) {
    std::size_t cut = FileName.rfind('\\');
    return cut == std::string_view::npos ? "" : std::string(FileName.substr(cut + 1));
}

std::string Kro_Function::FileGetInSide확장자(std::string_view FileName) {
    std::size_t dot = FileName.rfind('.');
    std::size_t slash = FileName.rfind('\\');
    // A dot in a folder name ("C:\A.B\C") is no extension.
    if (dot != std::string_view::npos && slash != std::string_view::npos && dot < slash) return "";
    return Before(FileName, dot);
}

}  // namespace util
