#include "demo/old_store_layout.h"

#include <span>

#include "util/sql_text.h"

namespace demo {
namespace {

enum class Kind { Text, Short, Long, Money, Date };

struct Column {
    const char* name;
    Kind kind;
    int size = 0;  // texts only
};

struct TypeNames {
    Kind kind;
    const char* jet;
    const char* sqlServer;
};
constexpr TypeNames kTypeNames[] = {
    {Kind::Text, "TEXT", "NVARCHAR"},     {Kind::Short, "SHORT", "SMALLINT"},
    {Kind::Long, "LONG", "INT"},          {Kind::Money, "CURRENCY", "MONEY"},
    {Kind::Date, "DATETIME", "DATETIME"},
};

struct Table {
    const char* name;
    std::span<const Column> columns;
};

using K = Kind;

// clang-format off
constexpr Column k사용상품[] = {
    {"제품코드", K::Text, 10}, {"제품명", K::Text, 50}, {"규격", K::Text, 30},
    {"제조사", K::Text, 30}, {"연합회코드", K::Text, 20}, {"제품분류", K::Text, 2},
    {"가격분류", K::Text, 2}, {"기타분류", K::Text, 2}, {"조제약여부", K::Short},
    {"매입단가", K::Money}, {"판매단가", K::Money}, {"심평원규격", K::Text, 40},
    {"재고확인일", K::Text, 8}, {"SCPCODE", K::Text, 10}, {"디자인명", K::Text, 50},
    {"적재자동계산", K::Short}, {"상품위치", K::Text, 50}, {"DEL_CHK", K::Short},
    {"UP_DATE", K::Date}, {"CHK_MEMO", K::Text, 50},
};
constexpr Column k확장바코드[] = {
    {"바코드코드", K::Text, 13}, {"제품코드", K::Text, 10}, {"포장수량", K::Money},
    {"구분키", K::Text, 2}, {"DEL_CHK", K::Short}, {"UP_DATE", K::Date},
};
constexpr Column k입출상품[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"일련번호", K::Short},
    {"제품코드", K::Text, 10}, {"확장코드", K::Text, 13}, {"입출수량", K::Money},
    {"단가", K::Money}, {"확장포장수량", K::Money}, {"전표종류", K::Short},
    {"제품분류", K::Text, 2}, {"가격분류", K::Text, 2}, {"DEL_CHK", K::Short},
};
constexpr Column k임시입출상품[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"제품코드", K::Text, 10},
    {"입출수량", K::Money}, {"제품분류", K::Text, 2}, {"가격분류", K::Text, 2},
};
constexpr Column k포스버튼[] = {
    {"순서", K::Short}, {"버튼명", K::Text, 20}, {"버튼기능", K::Text, 100},
    {"사용", K::Short}, {"버튼인덱스", K::Short},
};
constexpr Column k재고조사_집계[] = {
    {"조사코드", K::Text, 6}, {"제품코드", K::Text, 10}, {"전산수량", K::Money},
    {"조사수량", K::Money},
};
constexpr Column k직원관리[] = {
    {"직원코드", K::Text, 4}, {"직원명", K::Text, 20}, {"직급", K::Text, 10},
    {"DEL_CHK", K::Short},
};
constexpr Column k거래처마스터[] = {
    {"거래처코드", K::Text, 6}, {"거래처명", K::Text, 50}, {"대표자명", K::Text, 10},
    {"전화번호", K::Text, 20}, {"비고", K::Text, 255}, {"DEL_CHK", K::Short},
    {"UP_DATE", K::Date},
};
constexpr Column k로그인퍼미션[] = {
    {"폼명", K::Text, 40}, {"사용자폼명", K::Text, 40}, {"퍼미션1", K::Short},
    {"퍼미션2", K::Short}, {"퍼미션3", K::Short}, {"매장코드", K::Text, 4},
};
constexpr Column k전표마스터[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"거래처코드", K::Text, 6},
    {"거래금액", K::Money}, {"미대금", K::Money}, {"비고", K::Text, 100},
    {"DEL_CHK", K::Short},
};
constexpr Column k상품분류코드[] = {
    {"분류코드", K::Text, 2}, {"분류명칭", K::Text, 30}, {"DEL_CHK", K::Short},
};
constexpr Column kPATCH_HIST[] = {
    {"날짜", K::Text, 8}, {"번호", K::Long}, {"NV_Ver", K::Text, 20},
    {"NV_ETC", K::Text, 100}, {"NV_GUBUN", K::Long}, {"NV_Date", K::Date},
};
constexpr Column kCONFIGPC[] = {
    {"피씨코드", K::Text, 10}, {"피씨명", K::Text, 50}, {"테이블명", K::Text, 50},
};
constexpr Column k피씨명[] = {
    {"피씨코드", K::Text, 10}, {"피씨명", K::Text, 50},
};

