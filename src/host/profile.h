#pragma once
// Private-profile (INI) files with the semantics of GetPrivateProfileStringA and
// WritePrivateProfileStringA: section and key names match case-insensitively, values are
// trimmed, a missing file reads as empty, writing keeps every other line, comment and the order
// of the file and creates file and section as needed.
//
// Encoding: the store software reads these files through the ANSI functions, so they are CP949.
// A file is taken as UTF-8 only when it starts with a UTF-8 byte-order mark or holds non-ASCII
// bytes that are all valid UTF-8; everything else (ASCII-only, CP949, binary junk, a new file)
// is CP949. Lines are kept as the bytes read, so a written file differs from the one read only in
// the line that was written (plus the new line or section when one had to be added), and those
// are written in the file's own encoding. Characters that CP949 cannot hold become '?'. Bytes of a
// CP949 file that are no CP949 character read as private-use code points and are written back as
// the same bytes (see Cp949ToUtf8Reversible), so a value read and written again keeps its bytes.
//
// Line ends: every line keeps its own; added lines take the end of the file's first line, or
// CR LF when the file has none.
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// An INI document held as its lines, so that writing changes only what it must.
class ProfileDocument {
  public:
    enum class Encoding { Utf8, Cp949 };

    static ProfileDocument Parse(std::string_view bytes);  // detects the encoding; never fails
    static ProfileDocument Parse(std::istream& in);

    // The value of the first matching key in the first matching section, trimmed of blanks; names
    // are given in UTF-8 and compared ignoring ASCII case. Lines before the first section, lines
    // without "=" and comment lines (";") hold no keys.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the value of the key's line (keeping its name and the blanks before the value; a
    // value equal to the one there, blanks and one pair of quotes around it aside, leaves the line
    // untouched),
    // or adds "key=value" after the last entry of the section, or appends the section with the
    // key at the end. False, and the document unchanged, for texts that cannot be written into
    // an INI line: CR, LF or NUL anywhere, invalid UTF-8, "]" in the section, an empty key or one
    // that holds "=" or starts with ";" or "[".
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key's line; false when there was none.
    bool Remove(std::string_view section, std::string_view key);

    std::vector<std::string> Sections() const;  // in file order, each name once
    std::vector<std::string> Keys(std::string_view section) const;

    Encoding SourceEncoding() const { return encoding_; }
    // The document as bytes in its source encoding.
    std::string Serialize() const;

  private:
    enum class LineKind { Other, Section, Entry };
    struct Line {
        std::string raw;  // bytes as in the file, without the line end
        std::string end;  // "\r\n", "\n", or "" for a last line without one
        LineKind kind = LineKind::Other;
        std::string name;   // UTF-8, trimmed: the section name or the key
        std::string value;  // UTF-8, trimmed (entries only)
    };
    struct Range {
        std::size_t header;  // index of the section line
        std::size_t end;     // one past the section's last line
    };

    Line MakeLine(std::string raw, std::string end) const;
    Line MakeLine(std::string raw, std::string end, std::string_view utf8) const;
    std::string Encode(std::string_view utf8) const;
    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;
    void Insert(std::size_t at, std::string_view utf8);
    std::string NewLineEnd() const;

    Encoding encoding_ = Encoding::Cp949;
    bool byteOrderMark_ = false;
    std::vector<Line> lines_;
};

// The document in a file; an empty document when the file is missing or unreadable.
ProfileDocument LoadProfileFile(const std::filesystem::path& file);

// Loads the file, applies `change` and, when it returns true, writes the result back atomically
// (see ReplaceFileAtomically). False when the change refused, the file exists but cannot be
// read, or it cannot be written (read-only file or folder, missing folder). The folder is not
// created.
bool UpdateProfileFile(const std::filesystem::path& file,
                       const std::function<bool(ProfileDocument&)>& change);

// GetPrivateProfileStringA: `size` counts the terminating NUL (size 2 yields at most one
// byte; sizes above 255 are held to 255; bytes counted in CP949 and never splitting a
// character). One pair of matching quotes around the value is removed. Returns `def`, cut to the
// same size, when the key or the file is missing.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, int size,
                                    const std::filesystem::path& file);
// The same read on a document loaded once, for a caller that reads many keys of one file.
std::string GetProfileString(const ProfileDocument& doc, std::string_view section,
                             std::string_view key, std::string_view def, int size);
// WritePrivateProfileStringA; false when the file cannot be written or the texts cannot be put
// into an INI line (see ProfileDocument::Set).
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::filesystem::path& file);

}  // namespace host
