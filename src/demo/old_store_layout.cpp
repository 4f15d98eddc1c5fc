#include "demo/old_store_layout.h"

#include <span>

#include "demo/old_store_rows.h"
#include "util/sql_text.h"

namespace demo {
namespace {

// Column kinds and their type names in the two dialects. Text is the store's national text,
// Var its single-byte text (both TEXT in an MDB file).
enum class Kind { Text, Var, Char, Short, Long, Money, Double, Date };

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
    {Kind::Text, "TEXT", "NVARCHAR"},  {Kind::Var, "TEXT", "VARCHAR"},
    {Kind::Char, "TEXT", "CHAR"},      {Kind::Short, "SHORT", "SMALLINT"},
    {Kind::Long, "LONG", "INT"},       {Kind::Money, "CURRENCY", "MONEY"},
    {Kind::Double, "DOUBLE", "FLOAT"}, {Kind::Date, "DATETIME", "DATETIME"},
};

// An index; the store names its indexes after their (first) column, per table.
struct Index {
    const char* name;
    const char* column;  // or columns, separated by commas
};

enum class Where { Both, MdbOnly };

struct Table {
    const char* name;
    std::span<const Column> columns;
    std::span<const char* const> key = {};  // primary key columns, NOT NULL
    std::span<const Index> indexes = {};
    Where where = Where::Both;
};

using K = Kind;

// clang-format off
constexpr Column k사용상품[] = {
    {"제품코드", K::Text, 10}, {"제품명", K::Text, 50}, {"규격", K::Var, 50},
    {"제조사", K::Text, 30}, {"바코드", K::Var, 13}, {"중복바코드", K::Var, 13},
    {"바코드캡션", K::Var, 100}, {"연합회코드", K::Text, 20}, {"제품분류", K::Var, 2},
    {"가격분류", K::Var, 2}, {"기타분류", K::Var, 2}, {"제품세부분류", K::Var, 4},
    {"조제약여부", K::Short}, {"급여구분", K::Text, 10}, {"복용구분", K::Short},
    {"입고단가", K::Money}, {"소매단가", K::Money},
    {"심평원규격", K::Text, 40}, {"재고확인일", K::Text, 8}, {"SCPCODE", K::Text, 10},
    {"디자인명", K::Text, 50}, {"적재자동계산", K::Short}, {"상품위치", K::Text, 50},
    {"무게등록일자", K::Text, 8}, {"재고메모", K::Var, 20}, {"유효기간", K::Var, 8},
    {"매입거래처", K::Text, 6}, {"최근매입처", K::Text, 6}, {"DEL_CHK", K::Short},
    {"UP_DATE", K::Date}, {"CHK_MEMO", K::Var, 200}, {"재고수량", K::Double},
    {"평균단가", K::Money}, {"최근매입일", K::Text, 8}, {"최근매입수량", K::Double},
};
constexpr const char* k사용상품Key[] = {"제품코드"};
constexpr Index k사용상품Indexes[] = {
    {"제품명", "제품명"},       {"바코드", "바코드"},         {"상품위치", "상품위치"},
    {"매입거래처", "매입거래처"}, {"최근매입처", "최근매입처"},
};

// No key yet: codes held twice exist until the catalogue renumbers them and sets the key.
constexpr Column k확장바코드[] = {
    {"제품코드", K::Text, 10}, {"바코드코드", K::Text, 10}, {"바코드구분", K::Text, 20},
    {"바코드", K::Var, 13}, {"중복바코드", K::Var, 13}, {"포장수량", K::Money},
    {"구분키", K::Text, 2}, {"상품위치", K::Text, 50}, {"무게등록일자", K::Text, 8},
    {"재고메모", K::Var, 20}, {"CHK_MEMO", K::Var, 200}, {"DEL_CHK", K::Short},
    {"UP_DATE", K::Date}, {"최근입고단가", K::Money}, {"판매단가", K::Money},
};
constexpr Index k확장바코드Indexes[] = {{"제품코드", "제품코드"}, {"바코드코드", "바코드코드"}};
// The point screens find a sale's point rows by its date and number.
constexpr Index k사은점수이력Indexes[] = {{"작업일자", "작업일자, 작업번호"}};

constexpr Column k입출상품[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"일련번호", K::Short},
    {"제품코드", K::Text, 10}, {"제품명", K::Text, 50}, {"확장코드", K::Text, 10},
    {"입출수량", K::Money}, {"단가", K::Money}, {"확장포장수량", K::Double},
    {"전표종류", K::Short}, {"제품분류", K::Var, 2}, {"가격분류", K::Var, 2},
    {"DEL_CHK", K::Short}, {"매장코드", K::Text, 4}, {"수량", K::Double}, {"거래단가", K::Money},
    {"전재고", K::Double}, {"현재고", K::Double}, {"재고단가", K::Money}, {"이익금", K::Money},
};
constexpr const char* k입출상품Key[] = {"작업일자", "전표번호", "일련번호"};
// Stock and sales screens look voucher lines up by product.
constexpr Index k입출상품Indexes[] = {{"제품코드", "제품코드"}};