constexpr Table kStoreTables[] = {
    {"사용상품", k사용상품}, {"확장바코드", k확장바코드}, {"입출상품", k입출상품},
    {"임시입출상품", k임시입출상품}, {"포스버튼", k포스버튼}, {"재고조사_집계", k재고조사_집계},
    {"직원관리", k직원관리}, {"거래처마스터", k거래처마스터}, {"로그인퍼미션", k로그인퍼미션},
    {"전표마스터", k전표마스터}, {"상품분류코드", k상품분류코드}, {"PATCH_HIST", kPATCH_HIST},
};

// Values in the order of the table's columns; texts quoted, dates as 'yyyy-MM-dd HH:mm:ss'.
constexpr const char* kStoreRows[] = {
    "INSERT INTO 사용상품 VALUES ('P000000001', '타이레놀정500mg', '10정', '한국얀센', '642100380', '01', '01', '01', 2, 2500, 3500, '500mg', '20091201', 'SC0001', '', 0, 'A-1-1', 0, '2010-01-05 09:30:00', '')",
    "INSERT INTO 사용상품 VALUES ('P000000002', '판피린큐액', '20ml', '동아제약', '641600390', '01', '01', '01', 2, 300, 500, '20ml', '20091201', 'SC0002', '', 0, 'A-1-2', 0, '2010-01-05 09:31:00', '')",
    "INSERT INTO 사용상품 VALUES ('P000000003', '박카스디', '100ml', '동아제약', '', '02', '02', '01', 0, 450, 700, '', '20091201', '', '', 0, 'B-2-1', 0, '2010-01-05 09:32:00', '')",
    "INSERT INTO 사용상품 VALUES ('P000000004', '후시딘연고', '10g', '동화약품', '643500170', '01', '01', '02', 9, 4200, 6000, '10g', '20091130', 'SC0004', '', 0, 'A-3-1', 0, '2010-01-06 14:10:00', '')",
    "INSERT INTO 사용상품 VALUES ('P000000005', '마스크 KF94 대형', '1매', '웰킵스', '', '03', '03', '03', 0, 700, 1500, '', '', '', '', 0, 'C-1-1', 1, '2010-02-01 11:00:00', '판매중지')",
    "INSERT INTO 확장바코드 VALUES ('8806469007213', 'P000000001', 1, 'A', 0, '2010-01-05 09:30:00')",
    "INSERT INTO 확장바코드 VALUES ('8806469007220', 'P000000001', 10, 'B', 0, '2010-01-05 09:30:00')",
    "INSERT INTO 확장바코드 VALUES ('8801007003512', 'P000000003', 10, 'B', 0, '2010-01-05 09:32:00')",
    "INSERT INTO 입출상품 VALUES ('20100105', '000001', 1, 'P000000001', '8806469007220', 10, 2500, 10, 0, '01', '01', 0)",
    "INSERT INTO 입출상품 VALUES ('20100105', '000001', 2, 'P000000003', '8801007003512', 20, 450, 10, 0, '02', '02', 0)",
    "INSERT INTO 입출상품 VALUES ('20100106', '000002', 1, 'P000000002', '', 5, 500, 1, 1, '01', '01', 0)",
    "INSERT INTO 임시입출상품 VALUES ('20100107', '000003', 'P000000004', 2, '01', '01')",
    "INSERT INTO 포스버튼 VALUES (1, '현금', '현금으로 결제합니다.', 1, 0)",
    "INSERT INTO 포스버튼 VALUES (2, '카드', '신용카드로 결제합니다.', 1, 1)",
    "INSERT INTO 포스버튼 VALUES (3, '보류', '판매를 보류합니다.', 1, 2)",
    "INSERT INTO 재고조사_집계 VALUES ('000001', 'P000000001', 35, 34)",
    "INSERT INTO 재고조사_집계 VALUES ('000001', 'P000000002', 120, 120)",
    "INSERT INTO 직원관리 VALUES ('0001', '김하나', '약사', 0)",
    "INSERT INTO 직원관리 VALUES ('0002', '이도윤', '직원', 0)",
    "INSERT INTO 거래처마스터 VALUES ('000001', '(주)지오영', '조선혜', '02-2188-1000', '의약품 도매', 0, '2009-06-01 10:00:00')",
    "INSERT INTO 거래처마스터 VALUES ('000002', '백제약품(주)', '김동구', '02-2612-5000', '', 0, '2009-06-01 10:05:00')",
    "INSERT INTO 로그인퍼미션 VALUES ('frm상품관리', '상품관리', 1, 1, 1, '0001')",
    "INSERT INTO 로그인퍼미션 VALUES ('frm판매등록', '판매등록', 1, 1, 0, '0001')",
    "INSERT INTO 전표마스터 VALUES ('20100105', '000001', '000001', 34000, 34000, '입고전표', 0)",
    "INSERT INTO 전표마스터 VALUES ('20100106', '000002', '000002', 2500, 0, '반품전표', 0)",
    "INSERT INTO 상품분류코드 VALUES ('01', '일반의약품', 0)",
    "INSERT INTO 상품분류코드 VALUES ('02', '의약외품', 0)",
    "INSERT INTO 상품분류코드 VALUES ('03', '위생용품', 0)",
    "INSERT INTO PATCH_HIST VALUES ('20071105', 1, 'UpDate', '하로나 DataPatchProgram Ver30.1.2', 1, '2007-11-05 14:20:00')",
    "INSERT INTO PATCH_HIST VALUES ('20090315', 1, 'UpDate', '하로나 DataPatchProgram Ver35.2.0', 1, '2009-03-15 10:02:00')",
    "INSERT INTO PATCH_HIST VALUES ('20100101', 1, 'UpDate', '하로나 DataPatchProgram Ver36.0.1', 1, '2010-01-04 09:12:00')",
    "INSERT INTO PATCH_HIST VALUES ('20100420', 1, 'Setup', '하로나 설치 점검', 0, '2010-04-20 11:00:00')",
};
// clang-format on

