#include "history/history_helper.h"

#include "db/error.h"
#include "db/recordset.h"
#include "util/date_serial.h"
#include "util/kro_function.h"

namespace history::HistoryHelper {
namespace {

// One report is one line: line breaks inside a driver's message become blanks.
std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

}  // namespace

std::string FieldText(const db::RecordSet& rs, std::string_view field) {
    return rs[field].AsText();  // Null reads as ""
}

std::int64_t FieldNumber(const db::RecordSet& rs, std::string_view field) {
    const util::Variant& value = rs[field];
    return value.IsNull() ? 0 : value.AsInt();
}

std::string ErrorReportPath(std::string_view programFolder) {
    std::string path(programFolder);
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + kErrorReportFile;
}

bool ErrorReport(util::Kro_Function& utilities, const ErrorDetails& details) {
    const std::string line =
        util::FormatDateTime(util::NowLocal()) + "\t[" + details.routine + "]\t오류 " +
        db::HexNumber(details.number) + " (" + std::to_string(details.number) +
        ")\t원본: " + OneLine(details.source) + "\t설명: " + OneLine(details.description) +
        "\t도움말: " + details.helpFile + "#" + std::to_string(details.helpContext) +
        "\t시스템오류: " + std::to_string(details.lastSystemError) +
        "\t폴더: " + details.programFolder;
    return utilities.FileWriteStr(ErrorReportPath(details.programFolder), line,
                                  details.programFolder, true);
}

}  // namespace history::HistoryHelper