// The stock carried over at the last closing, per product.
constexpr Column k제품정보[] = {
    {"제품코드", K::Text, 10}, {"이월수량", K::Double}, {"재고단가", K::Money},
    {"최근매입일", K::Text, 8}, {"최근매입수량", K::Double},
};

constexpr Column k임시입출상품[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"제품코드", K::Text, 10},
    {"제품명", K::Text, 50}, {"입출수량", K::Money}, {"제품분류", K::Var, 2},
    {"가격분류", K::Var, 2},
};
constexpr Column k포스버튼[] = {
    {"순서", K::Short}, {"버튼명", K::Text, 20}, {"버튼기능", K::Text, 100},
    {"사용", K::Short}, {"버튼인덱스", K::Short},
};
constexpr Column k재고조사_집계[] = {
    {"조사코드", K::Text, 6}, {"제품코드", K::Text, 10}, {"전산수량", K::Money},
    {"조사수량", K::Money},
};
constexpr Column k재고조사_담당자[] = {
    {"조사코드", K::Text, 6}, {"담당자코드", K::Text, 4}, {"DEL_CHK", K::Short},
};
constexpr Column k재고조사전표[] = {
    {"조사코드", K::Text, 6}, {"조사일자", K::Text, 8}, {"비고", K::Text, 50},
    {"DEL_CHK", K::Short},
};
constexpr Column k직원관리[] = {
    {"직원코드", K::Text, 4}, {"직원명", K::Text, 20}, {"직급", K::Text, 10},
};
constexpr Column k거래처마스터[] = {
    {"거래처코드", K::Text, 6}, {"거래처명", K::Text, 50}, {"대표자명", K::Text, 10},
    {"사업자번호", K::Text, 12}, {"업종", K::Text, 20}, {"업태", K::Text, 20},
    {"담당자", K::Text, 10}, {"우편번호", K::Text, 7}, {"우편숫자", K::Short},
    {"주소", K::Text, 100}, {"지역번호", K::Text, 4}, {"전화번호", K::Text, 20},
    {"팩스번호", K::Text, 20}, {"거래구분", K::Short}, {"최초등록일", K::Text, 8},
    {"현재포인트", K::Long}, {"기념일1", K::Text, 6}, {"기념일2", K::Text, 6},
    {"비고", K::Text, 255}, {"CHK_MEMO", K::Text, 50}, {"DEL_CHK", K::Short},
    {"UP_DATE", K::Date},
};
constexpr const char* k거래처마스터Key[] = {"거래처코드"};

