#pragma once
// Real Jet and ACE database files (the store software's own MDB files before they were moved into
// the embedded engine) told apart by their first page, without any library: the file is opened for
// reading only and nothing is written beside it.
#include <filesystem>
#include <string>
#include <string_view>

namespace db::jet {

enum class JetKind { None, Jet3, Jet4, Ace };

// The kind that a file's first bytes name: "Standard Jet DB" or "Standard ACE DB" at offset 4 and
// the version byte at 0x14 (0 Jet3, 1 Jet4, 2 and later ACE).
JetKind KindOfHeader(std::string_view firstBytes);
// The kind of the file at path; None when it cannot be read or is no Jet file.
JetKind KindOfFile(const std::filesystem::path& path);

// "Jet3 (Access 97)", "Jet4 (Access 2000-2003)", "ACE (Access 2007 or later)".
std::string_view KindName(JetKind kind);

// What the embedded engine says when asked to open a real Jet file: its kind, its path and the
// command that moves it into the engine.
std::string RealJetFileMessage(const std::filesystem::path& path, JetKind kind);

}  // namespace db::jet
