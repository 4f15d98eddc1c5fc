#pragma once
// PdtLocation, one row per product location, filled from the comma-separated 상품위치 texts of
// live products and of the package barcodes of live products. Both work on StoreConnection.
// Locations are stored as written between the commas, blanks kept; every value is quoted.
namespace config {
class Runtime;
}

namespace repairs {

// Stores the first location of each record (바코드코드 Null for a product's own location; 줄번호
// left Null) and shows the progress in PB2. Ends silently, after one yield, on an error.
// True when it went through; false when an error ended it.
bool BuildProductLocations(config::Runtime& runtime);

// Empties PdtLocation and stores every location (바코드코드 "" for a product's own location,
// 줄번호 0); the location first in its text gets 위치대표 1, the others 0. Statements that fail
// are skipped; a query that cannot run ends the routine with the repair error report.
// True when it went through; false when an error ended it (after the report).
bool RebuildProductLocations(config::Runtime& runtime);

}  // namespace repairs
