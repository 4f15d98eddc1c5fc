#pragma once
// The rows of the old-layout store database (old_store_layout.h): a small pharmacy whose data
// carries the leftovers that the catalogue's data repairs correct.
#include <string>
#include <vector>

#include "db/session.h"

namespace demo {

// INSERT statements for the tables of the layout in the dialect (rows of the MDB edition's own
// tables only for Jet).
std::vector<std::string> OldStoreRows(db::Dialect dialect);

}  // namespace demo