std::string TypeName(const Column& c, db::Dialect dialect) {
    for (const TypeNames& t : kTypeNames) {
        if (t.kind != c.kind) continue;
        std::string name = dialect == db::Dialect::Jet ? t.jet : t.sqlServer;
        return c.kind == Kind::Text ? name + "(" + std::to_string(c.size) + ")" : name;
    }
    return {};
}

std::string CreateTable(const Table& table, db::Dialect dialect) {
    std::string sql = std::string("CREATE TABLE ") + table.name + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (i) sql += ", ";
        sql += std::string(table.columns[i].name) + " " + TypeName(table.columns[i], dialect);
    }
    return sql + ")";
}

}  // namespace

std::vector<std::string> OldStoreStatements(db::Dialect dialect) {
    std::vector<std::string> sql;
    for (const Table& t : kStoreTables) sql.push_back(CreateTable(t, dialect));
    sql.insert(sql.end(), std::begin(kStoreRows), std::end(kStoreRows));
    return sql;
}

std::vector<std::string> ConfigTableStatements(db::Dialect dialect, const std::string& computerName,
                                               const std::vector<ConfigRow>& rows) {
    using util::SqlQuoted;
    std::vector<std::string> sql = {
        CreateTable({"CONFIGPC", kCONFIGPC}, dialect),
        CreateTable({"피씨명", k피씨명}, dialect),
        "INSERT INTO CONFIGPC VALUES (" + SqlQuoted(kDemoPcCode) + ", " + SqlQuoted(computerName) +
            ", 'CONFIG')",
        "INSERT INTO 피씨명 VALUES (" + SqlQuoted(kDemoPcCode) + ", " + SqlQuoted(computerName) +
            ")",
        CreateConfigTableSql("CONFIG", dialect),
    };
    for (const ConfigRow& r : rows) sql.push_back(InsertConfigRowSql("CONFIG", r));
    return sql;
}

}  // namespace demo
