#pragma once
// The record helper of the patch history: field reads with Null replaced, and the error report
// that the history's write operations file when a write fails. Reports are appended, one line
// each, to kErrorReportFile in the program folder.
#include <cstdint>
#include <string>
#include <string_view>

namespace db {
class RecordSet;
}
namespace util {
class Kro_Function;
}

namespace history::HistoryHelper {

// The report file, beside the program ("C:\Quillon\DataPatchErrorReport.log" by default).
inline constexpr const char* kErrorReportFile = "DataPatchErrorReport.log";

// The value of a field of the current row: Null reads as the empty text, or as 0. Throws
// DbError as the record set does (unknown field, no current row).
std::string FieldText(const db::RecordSet& rs, std::string_view field);
std::int64_t FieldNumber(const db::RecordSet& rs, std::string_view field);

struct ErrorDetails {
    std::int32_t number = 0;
    std::string source;
    std::string description;
    std::string helpFile;
    std::int32_t helpContext = 0;
    std::int32_t lastSystemError = 0;
    std::string programFolder;  // a Windows path; the report file is written there
    std::string routine;        // "class:member" of the operation that failed
};

// The report file of a program folder.
std::string ErrorReportPath(std::string_view programFolder);

// Appends one line with the time and the details to the report file (creating the folder and
// the file when missing). False when the line could not be written.
bool ErrorReport(util::Kro_Function& utilities, const ErrorDetails& details);

}  // namespace history::HistoryHelper