constexpr Column k로그인퍼미션[] = {
    {"폼명", K::Text, 40}, {"사용자폼명", K::Text, 40}, {"퍼미션1", K::Short},
    {"퍼미션2", K::Short}, {"퍼미션3", K::Short}, {"매장코드", K::Text, 4},
};
constexpr Column k세금계산서상품[] = {
    {"작업일자", K::Text, 8}, {"계산서번호", K::Text, 6}, {"일련번호", K::Short},
    {"제품코드", K::Text, 10}, {"제품명", K::Text, 50}, {"수량", K::Long},
    {"단가", K::Money}, {"공급가액", K::Money}, {"세액", K::Money},
};
constexpr Column k링커오류검증[] = {
    {"작업일자", K::Text, 8}, {"오류내용", K::Text, 100},
};
constexpr Column k조제청구상품[] = {
    {"작업일자", K::Text, 8}, {"입출번호", K::Text, 6}, {"제품명", K::Text, 50},
    {"연합회코드", K::Text, 20}, {"입출수량", K::Money}, {"단가", K::Money},
    {"금액", K::Money}, {"제품코드", K::Text, 10},
};
constexpr Column k툴바설정[] = {
    {"ID", K::Short}, {"메뉴명", K::Text, 30}, {"메뉴설명", K::Text, 100},
    {"사용", K::Short}, {"선택가능", K::Short}, {"구분선", K::Short},
};
constexpr Column k전표마스터[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"거래처코드", K::Text, 6},
    {"거래금액", K::Money}, {"미대금", K::Money}, {"비고", K::Text, 100},
    {"DEL_CHK", K::Short},
};
constexpr const char* k전표마스터Key[] = {"작업일자", "전표번호"};

constexpr Column k임시전표마스터[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"거래처코드", K::Text, 6},
    {"거래금액", K::Money}, {"비고", K::Text, 100},
};
constexpr Column k상품분류코드[] = {
    {"분류코드", K::Var, 2}, {"분류명칭", K::Text, 30}, {"DEL_CHK", K::Short},
};
constexpr Column k상품분류세부코드[] = {
    {"분류코드", K::Var, 4}, {"제품분류코드", K::Var, 2}, {"분류명칭", K::Text, 30},
    {"DEL_CHK", K::Short},
};
constexpr Column k상품구분코드[] = {
    {"구분코드", K::Var, 2}, {"구분명칭", K::Text, 30}, {"DEL_CHK", K::Short},
};
constexpr Column k기타분류코드[] = {
    {"분류코드", K::Var, 2}, {"분류명칭", K::Text, 30},  {"DEL_CHK", K::Short},
    {"비고", K::Var, 100},   {"작업일자", K::Var, 8},    {"관리자_MEMO", K::Var, 200},
    {"변경시간", K::Date},   {"줄번호", K::Var, 3},
};
constexpr Column k발주상품[] = {
    {"발주일자", K::Text, 8}, {"발주번호", K::Text, 6}, {"제품코드", K::Text, 10},
    {"제품명", K::Text, 50}, {"주문수량", K::Double}, {"거래처코드", K::Text, 6},
    {"주문CHK", K::Short}, {"DEL_CHK", K::Short},
};
constexpr Index k제품명Index[] = {{"제품명", "제품명"}};

constexpr Column k발주전표[] = {
    {"발주일자", K::Text, 8}, {"발주번호", K::Text, 6}, {"거래처코드", K::Text, 6},
    {"주문금액", K::Money}, {"DEL_CHK", K::Short}, {"UP_DATE", K::Date},
};
constexpr Column k코드대분류[] = {
    {"분류키", K::Text, 3}, {"분류명", K::Text, 50}, {"마스터분류키", K::Text, 5},
    {"DEL_CHK", K::Short},
};
constexpr Column k코드마스터[] = {
    {"분류키", K::Text, 5}, {"분류명", K::Text, 50}, {"DEL_CHK", K::Short},
};
constexpr Column k인트_사용상품[] = {
    {"제품코드", K::Text, 10}, {"제품명", K::Text, 50}, {"상품위치", K::Text, 50},
};
constexpr Column k바코드외부출력[] = {
    {"제목", K::Text, 50}, {"제조회사", K::Text, 30}, {"수량", K::Short},
};
constexpr Column k제품[] = {
    {"제품코드", K::Text, 10}, {"제품명", K::Text, 50}, {"제품분류", K::Var, 2},
    {"가격분류", K::Var, 2},
};
constexpr Column k사은점수이력[] = {
    {"작업일자", K::Text, 8}, {"작업번호", K::Text, 4}, {"고객코드", K::Text, 10},
    {"사용구분", K::Short}, {"점수", K::Long}, {"UP_DATE", K::Date},
};
constexpr Column k매장전송이력[] = {
    {"전송일자", K::Text, 8}, {"매장코드", K::Text, 4}, {"전송내용", K::Text, 100},
    {"UP_DATE", K::Date},
};
constexpr Column k임시테이블[] = {
    {"제품코드", K::Text, 10}, {"수량", K::Money},
};
constexpr Column k제품명만[] = {
    {"제품코드", K::Text, 10}, {"제품명", K::Text, 50},
};
constexpr Column k창고입출상품[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"제품코드", K::Text, 10},
    {"제품명", K::Text, 50}, {"입출수량", K::Money}, {"DEL_CHK", K::Short},
};
constexpr Column kHandyData[] = {
    {"바코드", K::Var, 13}, {"약품명칭", K::Text, 50}, {"수량", K::Long},
};
constexpr Column k현금시제마감[] = {
    {"마감일자", K::Text, 8}, {"만원권", K::Long}, {"오천원권", K::Long}, {"천원권", K::Long},
};
constexpr Column k메모상용구[] = {
    {"순번", K::Short}, {"메모내용", K::Text, 100},
};
constexpr Column kPATCH_HIST[] = {
    {"날짜", K::Text, 8}, {"번호", K::Long}, {"NV_Ver", K::Text, 20},
    {"NV_ETC", K::Text, 100}, {"NV_GUBUN", K::Long}, {"NV_Date", K::Date},
};

