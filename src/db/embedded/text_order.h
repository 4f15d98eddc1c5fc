#pragma once
// How the server kind orders and compares texts. Its collations (Korean_Wansung_CI_AS and the
// like) ignore letter case, and '=', '<' and the rest compare texts as if the shorter were padded
// with blanks, so that 'C09' = 'C09 '; LIKE is the exception and matches the pattern as written.
// The text columns of the embedded engine are made COLLATE NOCASE; on a connection of the server
// kind NOCASE is replaced by this comparison, so files made by earlier versions compare as the
// server does too, and the indexes made with NOCASE keep serving it.
#include <sqlite3.h>

#include <string_view>

namespace db::embedded {

// <0, 0 or >0 as a precedes, equals or follows b: the texts without their trailing blanks, letters
// A to Z taken as a to z, compared byte by byte (UTF-8 orders by code point). Texts equal here
// are equal to the server; the order differs from the server's padded one only where a control
// character follows the shorter text. Leaving the blanks out keeps every text that starts with a
// prefix between the prefix and its successor, which SQLite's LIKE optimization relies on.
int CompareServerText(std::string_view a, std::string_view b);

// Replaces NOCASE on the connection by CompareServerText. Throws DbError.
void RegisterServerCollation(sqlite3* db);

}  // namespace db::embedded
