// The catalogue's second half: steps with marks 61 to 127, in running order. Besides columns and
// tables of later releases it holds the one-time migrations behind date gates (server routines,
// backup path, toolbar and POS buttons, drug prices, product locations). Texts are sent as
// written here, blanks and letter case included.
#include <string>

#include "config/runtime.h"
#include "host/host.h"
#include "host/settings_store.h"
#include "patch/catalogue.h"
#include "patch/run_context.h"
#include "patch/server_routines.h"
#include "repairs/drug_prices.h"
#include "repairs/product_locations.h"
#include "repairs/vendor.h"
#include "util/sql_text.h"

namespace patch {

namespace {

constexpr const char* kPermissionInsert =
    "INSERT INTO 로그인퍼미션 (폼명, 사용자폼명, 퍼미션1, 퍼미션2, 퍼미션3, 매장코드, 폼설명, "
    "DEL_CHK) VALUES (";

// A permission row of a form; the store code goes between the permissions and the description.
Text PermissionInsert(const std::string& head, const std::string& tail) {
    return Compose(kPermissionInsert + head, kStoreCode, tail);
}

constexpr const char* kToolbarInsert =
    "INSERT INTO 툴바설정 (ID, 메뉴명, 메뉴설명, 사용, 선택가능, 구분선) VALUES(";
constexpr const char* kEnabledToolbarButtons =
    "SELECT SUM(사용) AS ChkCount FROM 툴바설정 WHERE 구분선=0";
// The main window shows at most this many toolbar buttons.
constexpr int kMaxEnabledButtons = 16;

constexpr const char* kCashDrawerButtonInsert =
    "insert into 포스버튼(순서,버튼명,버튼기능,사용,버튼인덱스) Values(16,'돈통오픈','돈통오픈 "
    "기능을 사용합니다.',0,16)";

// The screen options of the store software that mark 73 sets: application, section, key, value.
struct ScreenOption {
    const char* application;
    const char* section;
    const char* key;
    const char* value;
};
constexpr ScreenOption kOrderPriceOptions[] = {
    {"하로나\\화면옵션\\주문서생성", "수동주문", "단가표기", "1"},
    {"하로나\\화면옵션", "상품주문서", "단가표시", "1"},
    {"하로나\\화면옵션\\발주서조회", "주문서관리", "단가표기", "0"},
};

// A settings file that cannot be written costs the user a screen default, not the patch run.
void ShowOrderPrices(RunContext& context) {
    host::SettingsStore& settings = context.runtime.Host().Settings();
    for (const ScreenOption& o : kOrderPriceOptions) {
        (void)settings.SaveSetting(o.application, o.section, o.key, o.value);
    }
}

// The vendor's own supplier row brought up to date; every value goes in quoted.
Text HeadOfficeSupplierUpdate() {
    namespace v = repairs::vendor;
    return Text(" UPDATE 거래처마스터 SET 우편번호 = " + util::SqlQuoted(v::kPostalCode) +
                ",  주소 = " + util::SqlQuoted(v::kAddress) +
                ",  대표자명 = " + util::SqlQuoted(v::kRepresentatives) +
                ",  업종 = " + util::SqlQuoted(v::kBusinessCategories) +
                ",  업태 = " + util::SqlQuoted(v::kBusinessType) +
                "  WHERE 거래처코드 = " + util::SqlQuoted(v::kSupplierCode) + " ");
}

// A probe for the routine and its drop, sent as one batch: the drop runs whatever the probe
// found, and fails when the routine is missing.
Text ProbeAndDrop(const std::string& probe, const std::string& drop) {
    return Text(probe + "\r\n" + drop);
}

}  // namespace

Catalogue CatalogueMarks061To127() {
    Catalogue steps;
    auto add = [&steps](Step& step) { steps.push_back(step); };

    add(Step(61)
            .WhenColumnMissing("사용상품", "표준코드")
            .Line("사용상품 테이블에 표준코드 필드 추가")
            .Call([](RunContext& c) { repairs::ActionSimStandardCodeCreate(c.runtime, false); })
            .ThenIndependently()
            .DateGate("20100208")
            .Always()
            .Line("변경된 표준코드 재갱신 ")
            .Call([](RunContext& c) { repairs::ActionSimStandardCodeCreate(c.runtime, true); }));

    add(Step(62)
            .WhenColumnMissing("발주전표", "팩스결과")
            .Line("발주전표 테이블에 팩스결과 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 팩스결과 NVARCHAR(10)"));

    // (Mark 63 is not used.)

    add(Step(64)
            .WhenColumnMissing("발주전표", "전송여부2")
            .Line("발주전표 테이블에 전송여부2(MMS) 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 전송여부2 SMALLINT "));

    add(Step(65)
            .WhenColumnMissing("발주전표", "문자결과")
            .Line("발주전표 테이블에 문자결과 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 문자결과 NVARCHAR(10) "));

    add(Step(66)
            .WhenColumnMissing("거래처마스터", "주문서발송")
            .Line("거래처마스터 테이블에 주문서발송 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 주문서발송 SMALLINT NULL CONSTRAINT "
                 "DF_거래처마스터_주문서발송 DEFAULT ((0)) "));

    // The check names the second of the two columns.
    add(Step(67)
            .WhenColumnMissing("발주전표", "입고여부")
            .Line("발주전표 테이블에 입고일자 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 입고일자 NVARCHAR(8), 입고여부 SMALLINT "));

    add(Step(68)
            .WhenColumnMissing("직원관리", "Del_Chk")
            .Line("직원관리 테이블에 Del_Chk 필드 추가")
            .Run("ALTER TABLE 직원관리 ADD Del_Chk SMALLINT "));

    add(Step(69)
            .WhenTableMissing("예약상품")
            .Line("예약상품 테이블 추가")
            .Run(
                " CREATE TABLE 예약상품(    일련번호 smallint IDENTITY(1,1) NOT NULL,    제품명 "
                "varchar(100) NULL,    제품코드 nvarchar(10) NULL,    확장코드 nvarchar(10) NULL,  "
                "  주문수량 float NULL,    입고단가 money NULL,    금액 money NULL,    거래처코드 "
                "nvarchar(6) NULL,    거래처명 nvarchar(50) NULL,    매입처 smallint NULL,    "
                "확장주문수량 float NULL,    확장포장수량 float NULL,    확장주문단가 float NULL, "
                "   확장주문금액 money NULL,    예약일자 nvarchar(8) NULL,    반복주기 smallint "
                "NULL,    반복주기2 smallint NULL,    비고 nvarchar(100) NULL,  CONSTRAINT "
                "PK_예약상품 PRIMARY KEY CLUSTERED  (    일련번호 ASC ) ON [PRIMARY] ) ON "
                "[PRIMARY] "));

    add(Step(70)
            .WhenColumnMissing("발주전표", "작업시간")
            .Line("발주전표 테이블에 작업시간 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 작업시간 CHAR(5) "));

    add(Step(71)
            .WhenColumnMissing("거래처마스터", "최소주문금액")
            .Line("거래처마스터 테이블에 최소주문금액 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 최소주문금액 MONEY "));

    add(Step(72)
            .WhenColumnMissing("현금시제마감", "오만원권")
            .Line("현금시제마감 테이블에 오만원권 필드 추가")
            .Run("ALTER TABLE 현금시제마감 ADD 오만원권 decimal(19, 4) "));

    // With the order times come the screen options that show prices on the order screens.
    add(Step(73)
            .WhenColumnMissing("발주전표", "파로엘시간")
            .Line("발주전표 테이블에 주문시간 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 파로엘시간 NVARCHAR(25), 팩스시간 NVARCHAR(25), "
                 "문자시간 NVARCHAR(25) ")
            .Call(ShowOrderPrices));

    add(Step(74)
            .WhenColumnMissing("거래처마스터", "주문메시지")
            .Line("거래처마스터 테이블에 주문메시지 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 주문메시지 NVARCHAR(200) "));

    add(Step(75)
            .WhenTableMissing("계획상품")
            .Line("계획상품 테이블 추가")
            .Run(
                " CREATE TABLE 계획상품(    일련번호 smallint IDENTITY(1,1) NOT NULL,    제품명 "
                "varchar(100) NULL,    제품코드 nvarchar(10) NULL,    확장코드 nvarchar(10) NULL,  "
                "  주문수량 float NULL,    입고단가 money NULL,    금액 money NULL,    거래처코드 "
                "nvarchar(6) NULL,    거래처명 nvarchar(50) NULL,    매입처 smallint NULL,    "
                "확장주문수량 float NULL,    확장포장수량 float NULL,    확장주문단가 float NULL, "
                "   확장주문금액 money NULL,    예약일수 nvarchar(8) NULL,    비고 nvarchar(100) "
                "NULL,  CONSTRAINT PK_계획상품 PRIMARY KEY CLUSTERED  (    일련번호 ASC ) ) ON "
                "[PRIMARY] "));

    add(Step(76)
            .WhenTableMissing("계획상품_상세")
            .Line("계획상품 테이블 추가2")
            .Run(" CREATE TABLE 계획상품_상세(    제품코드 nvarchar(10) NULL,    확장코드 "
                 "nvarchar(10) NULL,    예약일자 nvarchar(10) NULL,    주문여부 smallint NULL ) ON "
                 "[PRIMARY] "));

    add(Step(77)
            .WhenColumnMissing("메모상용구", "구분코드")
            .Line("메모상용구 테이블에 구분코드 필드 추가")
            .Run("ALTER TABLE 메모상용구 ADD 구분코드 NVARCHAR(5) "));

    add(Step(78)
            .WhenNoRow("SELECT * FROM 포스버튼 WHERE 버튼인덱스 = 16 ")
            .Line("포스버튼 테이블에 데이터 추가 - 돈통오픈")
            .Run(kCashDrawerButtonInsert));

    add(Step(79)
            .WhenColumnMissing("사용상품", "주문횟수")
            .Line("사용상품 테이블에 주문횟수 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD 주문횟수 SMALLINT "));

    add(Step(80)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frmKillProductList'")
            .Line("로그인권한 관리 기능 갱신 - 상품별입출고현황 ")
            .Run(" UPDATE 로그인퍼미션 SET 사용자폼명='상품별입출고현황' WHERE 사용자폼명 = "
                 "'상품별입출고조회' ")
            .Run(PermissionInsert("'frmKillProductList', '퇴출상품관리', '1', '1', '1', '",
                                  "', '[상품관리]-[퇴출상품관리]', '0')")));

    add(Step(81)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm적정재고자동계산'")
            .Line("로그인권한 관리 기능 갱신 - 적정재고관리")
            .Run(PermissionInsert("'frm적정재고자동계산', '적정재고관리', '1', '1', '1', '",
                                  "', '[재고관리]-[적정재고관리],[적정재고및주문수량관리]', "
                                  "'0')")));

    add(Step(82)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm회전율분석'")
            .Line("로그인권한 관리 기능 갱신 - 회전율분석")
            .Run(PermissionInsert("'frm회전율분석', '회전율분석', '1', '1', '1', '",
                                  "', '[재고관리]-[회전율분석]', '0')")));

    add(Step(83)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm반출등록'")
            .Line("로그인권한 관리 기능 갱신 - 반품명세서작성")
            .Run(PermissionInsert("'frm반출등록', '반품명세서작성', '1', '1', '1', '",
                                  "', '[주문관리]-[반품명세서작성]', '0')")));

    // The description says 입출금 where the form's name says 입출고; both as the forms show them.
    add(Step(84)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm거래처매출현황'")
            .Line("로그인권한 관리 기능 갱신 - 거래처별입출고집계")
            .Run(PermissionInsert("'frm거래처매출현황', '거래처별입출고집계', '1', '1', '1', '",
                                  "', '[집계및분석]-[거래처별입출금집계]', '0')")));

    add(Step(85)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm자료검증'")
            .Line("로그인권한 관리 기능 갱신 - 자료검증")
            .Run(PermissionInsert("'frm자료검증', '자료검증', '1', '1', '1', '",
                                  "', '[집계및분석]-[자료검증]', '0')")));

    add(Step(86)
            .WhenTableMissing("간편주문")
            .Line("간편주문 테이블 추가")
            .RunLines({" CREATE TABLE [dbo].[간편주문]( ",
                       "   [일련번호] [smallint] IDENTITY(1,1) NOT NULL, ",
                       "   [설정일자] [nvarchar](8) COLLATE Korean_Wansung_CI_AS NOT NULL, ",
                       "   [제품명] [varchar](100) COLLATE Korean_Wansung_CI_AS NULL, ",
                       "   [제품코드] [nvarchar](10) COLLATE Korean_Wansung_CI_AS NULL, ",
                       "   [확장코드] [nvarchar](10) COLLATE Korean_Wansung_CI_AS NULL, ",
                       "   [사용량] [float] NULL, ",
                       "   [주문수량] [float] NULL, ",
                       "   [입고단가] [money] NULL, ",
                       "   [금액] [money] NULL, ",
                       "   [거래처코드] [nvarchar](6) COLLATE Korean_Wansung_CI_AS NULL, ",
                       "   [거래처명] [nvarchar](50) COLLATE Korean_Wansung_CI_AS NULL, ",
                       "   [매입처] [smallint] NULL, ",
                       "   [확장주문수량] [float] NULL, ",
                       "   [확장포장수량] [float] NULL, ",
                       "   [확장주문단가] [float] NULL, ",
                       "   [확장주문금액] [money] NULL, ",
                       "   [비고] [nvarchar](100) COLLATE Korean_Wansung_CI_AS NULL, ",
                       "  CONSTRAINT [PK_간편주문] PRIMARY KEY CLUSTERED  ",
                       " ( ",
                       "   [일련번호] ASC, ",
                       "   [설정일자] ASC ",
                       " )) ON [PRIMARY] "}));

    // The two widenings test the column's stored length on the server themselves.
    add(Step(87)
            .WhenColumnMissing("거래처마스터", "매입처구분")
            .Line("거래처마스터 - 매입처구분 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 매입처구분 SMALLINT NULL")
            .Nested(Branch()
                        .WhenColumnPresent("사용상품", "표준코드")
                        .Run("IF EXISTS (SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('사용상품') "
                             "AND NAME='표준코드' AND LENGTH = 9)        ALTER TABLE 사용상품 "
                             "ALTER COLUMN 표준코드 varchar(10) "))
            .Nested(Branch()
                        .WhenColumnPresent("TB_TmpPdt", "vcNowOrder")
                        .Run(" IF EXISTS(SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('TB_TmpPdt') "
                             "AND NAME='vcNowOrder' AND LENGTH = 6)        ALTER TABLE TB_TmpPdt "
                             "ALTER COLUMN vcNowOrder varchar(8) ")));

    add(Step(88)
            .WhenColumnMissing("거래처마스터", "사이트연동")
            .Line("거래처마스터 - 사이트연동 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 사이트연동 SMALLINT NULL"));

    add(Step(89)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm고정전표관리'")
            .Line("로그인권한 관리 기능 갱신 - 재고고정전표관리")
            .Run(PermissionInsert("'frm고정전표관리', '재고고정전표관리', '1', '1', '1', '",
                                  "', '[재고조사]-[재고고정전표관리]', '0')")));

    add(Step(90)
            .WhenColumnMissing("전표마스터", "재계산제외")
            .Line("전표마스터 - 재계산제외 필드 추가")
            .Run("ALTER TABLE 전표마스터 ADD 재계산제외 SMALLINT NULL"));

    add(Step(91)
            .WhenColumnMissing("입출상품", "재계산제외")
            .Line(" 입출상품 - 재계산제외 필드 추가")
            .Run("ALTER TABLE 입출상품 ADD 재계산제외 SMALLINT NULL"));

    add(Step(92)
            .WhenColumnMissing("사용상품", "특별주문상품")
            .Line("사용상품 - 특별주문상품 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD 특별주문상품 SMALLINT NULL"));

    // The toolbar steps move the buttons at the end of the bar down to make room; a database
    // whose bar differs from the expected one keeps its rows, as no update matches.
    add(Step(93)
            .WhenNoRow("SELECT * FROM 툴바설정 WHERE ID = '23'")
            .Line("툴바 메뉴 추가")
            .Run("UPDATE 툴바설정 SET 사용=0 WHERE 메뉴명 IN ('계산기','메뉴')")
            .Run("UPDATE 툴바설정 SET ID = ID+2 WHERE ID=23 AND 메뉴명 ='--------4'")
            .Run("UPDATE 툴바설정 SET ID = ID+2 WHERE ID=24 AND 메뉴명 ='작업종료'")
            .Run("UPDATE 툴바설정 SET ID = ID+2 WHERE ID=25 AND 메뉴명 ='수발주서'")
            .Run(std::string(kToolbarInsert) + "'23','약사랑','약사랑app 안내','1','1','0')")
            .Run(std::string(kToolbarInsert) +
                 "'24','백광약품','백광의약품 주문사이트 접속','1','1','0')"));

    add(Step(94)
            .WhenRow("SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('팜페이') AND NAME='카드번호' "
                     "AND LENGTH = 20")
            .Line("팜페이 - 카드번호 필드 확장")
            .Run(" ALTER TABLE 팜페이 ALTER COLUMN 카드번호 CHAR(100) "));

    // (Mark 95 is not used.)

    // Marks 96 and 97 replace the stock recalculation routines of a SQL Server database.
    add(Step(96)
            .DateGate("20130313")
            .Always()
            .Run(ProbeAndDrop("SELECT * FROM sys.objects WHERE object_id = "
                              "OBJECT_ID(N'[dbo].[FN_SPLIT_nth]') AND type in (N'FN', N'IF', "
                              "N'TF', N'FS', N'FT')",
                              " DROP FUNCTION FN_SPLIT_nth "))
            .Line("재고재계산 관련 저장프로시저 갱신 - 1")
            .Call([](RunContext& c) { InstallSplitFunction(c.runtime); }));

    add(Step(97)
            .DateGate("20130313")
            .Always()
            .Run(ProbeAndDrop("SELECT * FROM sys.objects WHERE object_id = "
                              "OBJECT_ID(N'[dbo].[PR_NVMgt_U_StockReCalc]') AND type in (N'P', "
                              "N'PC')",
                              " DROP PROCEDURE PR_NVMgt_U_StockReCalc "))
            .Line("재고재계산 관련 저장프로시저 갱신 - 2")
            .Call([](RunContext& c) { InstallStockRecalcProcedure(c.runtime); }));

    add(Step(98)
            .WhenColumnMissing("간편주문", "선택")
            .Line("간편주문 - 선택 필드 추가")
            .Run("ALTER TABLE 간편주문 ADD 선택 INT NULL"));

    add(Step(99)
            .DateGate("20130927")
            .WhenRow("SELECT * FROM CONFIG WHERE 순서='121' AND 적용='0' ")
            .Line("데이터 백업경로 재설정")
            .Run(" UPDATE CONFIG SET 적용 = 'C:\\Quillon\\BackUp\\' WHERE 순서='121' AND "
                 "(적용='0' or 적용='') "));

    // (Mark 100 is not used.)

    add(Step(101)
            .DateGate("20140709")
            .WhenNoRow("SELECT * FROM 툴바설정 WHERE ID = '28'")
            .Line("툴바 메뉴 추가")
            .Run("UPDATE 툴바설정 SET ID = ID+1 WHERE ID=25 AND 메뉴명 ='--------4'")
            .Run("UPDATE 툴바설정 SET ID = ID+1 WHERE ID=26 AND 메뉴명 ='작업종료'")
            .Run("UPDATE 툴바설정 SET ID = ID+1 WHERE ID=27 AND 메뉴명 ='수발주서'")
            .Run(std::string(kToolbarInsert) + "'25','KCP조회','KCP 승인내역 조회','0','1','0')"));

    add(Step(102)
            .WhenColumnMissing("전표마스터", "환급전표발행번호")
            .Line("전표마스터 - 환급전표발행번호 필드 추가 ")
            .Run("ALTER TABLE 전표마스터 ADD 환급전표발행번호 char(12)")
            .Nested(Branch()
                        .WhenTableMissing("CubeRefund")
                        .RunLines({" CREATE TABLE [dbo].[CubeRefund]( ",
                                   "   [ID] [smallint] IDENTITY(1,1) NOT NULL, ",
                                   "   [전문TYPE] [char](4) NULL, ",
                                   "   [거래고유번호] [char](12) NULL, ",
                                   "   [응답코드] [char](4) NULL, ",
                                   "   [FTP_flag] [char](1) NULL, ",
                                   "   [레코드건수] [char](6) NULL, ",
                                   "   [레코드길이] [char](4) NULL, ",
                                   "   [가맹점거래고유번호] [char](20) NULL, ",
                                   "   [환급전표발행번호] [char](12) NULL, ",
                                   "   [여권번호] [char](9) NULL, ",
                                   "   [구매자성명] [char](40) NULL, ",
                                   "   [구매자국적] [char](3) NULL, ",
                                   "   [환급액] [char](8) NULL, ",
                                   "   [응답메시지] [char](200) NULL, ",
                                   "   [Up_Date] [datetime] NULL, ",
                                   "   [취소일자] [datetime] NULL, ",
                                   "   [요청메시지] [nvarchar](max) NULL, ",
                                   "  CONSTRAINT [PK_CubeRefund] PRIMARY KEY CLUSTERED  ",
                                   " ( ",
                                   "   [ID] ASC ",
                                   " ) ",
                                   " ) ON [PRIMARY] "})));

    add(Step(103)
            .WhenNoRow("SELECT * FROM 포스버튼 WHERE 버튼인덱스 = 17")
            .Line("포스버튼 테이블에 데이터 추가 - 현금+텍스프리")
            .Run("insert into 포스버튼(순서,버튼명,버튼기능,사용,버튼인덱스) "
                 "Values(17,'현금+TaxFree','현금판매 후 TaxFree전표를 발행합니다..',0,17)")
            .Line("포스버튼 테이블에 데이터 추가 - 카드+텍스프리")
            .Run("insert into 포스버튼(순서,버튼명,버튼기능,사용,버튼인덱스) "
                 "Values(18,'카드+TaxFree','카드판매 후 TaxFree전표를 발행합니다..',0,18)"));

    add(Step(104)
            .WhenTableMissing("페이페이")
            .Line("페이페이 카드결제 테이블 추가")
            .RunLines({" CREATE TABLE [dbo].[페이페이]( ", "   [전표종류] [varchar](4) NULL, ",
                       "   [카드번호] [varchar](20) NULL, ", "   [승인번호] [varchar](12) NULL, ",
                       "   [승인일시] [varchar](14) NULL, ", "   [가맹점번호] [varchar](15) NULL, ",
                       "   [카드종류] [varchar](20) NULL, ", "   [매입사명] [varchar](20) NULL, ",
                       "   [할부개월] [varchar](2) NULL, ", "   [조제금액] [varchar](9) NULL, ",
                       "   [일반금액] [varchar](9) NULL, ", "   [예비금액] [varchar](9) NULL, ",
                       "   [세금액] [varchar](9) NULL, ", "   [응답코드] [varchar](4) NULL, ",
                       "   [응답메시지] [varchar](100) NULL, ",
                       "   [응답전문] [varchar](1000) NULL, ", "   [단말기ID] [varchar](20) NULL, ",
                       "   [취소일자] [datetime] NULL ", " ) ON [PRIMARY] "}));

    add(Step(105)
            .WhenColumnMissing("간편주문", "전달내용")
            .Line("간편주문,발주상품 - 전달내용 필드 추가")
            .Run("ALTER TABLE 간편주문 ADD 전달내용 NVARCHAR(100) NULL")
            .Run("ALTER TABLE 발주상품 ADD 전달내용 NVARCHAR(100) NULL")
            .Run("ALTER TABLE 거래처마스터 ADD 주문앱연동 SMALLINT NULL DEFAULT 1")
            .Run("UPDATE 거래처마스터 SET 주문앱연동 = 1")
            .Run("ALTER TABLE 발주전표 ADD 앱전송여부 SMALLINT ")
            .Run("ALTER TABLE 발주전표 ADD 앱전송시간 NVARCHAR(25) NULL "));

    add(Step(106)
            .WhenColumnMissing("창고입출상품", "확장코드")
            .Line("창고입출상품 - 확장코드 필드 추가")
            .Run("ALTER TABLE 창고입출상품 ADD 확장코드 VARCHAR(10) NULL")
            .Run("ALTER TABLE 창고입출상품 ADD 확장포장수량 FLOAT NULL"));

    // (Mark 107 is not used.)

    add(Step(108)
            .DateGate("20160610")
            .WhenNoRow("SELECT * FROM 포스버튼 WHERE 버튼인덱스 = 19 ")
            .Line("포스버튼 테이블에 데이터 추가 - 고객등록")
            .Run("insert into 포스버튼(순서,버튼명,버튼기능,사용,버튼인덱스) "
                 "Values(19,'고객등록','포스화면에서 고객을 등록할 수 있게 합니다.',0,19)"));

    add(Step(109)
            .WhenColumnMissing("발주전표", "앱확인시간")
            .Line("발주전표 - 앱확인시간,상태 필드 추가")
            .Run("ALTER TABLE 발주전표 ADD 앱확인시간 NVARCHAR(25) NULL, 앱상태 NVARCHAR(10) NULL, "
                 "앱주문번호 NVARCHAR(10) NULL "));

    add(Step(110)
            .WhenColumnMissing("거래처마스터", "팩스전송")
            .Line("거래처마스터 - 팩스전송 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 팩스전송 SMALLINT NULL ")
            .Run("UPDATE 거래처마스터 SET 팩스전송=1 WHERE 주문서발송 in (1,3,5,7) "));

    add(Step(111)
            .WhenRow("SELECT * FROM 툴바설정 WHERE 메뉴명 IN ('백광약품','유팜몰') ")
            .Line("메인화면 - 백광약품, 유팜몰 버튼 제거")
            .Run("DELETE FROM 툴바설정 WHERE 메뉴명 IN ('백광약품','유팜몰') ")
            .Run("UPDATE 툴바설정 SET ID = 24 WHERE ID=25 AND 메뉴명 ='KCP조회'")
            .Run("UPDATE 툴바설정 SET ID = 25 WHERE ID=26 AND 메뉴명 ='--------4'")
            .Run("UPDATE 툴바설정 SET ID = 26 WHERE ID=27 AND 메뉴명 ='작업종료'")
            .Run("UPDATE 툴바설정 SET ID = 27 WHERE ID=28 AND 메뉴명 ='수발주서'"));

    // The refresh runs first; its summary becomes the step's line.
    add(Step(112).OnlyTarget(0).DateGate("20161116").Always().LineFrom([](RunContext& c) {
        return repairs::RefreshDrugPrices(c.runtime);
    }));

    add(Step(113)
            .DateGate("20170208")
            .Always()
            .Line("메인화면 - 팜스웰몰 버튼 추가")
            .Run("UPDATE 툴바설정 SET ID = 25 WHERE ID=24 AND 메뉴명 ='KCP조회'")
            .Run("UPDATE 툴바설정 SET ID = 26 WHERE ID=25 AND 메뉴명 ='--------4'")
            .Run("UPDATE 툴바설정 SET ID = 27 WHERE ID=26 AND 메뉴명 ='작업종료'")
            .Run("UPDATE 툴바설정 SET ID = 28 WHERE ID=27 AND 메뉴명 ='수발주서'")
            .Run(std::string(kToolbarInsert) +
                 "'24','팜스웰몰','팜스웰몰 사이트 접속','0','1','0')")
            .Nested(Branch()
                        .WhenFieldLess(kEnabledToolbarButtons, "ChkCount", kMaxEnabledButtons)
                        .Run("UPDATE 툴바설정 SET 사용 = 1 WHERE ID = 24 ")));

    add(Step(114)
            .DateGate("20170405")
            .Always()
            .Line("거래처정보(노르베일) 갱신")
            .Run(HeadOfficeSupplierUpdate())
            .Nested(Branch()
                        .WhenFieldGreater(
                            "SELECT COUNT(*) AS 중복 FROM 포스버튼 WHERE 버튼명 = '돈통오픈' ",
                            "중복", 1)
                        .Line("버튼 데이터 오류 수정")
                        .Run("DELETE FROM 포스버튼 WHERE 버튼명 = '돈통오픈' ")
                        .Run(kCashDrawerButtonInsert))
            .Nested(
                Branch()
                    .WhenRecordCountGreater("SELECT * FROM 포스버튼 WHERE 버튼명 = '전표메모' ", 0)
                    .Line("포스버튼 명칭변경(임시저장->계산보류, 전표메모->판매메모)")
                    .Run("UPDATE 포스버튼 SET 버튼명 = '계산보류' WHERE 버튼명 = '임시저장' ")
                    .Run("UPDATE 포스버튼 SET 버튼명 = '판매메모' WHERE 버튼명 = '전표메모' ")));

    add(Step(115)
            .WhenColumnMissing("거래처마스터", "판매담당자")
            .Line("거래처마스터 - 판매담당자 필드 추가")
            .Run("ALTER TABLE 거래처마스터 ADD 판매담당자 NVARCHAR(10) NULL "));

    add(Step(116)
            .WhenColumnMissing("CONFIGPC", "최근사용일")
            .Line("PC별환경설정 - 최근사용일 필드 추가")
            .Run("ALTER TABLE CONFIGPC ADD 최근사용일 DATETIME NULL "));

    add(Step(117)
            .WhenNoRow("SELECT * FROM 로그인퍼미션 WHERE 폼명 = 'frm결제고정전표'")
            .Line("로그인권한 관리 기능 갱신 - 원장고정전표관리")
            .Run(PermissionInsert("'frm결제고정전표', '원장고정전표관리', '0', '1', '1', '",
                                  "', '[거래처/고객관리]-[원장고정전표관리]', '0')")));

    add(Step(118)
            .WhenColumnMissing("사용상품", "주의표시")
            .Line("사용상품 - 주의표시 필드 추가")
            .Run("ALTER TABLE 사용상품 ADD 주의표시 SMALLINT NULL"));

    add(Step(119)
            .WhenTableMissing("코드마스터_그룹")
            .Line("[코드마스터_그룹] 테이블 추가")
            .RunLines({"CREATE TABLE 코드마스터_그룹( ", "   분류키 nvarchar(3) NOT NULL, ",
                       "   분류명 nvarchar(50) NULL, ", "   사용구분 smallint NULL, ",
                       "   비고 nvarchar(50) NULL, ", "   순서 int NULL, ",
                       "   Del_Chk smallint NULL, ", "   바코드 nvarchar(16) NULL, ",
                       "   수용코드 nvarchar(3) NULL, ", "   Up_Date datetime NULL, ",
                       "   전표할인 money NULL, ",
                       " CONSTRAINT [PK_코드마스터_그룹] PRIMARY KEY CLUSTERED  ", "( ",
                       "   [분류키] ASC ",
                       ")WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = "
                       "OFF, ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY] ",
                       ") ON [PRIMARY] "}));

    add(Step(120)
            .WhenTableMissing("코드대분류_그룹")
            .Line("[코드대분류_그룹] 테이블 추가")
            .RunLines({"CREATE TABLE dbo.코드대분류_그룹( ",
                       "   분류키 nvarchar(3) NOT NULL, ",
                       "   분류명 nvarchar(50) NULL, ",
                       "   사용구분 smallint NULL, ",
                       "   비고 nvarchar(50) NULL, ",
                       "   순서 int NULL, ",
                       "   Del_Chk smallint NULL, ",
                       "   바코드 nvarchar(16) NULL, ",
                       "   수용코드 nvarchar(3) NULL, ",
                       "   Up_Date datetime NULL, ",
                       "   제품코드 nvarchar(10) NULL, ",
                       "   확장바코드 nvarchar(10) NULL, ",
                       "   마스터분류키 nvarchar(5) NULL, ",
                       "   수량 smallint null, ",
                       "   단가 money NULL, ",
                       "   할인 money NULL, ",
                       " CONSTRAINT [PK_코드대분류_그룹] PRIMARY KEY CLUSTERED  ",
                       "( ",
                       "   [분류키] ASC ",
                       ")WITH (PAD_INDEX  = OFF, STATISTICS_NORECOMPUTE  = OFF, IGNORE_DUP_KEY = "
                       "OFF, ALLOW_ROW_LOCKS  = ON, ALLOW_PAGE_LOCKS  = ON) ON [PRIMARY] ",
                       ") ON [PRIMARY] "}));

    add(Step(121)
            .WhenColumnMissing("상품설명출력", "복약지도")
            .Line("상품설명출력 - 복약지도,출력여부 필드 추가")
            .Run("ALTER TABLE 상품설명출력 ADD 복약지도 NVARCHAR(2000) NULL")
            .Run("ALTER TABLE 상품설명출력 ADD 출력여부 SMALLINT NULL DEFAULT 1")
            .Run("UPDATE 상품설명출력 SET 출력여부 = 1"));

    add(Step(122)
            .WhenTableMissing("유효기간관리")
            .Line("[유효기간관리] 테이블 추가")
            .RunLines({"CREATE TABLE 유효기간관리( ", "   일련번호 nvarchar(10) NOT NULL, ",
                       "   제품명 varchar(100) NOT NULL, ", "   제품코드 nvarchar(10) NOT NULL, ",
                       "   확장코드 nvarchar(10) NULL, ", "   유효기간 nvarchar(8) NULL, ",
                       "   재고수량 float NULL, ", "   유효기간비고 nvarchar(200) NULL, ",
                       "   UP_DATE datetime NULL, ", "   DEL_CHK smallint NULL, ",
                       " CONSTRAINT [PK_유효기간관리] PRIMARY KEY CLUSTERED  ", "( ",
                       "   [일련번호] ASC ",
                       ")WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = "
                       "OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY] ",
                       ") ON [PRIMARY] "}));

    // With the team calendar's tables comes its toolbar button, enabled while the bar has room.
    add(Step(123)
            .WhenTableMissing("일정관리")
            .Line("[일정관리] 테이블 추가")
            .RunLines({"CREATE TABLE 일정관리( ", "   작성일자 varchar(8) NOT NULL, ",
                       "   작성번호 varchar(8) NOT NULL, ", "   작성자ID nvarchar(10) NULL, ",
                       "   작성자 nvarchar(14) NULL, ", "   일정제목 nvarchar(50) NULL, ",
                       "   일정내용 nvarchar(500) NULL, ", "   Del_Chk smallint NULL, ",
                       "   Up_date datetime NULL, ", "   Hit smallint NULL, ",
                       " CONSTRAINT [PK_일정관리] PRIMARY KEY CLUSTERED  ", "( ",
                       "   [작성일자] ASC, ", "   [작성번호] ASC ",
                       ")WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = "
                       "OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY] ",
                       ") ON [PRIMARY] "})
            .Line("[일정관리_댓글] 테이블 추가")
            .RunLines({"CREATE TABLE 일정관리_댓글( ", "   작성일자 varchar(8) NOT NULL, ",
                       "   작성번호 varchar(8) NOT NULL, ", "   일련번호 varchar(8) NOT NULL, ",
                       "   작성자ID nvarchar(10) NULL, ", "   작성자 nvarchar(14) NULL, ",
                       "   댓글작성일 datetime NULL, ", "   댓글내용 nvarchar(500) NULL, ",
                       "   Del_Chk smallint NULL, ",
                       " CONSTRAINT [PK_일정관리_댓글] PRIMARY KEY CLUSTERED  ", "( ",
                       "   [작성일자] ASC, ", "   [작성번호] ASC, ", "   [일련번호] ASC ",
                       ")WITH (PAD_INDEX = OFF, STATISTICS_NORECOMPUTE = OFF, IGNORE_DUP_KEY = "
                       "OFF, ALLOW_ROW_LOCKS = ON, ALLOW_PAGE_LOCKS = ON) ON [PRIMARY] ",
                       ") ON [PRIMARY] "})
            .Nested(Branch()
                        .WhenNoRow("SELECT * FROM 툴바설정 WHERE 메뉴명='팀캘린더' ")
                        .Line("[팀캘린더] 툴바버튼 추가")
                        .Run("UPDATE 툴바설정 SET ID = ID + 1 WHERE ID > 25 ")
                        .Run(std::string(kToolbarInsert) +
                             "'26','팀캘린더','팀단위 일정관리 프로그램','1','1','0')")
                        .Nested(Branch()
                                    .WhenFieldLess(kEnabledToolbarButtons, "ChkCount",
                                                   kMaxEnabledButtons)
                                    .Run("UPDATE 툴바설정 SET 사용 = 1 WHERE ID = 26 "))));

    add(Step(124)
            .OnlyTarget(0)
            .DateGate("20190327")
            .Always()
            .Line("[PdtLocation] 테이블 내용 재정리")
            .Run("ALTER TABLE PdtLocation ADD 위치대표 SMALLINT NULL")
            .Call([](RunContext& c) { repairs::RebuildProductLocations(c.runtime); }));

    add(Step(125)
            .WhenRow("SELECT * FROM SYSCOLUMNS WHERE ID=OBJECT_ID('팜페이') AND NAME='처리번호' "
                     "AND LENGTH = 12")
            .Line("팜페이 - 처리번호 필드 확장")
            .Run(" ALTER TABLE 팜페이 ALTER COLUMN 처리번호 CHAR(14) "));

    add(Step(126)
            .DateGate("20201013")
            .WhenNoRow("SELECT * FROM SYSOBJECTS WHERE xtype = 'FN' AND NAME = 'ConcatList' ")
            .Line("현재고현황 - 상품위치 조회 함수 추가")
            .RunLines({"CREATE FUNCTION [dbo].[ConcatList] (@PdtCode VARCHAR(10)) ",
                       "RETURNS NVARCHAR(4000) ", "AS ", "BEGIN ", "   DECLARE @Cnt INT ",
                       "   DECLARE @res NVARCHAR(4000) ", " ", "   SELECT @cnt = count(*) ",
                       "   FROM pdtlocation ", "   WHERE 제품코드 = @PdtCode ", " ",
                       "   SELECT TOP (@Cnt) @res = coalesce(@res + ',', '') + 상품위치 ",
                       "   FROM PdtLocation ", "   WHERE 제품코드 = @PdtCode ",
                       "   GROUP BY 상품위치 ",
                       "   ORDER BY 상품위치 COLLATE Latin1_General_CS_AS_KS_WS ASC ", " ",
                       "   RETURN (@res) ", "END "}));

    add(Step(127)
            .WhenColumnMissing("전표마스터", "잔액수정금액")
            .Line("전표마스터 테이블에 잔액수정금액 필드 추가")
            .Run("ALTER TABLE 전표마스터 ADD 잔액수정금액 MONEY NULL"));

    return steps;
}

}  // namespace patch
