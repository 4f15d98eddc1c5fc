#pragma once
// The template database "환경설정.mdb" that is delivered in the program folder: an MDB file
// without password whose table NorvConf holds the standard configuration rows, one per item
// (item number in 환경코드, item name in 항목명 and 신규명, value in force in 적용, defaults per
// store type in DFT_*). The rows cover every slot and item name that the loads and the saving
// statements use, rows the basic load skips (group 4 and up), a deleted administrator row, and
// rows of an older release whose 상태, INIOPT and EndOPT are Null.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/session.h"

namespace host {
class Host;
}

namespace demo {

inline constexpr const char* kConfigTemplateFile = "환경설정.mdb";
inline constexpr const char* kConfigTemplateTable = "NorvConf";

// One configuration row; the optional numbers are Null when empty.
struct ConfigRow {
    std::string 환경코드;
    int 순서 = 0;
    int 필드구분 = 1;  // 2: 적용 is a text, otherwise a number
    std::string 대표코드;
    std::string 대표상태;
    int 대그룹 = 0;
    std::string 그룹명;
    std::string 항목명;
    std::string 작동설명;
    std::string 사용화면;
    std::string 적용;
    std::string 적용방법;
    std::string DFT_K, DFT_B, DFT_T, DFT_M, DFT_D, DFT_Y, DFT_C;
    std::string 디폴트;
    std::string 관리자메모;
    std::optional<int> 상태;
    std::string 기존명;
    std::string 신규명;
    std::string Up_Date;  // "yyyy-MM-dd HH:mm:ss"
    int Del_Chk = 0;
    std::optional<int> INIOPT;
    std::optional<int> EndOPT;
    std::string 검색어;
};

// The configuration table's columns in their order.
std::span<const std::string_view> ConfigColumns();

// The standard rows of the template, in 환경코드 order.
std::vector<ConfigRow> TemplateRows();
// The row of that item name (신규명); throws std::out_of_range when there is none.
const ConfigRow& TemplateRow(const std::vector<ConfigRow>& rows, std::string_view item);

// The template's Windows path: the program folder + "\환경설정.mdb".
std::string ConfigTemplatePath(const host::Host& host);

// Writes the template file (replacing an earlier one) with the rows in a table of the
// configuration table's columns; `table` other than NorvConf makes a template that lacks it.
void CreateConfigTemplate(const host::Host& host,
                          const std::vector<ConfigRow>& rows = TemplateRows(),
                          std::string_view table = kConfigTemplateTable);

// The statement that creates a configuration table of that name in the dialect, and the one that
// inserts the row into it (texts quoted with apostrophes doubled, either dialect), for tests that
// set up a store database whose configuration tables exist already.
std::string CreateConfigTableSql(std::string_view table, db::Dialect dialect);
std::string InsertConfigRowSql(std::string_view table, const ConfigRow& row);

}  // namespace demo
