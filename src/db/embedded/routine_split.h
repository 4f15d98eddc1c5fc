#pragma once
// The record splitter of the store software's parameter texts (FN_SPLIT_nth): records, each
// followed by "$"; within a record, fields, each followed by "#". A pure function of its text.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace db::embedded {

inline constexpr std::size_t kSplitFields = 100;       // fields kept per record
inline constexpr std::size_t kSplitFieldLength = 500;  // characters kept per field
inline constexpr std::size_t kSplitTextLength = 8000;  // characters of the text read

using SplitRecord = std::array<std::string, kSplitFields>;

// text cut to at most count characters (UTF-8).
std::string_view FirstCharacters(std::string_view text, std::size_t count);

// The records of text, in order. A rest of blanks only counts as empty (the server compares
// texts without their trailing blanks), so it starts no record and no field; an unterminated
// last record or field is a record or field all the same. Fields past the 100th are dropped,
// fields and the text are cut to their declared lengths (in characters of UTF-8 text).
std::vector<SplitRecord> SplitParameterText(std::string_view text);

}  // namespace db::embedded