// Card payments of the POS terminal, with the old widths of the card and process numbers.
constexpr Column k팜페이[] = {
    {"작업일자", K::Text, 8}, {"전표번호", K::Text, 6}, {"카드번호", K::Char, 20},
    {"승인번호", K::Char, 12}, {"처리번호", K::Char, 12}, {"금액", K::Money},
};

// The MDB edition's own chart and receipt tables.
constexpr Column kTB_CustomerChart[] = {
    {"vcCmpCd", K::Var, 6}, {"vcSnNum", K::Var, 6}, {"vcContents", K::Var, 255},
    {"vcUpDate", K::Var, 8}, {"DELCHK", K::Short},
};
constexpr const char* kTB_CustomerChartKey[] = {"vcCmpCd", "vcSnNum"};
constexpr Column kTB_ProductChart[] = {
    {"vcPdtCd", K::Var, 10}, {"vcSnNum", K::Var, 6}, {"vcContents", K::Var, 255},
    {"vcUpDate", K::Var, 8}, {"DEL_CHK", K::Short},
};
constexpr const char* kTB_ProductChartKey[] = {"vcPdtCd", "vcSnNum"};
constexpr Column kTB_BusinessReceipt[] = {
    {"vcDate", K::Var, 8}, {"mTotalMoney", K::Money}, {"mStartMoney", K::Money},
    {"mEndMoney", K::Money}, {"vcMemo", K::Var, 200}, {"vcCloseDate", K::Var, 8},
    {"vcShopCode", K::Var, 4},
};
constexpr const char* kTB_BusinessReceiptKey[] = {"vcDate"};

