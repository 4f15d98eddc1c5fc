#include "demo/config_template.h"

#include <array>
#include <stdexcept>

#include "config/slot_map.h"
#include "demo/store_database.h"
#include "host/host.h"
#include "util/sql_text.h"

namespace demo {
namespace {

struct ColumnType {
    std::string_view name;
    std::string_view jet;
    std::string_view sqlServer;
};
// clang-format off
constexpr ColumnType kColumns[] = {
    {"환경코드", "TEXT(10)", "NVARCHAR(10)"},   {"순서", "LONG", "INT"},
    {"필드구분", "LONG", "INT"},                {"대표코드", "TEXT(10)", "NVARCHAR(10)"},
    {"대표상태", "TEXT(50)", "NVARCHAR(50)"},   {"대그룹", "SHORT", "SMALLINT"},
    {"그룹명", "TEXT(100)", "NVARCHAR(100)"},   {"항목명", "TEXT(255)", "NVARCHAR(255)"},
    {"작동설명", "TEXT(255)", "NVARCHAR(255)"}, {"사용화면", "TEXT(255)", "NVARCHAR(255)"},
    {"적용", "TEXT(255)", "NVARCHAR(255)"},     {"적용방법", "TEXT(255)", "NVARCHAR(255)"},
    {"DFT_K", "TEXT(255)", "NVARCHAR(255)"},    {"DFT_B", "TEXT(255)", "NVARCHAR(255)"},
    {"DFT_T", "TEXT(255)", "NVARCHAR(255)"},    {"DFT_M", "TEXT(255)", "NVARCHAR(255)"},
    {"DFT_D", "TEXT(255)", "NVARCHAR(255)"},    {"DFT_Y", "TEXT(255)", "NVARCHAR(255)"},
    {"DFT_C", "TEXT(255)", "NVARCHAR(255)"},    {"디폴트", "TEXT(255)", "NVARCHAR(255)"},
    {"관리자메모", "TEXT(255)", "NVARCHAR(255)"}, {"상태", "SHORT", "SMALLINT"},
    {"기존명", "TEXT(100)", "NVARCHAR(100)"},   {"신규명", "TEXT(100)", "NVARCHAR(100)"},
    {"Up_Date", "DATETIME", "DATETIME"},        {"Del_Chk", "SHORT", "SMALLINT"},
    {"INIOPT", "SHORT", "SMALLINT"},            {"EndOPT", "SHORT", "SMALLINT"},
    {"검색어", "TEXT(255)", "NVARCHAR(255)"},
};
// clang-format on

constexpr auto kColumnNames = [] {
    std::array<std::string_view, std::size(kColumns)> names{};
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = kColumns[i].name;
    return names;
}();

constexpr int kNumber = 1, kText = 2;

// One item of the template. `dft` holds the seven store-type defaults K,B,T,M,D,Y,C separated by
// "|"; null means every store type starts from 적용. `older` rows come from a release whose
// 상태, INIOPT and EndOPT were left Null.
struct Seed {
    int code;
    int group;
    int kind;
    const char* groupName;
    const char* item;
    const char* value;
    const char* explain;
    const char* screen;
    const char* dft;
    const char* keywords;
    int ini;
    bool older;
    int deleted;
};

// clang-format off
constexpr Seed kSeeds[] = {
    {1,   0, kNumber, "데이터", "데이터_종류", "0", "0: MDB 파일, 1: SQL 서버", "환경설정-데이터", nullptr, "데이터 종류 MDB SQL", 1, false, 0},
    {2,   0, kText,   "데이터", "데이터_MDBPath", "C:\\Program Files\\하로나\\Data\\DatMain.mdb", "MDB 데이터 파일 경로", "환경설정-데이터", nullptr, "MDB 경로", 1, false, 0},
    {3,   0, kNumber, "데이터", "데이터_네트웍사용여부", "0", "0: 네트워크 폴더 연결 사용", "환경설정-데이터", nullptr, "네트웍 네트워크", 1, false, 0},
    {4,   0, kText,   "데이터", "데이터_네트웍계정", "", "네트워크 폴더 계정", "환경설정-데이터", nullptr, "네트웍 계정", 1, false, 0},
    {5,   0, kText,   "데이터", "데이터_네트웍Pass", "", "네트워크 폴더 암호", "환경설정-데이터", nullptr, "네트웍 암호", 1, false, 0},
    {6,   0, kText,   "데이터", "데이터_SQLServer", ".", "SQL 서버 이름", "환경설정-데이터", nullptr, "SQL 서버", 1, false, 0},
    {7,   0, kText,   "데이터", "데이터_SQLDataName", "ZENTRIX", "SQL 데이터베이스 이름", "환경설정-데이터", nullptr, "SQL 데이터", 1, false, 0},
    {8,   0, kText,   "데이터", "데이터_SQLID", "sa", "SQL 로그인 ID", "환경설정-데이터", nullptr, "SQL 아이디", 1, false, 0},
    {9,   0, kText,   "데이터", "데이터_SQLPass", "", "SQL 로그인 암호", "환경설정-데이터", nullptr, "SQL 암호", 1, false, 0},
    {10,  0, kNumber, "데이터", "데이터_SQLConMode", "0", "0: TCP/IP 연결", "환경설정-데이터", nullptr, "SQL 연결방식", 1, false, 0},
    {11,  0, kText,   "데이터", "데이터_BackUpPath", "C:\\Quillon\\BackUp\\", "백업 폴더", "환경설정-백업", nullptr, "백업 폴더", 1, false, 0},
    {20,  1, kNumber, "전체", "전체_매장종류", "1", "1: 약국, 2: 화장품, 3: 잡화, 4: 마트", "환경설정-전체", "1|2|3|4|5|6|7", "매장 종류", 0, false, 0},
    {21,  1, kNumber, "전체", "전체_로그인", "0", "프로그램 시작 때 로그인 창 표시", "로그인", "0|0|0|1|0|0|1", "로그인", 0, true, 0},
    {30,  1, kText,   "사업자", "사업자_상호", "하로나약국", "영수증과 전표에 찍히는 상호", "환경설정-사업자", nullptr, "상호 가게이름", 0, false, 0},
    {31,  1, kText,   "사업자", "사업자_사업자번호", "123-45-67890", "사업자 등록번호", "환경설정-사업자", nullptr, "사업자번호", 0, false, 0},
    {32,  1, kText,   "사업자", "사업자_대표자명", "김하나", "대표자 이름", "환경설정-사업자", nullptr, "대표자", 0, false, 0},
    {33,  1, kText,   "사업자", "사업자_전화번호", "02-555-0192", "매장 전화번호", "환경설정-사업자", nullptr, "전화", 0, false, 0},
    {85,  1, kNumber, "전체", "매장수", "1", "매장 데이터베이스 수 (2 이상이면 데이터1 사용)", "환경설정-전체", nullptr, "매장수 데이터1", 0, false, 0},
    {140, 2, kNumber, "장비", "장비_온라인서비스", "0", "0: 시작할 때 본사 서버에 연결", "환경설정-장비", nullptr, "온라인 서비스", 0, false, 0},
    {142, 3, kNumber, "관리자", "관리자_날짜범위", "30", "조회할 수 있는 날짜 범위 (일)", "관리자설정", nullptr, "날짜 범위", 0, false, 0},
    {143, 3, kNumber, "관리자", "관리자_체인점교환단가", "0", "체인점 교환 단가 사용", "관리자설정", nullptr, "체인점 단가", 0, false, 0},
    {144, 3, kNumber, "관리자", "관리자_체인점포인트", "0", "체인점 포인트 통합", "관리자설정", nullptr, "체인점 포인트", 0, false, 0},
    {145, 3, kNumber, "관리자", "관리자_마감권한", "1", "마감 권한 (사용 안 함)", "관리자설정", nullptr, "마감 권한", 0, true, 1},
    {146, 1, kText,   "데이터1", "데이터_SQLServer_S", "", "데이터1 SQL 서버 이름", "환경설정-데이터1", nullptr, "데이터1 서버", 0, false, 0},
    {147, 1, kText,   "데이터1", "데이터_SQLDataName_S", "", "데이터1 데이터베이스 이름", "환경설정-데이터1", nullptr, "데이터1 데이터", 0, false, 0},
    {148, 1, kText,   "데이터1", "데이터_SQLID_S", "", "데이터1 로그인 ID", "환경설정-데이터1", nullptr, "데이터1 아이디", 0, false, 0},
    {149, 1, kText,   "데이터1", "데이터_SQLPass_S", "", "데이터1 로그인 암호", "환경설정-데이터1", nullptr, "데이터1 암호", 0, false, 0},
    {150, 1, kNumber, "데이터1", "데이터_SQLConMode_S", "0", "데이터1 연결방식", "환경설정-데이터1", nullptr, "데이터1 연결방식", 0, false, 0},
    {160, 2, kNumber, "포인트", "포인트_사용", "1", "고객 포인트 적립", "판매등록", "1|1|1|0|1|1|1", "포인트", 0, false, 0},
    {161, 2, kNumber, "포인트", "포인트_점수당금액", "1000", "1점을 적립하는 판매 금액", "판매등록", nullptr, "포인트 금액", 0, false, 0},
    {170, 2, kNumber, "영수증", "영수증_출력매수", "1", "영수증 출력 매수", "판매등록", nullptr, "영수증 매수", 0, true, 0},
    {171, 2, kText,   "영수증", "영수증_메시지1", "감사합니다. 또 오세요.", "영수증 아래쪽 문구", "판매등록", nullptr, "영수증 문구", 0, false, 0},
    {180, 2, kText,   "판매등록", "판매등록_검색어종류", "A", "A: 상품명, B: 바코드로 먼저 찾기", "판매등록", "A|A|B|A|A|B|A", "검색어", 0, false, 0},
    {200, 5, kNumber, "메인", "프로그램광고출력", "1", "시작 화면 광고", "메인", nullptr, "광고", 0, false, 0},
    {201, 4, kText,   "메인", "메인_타이틀", "하로나 POS", "메인 화면 제목", "메인", nullptr, "제목", 0, false, 0},
    {300, 2, kNumber, "표준DB", "표준DB사용여부", "0", "표준 상품 데이터베이스 사용", "환경설정-표준DB", nullptr, "표준DB", 0, false, 0},
    {301, 2, kText,   "표준DB", "표준DB서버명", "", "표준 데이터베이스 서버", "환경설정-표준DB", nullptr, "표준DB 서버", 0, false, 0},
    {302, 2, kText,   "표준DB", "표준DB데이터명", "SIMSTD", "표준 데이터베이스 이름", "환경설정-표준DB", nullptr, "표준DB 데이터", 0, false, 0},
    {303, 2, kText,   "표준DB", "표준DBID", "sa", "표준 데이터베이스 로그인 ID", "환경설정-표준DB", nullptr, "표준DB 아이디", 0, false, 0},
    {304, 2, kText,   "표준DB", "표준DBPW", "", "표준 데이터베이스 로그인 암호", "환경설정-표준DB", nullptr, "표준DB 암호", 0, false, 0},
    {305, 2, kNumber, "체인점", "체인구분", "0", "0: 단독 매장, 1: 체인 본점, 2: 체인 가맹점", "환경설정-체인점", nullptr, "체인", 0, false, 0},
};
// clang-format on

constexpr const char* kTemplateDate = "2020-11-30 09:00:00";

std::vector<std::string> SplitDefaults(const char* dft, const std::string& value) {
    std::vector<std::string> out;
    if (dft == nullptr) return std::vector<std::string>(7, value);
    std::string_view rest = dft;
    for (std::size_t bar; (bar = rest.find('|')) != std::string_view::npos;
         rest.remove_prefix(bar + 1)) {
        out.emplace_back(rest.substr(0, bar));
    }
    out.emplace_back(rest);
    return out;
}

ConfigRow RowOf(const Seed& s, int order) {
    ConfigRow r;
    // An item's row carries the code the configuration's slot map gives it, so a table load
    // feeds the right item; rows that are no item (매장수, retired settings) keep their own.
    r.환경코드 = std::to_string(config::CodeOfItem(s.item).value_or(s.code));
    r.순서 = order;
    r.필드구분 = s.kind;
    r.대표코드 = "G" + std::to_string(s.group);
    r.대표상태 = s.deleted ? "삭제" : "정상";
    r.대그룹 = s.group;
    r.그룹명 = s.groupName;
    r.항목명 = s.item;
    r.작동설명 = s.explain;
    r.사용화면 = s.screen;
    r.적용 = s.value;
    r.적용방법 = s.ini ? "INI 파일에도 저장" : "프로그램 재시작 후 적용";
    const auto d = SplitDefaults(s.dft, r.적용);
    r.DFT_K = d.at(0), r.DFT_B = d.at(1), r.DFT_T = d.at(2), r.DFT_M = d.at(3);
    r.DFT_D = d.at(4), r.DFT_Y = d.at(5), r.DFT_C = d.at(6);
    r.디폴트 = r.적용;
    r.관리자메모 = s.deleted ? "2019년에 폐지된 설정" : "";
    if (!s.older) {
        r.상태 = 0;
        r.INIOPT = s.ini;
        r.EndOPT = 0;
    }
    r.기존명 = s.item;
    r.신규명 = s.item;
    r.Up_Date = kTemplateDate;
    r.Del_Chk = s.deleted;
    r.검색어 = s.keywords;
    return r;
}

std::string Number(const std::optional<int>& v) {
    return v ? std::to_string(*v) : "Null";
}

}  // namespace

std::span<const std::string_view> ConfigColumns() {
    return kColumnNames;
}

std::vector<ConfigRow> TemplateRows() {
    std::vector<ConfigRow> rows;
    int order = 0;
    for (const Seed& s : kSeeds) rows.push_back(RowOf(s, ++order));
    return rows;
}

const ConfigRow& TemplateRow(const std::vector<ConfigRow>& rows, std::string_view item) {
    for (const ConfigRow& r : rows) {
        if (r.신규명 == item) return r;
    }
    throw std::out_of_range("no template row " + std::string(item));
}

std::string ConfigTemplatePath(const host::Host& host) {
    return host.ProgramFolder() + "\\" + kConfigTemplateFile;
}

std::string CreateConfigTableSql(std::string_view table, db::Dialect dialect) {
    std::string sql = "CREATE TABLE " + std::string(table) + " (";
    for (const ColumnType& c : kColumns) {
        if (&c != kColumns) sql += ", ";
        sql += std::string(c.name) + " " +
               std::string(dialect == db::Dialect::Jet ? c.jet : c.sqlServer);
    }
    return sql + ")";
}

std::string InsertConfigRowSql(std::string_view table, const ConfigRow& r) {
    using util::SqlQuoted;
    std::string columns;
    for (std::string_view name : kColumnNames) {
        columns += (columns.empty() ? "" : ",") + std::string(name);
    }
    const std::string values[] = {
        SqlQuoted(r.환경코드), std::to_string(r.순서),    std::to_string(r.필드구분),
        SqlQuoted(r.대표코드), SqlQuoted(r.대표상태),     std::to_string(r.대그룹),
        SqlQuoted(r.그룹명),   SqlQuoted(r.항목명),       SqlQuoted(r.작동설명),
        SqlQuoted(r.사용화면), SqlQuoted(r.적용),         SqlQuoted(r.적용방법),
        SqlQuoted(r.DFT_K),    SqlQuoted(r.DFT_B),        SqlQuoted(r.DFT_T),
        SqlQuoted(r.DFT_M),    SqlQuoted(r.DFT_D),        SqlQuoted(r.DFT_Y),
        SqlQuoted(r.DFT_C),    SqlQuoted(r.디폴트),       SqlQuoted(r.관리자메모),
        Number(r.상태),        SqlQuoted(r.기존명),       SqlQuoted(r.신규명),
        SqlQuoted(r.Up_Date),  std::to_string(r.Del_Chk), Number(r.INIOPT),
        Number(r.EndOPT),      SqlQuoted(r.검색어)};
    static_assert(std::size(values) == std::size(kColumnNames));
    std::string list;
    for (const std::string& v : values) list += (list.empty() ? "" : ",") + v;
    return "INSERT INTO " + std::string(table) + " (" + columns + ") VALUES (" + list + ")";
}

void CreateConfigTemplate(const host::Host& host, const std::vector<ConfigRow>& rows,
                          std::string_view table) {
    std::vector<std::string> statements{CreateConfigTableSql(table, db::Dialect::Jet)};
    for (const ConfigRow& r : rows) statements.push_back(InsertConfigRowSql(table, r));
    CreateMdbStore(host, ConfigTemplatePath(host), statements, "");
}

}  // namespace demo
