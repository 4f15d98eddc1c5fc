#pragma once
// Reference data for prescription drugs (products with 조제약여부 = 1): the prices, names and
// classes of the central drug reference table, and the standard codes of the local reference file
// SimStdCd.MDB.
#include <string>

namespace config {
class Runtime;
}

namespace repairs {

// Rewrites every live prescription drug from its reference row valid today in DBF심평원약 of the
// central server (the server named in [Central] of the login-resolution file, database
// DB_NVMAIN, on a connection of its own), then the prices of its live packages. The progress
// window's stop flag ends it after the current drug. "총 N건의 조제약 중 M건 갱신완료." (N
// visited, M updated); empty text when it ends early (no drug: a message box; an error: the repair
// error report). Updates made before an error stay.
std::string RefreshDrugPrices(config::Runtime& runtime);

// Fills 사용상품.표준코드 from SimStdCd.MDB of the program folder (old code 연합회코드 → standard
// code), adding the column first when columnExists is false; PB2 counts the products. A missing
// file is told in a message box; any other error shows the routine's name in one and ends it.
// False when the file is missing or an error ended it.
bool ActionSimStandardCodeCreate(config::Runtime& runtime, bool columnExists);

}  // namespace repairs
