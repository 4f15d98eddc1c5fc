#pragma once
// Whether a text fits a column as the engines count it, and the text cut to fit: national
// columns (NVARCHAR, NCHAR, NTEXT) count characters; the others count bytes of code page 949,
// two for each character past ASCII. Unsized columns take any text.
#include <string>
#include <string_view>

#include "db/schema.h"

namespace db {

bool TextFits(std::string_view text, const ColumnInfo& column);
// The text without as many whole characters from its end as it takes to fit.
std::string FitText(std::string_view text, const ColumnInfo& column);

}  // namespace db