// The MDB edition's own order, payment, group and calendar tables: the store software makes them
// in an MDB file itself, since the statements that create them on SQL Server speak T-SQL only.
constexpr Column k예약상품[] = {
    {"일련번호", K::Short}, {"제품명", K::Var, 100}, {"제품코드", K::Text, 10},
    {"확장코드", K::Text, 10}, {"주문수량", K::Double}, {"입고단가", K::Money}, {"금액", K::Money},
    {"거래처코드", K::Text, 6}, {"거래처명", K::Text, 50}, {"매입처", K::Short},
    {"확장주문수량", K::Double}, {"확장포장수량", K::Double}, {"확장주문단가", K::Double},
    {"확장주문금액", K::Money}, {"예약일자", K::Text, 8}, {"반복주기", K::Short},
    {"반복주기2", K::Short}, {"비고", K::Text, 100},
};
constexpr const char* k일련번호Key[] = {"일련번호"};
constexpr Column k계획상품[] = {
    {"일련번호", K::Short}, {"제품명", K::Var, 100}, {"제품코드", K::Text, 10},
    {"확장코드", K::Text, 10}, {"주문수량", K::Double}, {"입고단가", K::Money}, {"금액", K::Money},
    {"거래처코드", K::Text, 6}, {"거래처명", K::Text, 50}, {"매입처", K::Short},
    {"확장주문수량", K::Double}, {"확장포장수량", K::Double}, {"확장주문단가", K::Double},
    {"확장주문금액", K::Money}, {"예약일수", K::Text, 8}, {"비고", K::Text, 100},
};
constexpr Column k계획상품_상세[] = {
    {"제품코드", K::Text, 10}, {"확장코드", K::Text, 10}, {"예약일자", K::Text, 10},
    {"주문여부", K::Short},
};
constexpr Column k간편주문[] = {
    {"일련번호", K::Short}, {"설정일자", K::Text, 8}, {"제품명", K::Var, 100},
    {"제품코드", K::Text, 10}, {"확장코드", K::Text, 10}, {"사용량", K::Double},
    {"주문수량", K::Double}, {"입고단가", K::Money}, {"금액", K::Money},
    {"거래처코드", K::Text, 6}, {"거래처명", K::Text, 50}, {"매입처", K::Short},
    {"확장주문수량", K::Double}, {"확장포장수량", K::Double}, {"확장주문단가", K::Double},
    {"확장주문금액", K::Money}, {"비고", K::Text, 100},
};
constexpr const char* k간편주문Key[] = {"일련번호", "설정일자"};
constexpr Column kCubeRefund[] = {
    {"ID", K::Short}, {"전문TYPE", K::Char, 4}, {"거래고유번호", K::Char, 12},
    {"응답코드", K::Char, 4}, {"FTP_flag", K::Char, 1}, {"레코드건수", K::Char, 6},
    {"레코드길이", K::Char, 4}, {"가맹점거래고유번호", K::Char, 20},
    {"환급전표발행번호", K::Char, 12}, {"여권번호", K::Char, 9}, {"구매자성명", K::Char, 40},
    {"구매자국적", K::Char, 3}, {"환급액", K::Char, 8}, {"응답메시지", K::Char, 200},
    {"Up_Date", K::Date}, {"취소일자", K::Date}, {"요청메시지", K::Text, 255},
};
constexpr const char* kIDKey[] = {"ID"};
constexpr Column k페이페이[] = {
    {"전표종류", K::Var, 4}, {"카드번호", K::Var, 20}, {"승인번호", K::Var, 12},
    {"승인일시", K::Var, 14}, {"가맹점번호", K::Var, 15}, {"카드종류", K::Var, 20},
    {"매입사명", K::Var, 20}, {"할부개월", K::Var, 2}, {"조제금액", K::Var, 9},
    {"일반금액", K::Var, 9}, {"예비금액", K::Var, 9}, {"세금액", K::Var, 9},
    {"응답코드", K::Var, 4}, {"응답메시지", K::Var, 100}, {"응답전문", K::Var, 255},
    {"단말기ID", K::Var, 20}, {"취소일자", K::Date},
};
constexpr Column k코드마스터_그룹[] = {
    {"분류키", K::Text, 3}, {"분류명", K::Text, 50}, {"사용구분", K::Short}, {"비고", K::Text, 50},
    {"순서", K::Long}, {"Del_Chk", K::Short}, {"바코드", K::Text, 16}, {"수용코드", K::Text, 3},
    {"Up_Date", K::Date}, {"전표할인", K::Money},
};
constexpr const char* k분류키Key[] = {"분류키"};
constexpr Column k코드대분류_그룹[] = {
    {"분류키", K::Text, 3}, {"분류명", K::Text, 50}, {"사용구분", K::Short}, {"비고", K::Text, 50},
    {"순서", K::Long}, {"Del_Chk", K::Short}, {"바코드", K::Text, 16}, {"수용코드", K::Text, 3},
    {"Up_Date", K::Date}, {"제품코드", K::Text, 10}, {"확장바코드", K::Text, 10},
    {"마스터분류키", K::Text, 5}, {"수량", K::Short}, {"단가", K::Money}, {"할인", K::Money},
};
constexpr Column k유효기간관리[] = {
    {"일련번호", K::Text, 10}, {"제품명", K::Var, 100}, {"제품코드", K::Text, 10},
    {"확장코드", K::Text, 10}, {"유효기간", K::Text, 8}, {"재고수량", K::Double},
    {"유효기간비고", K::Text, 200}, {"UP_DATE", K::Date}, {"DEL_CHK", K::Short},
};
constexpr Column k일정관리[] = {
    {"작성일자", K::Var, 8}, {"작성번호", K::Var, 8}, {"작성자ID", K::Text, 10},
    {"작성자", K::Text, 14}, {"일정제목", K::Text, 50}, {"일정내용", K::Text, 255},
    {"Del_Chk", K::Short}, {"Up_date", K::Date}, {"Hit", K::Short},
};
constexpr const char* k일정관리Key[] = {"작성일자", "작성번호"};
constexpr Column k일정관리_댓글[] = {
    {"작성일자", K::Var, 8}, {"작성번호", K::Var, 8}, {"일련번호", K::Var, 8},
    {"작성자ID", K::Text, 10}, {"작성자", K::Text, 14}, {"댓글작성일", K::Date},
    {"댓글내용", K::Text, 255}, {"Del_Chk", K::Short},
};
constexpr const char* k일정관리_댓글Key[] = {"작성일자", "작성번호", "일련번호"};

