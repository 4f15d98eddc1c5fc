#pragma once
// Hostile texts for the demo store: the text columns that the patch steps and the repairs read
// are given values a careless program mishandles (apostrophes, doubled apostrophes, brackets,
// LIKE's wildcards, NUL characters, texts as long as the column holds, characters outside code
// page 949, leading and trailing blanks, a statement hidden in a value). Each value is cut to
// what its column can hold, so that the database stays one the engines could have written. The
// store also gets rows whose keys differ only by trailing blanks and a value that a repair would
// make too long.
#include <string>
#include <vector>

#include "db/schema.h"
#include "demo/demo_environment.h"

namespace db {
class Session;
}
namespace host {
class Host;
}

namespace demo {

// A column that the run reads as text.
struct HostileColumn {
    const char* table;
    const char* column;
    int size = 0;                 // when above 0: texts are cut to this size too
    const char* spare = nullptr;  // rows this condition holds for keep their value
};

// The columns seeded in the store database, the drug reference and the standard-code file.
const std::vector<HostileColumn>& HostileStoreColumns();
const std::vector<HostileColumn>& HostileReferenceColumns();
const std::vector<HostileColumn>& HostileStandardCodeColumns();

// The hostile texts, uncut; the longest is 10,000 characters.
const std::vector<std::string>& HostileTexts();

// Gives every row of each column one of the hostile texts, in turn by row and column (rows whose
// rowid plus the column's place in the list give the same remainder share a text). Columns the
// table lacks are passed over. Returns the number of columns seeded. Throws db::DbError.
int SeedHostileColumns(db::Session& session, const std::vector<HostileColumn>& columns);

// Rows the hostile demo adds to the store beside the seeded texts: two products and two trading
// partners whose codes differ only by a trailing blank (the code and the code with " "; SQL
// Server's keys take the first of each pair only), their
// texts with blanks around, and a partner whose telephone number no longer fits its column once
// its area code is folded in.
inline constexpr const char* kTwinProductCode = "X1";
inline constexpr const char* kTwinPartnerCode = "X2";
inline constexpr const char* kLongPhonePartnerCode = "X3";

// The configuration table that another PC's row of CONFIGPC names in the hostile store: a
// statement hidden in a table name.
inline constexpr const char* kHostileConfigTable = "CONFIG;DELETE FROM 사용상품;--";

// Seeds the demo built on the host: the store database (its text columns, and another PC's row
// of CONFIGPC naming kHostileConfigTable, and the rows above), the drug reference and the
// standard-code file. Returns one line per database seeded. Throws db::DbError.
std::vector<std::string> SeedHostileDemo(host::Host& host, StoreKind kind);

}  // namespace demo
