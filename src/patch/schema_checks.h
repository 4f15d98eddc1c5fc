#pragma once
// The catalogue's existence checks. Both work on the connection they are given, which the
// runner takes from StoreConnection at the moment of the call, so they follow the pass.
#include <string>

#include "db/connection.h"

namespace patch {

// True when the connection's table list holds the table: a row matches when its name and the
// asked name agree upper-cased, or agree lower-cased. Errors of the list reach the caller.
bool TableExists(db::ConnectionRef& cn, const std::string& table);

// True when the table has a column of exactly that name (letter case counts). A missing table
// raises DbError 3265 (item not found) to the caller.
bool FieldExists(db::ConnectionRef& cn, const std::string& table, const std::string& column);

}  // namespace patch