constexpr Column kCONFIGPC[] = {
    {"피씨코드", K::Text, 10}, {"피씨명", K::Text, 50}, {"테이블명", K::Text, 50},
};
constexpr Column k피씨명[] = {
    {"피씨코드", K::Text, 10}, {"피씨명", K::Text, 50},
};

constexpr Table kStoreTables[] = {
    {"사용상품", k사용상품, k사용상품Key, k사용상품Indexes},
    {"확장바코드", k확장바코드, {}, k확장바코드Indexes},
    {"입출상품", k입출상품, k입출상품Key, k입출상품Indexes},
    {"제품정보", k제품정보},
    {"임시입출상품", k임시입출상품},
    {"포스버튼", k포스버튼},
    {"재고조사_집계", k재고조사_집계},
    {"재고조사_담당자", k재고조사_담당자},
    {"재고조사전표", k재고조사전표},
    {"직원관리", k직원관리},
    {"거래처마스터", k거래처마스터, k거래처마스터Key},
    {"로그인퍼미션", k로그인퍼미션},
    {"세금계산서상품", k세금계산서상품},
    {"링커오류검증", k링커오류검증},
    {"조제청구상품", k조제청구상품},
    {"툴바설정", k툴바설정},
    {"전표마스터", k전표마스터, k전표마스터Key},
    {"임시전표마스터", k임시전표마스터},
    {"상품분류코드", k상품분류코드},
    {"상품분류세부코드", k상품분류세부코드},
    {"상품구분코드", k상품구분코드},
    {"기타분류코드", k기타분류코드},
    {"발주상품", k발주상품, {}, k제품명Index},
    {"발주전표", k발주전표},
    {"코드대분류", k코드대분류},
    {"코드마스터", k코드마스터},
    {"인트_사용상품", k인트_사용상품},
    {"바코드외부출력", k바코드외부출력},
    {"제품", k제품},
    {"사은점수이력", k사은점수이력, {}, k사은점수이력Indexes},
    {"매장전송이력", k매장전송이력},
    {"임시테이블", k임시테이블},
    {"임시테이블2", k임시테이블},
    {"임시사용상품", k제품명만},
    {"제품검색", k제품명만},
    {"창고입출상품", k창고입출상품, {}, k제품명Index},
    {"HandyData", kHandyData},
    {"현금시제마감", k현금시제마감},
    {"메모상용구", k메모상용구},
    {"PATCH_HIST", kPATCH_HIST},
    {"TB_CustomerChart", kTB_CustomerChart, kTB_CustomerChartKey, {}, Where::MdbOnly},
    {"TB_ProductChart", kTB_ProductChart, kTB_ProductChartKey, {}, Where::MdbOnly},
    {"TB_BusinessReceipt", kTB_BusinessReceipt, kTB_BusinessReceiptKey, {}, Where::MdbOnly},
    {"팜페이", k팜페이},
    {"예약상품", k예약상품, k일련번호Key, {}, Where::MdbOnly},
    {"계획상품", k계획상품, k일련번호Key, {}, Where::MdbOnly},
    {"계획상품_상세", k계획상품_상세, {}, {}, Where::MdbOnly},
    {"간편주문", k간편주문, k간편주문Key, {}, Where::MdbOnly},
    {"CubeRefund", kCubeRefund, kIDKey, {}, Where::MdbOnly},
    {"페이페이", k페이페이, {}, {}, Where::MdbOnly},
    {"코드마스터_그룹", k코드마스터_그룹, k분류키Key, {}, Where::MdbOnly},
    {"코드대분류_그룹", k코드대분류_그룹, k분류키Key, {}, Where::MdbOnly},
    {"유효기간관리", k유효기간관리, k일련번호Key, {}, Where::MdbOnly},
    {"일정관리", k일정관리, k일정관리Key, {}, Where::MdbOnly},
    {"일정관리_댓글", k일정관리_댓글, k일정관리_댓글Key, {}, Where::MdbOnly},
};
// clang-format on

