#pragma once
// The store database's catalogue: the steps with marks 1 to 127 in their running order. The
// rows live in two files, one per half; StoreCatalogue joins them once and keeps the result.
#include "patch/step.h"

namespace patch {

// Marks 1 to 60: additions and corrections that every database receives.
Catalogue CatalogueMarks001To060();
// Marks 61 to 127: later releases, with the date-gated one-time migrations.
Catalogue CatalogueMarks061To127();

// Both halves in order; built on the first call, unchanged afterwards.
const Catalogue& StoreCatalogue();

}  // namespace patch
