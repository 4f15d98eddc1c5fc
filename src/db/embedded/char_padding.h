#pragma once
// CHAR(n) and NCHAR(n) of the server kind hold their values padded with blanks to n (ANSI_PADDING
// is on for every connection the store software makes, and the setting does not reach NCHAR):
// 'A' in a CHAR(3) is stored 'A  '. The comparisons ignore the blanks (text_order.h); whoever
// reads the value gets them. The embedded engine keeps a column padded by two triggers, after
// INSERT and after UPDATE of the column, which pad a shorter value in place; so every write pads,
// whichever statement or routine makes it. CHAR counts bytes of code page 949 as its length check
// does (a Hangul syllable takes two), NCHAR characters. Jet pads nothing.
#include <sqlite3.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/type_map.h"

namespace db::embedded {

struct FixedText {
    int size = 0;
    bool bytes = false;  // CHAR: the size counts bytes of the code page; NCHAR: characters
};

// The fixed size of a CHAR(n) or NCHAR(n) column of the server kind; nullopt for other types and
// for Jet.
std::optional<FixedText> FixedTextOf(const DeclaredType& type, Dialect dialect);

// The statements that make the column's triggers (replacing any it had).
std::vector<std::string> PaddingTriggers(std::string_view table, std::string_view column,
                                         FixedText fixed);
// The statement that pads the values the column holds already.
std::string PadValues(std::string_view table, std::string_view column, FixedText fixed);
// The statements that remove the column's triggers, before the column goes.
std::vector<std::string> DropPadding(std::string_view table, std::string_view column);

// After a table is made anew (a rebuild drops its triggers): every fixed-size text column gets
// its triggers back and its values padded. Throws DbError.
void PadTable(sqlite3* db, const std::string& table);

}  // namespace db::embedded