std::string TypeName(const Column& c, db::Dialect dialect) {
    for (const TypeNames& t : kTypeNames) {
        if (t.kind != c.kind) continue;
        std::string name = dialect == db::Dialect::Jet ? t.jet : t.sqlServer;
        return c.size > 0 ? name + "(" + std::to_string(c.size) + ")" : name;
    }
    return {};
}

bool InKey(const Table& table, const char* column) {
    for (const char* k : table.key) {
        if (std::string_view(k) == column) return true;
    }
    return false;
}

// CREATE TABLE with the key as a named constraint, a form both dialects take.
std::string CreateTable(const Table& table, db::Dialect dialect) {
    std::string sql = std::string("CREATE TABLE ") + table.name + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const Column& c = table.columns[i];
        if (i) sql += ", ";
        sql += std::string(c.name) + " " + TypeName(c, dialect);
        if (InKey(table, c.name)) sql += " NOT NULL";
    }
    if (!table.key.empty()) {
        sql += std::string(", CONSTRAINT PK_") + table.name + " PRIMARY KEY (";
        for (std::size_t i = 0; i < table.key.size(); ++i) {
            if (i) sql += ", ";
            sql += table.key[i];
        }
        sql += ")";
    }
    return sql + ")";
}

void AddTable(std::vector<std::string>& sql, const Table& table, db::Dialect dialect) {
    sql.push_back(CreateTable(table, dialect));
    for (const Index& index : table.indexes) {
        sql.push_back(std::string("CREATE INDEX ") + index.name + " ON " + table.name + " (" +
                      index.column + ")");
    }
}

}  // namespace

std::vector<std::string> OldStoreStatements(db::Dialect dialect) {
    std::vector<std::string> sql;
    for (const Table& t : kStoreTables) {
        if (t.where == Where::MdbOnly && dialect != db::Dialect::Jet) continue;
        AddTable(sql, t, dialect);
    }
    for (std::string& row : OldStoreRows(dialect)) sql.push_back(std::move(row));
    return sql;
}

std::vector<std::string> ConfigTableStatements(db::Dialect dialect, const std::string& computerName,
                                               const std::vector<ConfigRow>& rows) {
    using util::SqlQuoted;
    std::vector<std::string> sql;
    AddTable(sql, {"CONFIGPC", kCONFIGPC}, dialect);
    AddTable(sql, {"피씨명", k피씨명}, dialect);
    sql.push_back("INSERT INTO CONFIGPC VALUES (" + SqlQuoted(kDemoPcCode) + ", " +
                  SqlQuoted(computerName) + ", 'CONFIG')");
    sql.push_back("INSERT INTO 피씨명 VALUES (" + SqlQuoted(kDemoPcCode) + ", " +
                  SqlQuoted(computerName) + ")");
    sql.push_back(CreateConfigTableSql("CONFIG", dialect));
    for (const ConfigRow& r : rows) sql.push_back(InsertConfigRowSql("CONFIG", r));
    return sql;
}

}  // namespace demo
