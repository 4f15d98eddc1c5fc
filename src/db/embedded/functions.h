#pragma once
// SQL functions that the translator maps to and SQLite lacks. They are registered on every
// connection and never stored in the schema, so the files stay readable without them.
#include <sqlite3.h>

namespace db::embedded {

// dp_left(text, n), dp_right(text, n): the first or last n characters (not bytes) of text.
// Throws DbError when SQLite refuses a registration.
void RegisterFunctions(sqlite3* db);

}  // namespace db::embedded
