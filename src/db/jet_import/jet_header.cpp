#include "db/jet_import/jet_header.h"

#include <fstream>

namespace db::jet {
namespace {

constexpr std::size_t kSignatureAt = 4;
constexpr std::size_t kVersionAt = 0x14;
constexpr std::string_view kJetSignature{"Standard Jet DB\0", 16};
constexpr std::string_view kAceSignature{"Standard ACE DB\0", 16};

}  // namespace

JetKind KindOfHeader(std::string_view bytes) {
    if (bytes.size() <= kVersionAt) return JetKind::None;
    const std::string_view signature = bytes.substr(kSignatureAt, kJetSignature.size());
    const bool jet = signature == kJetSignature;
    if (!jet && signature != kAceSignature) return JetKind::None;
    const auto version = static_cast<unsigned char>(bytes[kVersionAt]);
    // An ACE signature always means ACE; Jet files written by Access 2007 and later keep the Jet
    // signature with a newer version byte.
    if (!jet || version >= 2) return JetKind::Ace;
    return version == 0 ? JetKind::Jet3 : JetKind::Jet4;
}

JetKind KindOfFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return JetKind::None;
    char buffer[kVersionAt + 1] = {};
    in.read(buffer, sizeof buffer);
    return KindOfHeader(std::string_view(buffer, static_cast<std::size_t>(in.gcount())));
}

std::string_view KindName(JetKind kind) {
    switch (kind) {
        case JetKind::Jet3:
            return "Jet3 (Access 97)";
        case JetKind::Jet4:
            return "Jet4 (Access 2000-2003)";
        case JetKind::Ace:
            return "ACE (Access 2007 or later)";
        case JetKind::None:
            break;
    }
    return "no Jet";
}

std::string RealJetFileMessage(const std::filesystem::path& path, JetKind kind) {
    const std::string file = path.string();
    const std::string name(KindName(kind));
    return "'" + file + "'은(는) " + name +
           " 데이터베이스 파일이라 그대로 열 수 없습니다. (The file '" + file + "' is a " + name +
           " database, which the program keeps in its own engine: import it once with "
           "`datapatch import-jet " +
           file +
           "` (add --force to put the store in this file's place; the Jet file is kept as "
           "a copy beside it).)";
}

}  // namespace db::jet
