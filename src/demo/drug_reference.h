#pragma once
// The reference data of the prescription drug repairs: the drug reference table DBF심평원약 in
// the database DB_NVMAIN of the vendor's central server (an embedded server named in the
// [Central] section of the login-resolution file), and the standard-code file SimStdCd.MDB
// (table 표준코드: 구코드 → 표준코드) in the program folder. The builders take only a Host, so
// the demo and the tests give any store PC the same reference data.
#include <string>
#include <vector>

#include "demo/store_database.h"

namespace host {
class Host;
}

namespace demo {

inline constexpr const char* kReferenceDatabase = "DB_NVMAIN";
inline constexpr const char* kStandardCodeFileName = "SimStdCd.MDB";

// The reference table as the central server holds it (T-SQL).
extern const char* const kDrugReferenceTable;

// The reference database on `server`, whose files lie in `folder` and whose "sa" password is
// `password` (the login resolution gives every connection to it that password).
ServerStore ReferenceStore(const std::string& server, const std::string& folder,
                           const std::string& password);

// Registers the server in the login-resolution file (other sections kept), names it the central
// server in [Central] (its Database, the process-wide central database, is left alone), and
// creates (or empties) DB_NVMAIN with the reference table and the rows (T-SQL INSERTs). A Runtime
// made before this does not see the server. Throws when a file cannot be written.
void CreateDrugReference(const host::Host& host, const ServerStore& central,
                         const std::vector<std::string>& rows = {});

// One row of DBF심평원약; `ceiling` is SQL text ("NULL" or a number), the dates YYYYMMDD.
std::string ReferenceRow(const std::string& code, const std::string& standard,
                         const std::string& drugName, const std::string& cleanName,
                         const std::string& unit, const std::string& maker,
                         const std::string& ceiling, const std::string& kind,
                         const std::string& from = "20000101", const std::string& to = "99991231",
                         const std::string& payment = "급여");

// The Windows path of SimStdCd.MDB: the program folder + "\SimStdCd.MDB".
std::string StandardCodeFilePath(const host::Host& host);

// Creates (or empties) SimStdCd.MDB, without a database password, with the table 표준코드 and
// the rows (Jet INSERTs); withTable false leaves the file without it.
void CreateStandardCodeFile(const host::Host& host, const std::vector<std::string>& rows,
                            bool withTable = true);

// One row of 표준코드.
std::string StandardCodeRow(const std::string& oldCode, const std::string& standard);

}  // namespace demo
