// The catalogue's first half: steps with marks 1 to 60, in running order. Every database gets
// them; none is gated by date. Texts are sent as written here, blanks and letter case included.
#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "config/runtime.h"
#include "db/recordset.h"
#include "host/codepage.h"
#include "host/desktop.h"
#include "host/host.h"
#include "patch/catalogue.h"
#include "patch/column_widening.h"
#include "patch/dao_steps.h"
#include "patch/run_context.h"
#include "repairs/class_codes.h"
#include "repairs/clock_text.h"
#include "repairs/point_history.h"
#include "repairs/product_barcodes.h"
#include "repairs/product_locations.h"
#include "repairs/require.h"
#include "repairs/toolbar_menus.h"
#include "repairs/trading_partners.h"
#include "repairs/vendor.h"
#include "util/sql_text.h"

namespace patch {

namespace {

constexpr const char* kRecalcPartnersText =
    "거래처관리 메뉴에서 전체 거래처를 재계산 해 주시기 바랍니다!";
constexpr const char* kRecalcPartnersTitle = "거래처 재계산 요함";
constexpr const char* kPellinProgram = "Pellin.exe";

// The four classification tables, in the order in which mark 20 extends them.
constexpr const char* kClassTables[] = {"상품분류코드", "상품분류세부코드", "상품구분코드",
                                        "기타분류코드"};

// Listed when 심평원규격 keeps its size because a value would not fit the narrower one.
constexpr const char* kInsuranceSpecKeptLine =
    "심평원규격 필드에 더 긴 값이 있어 필드크기를 유지함";

// True when no product's 심평원규격 holds more than `size` characters, blanks included: the
// column is never narrowed below a value it holds, which the engines would refuse (and a run
// that stops there would stop there on every try) or cut.
bool InsuranceSpecsFit(RunContext& context, int size) {
    db::RecordSet specs;
    specs.Open("SELECT 심평원규격 FROM 사용상품 WHERE 심평원규격 IS NOT NULL",
               repairs::Require(context.runtime.StoreConnection), db::CursorType::kStatic, 1);
    bool fit = true;
    for (; fit && !specs.Eof(); specs.MoveNext()) {
        const std::string text = specs["심평원규격"].AsText();
        std::size_t characters = 0;
        for (std::size_t pos = 0; pos < text.size(); ++characters) {
            pos += std::max<std::size_t>(1, host::Utf8CharLength(text, pos));
        }
        fit = characters <= static_cast<std::size_t>(size);
    }
    specs.Close();
    return fit;
}

void TellToRecalculatePartners(RunContext& context) {
    context.runtime.Desktop().MessageBox(kRecalcPartnersText, kRecalcPartnersTitle,
                                         host::MsgIcon::Critical, host::MsgButtons::Ok);
}

// The vendor's own supplier row; every value except the fixed ones comes from vendor.h and goes
// in quoted, so that an apostrophe in a name or address cannot break the statement.
Text HeadOfficeSupplierInsert() {
    namespace v = repairs::vendor;
    return Compose(
        "INSERT INTO 거래처마스터 (거래처코드, 거래처명, 우편번호, 주소, 거래구분, 최초등록일, "
        "DEL_CHK, UP_DATE, CHk_MEMO, 현재포인트, 우편숫자, 대표자명, 업종, 업태, 사업자번호, "
        "전화번호, 팩스번호) VALUES  (",
        util::SqlQuoted(v::kSupplierCode) + ", " + util::SqlQuoted(v::kName) + ", " +
            util::SqlQuoted(v::kPostalCode) + ", " + util::SqlQuoted(v::kAddress) + ", 0, ",
        TextWriter([](RunContext& c) { return util::SqlQuoted(repairs::TodayDigits(c.runtime)); }),
        std::string(", 0, "),
        TextWriter([](RunContext& c) { return util::SqlQuoted(repairs::NowText(c.runtime)); }),
        ", " + util::SqlQuoted("본사자동등록") + ", 0, 10, " +
            util::SqlQuoted(v::kRepresentatives) + ", '', '', " +
            util::SqlQuoted(v::kBusinessNumber) + ", " + util::SqlQuoted(v::kTelephone) + ", " +
            util::SqlQuoted(v::kFax) + ")");
}

// Pellin.exe is a companion program that the store run starts when it is installed next to
// this one. It is started detached and nothing waits for it; when it cannot be started (on this
// platform it must be an executable file) the patch run goes on as if it had been started.
bool PellinInstalled(RunContext& context) {
    host::Host& host = context.runtime.Host();
    const auto native = host.Native(host.ProgramFolder() + "\\" + kPellinProgram);
    std::error_code ec;
    return native && std::filesystem::is_regular_file(*native, ec);
}

void StartPellin(RunContext& context) {
    host::Host& host = context.runtime.Host();
    (void)host.Start(host.ProgramFolder() + "\\" + kPellinProgram, {}, false);
}

// The customer and product chart tables differ only in their name and key column.
std::string ChartTable(const std::string& table, const std::string& key, const std::string& type) {
    return "CREATE TABLE " + table + " (" + key + "     " + type +
           " COLLATE Korean_Wansung_CI_AS NOT NULL, vcSnNum     VARCHAR(6) COLLATE "
           "Korean_Wansung_CI_AS NOT NULL, vcContents  VARCHAR(800) COLLATE Korean_Wansung_CI_AS "
           "NULL,   vcUpDate    VARCHAR(8)   COLLATE Korean_Wansung_CI_AS NOT NULL,DEL_CHK      "
           "SMALLINT                                    NULL , CONSTRAINT [PK_" +
           table + "] PRIMARY KEY CLUSTERED ( [" + key +
           "] ASC,[vcSnNum] Asc ) ON [PRIMARY] ) ON [PRIMARY] ";
}

}  // namespace

Catalogue CatalogueMarks001To060() {
    Catalogue steps;
    auto add = [&steps](Step& step) { steps.push_back(step); };

    add(Step(1)
            .WhenColumnPresent("사용상품", "재고확인일")
            .Line("사용상품 재고확인일 필드 제거")
            .Run("Alter Table 사용상품 Drop Column 재고확인일"));

    add(Step(2)
            .WhenColumnPresent("사용상품", "SCPCODE")
            .Line("사용상품 SCPCODE 필드 제거")
            .Run("Alter Table 사용상품 Drop Column SCPCODE"));

    add(Step(3)
            .WhenColumnMissing("사용상품", "표준상품")
            .Line("사용상품 테이블에 표준상품 필드 외 다수 추가")
            .Run("ALTER TABLE 사용상품 ADD 표준상품 SMALLINT NULL")
            .Run("ALTER TABLE 사용상품 ADD 최초등록일 DATETIME NULL")
            .Run("ALTER TABLE 사용상품 ADD 표준무게 SMALLINT NULL")
            .Run("ALTER TABLE 사용상품 ADD 이관자료 SMALLINT NULL")
            .Run("ALTER TABLE 확장바코드 ADD 표준상품 SMALLINT NULL")
            .Run("ALTER TABLE 확장바코드 ADD 최초등록일 DATETIME NULL")
            .Run("ALTER TABLE 확장바코드 ADD 표준무게 SMALLINT NULL"));

    add(Step(4)
            .WhenColumnPresent("확장바코드", "구분키")
            .Line("확장바코드 테이블에 구분키 필드 제거")
            .Run("ALTER TABLE 확장바코드 DROP COLUMN 구분키"));

    add(Step(5)
            .WhenColumnMissing("입출상품", "확장공급가")
            .Line("입출상품에 확장공급가 필드 추가")
            .Run("ALTER TABLE 입출상품 ADD 확장공급가 MONEY NULL"));

    add(Step(5)
            .WhenNoRow("SELECT * FROM 포스버튼 WHERE 버튼인덱스 = 15")
            .Line("포스버튼 테이블에 데이터 추가 - 전자게시판")
            .Run("insert into 포스버튼(순서,버튼명,버튼기능,사용,버튼인덱스) "
                 "Values(16,'전자게시판','전자게시판 기능을 사용합니다.',0,15)"));

    add(Step(6)
            .WhenColumnMissing("재고조사_집계", "조사차수")
            .Line("재고조사_집계 테이블에 조사차수 필드 추가")
            .Run("ALTER TABLE 재고조사_집계 ADD 조사차수 NVARCHAR(6) NULL"));

    add(Step(7)
            .WhenColumnMissing("직원관리", "노르브아이디")
            .Line("직원관리 테이블에 노르브아이디, 노르브패스워드 필드 추가")
            .Run("ALTER TABLE 직원관리 ADD 노르브아이디 VARCHAR(16) NULL")
            .Run("ALTER TABLE 직원관리 ADD 노르브패스워드 VARCHAR(16) NULL"));

    add(Step(8)
            .WhenColumnMissing("거래처마스터", "자동발주여부")
            .Line("거래처마스터 테이블에 자동발주여부 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 자동발주여부 SMALLINT NULL"));

    // The pass's own database kind decides here (DAO fields on an MDB file), not the configured
    // kind.
    add(Step(9)
            .WhenColumnMissing("임시입출상품", "확장코드")
            .Line("임시입출상품 테이블에 확장코드 외 다수 필드 추가")
            .Nested(Branch().WhenRunDbKindMdb().Call(AddTempVoucherFieldsByDao))
            .Nested(Branch()
                        .WhenRunDbKindNotMdb()
                        .Run("ALTER TABLE 임시입출상품 ADD 확장코드 NVARCHAR(10) NULL")
                        .Run("ALTER TABLE 임시입출상품 ADD 확장수량 FLOAT")
                        .Run("ALTER TABLE 임시입출상품 ADD 확장포장수량 FLOAT")
                        .Run("ALTER TABLE 임시입출상품 ADD 확장단가 FLOAT")
                        .Run("ALTER TABLE 임시입출상품 ADD 확장공급가 FLOAT")));

    add(Step(10)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm삭제상품조회'")
            .Line("상품별관리 [삭제상품조회] 권한지정 추가")
            .Run(Compose(
                "INSERT INTO 로그인퍼미션(폼명,사용자폼명,퍼미션1,퍼미션2,퍼미션3, 매장코드) "
                "VALUES('frm삭제상품조회','삭제상품조회',1,1,1, '",
                kStoreCode, "')")));

    // Runs with every error passed over (the runner knows this mark).
    add(Step(11)
            .WhenColumnMissing("로그인퍼미션", "폼설명")
            .Line("사용상품 테이블 일부항목 필드타입 수정")
            .Call([](RunContext& c) { ChangeProductColumnTypes(c.runtime); })
            .Line("로그인퍼미션 테이블에 폼설명 필드 추가")
            .Run("ALTER TABLE 로그인퍼미션 ADD 폼설명 NVARCHAR(200)"));

    add(Step(12)
            .WhenColumnMissing("거래처마스터", "담당자연락처")
            .Line("거래처마스터 테이블에 담당자연락처 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 담당자연락처 NVARCHAR(20)")
            .Call([](RunContext& c) { repairs::SetPackageBarcodePrimaryKey(c.runtime); }));

    add(Step(13)
            .WhenRow("SELECT * FROM 세금계산서상품 WHERE (수량 * 단가) <> (공급가액 + 세액)")
            .Run(
                "UPDATE 세금계산서상품 SET 단가 =  CONVERT(INT, ((CONVERT(MONEY, 공급가액) + "
                "CONVERT(MONEY, 세액)) / CONVERT(MONEY, 수량))) WHERE (수량 * 단가) <> (공급가액 + "
                "세액) ")
            .ThenIndependently()
            .WhenColumnMissing("로그인퍼미션", "DEL_CHK")
            .Line("로그인퍼미션 테이블에 DEL_CHK 필드 추가")
            .Run("ALTER TABLE 로그인퍼미션 ADD DEL_CHK SMALLINT NULL")
            .Line("PERMISSON_HIST 테이블 생성")
            .Run("CREATE TABLE PERMISSION_HIST (날짜      NVARCHAR(10), 버전      NVARCHAR(30), "
                 "매장코드  NVARCHAR(10))"));

    add(Step(14)
            .WhenTableMissing("약가갱신이력")
            .Line("약가갱신이력 테이블 생성")
            .Run("CREATE TABLE 약가갱신이력 (갱신확인일      NVARCHAR(10), 약가적용일      "
                 "NVARCHAR(10), 익번적용일      NVARCHAR(10), 갱신건수        MONEY,        "
                 "갱신진행        SMALLINT,     일련번호        NVARCHAR(10))",
                 "CREATE TABLE 약가갱신이력 (갱신확인일      TEXT(10), 약가적용일      TEXT(10), "
                 "익번적용일      TEXT(10), 갱신건수        CURRENCY, 갱신진행        INT,      "
                 "일련번호        TEXT(10))")
            .Call([](RunContext& c) { repairs::ClearDeletedSupplierRefs(c.runtime); }));

    add(Step(15)
            .WhenTablePresent("링커오류검증")
            .Line("링커오류검증 테이블 제거")
            .Run("DROP TABLE 링커오류검증")
            .Line("조제청구상품 테이블 재구성")
            .Run("DROP TABLE 조제청구상품")
            .Run("CREATE TABLE 조제청구상품 ( 작업일자   NVARCHAR(10), 입출번호   NVARCHAR(6) , "
                 "제품명     NVARCHAR(50), 연합회코드 NVARCHAR(20), 입출수량   MONEY,        단가 "
                 "      MONEY,        금액       MONEY,        제품코드   NVARCHAR(10), 자료구분   "
                 "SMALLINT)",
                 "CREATE TABLE 조제청구상품 ( 작업일자   TEXT(10)    , 입출번호   TEXT(6)     , "
                 "제품명     TEXT(50)    , 연합회코드 TEXT(20)    , 입출수량   CURRENCY    , 단가 "
                 "      CURRENCY    , 금액       CURRENCY    , 제품코드   TEXT(10)    , 자료구분   "
                 "INT)"));

    add(Step(16)
            .WhenRow("SELECT * FROM 툴바설정 WHERE 메뉴명 = '출고전표'")
            .Call([](RunContext& c) { repairs::RenameToolbarMenus(c.runtime); })
            .Call([](RunContext& c) { repairs::ClearPackageMemos(c.runtime); }));

    add(Step(17)
            .WhenNoRow("SELECT * FROM 툴바설정 WHERE 메뉴명 = '처방조제'")
            .Call([](RunContext& c) { repairs::InsertPrescriptionMenu(c.runtime); }));

    add(Step(18)
            .WhenTableMissing("폼버튼설정")
            .Line("폼버튼설정 및 폼버튼퍼미션 테이블 추가")
            .Run("CREATE TABLE 폼버튼퍼미션 ( 폼코드    NVARCHAR(10)    PRIMARY KEY, 폼명      "
                 "NVARCHAR(40) , 폼캡션    NVARCHAR(40) , 폼설명    NVARCHAR(100), 폼경로    "
                 "NVARCHAR(100), DEL_CHK   SMALLINT)")
            .Run("CREATE TABLE 폼버튼설정 (폼코드   NVARCHAR(10) ,    버튼명   NVARCHAR(40) ,    "
                 "버튼캡션 NVARCHAR(40) ,    버튼설명 NVARCHAR(100),    DEL_CHK  SMALLINT     ,    "
                 "버튼권한 SMALLINT     ,    UP_DATE  DATETIME)"));

    // The probe looks for "변경으로", the update corrects every "변경" voucher.
    add(Step(19)
            .WhenRow("select * from 전표마스터 where 비고 like '%고시단가 변경으로%' and not "
                     "거래금액 = 미대금")
            .Run("update 전표마스터 set 미대금 = 거래금액 where 비고 like '%고시단가 변경%' and "
                 "not 거래금액 = 미대금")
            .Call(TellToRecalculatePartners)
            .ThenIndependently()
            .WhenColumnMissing("입출상품", "조제정보")
            .Line("입출상품 테이블에 [조제정보] 필드 추가")
            .Run("ALTER TABLE 입출상품 ADD 조제정보 NVARCHAR(100)",
                 "ALTER TABLE 입출상품 ADD 조제정보 TEXT(100)")
            .Line("사용상품 테이블의 [디자인명] 필드 초기화")
            .Run("UPDATE 사용상품 SET 디자인명 = ''"));

    {
        Step step(20);
        step.WhenColumnMissing("상품분류코드", "사은대상")
            .Line("상품분류코드 테이블에 사은대상 필드 추가");
        for (const char* table : kClassTables) {
            const std::string t = table;
            step.Run("ALTER TABLE " + t + " ADD 사은대상 SMALLINT NULL",
                     "ALTER TABLE " + t + " ADD 사은대상 INT NULL")
                .Run("UPDATE " + t + " SET 사은대상 = 1");
        }
        add(step);
    }

    add(Step(21)
            .WhenColumnSize("사용상품", "심평원규격", 40)
            .Line("사용상품 테이블에 심평원규격 필드크기 수정")
            .Nested(
                Branch()
                    .WhenSqlServerConfigured()
                    .Nested(Branch()
                                .WhenRoutine([](RunContext& c) { return InsuranceSpecsFit(c, 16); })
                                .Run("ALTER TABLE 사용상품 ALTER COLUMN 심평원규격 "
                                     "NVARCHAR(16) "))
                    .Nested(
                        Branch()
                            .WhenRoutine([](RunContext& c) { return !InsuranceSpecsFit(c, 16); })
                            .Line(kInsuranceSpecKeptLine))
                    .Call([](RunContext& c) { repairs::TrimInsuranceSpec(c.runtime); }))
            .Nested(
                Branch()
                    .WhenMdbConfigured()
                    .Nested(Branch()
                                .WhenRoutine([](RunContext& c) { return InsuranceSpecsFit(c, 32); })
                                .Run("ALTER TABLE 사용상품 ALTER COLUMN 심평원규격 TEXT(32)"))
                    .Nested(
                        Branch()
                            .WhenRoutine([](RunContext& c) { return !InsuranceSpecsFit(c, 32); })
                            .Line(kInsuranceSpecKeptLine))));

    add(Step(22)
            .WhenRoutine([](RunContext& c) { return repairs::MoveAreaCodes(c.runtime, false); })
            .Line("지역번호 개념 삭제에 의거하여 데이터 이동")
            .Call([](RunContext& c) { repairs::MoveAreaCodes(c.runtime, true); }));

    add(Step(23)
            .WhenTableMissing("표준검색")
            .Line("표준검색 테이블 생성")
            .Run("CREATE TABLE 표준검색 (Find_Date  NVARCHAR(10), Search_Cnt  SMALLINT)",
                 "CREATE TABLE 표준검색 (Find_Date  TEXT(10), Search_Cnt INT)"));

    add(Step(24)
            .WhenColumnMissing("발주상품", "SaveType")
            .Run("ALTER TABLE 발주상품 ADD SaveType SMALLINT",
                 "ALTER TABLE 발주상품 ADD SaveType INT"));

    add(Step(25)
            .WhenColumnMissing("재고조사_집계", "창고수량")
            .Line("재고조사_집계 테이블에 창고수량 필드 추가")
            .Run("ALTER TABLE 재고조사_집계 ADD 창고수량 FLOAT",
                 "ALTER TABLE 재고조사_집계 ADD 창고수량 CURRENCY"));

    add(Step(26)
            .WhenFieldGreater("SELECT COUNT(*) AS Cnt FROM 재고조사_담당자 AS 담 LEFT JOIN "
                              "재고조사전표 AS 전 ON 담.조사코드 = 전.조사코드 WHERE 담.DEL_CHK = "
                              "0 AND 전.DEL_CHK = 1",
                              "Cnt", 0)
            .Line("재고조사전표는 제거, 조사상품은 존재하는 전표 정리")
            .Run("UPDATE 재고조사_담당자 SET DEL_CHK = 1 FROM 재고조사_담당자 AS 담 LEFT JOIN "
                 "재고조사전표 AS 전 ON 담.조사코드 = 전.조사코드 WHERE 담.DEL_CHK = 0 AND "
                 "전.DEL_CHK = 1"));

    add(Step(27)
            .WhenFieldGreater(
                "SELECT COUNT(*) AS Cnt FROM 코드대분류 AS S LEFT JOIN 코드마스터 AS "
                "M ON M.분류키 = S.마스터분류키 WHERE S.DEL_CHK = 0 AND M.DEL_CHK = 1",
                "Cnt", 0)
            .Line("코드대분류는 존재, 마스터는 살아있는 상품 정리")
            .Run("UPDATE 코드대분류 SET DEL_CHK = 1 FROM 코드대분류 AS S LEFT JOIN 코드마스터 AS M "
                 "ON M.분류키 = S.마스터분류키 WHERE S.DEL_CHK = 0 AND M.DEL_CHK = 1"));

    add(Step(28)
            .WhenColumnMissing("사용상품", "퇴출상품")
            .Line("인트_사용상품 테이블에 상품위치 필드 크기 수정")
            .Run("ALTER TABLE 인트_사용상품 ALTER COLUMN 상품위치 NVARCHAR(100) ")
            .Line("사용상품 필드에 퇴출상품 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD 퇴출상품 SMALLINT NULL"));

    add(Step(29)
            .WhenColumnMissing("발주상품", "계절주문")
            .Line("발주상품 테이블에 계절주문 필드 추가")
            .Run("ALTER TABLE 발주상품 ADD 계절주문 SMALLINT NULL")
            .Line("발주상품 테이블에 위험재고 필드 추가")
            .Run("ALTER TABLE 발주상품 ADD 위험재고 SMALLINT NULL")
            .Line("적재자동계산 필드 용도 변경에 의한 초기화")
            .Run("UPDATE 사용상품 SET 적재자동계산 = 0 "));

    add(Step(30)
            .WhenColumnMissing("사용상품", "공급체인명")
            .Line("사용상품 테이블에 공급체인명 외 다수 추가")
            .Run("ALTER TABLE 사용상품 ADD 공급체인명 NVARCHAR(50) NULL")
            .Run("ALTER TABLE 사용상품 ADD 노르브코드 VARCHAR(10) NULL")
            .Run("ALTER TABLE 사용상품 ADD 상품소분류 VARCHAR(4) NULL")
            .Run("UPDATE 사용상품 SET 공급체인명 = ''")
            .Run("ALTER TABLE 확장바코드 ADD 노르브코드 VARCHAR(10) NULL")
            .Line("상품소분류 테이블 추가")
            .Run(
                "CREATE TABLE 상품소분류 (분류코드      VARCHAR(4)  , 분류명칭      VARCHAR(40) , "
                "비고          VARCHAR(100), DEL_CHK       SMALLINT    , 작업일자      VARCHAR(8)  "
                ", 관리자_MEMO   VARCHAR(200), 변경시간      DATETIME    , 줄번호        "
                "VARCHAR(3) "
                " , 세부분류코드  VARCHAR(4)  , 사은대상      SMALLINT)")
            .Line("발주서 사용 임시테이블 추가")
            .Run("CREATE TABLE TB_TmpPdt (fOrderCnt            FLOAT, vcPdtCode      VARCHAR(10), "
                 "vcSubPdtCode   VARCHAR(10), vcCmpCode      VARCHAR(6) , vcNowOrder     "
                 "VARCHAR(8))")
            .Run("CREATE TABLE TB_ShowPdt (vcDate        VARCHAR(8) , vcPdtCode     VARCHAR(10), "
                 "vcPdtSubCode  VARCHAR(10), vcOrderNum       SMALLINT, vcCmpCd       VARCHAR(6) , "
                 "vcInputOrderNum     FLOAT)")
            .Run("ALTER TABLE 전표마스터 ADD 총약제비 MONEY NULL")
            .Run("ALTER TABLE 전표마스터 ADD 청구액   MONEY NULL")
            .Run("ALTER TABLE 전표마스터 ADD 본인부담 MONEY NULL")
            .Run("ALTER TABLE 전표마스터 ADD 조제료   MONEY NULL")
            .Run("ALTER TABLE 전표마스터 ADD 받은금액 MONEY NULL")
            .Run("ALTER TABLE 전표마스터 ADD 요양기관번호 VARCHAR(8) NULL"));

    add(Step(31)
            .WhenTableMissing("상품설명출력")
            .Line("상품설명출력 테이블 추가")
            .Run("CREATE TABLE 상품설명출력 ( 상품코드   NVARCHAR(10), 상품설명   NVARCHAR(100))")
            .Run("ALTER TABLE 바코드외부출력 ADD 상품코드 NVARCHAR(10)")
            .Line("데이터 공백 제거")
            .Call([](RunContext& c) { repairs::TrimProductTexts(c.runtime); }));

    add(Step(32)
            .WhenColumnMissing("전표마스터", "부가세입력")
            .Line("전표마스터 테이블에 부가세입력 필드 추가")
            .Run("ALTER TABLE 전표마스터 ADD 부가세입력 SMALLINT"));

    // A failed class-code renumbering ends the whole run.
    add(Step(33)
            .WhenColumnMissing("사용상품", "분류수정")
            .Line("사용상품 테이블에 셀프매대 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD 셀프매대 SMALLINT NULL")
            .Line("입출상품 外 테이블의 필드 길이 증가")
            .Run("ALTER TABLE 입출상품 DROP COLUMN 제품분류")
            .Run("ALTER TABLE 입출상품 DROP COLUMN 가격분류")
            .Run("ALTER TABLE 입출상품 ADD 제품분류 VARCHAR(4)")
            .Run("ALTER TABLE 입출상품 ADD 가격분류 VARCHAR(4)")
            .Run("ALTER TABLE 임시입출상품 DROP COLUMN 제품분류")
            .Run("ALTER TABLE 임시입출상품 DROP COLUMN 가격분류")
            .Run("ALTER TABLE 임시입출상품 ADD 제품분류 VARCHAR(4)")
            .Run("ALTER TABLE 임시입출상품 ADD 가격분류 VARCHAR(4)")
            .Run("ALTER TABLE 제품 DROP COLUMN 제품분류")
            .Run("ALTER TABLE 제품 DROP COLUMN 가격분류")
            .Run("ALTER TABLE 제품 ADD 제품분류 VARCHAR(4)")
            .Run("ALTER TABLE 제품 ADD 가격분류 VARCHAR(4)")
            .Line("분류3종 테이블의 분류코드 필드 길이 증가")
            .Run("ALTER TABLE 상품분류코드 ALTER COLUMN 분류코드 VARCHAR(4)")
            .Run("ALTER TABLE 상품구분코드 ALTER COLUMN 구분코드 VARCHAR(4)")
            .Run("ALTER TABLE 기타분류코드 ALTER COLUMN 분류코드 VARCHAR(4)")
            .Run("ALTER TABLE 상품분류세부코드 ALTER COLUMN 제품분류코드 VARCHAR(4)")
            .Run("ALTER TABLE 사용상품 ALTER COLUMN 제품분류 VARCHAR(4)")
            .Run("ALTER TABLE 사용상품 ALTER COLUMN 가격분류 VARCHAR(4)")
            .Run("ALTER TABLE 사용상품 ALTER COLUMN 기타분류 VARCHAR(4)")
            .Line("사용상품 테이블에 분류수정 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD 분류수정 SMALLINT NULL")
            .Run("ALTER TABLE 상품설명출력 ADD UsrIns SMALLINT NULL")
            .CallOrStop(
                [](RunContext& c) { return repairs::RenumberProductClassCodes(c.runtime); }));

    add(Step(34)
            .WhenTableMissing("PdtLocation")
            .Line("상품위치 구성중.....")
            .Run("CREATE TABLE PdtLocation ( 제품코드   VARCHAR(10), 바코드코드 VARCHAR(10), "
                 "상품위치   NVARCHAR(50), 줄번호     INT)")
            .Call([](RunContext& c) { repairs::BuildProductLocations(c.runtime); }));

    add(Step(35)
            .WhenRow("select 구분명칭 from 상품구분코드 where 구분명칭 = '마약' and 구분코드 "
                     "='0006'")
            .Run("update 상품구분코드 set 구분명칭 = '마약류' where 구분코드 = '0006'")
            .Run("ALTER TABLE 거래처마스터 ALTER column 비고 varchar(600)"));

    add(Step(36)
            .WhenTablePresent("TB_ShowPdt")
            .Nested(Branch()
                        .WhenColumnMissing("TB_ShowPdt", "iOrdPdtNum")
                        .Line("발주서 관련 테이블 수정...")
                        .Run("DROP TABLE TB_ShowPdt")
                        .Run("CREATE TABLE TB_ShowPdt (vcDate        VARCHAR(8) , vcPdtCode     "
                             "VARCHAR(10), vcPdtSubCode  VARCHAR(10), vcOrderNum    VARCHAR(6) , "
                             "iOrdPdtNum          INT  , vcCmpCd       VARCHAR(6) , "
                             "fInputOrderNum    FLOAT)")));

    add(Step(37)
            .WhenColumnMissing("거래처마스터", "지점팩스번호")
            .Line("거래처마스터 테이블에 지점팩스번호 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 지점팩스번호 VARCHAR(20)")
            .Line("바코드외부출력 테이블에 필드 추가")
            .Run("ALTER TABLE 바코드외부출력 ADD 긴설명 VARCHAR(50)")
            .Run("ALTER TABLE 바코드외부출력 ADD 짧은설명 VARCHAR(30)"));

    add(Step(38)
            .WhenColumnMissing("상품분류코드", "조제구분")
            .Line("상품분류코드 테이블에 조제구분 필드 추가")
            .Run("ALTER TABLE 상품분류코드 ADD 조제구분 SMALLINT NULL")
            .Run("ALTER TABLE 상품구분코드 ADD 조제구분 SMALLINT NULL")
            .Run("ALTER TABLE 기타분류코드 ADD 조제구분 SMALLINT NULL")
            .Run("UPDATE 상품구분코드 SET 조제구분 = 1 "));

    // (Mark 39 is not used.)

    add(Step(40)
            .WhenColumnMissing("발주전표", "거래시간")
            .Line("발주전표 테이블에 거래시간 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 거래시간 DATETIME NULL")
            .Run("UPDATE 발주전표 SET 거래시간 = UP_DATE WHERE 거래시간 IS NULL")
            .Run("ALTER TABLE 확장바코드 ADD 바코드캡션 VARCHAR(100) NULL"));

    add(Step(41)
            .WhenColumnMissing("바코드외부출력", "선택")
            .Line("바코드외부출력 테이블에 선택 필드 추가")
            .Run("ALTER TABLE 바코드외부출력 ADD 선택 SMALLINT NULL")
            .Nested(Branch()
                        .OnlyTarget(1)
                        .Run("ALTER TABLE 거래처마스터 ALTER COLUMN 대표자명 NVARCHAR(14)")
                        .Run("ALTER TABLE 거래처마스터 ALTER COLUMN 업종 NVARCHAR(30)")
                        .Run("ALTER TABLE 거래처마스터 ALTER COLUMN 업태 NVARCHAR(30)")
                        .Run("ALTER TABLE 거래처마스터 ALTER COLUMN 사업자번호 NVARCHAR(14)")
                        .Run("ALTER TABLE 거래처마스터 ALTER COLUMN 담당자 NVARCHAR(12)")
                        .Run("ALTER TABLE 거래처마스터 ALTER COLUMN 기념일1 NVARCHAR(8)")
                        .Run("ALTER TABLE 거래처마스터 ALTER COLUMN 기념일2 NVARCHAR(8)"))
            .Run(HeadOfficeSupplierInsert()));

    add(Step(42)
            .WhenColumnMissing("발주전표", "전송여부")
            .Line("발주전표 테이블에 전송여부 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 전송여부 SMALLINT"));

    add(Step(43)
            .WhenTableMissing("특별관리상품")
            .Line("특별관리상품 테이블 추가")
            .Run("CREATE TABLE 특별관리상품 (제품코드    VARCHAR(10) , UP_DATE     DATETIME, "
                 "CHK_Memo    VARCHAR(10), 주문예정일  VARCHAR(8), DEL_CHK     SMALLINT)"));

    add(Step(44)
            .WhenColumnMissing("사용상품", "과세구분")
            .Line("사용상품 테이블에 과세구분 外 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD 제휴코드 VARCHAR(10)")
            .Run("ALTER TABLE 사용상품 ADD 제휴구분 SMALLINT")
            .Run("ALTER TABLE 사용상품 ADD 과세구분 SMALLINT")
            .Run("ALTER TABLE 인트_사용상품 ADD 제휴코드 VARCHAR(10)")
            .Run("ALTER TABLE 인트_사용상품 ADD 제휴구분 SMALLINT")
            .Run("ALTER TABLE 인트_사용상품 ADD 과세구분 SMALLINT"));

    add(Step(45)
            .WhenColumnMissing("발주상품", "선택")
            .Line("발주상품 테이블에 선택 필드 추가")
            .Run("ALTER TABLE TB_ShowPdt ADD iSelect SMALLINT")
            .Run("ALTER TABLE TB_TmpPdt ADD iSelect SMALLINT")
            .Run("ALTER TABLE 발주상품 ADD 선택 SMALLINT"));

    // The two updates run on every pass, whatever the layout.
    add(Step(46)
            .Always()
            .Run("UPDATE 발주상품 SET 선택 = 1 WHERE 발주일자 <> '' AND 발주번호 <> '' AND (선택 = "
                 "0 OR 선택 IS NULL)")
            .Run("UPDATE 발주상품 SET 주문CHK = 1 WHERE 발주일자 <> '' AND 발주번호 <> '' AND "
                 "주문CHK = 0")
            .ThenIndependently()
            .WhenTableMissing("바코드MAIN")
            .Line("바코드MAIN 테이블 생성")
            .Run("CREATE TABLE 바코드MAIN (ID            NVARCHAR(10), 작업일자      DATETIME,     "
                 "제목          NVARCHAR(50), 선택          SMALLINT)")
            .Line("바코드보조 테이블 생성")
            .Run("CREATE TABLE 바코드보조 (ID            NVARCHAR(10), 상품일련번호  NVARCHAR(5),  "
                 "상품코드      NVARCHAR(10), 상품명        NVARCHAR(50), 라벨표시상품명 "
                 "NVARCHAR(100),가격표시상품명 NVARCHAR(100),긴홍보        NVARCHAR(50), 짧은홍보  "
                 "    NVARCHAR(30), 수량          FLOAT,        단가          MONEY,        선택  "
                 "        SMALLINT)"));

    add(Step(47)
            .WhenColumnMissing("전표마스터", "상품할인")
            .Line("전표마스터 테이블에 상품할인 필드 추가")
            .Run("ALTER TABLE 전표마스터 ADD 상품할인 MONEY")
            .Run("ALTER TABLE 임시입출상품 ADD CUST04 MONEY")
            .Run("ALTER TABLE 임시전표마스터 ADD 상품할인 MONEY"));

    add(Step(48)
            .WhenTableMissing("TB_CustomerChart")
            .Line("고객차트 테이블 생성")
            .Run(ChartTable("TB_CustomerChart", "vcCmpCd", "VARCHAR(6)")));

    add(Step(49)
            .WhenColumnPresent("TB_CustomerChart", "DELCHK")
            .Run("ALTER TABLE TB_CustomerChart DROP COLUMN DELCHK")
            .Run("ALTER TABLE TB_CustomerChart ADD DEL_CHK SMALLINT")
            .ThenIndependently()
            .WhenColumnMissing("사은점수이력", "iSn")
            .Line("사은점수이력 테이블에 시리얼넘버 필드 추가")
            .Run("ALTER TABLE 사은점수이력 ADD iSn  SMALLINT ")
            .Call([](RunContext& c) { repairs::NumberPointHistory(c.runtime); }));

    add(Step(50)
            .WhenTableMissing("TB_BusinessReceipt")
            .Line("영업집계수납금액 테이블 이동")
            .Run("CREATE TABLE TB_BusinessReceipt (vcDate    VARCHAR(8) COLLATE "
                 "Korean_Wansung_CI_AS NOT NULL, mTotalMoney       MONEY           NULL, "
                 "mStartMoney       MONEY           NULL, mEndMoney         MONEY           NULL, "
                 "vcMemo            VARCHAR(200)    NULL, vcCloseDate       VARCHAR(8)      NULL, "
                 "vcShopCode        VARCHAR(4)      NULL, CONSTRAINT [PK_TB_BusinessReceipt] "
                 "PRIMARY KEY CLUSTERED ( vcDate Asc ) ) ON [PRIMARY] ")
            .Nested(Branch().OnlyTarget(0).WhenRoutine(PellinInstalled).Call(StartPellin)));

    add(Step(51)
            .WhenTableMissing("TB_ProductChart")
            .Nested(Branch().OnlyTarget(1).Run("DROP INDEX 사용상품.상품위치"))
            .Run("ALTER TABLE 사용상품 ALTER COLUMN 제조사 VARCHAR(50)")
            .Line("상품차트 테이블 생성")
            .Run(ChartTable("TB_ProductChart", "vcPdtCd", "VARCHAR(10)")));

    add(Step(52)
            .WhenColumnMissing("확장바코드", "규격")
            .Line("확장바코드 규격 필드 생성 및 필드 길이 수정")
            .Line("시간이 오래 걸릴 수 있으니 잠시만 기다려 주세요.")
            .Call([](RunContext& c) { WidenProductColumns(c.runtime); }));

    add(Step(53)
            .WhenColumnSize("상품설명출력", "상품설명", 200)
            .Line("상품설명출력 테이블의 상품설명 필드크기 수정")
            .Run("ALTER TABLE 상품설명출력 ALTER COLUMN 상품설명 VARCHAR(500) ",
                 "ALTER TABLE 상품설명출력 ALTER COLUMN 상품설명 TEXT(500)")
            .Run("ALTER TABLE 바코드외부출력 ALTER COLUMN 제조회사 VARCHAR(50)"));

    add(Step(54)
            .WhenColumnMissing("매장전송이력", "dtLogUpDt")
            .Line("매장전송이력 테이블에 로그업데이트 필드 추가")
            .Run("ALTER TABLE 매장전송이력 ADD dtLogUpDt DATETIME NULL"));

    add(Step(55)
            .WhenTableMissing("TB_TmpBusinessQL")
            .Line("영업집계표에서 사용할 임시테이블 생성")
            .Run(
                "CREATE TABLE TB_TmpBusinessQL  (vcDate     VARCHAR(8)  NOT NULL, mTotPr     MONEY "
                "      NOT NULL)")
            .Run("CREATE TABLE TB_TmpBusinessNV  (vcDate      VARCHAR(8)  NOT NULL, mPCMoney    "
                 "MONEY       NOT NULL, mCashMoney  MONEY       NOT NULL) ")
            .Nested(Branch().WhenTablePresent("임시테이블").Run("DROP TABLE 임시테이블"))
            .Nested(Branch().WhenTablePresent("임시테이블2").Run("DROP TABLE 임시테이블2"))
            .Nested(Branch().WhenTablePresent("임시테이블3").Run("DROP TABLE 임시테이블3")));

    add(Step(56)
            .WhenTableMissing("TB_BarCodeInfo")
            .Line("바코드 정보 테이블 생성")
            .Run("CREATE TABLE TB_BarCodeInfo (vcBarCd   VARCHAR(16) NOT NULL)"));

    add(Step(57)
            .WhenColumnMissing("사용상품", "iViewYN")
            .Line("사용상품, 확장바코드 테이블에 표시여부 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD iViewYN SMALLINT ")
            .Run("ALTER TABLE 확장바코드 ADD iViewYN SMALLINT ")
            .Run("UPDATE 사용상품 SET iViewYN = 0 ")
            .Run("UPDATE 확장바코드 SET iViewYN = 0 "));

    add(Step(58)
            .WhenTableMissing("TB_PdtBarInfo")
            .Line("바코드 상품정보 테이블 생성")
            .Run("CREATE TABLE TB_PdtBarInfo (vcPdtNm    VARCHAR(100), vcPdtCd    VARCHAR(10),  "
                 "vcExpCd    VARCHAR(10),  vcCmpNm    VARCHAR(50),  fTotCn     FLOAT      ,  "
                 "vcBarCd    VARCHAR(20))"));

    add(Step(59)
            .WhenColumnMissing("매장전송이력", "dtEcpUpDt")
            .Line("매장전송이력 테이블에 제외시간 필드 추가")
            .Run("ALTER TABLE 매장전송이력 ADD dtEcpUpDt DATETIME "));

    add(Step(60)
            .WhenColumnMissing("발주전표", "vcManyBillNum")
            .Line("발주전표 테이블에 다중전표번호 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD vcManyBillNum VARCHAR(300)"));

    return steps;
}

}  // namespace patch
