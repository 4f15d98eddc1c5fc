#include "host/profile.h"

#include <iterator>

#include "host/ascii_text.h"
#include "host/codepage.h"
#include "host/vpath.h"

namespace host {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kLineBreaking("\r\n\0", 3);
constexpr std::string_view kDefaultLineEnd = "\r\n";

std::string_view Trimmed(std::string_view text) {
    return Trim(text, kBlanks);
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\'')) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool HasNonAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

bool FitsOneLine(std::string_view text) {
    return text.find_first_of(kLineBreaking) == std::string_view::npos && IsValidUtf8(text);
}

bool IsWritableEntry(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view name = Trimmed(key);
    return FitsOneLine(section) && FitsOneLine(key) && FitsOneLine(value) &&
           section.find(']') == std::string_view::npos && !name.empty() &&
           name.find('=') == std::string_view::npos && name.front() != ';' && name.front() != '[';
}

struct SplitResult {
    std::string_view line;  // without its end
    std::string_view end;   // "\r\n", "\n" or ""
};

// Takes the first line off `text`.
SplitResult SplitLine(std::string_view& text) {
    const std::size_t newline = text.find('\n');
    SplitResult result{text.substr(0, newline), {}};
    if (newline == std::string_view::npos) {
        text = {};
        return result;
    }
    result.end = "\n";
    if (result.line.ends_with('\r')) {
        result.line.remove_suffix(1);
        result.end = "\r\n";
    }
    text.remove_prefix(newline + 1);
    return result;
}

}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
    ProfileDocument doc;
    doc.byteOrderMark_ = bytes.starts_with(kByteOrderMark);
    if (doc.byteOrderMark_) bytes.remove_prefix(kByteOrderMark.size());
    doc.encoding_ = (doc.byteOrderMark_ || (HasNonAscii(bytes) && IsValidUtf8(bytes)))
                        ? Encoding::Utf8
                        : Encoding::Cp949;
    // Decoded in one pass. Line feeds survive decoding one for one (no CP949 character holds the
    // byte 0x0A and a malformed byte becomes one private-use code point), so the two splits stay
    // in step.
    const std::string decoded =
        doc.encoding_ == Encoding::Utf8 ? std::string() : Cp949ToUtf8Reversible(bytes);
    std::string_view text = doc.encoding_ == Encoding::Utf8 ? bytes : std::string_view(decoded);
    while (!bytes.empty()) {
        const auto [raw, end] = SplitLine(bytes);
        const auto [utf8, utf8End] = SplitLine(text);
        doc.lines_.push_back(doc.MakeLine(std::string(raw), std::string(end), utf8));
    }
    return doc;
}

ProfileDocument ProfileDocument::Parse(std::istream& in) {
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return Parse(bytes);
}

ProfileDocument::Line ProfileDocument::MakeLine(std::string raw, std::string end) const {
    const std::string text = encoding_ == Encoding::Utf8 ? raw : Cp949ToUtf8Reversible(raw);
    return MakeLine(std::move(raw), std::move(end), text);
}

ProfileDocument::Line ProfileDocument::MakeLine(std::string raw, std::string end,
                                                std::string_view text) const {
    Line line;
    line.raw = std::move(raw);
    line.end = std::move(end);
    const std::string_view trimmed = Trimmed(text);
    if (trimmed.starts_with('[')) {
        const std::size_t close = trimmed.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = Trimmed(trimmed.substr(1, close - 1));
            return line;
        }
    }
    const std::size_t equals = trimmed.find('=');
    if (trimmed.starts_with(';') || equals == std::string_view::npos) return line;
    line.kind = LineKind::Entry;
    line.name = Trimmed(trimmed.substr(0, equals));
    line.value = Trimmed(trimmed.substr(equals + 1));
    return line;
}

std::string ProfileDocument::Encode(std::string_view utf8) const {
    return encoding_ == Encoding::Utf8 ? std::string(utf8) : Utf8ToCp949(utf8);
}

std::string ProfileDocument::NewLineEnd() const {
    for (const Line& line : lines_) {
        if (!line.end.empty()) return line.end;
    }
    return std::string(kDefaultLineEnd);
}

std::optional<ProfileDocument::Range> ProfileDocument::FindSection(std::string_view section) const {
    const std::string_view wanted = Trimmed(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != LineKind::Section || !EqualsNoCase(lines_[i].name, wanted)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines_.size() && lines_[end].kind != LineKind::Section) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileDocument::FindKey(const Range& range,
                                                    std::string_view key) const {
    const std::string_view wanted = Trimmed(key);
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (lines_[i].kind == LineKind::Entry && EqualsNoCase(lines_[i].name, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

void ProfileDocument::Insert(std::size_t at, std::string_view utf8) {
    const std::string lineEnd = NewLineEnd();
    Line line = MakeLine(Encode(utf8), lineEnd);
    if (at == lines_.size() && !lines_.empty() && lines_.back().end.empty()) {
        // The file ends without a line end; the added line takes over that trait.
        lines_.back().end = lineEnd;
        line.end.clear();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::optional<std::string> ProfileDocument::Get(std::string_view section,
                                                std::string_view key) const {
    const std::optional<Range> range = FindSection(section);
    if (!range) return std::nullopt;
    const std::optional<std::size_t> index = FindKey(*range, key);
    if (!index) return std::nullopt;
    return lines_[*index].value;
}

bool ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsWritableEntry(section, key, value)) return false;
    const std::string entry = std::string(Trimmed(key)) + "=" + std::string(value);
    const std::optional<Range> range = FindSection(section);
    if (!range) {
        Insert(lines_.size(), "[" + std::string(Trimmed(section)) + "]");
        Insert(lines_.size(), entry);
        return true;
    }
    if (const std::optional<std::size_t> index = FindKey(*range, key)) {
        Line& line = lines_[*index];
        // A value written back as it was read leaves the line as it is, byte for byte.
        // (The profile read takes one pair of quotes off, so a quoted value counts as unquoted.)
        const std::string_view wanted = Trimmed(value);
        if (line.value == wanted || Unquoted(line.value) == wanted) return true;
        // Keep the key as spelt in the file and the blanks between "=" and the value.
        std::size_t keep = line.raw.find('=') + 1;
        while (keep < line.raw.size() && (line.raw[keep] == ' ' || line.raw[keep] == '\t')) ++keep;
        line = MakeLine(line.raw.substr(0, keep) + Encode(value), line.end);
        return true;
    }
    std::size_t at = range->header + 1;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (lines_[i].kind == LineKind::Entry) at = i + 1;
    }
    Insert(at, entry);
    return true;
}

bool ProfileDocument::Remove(std::string_view section, std::string_view key) {
    const std::optional<Range> range = FindSection(section);
    if (!range) return false;
    const std::optional<std::size_t> index = FindKey(*range, key);
    if (!index) return false;
    if (lines_[*index].end.empty() && *index > 0) lines_[*index - 1].end.clear();
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*index));
    return true;
}

std::vector<std::string> ProfileDocument::Sections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind != LineKind::Section) continue;
        bool seen = false;
        for (const std::string& name : names) seen = seen || EqualsNoCase(name, line.name);
        if (!seen) names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> ProfileDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const std::optional<Range> range = FindSection(section);
    if (!range) return keys;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (lines_[i].kind == LineKind::Entry) keys.push_back(lines_[i].name);
    }
    return keys;
}

std::string ProfileDocument::Serialize() const {
    std::string bytes = byteOrderMark_ ? std::string(kByteOrderMark) : std::string();
    for (const Line& line : lines_) {
        bytes += line.raw;
        bytes += line.end;
    }
    return bytes;
}

}  // namespace host
