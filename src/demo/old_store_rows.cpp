#include "demo/old_store_rows.h"

#include <iterator>

namespace demo {
namespace {

// clang-format off

// Products. 심평원규격 with blanks (trimmed on SQL Server), names, makers and an in-store barcode
// with blanks, a maker with a quote, shelf locations with commas and blanks, suppliers that were deleted since, classes in
// the short code scheme, a wrong 조제약여부 (9) and a deleted product.
constexpr const char* k사용상품Columns =
    "INSERT INTO 사용상품 (제품코드, 제품명, 규격, 제조사, 바코드, 중복바코드, 연합회코드, 제품분류, "
    "가격분류, 기타분류, 제품세부분류, 조제약여부, 입고단가, 소매단가, 심평원규격, 재고확인일, SCPCODE, "
    "디자인명, 적재자동계산, 상품위치, 매입거래처, 최근매입처, DEL_CHK, UP_DATE, CHK_MEMO) VALUES ";
constexpr const char* k사용상품Values[] = {
    "('P000000001', '타이레놀정500mg', '10정', '한국얀센', '8806469007213', NULL, '642100380', '01', '1', '01', '05', 2, 2500, 3500, ' 500mg ', '20091201', 'SC0001', '기본', 1, 'A-1-1,조제실', '000001', '000009', 0, '2010-01-05 09:30:00', '')",
    "('P000000002', '판피린큐액', '20ml', '동아제약', '8806433035218', '8806433035201', '641600390', '01', '2', '02', '06', 2, 300, 500, '20ml', '20091201', 'SC0002', '', 0, ' B-2-1, 냉장', '000009', '000002', 0, '2010-01-05 09:31:00', '')",
    "('P000000003', ' 박카스디', '100ml', '동아제약 ', '8806433032309', NULL, '', '02', '2', '02', '2', 0, 450, 700, '', '20091201', '', '', 0, ',음료냉장고', '000002', '000002', 0, '2010-01-05 09:32:00', '')",
    "('P000000004', '후시딘연고', '10g', '동화약품', '8806470000107', NULL, '643500170', '01', '1', '01', '05', 9, 4200, 6000, '10g', '20091130', 'SC0004', '', 0, 'A-3-1', '000003', '000003', 0, '2010-01-06 14:10:00', '')",
    "('P000000005', '마스크 KF94 대형', '1매', ' 웰킵스 ', '8809551500019', NULL, '', '03', '2', '02', '1004', 0, 700, 1500, '', '', '', '', 0, 'C-1-1', '000009', '000009', 1, '2010-02-01 11:00:00', '판매중지')",
    "('P000000006', '스틸녹스정10mg', '10mg', '한독', '8806421045316', NULL, '644900310', '01', '06', '', '', 1, 3100, 0, '10mg', '', '', '', 0, '마약장', '000001', '000001', 0, '2010-01-07 10:00:00', '')",
    "('P000000007', '오메드정20mg', '20mg', 'Dr. Reddy''s ', ' 2000007 ', NULL, '650300120', '01', '1', '', '', 1, 210, 0, '20mg', '', '', '', 0, 'A-2-4', '000001', '000003', 0, '2010-01-07 10:05:00', '')",
};

// Package barcodes: code 0000000002 held by two products, blanks in texts, a package of a deleted
// product and a deleted package.
constexpr const char* k확장바코드Columns =
    "INSERT INTO 확장바코드 (제품코드, 바코드코드, 바코드구분, 바코드, 중복바코드, 포장수량, 구분키, "
    "상품위치, CHK_MEMO, DEL_CHK, UP_DATE, 최근입고단가, 판매단가) VALUES ";
constexpr const char* k확장바코드Values[] = {
    "('P000000001', '0000000001', '10정 PTP', '8806469007213', NULL, 1, 'A', 'A-1-1', '', 0, '2010-01-05 09:30:00', 25000, 35000)",
    "('P000000001', '0000000002', ' 10정x10 박스 ', '8806469007220', NULL, 10, 'B', 'A-1-1,창고', '박스 단위 입고', 0, '2010-01-05 09:30:00', 25000, 30000)",
    "('P000000003', '0000000002', '10병 박스', '8806433032316', NULL, 10, 'B', 'B-2-1', '', 0, '2010-01-05 09:32:00', 4500, 7000)",
    "('P000000005', '0000000004', '50매 박스', '8809551500026', NULL, 50, 'B', 'C-1-1', '', 0, '2010-02-01 11:00:00', 35000, 75000)",
    "('P000000002', '0000000003', '10병 박스', '8806433035225', NULL, 10, 'B', 'B-9', '', 1, '2010-01-05 09:31:00', 3000, 5000)",
};

// Trading partners: area codes kept apart (02 + 123-4567, 031 + a number that has it already,
// 051 without a number), one without, and a deleted supplier that products still name.
constexpr const char* k거래처마스터Columns =
    "INSERT INTO 거래처마스터 (거래처코드, 거래처명, 대표자명, 사업자번호, 업종, 업태, 담당자, 우편번호, "
    "우편숫자, 주소, 지역번호, 전화번호, 팩스번호, 거래구분, 최초등록일, 현재포인트, 비고, CHK_MEMO, "
    "DEL_CHK, UP_DATE) VALUES ";
constexpr const char* k거래처마스터Values[] = {
    "('000001', '(주)지오영', '조선혜', '105-81-12345', '도매', '의약품', '박준서', '06164', 5, '서울특별시 강남구 영동대로 511', '02', '123-4567', '02-2188-1099', 1, '20090601', 0, '의약품 도매', '', 0, '2009-06-01 10:00:00')",
    "('000002', '백제약품(주)', '김동구', '113-81-23456', '도매', '의약품', '최민수', '08511', 5, '서울특별시 금천구 가산디지털1로 1', '031', '0311234567', '031-123-4568', 1, '20090601', 0, '', '', 0, '2009-06-01 10:05:00')",
    "('000003', '(주)동원약품', '이동원', '214-81-34567', '도매', '의약품', '', '', 0, '', '', '02-555-1234', '', 1, '20090710', 0, '', '', 0, '2009-07-10 09:00:00')",
    "('000004', '부산약품(주)', '', '', '', '', '', '', 0, '', '051', '', '', 1, '20091001', 0, '', '', 0, '2009-10-01 09:00:00')",
    "('000009', '(주)대성약품', '정대성', '120-81-45678', '도매', '의약품', '', '', 0, '', NULL, '02-333-4444', '', 1, '20080301', 0, '거래 중단', '', 1, '2009-12-01 18:00:00')",
};

// The toolbar before the prescription button: IDs 1 to 12 with the old button names, then the
// buttons of later releases up to the closing group, separator 4, 작업종료 and 수발주서, that
// the toolbar steps renumber (ID 21 was freed when a button was removed). Fewer than sixteen
// buttons are shown, so the steps that add one switch it on.
constexpr const char* k툴바설정Values[] = {
    "(1, '판매등록', '일반판매를 입력하는 화면', 1, 1, 0)",
    "(2, '출고전표', '출고전표를 입력하는 화면', 1, 1, 0)",
    "(3, '반품등록', '반품을 입력하는 화면', 1, 1, 0)",
    "(4, '--------1', '메뉴간의 구분 선1', 1, 1, 1)",
    "(5, '상품관리', '상품을 등록하고 고치는 화면', 1, 1, 0)",
    "(6, '거래처관리', '거래처를 등록하고 고치는 화면', 1, 1, 0)",
    "(7, '주문관리', '도매상 주문을 만드는 화면', 1, 1, 0)",
    "(8, '--------2', '메뉴간의 구분 선2', 1, 1, 1)",
    "(9, '재고조회', '현재고를 조회하는 화면', 1, 1, 0)",
    "(10, '일일집계', '하루 판매를 집계하는 화면', 1, 1, 0)",
    "(11, '월간집계', '한 달 판매를 집계하는 화면', 1, 1, 0)",
    "(12, '환경설정', '프로그램 설정을 고치는 화면', 0, 1, 0)",
    "(13, '재고조사', '재고조사를 입력하는 화면', 1, 1, 0)",
    "(14, '--------3', '메뉴간의 구분 선3', 1, 1, 1)",
    "(15, '고객관리', '고객을 등록하고 고치는 화면', 1, 1, 0)",
    "(16, '계산기', '계산기를 여는 버튼', 1, 1, 0)",
    "(17, '메뉴', '전체 메뉴를 여는 버튼', 1, 1, 0)",
    "(18, '바코드출력', '바코드를 출력하는 화면', 0, 1, 0)",
    "(19, '문자발송', '고객에게 문자를 보내는 화면', 0, 1, 0)",
    "(20, '--------4', '메뉴간의 구분 선4', 1, 1, 1)",
    "(22, '작업종료', '프로그램을 마치는 버튼', 1, 1, 0)",
    "(23, '수발주서', '수발주서를 보내는 화면', 1, 1, 0)",
};

constexpr const char* kRows[] = {
    "INSERT INTO 입출상품 VALUES ('20100105', '000001', 1, 'P000000001', '타이레놀정500mg', '0000000002', 10, 2500, 10, 0, '01', '1', 0, '0001', 10, 2500, NULL, NULL, NULL, NULL)",
    "INSERT INTO 입출상품 VALUES ('20100105', '000001', 2, 'P000000003', '박카스디', '0000000002', 20, 450, 10, 0, '02', '2', 0, '0001', 20, 450, NULL, NULL, NULL, NULL)",
    "INSERT INTO 입출상품 VALUES ('20100106', '000002', 1, 'P000000002', '판피린큐액', '', 5, 500, 1, 1, '01', '2', 0, '0001', 5, 500, NULL, NULL, NULL, NULL)",
    // Stock carried over at the closing of 31 December 2009.
    "INSERT INTO 제품정보 VALUES ('P000000001', 10, 2400, '20091231', 10)",
    "INSERT INTO 제품정보 VALUES ('P000000003', 0, 0, '', 0)",
    "INSERT INTO 임시입출상품 VALUES ('20100107', '000003', 'P000000004', '후시딘연고', 2, '01', '1')",
    "INSERT INTO 포스버튼 VALUES (1, '현금', '현금으로 결제합니다.', 1, 0)",
    "INSERT INTO 포스버튼 VALUES (2, '카드', '신용카드로 결제합니다.', 1, 1)",
    "INSERT INTO 포스버튼 VALUES (3, '보류', '판매를 보류합니다.', 1, 2)",
    // The old names of two buttons, and a cash drawer button of an old release on index 9.
    "INSERT INTO 포스버튼 VALUES (4, '임시저장', '판매를 임시로 저장합니다.', 1, 3)",
    "INSERT INTO 포스버튼 VALUES (5, '전표메모', '전표에 메모를 남깁니다.', 1, 4)",
    "INSERT INTO 포스버튼 VALUES (9, '돈통오픈', '돈통을 엽니다.', 0, 9)",
    "INSERT INTO 재고조사_집계 VALUES ('000001', 'P000000001', 35, 34)",
    "INSERT INTO 재고조사_집계 VALUES ('000001', 'P000000002', 120, 120)",
    // A stock count whose voucher was deleted while its counter stayed.
    "INSERT INTO 재고조사_담당자 VALUES ('000001', '0001', 0)",
    "INSERT INTO 재고조사_담당자 VALUES ('000002', '0002', 0)",
    "INSERT INTO 재고조사전표 VALUES ('000001', '20091231', '연말 재고조사', 0)",
    "INSERT INTO 재고조사전표 VALUES ('000002', '20100102', '중복 등록 삭제', 1)",
    "INSERT INTO 직원관리 VALUES ('0001', '김하나', '약사')",
    "INSERT INTO 직원관리 VALUES ('0002', '이도윤', '직원')",
    "INSERT INTO 로그인퍼미션 VALUES ('frm상품관리', '상품관리', 1, 1, 1, '0001')",
    "INSERT INTO 로그인퍼미션 VALUES ('frm판매등록', '판매등록', 1, 1, 0, '0001')",
    "INSERT INTO 로그인퍼미션 VALUES ('frm상품별입출고', '상품별입출고조회', 1, 1, 1, '0001')",
    // Tax invoice lines: one that adds up, two whose unit price does not (10000 / 3, 2000 / 4).
    "INSERT INTO 세금계산서상품 VALUES ('20100105', '000001', 1, 'P000000001', '타이레놀정500mg', 10, 3500, 31818, 3182)",
    "INSERT INTO 세금계산서상품 VALUES ('20100105', '000001', 2, 'P000000003', '박카스디', 3, 3000, 9091, 909)",
    "INSERT INTO 세금계산서상품 VALUES ('20100106', '000002', 1, 'P000000002', '판피린큐액', 4, 600, 1818, 182)",
    "INSERT INTO 링커오류검증 VALUES ('20091215', '링크 검증 완료')",
    "INSERT INTO 조제청구상품 VALUES ('20100105', '000001', '타이레놀정500mg', '642100380', 10, 350, 3500, 'P000000001')",
    // Vouchers; three price-notice corrections, two of them with an open balance.
    "INSERT INTO 전표마스터 VALUES ('20100105', '000001', '000001', 34000, 34000, '입고전표', 0)",
    "INSERT INTO 전표마스터 VALUES ('20100106', '000002', '000002', 2500, 0, '반품전표', 0)",
    "INSERT INTO 전표마스터 VALUES ('20100110', '000003', '000001', -12000, 0, '고시단가 변경으로 인한 단가 차액', 0)",
    "INSERT INTO 전표마스터 VALUES ('20100111', '000004', '000002', -3000, 0, '고시단가 변경분 정산', 0)",
    "INSERT INTO 전표마스터 VALUES ('20100112', '000005', '000001', -500, -500, '고시단가 변경으로 인한 단가 차액', 0)",
    "INSERT INTO 임시전표마스터 VALUES ('20100107', '000003', '000003', 4200, '임시 저장')",
    // Classes in the short code scheme; detail 2 is above "1000" as text, detail 1004 is long.
    "INSERT INTO 상품분류코드 VALUES ('01', '일반의약품', 0)",
    "INSERT INTO 상품분류코드 VALUES ('02', '의약외품', 0)",
    "INSERT INTO 상품분류코드 VALUES ('03', '위생용품', 0)",
    "INSERT INTO 상품분류세부코드 VALUES ('05', '01', '해열진통제', 0)",
    "INSERT INTO 상품분류세부코드 VALUES ('06', '01', '종합감기약', 0)",
    "INSERT INTO 상품분류세부코드 VALUES ('2', '02', '자양강장제', 0)",
    "INSERT INTO 상품분류세부코드 VALUES ('1004', '03', '마스크', 0)",
    "INSERT INTO 상품구분코드 VALUES ('1', '일반', 0)",
    "INSERT INTO 상품구분코드 VALUES ('2', '할인', 0)",
    "INSERT INTO 상품구분코드 VALUES ('06', '마약', 0)",
    "INSERT INTO 기타분류코드 VALUES ('01', '약국추천', 0, '', '20090601', '', '2009-06-01 10:00:00', '001')",
    "INSERT INTO 기타분류코드 VALUES ('02', '계절상품', 0, '', '20090601', '', '2009-06-01 10:00:00', '002')",
    // Order lines: one sent and not yet marked, one marked ordered, one not yet sent.
    "INSERT INTO 발주상품 VALUES ('20100104', '000003', 'P000000001', '타이레놀정500mg', 20, '000001', 0, 0)",
    "INSERT INTO 발주상품 VALUES ('20100104', '000003', 'P000000002', '판피린큐액', 50, '000001', 1, 0)",
    "INSERT INTO 발주상품 VALUES ('', '', 'P000000003', '박카스디', 30, '000002', 0, 0)",
    "INSERT INTO 발주전표 VALUES ('20100104', '000003', '000001', 65000, 0, '2010-01-04 17:20:00')",
    // A set whose master was deleted.
    "INSERT INTO 코드대분류 VALUES ('001', '감기세트', 'M01', 0)",
    "INSERT INTO 코드대분류 VALUES ('002', '겨울 행사세트', 'M02', 0)",
    "INSERT INTO 코드마스터 VALUES ('M01', '세트상품', 0)",
    "INSERT INTO 코드마스터 VALUES ('M02', '겨울 행사', 1)",
    "INSERT INTO 인트_사용상품 VALUES ('P000000001', '타이레놀정500mg', 'A-1-1')",
    "INSERT INTO 바코드외부출력 VALUES ('신상품 가격표', '한국얀센', 1)",
    "INSERT INTO 제품 VALUES ('P000000001', '타이레놀정500mg', '01', '1')",
    // Point history: a transaction of two rows, another, the first one again later, a next day.
    "INSERT INTO 사은점수이력 VALUES ('20100105', '0001', 'C000000001', 1, 35, '2010-01-05 10:00:00')",
    "INSERT INTO 사은점수이력 VALUES ('20100105', '0001', 'C000000001', 2, -100, '2010-01-05 10:00:01')",
    "INSERT INTO 사은점수이력 VALUES ('20100105', '0002', 'C000000002', 1, 12, '2010-01-05 11:30:00')",
    "INSERT INTO 사은점수이력 VALUES ('20100105', '0001', 'C000000001', 3, 5, '2010-01-05 12:00:00')",
    "INSERT INTO 사은점수이력 VALUES ('20100106', '0001', 'C000000001', 1, 50, '2010-01-06 09:10:00')",
    "INSERT INTO 매장전송이력 VALUES ('20100104', '0001', '일일 매출 전송', '2010-01-04 23:00:00')",
    "INSERT INTO 임시테이블 VALUES ('P000000001', 3)",
    "INSERT INTO 임시테이블2 VALUES ('P000000003', 1)",
    "INSERT INTO 임시사용상품 VALUES ('P000000001', '타이레놀정500mg')",
    "INSERT INTO 제품검색 VALUES ('P000000001', '타이레놀정500mg')",
    "INSERT INTO 창고입출상품 VALUES ('20100105', '000001', 'P000000001', '타이레놀정500mg', 10, 0)",
    "INSERT INTO HandyData VALUES ('8806469007213', '타이레놀정500mg', 3)",
    "INSERT INTO 현금시제마감 VALUES ('20100104', 12, 3, 25)",
    "INSERT INTO 메모상용구 VALUES (1, '처방전 재발행 요청')",
    "INSERT INTO 팜페이 VALUES ('20100105', '000007', '9410-12**-****-3456', '30012345', '100105000007', 3500)",
    "INSERT INTO PATCH_HIST VALUES ('20071105', 1, 'UpDate', '하로나 DataPatchProgram Ver30.1.2', 1, '2007-11-05 14:20:00')",
    "INSERT INTO PATCH_HIST VALUES ('20090315', 1, 'UpDate', '하로나 DataPatchProgram Ver35.2.0', 1, '2009-03-15 10:02:00')",
    "INSERT INTO PATCH_HIST VALUES ('20100101', 1, 'UpDate', '하로나 DataPatchProgram Ver36.0.1', 1, '2010-01-04 09:12:00')",
    "INSERT INTO PATCH_HIST VALUES ('20100420', 1, 'Setup', '하로나 설치 점검', 0, '2010-04-20 11:00:00')",
};

constexpr const char* kMdbEditionRows[] = {
    "INSERT INTO TB_CustomerChart VALUES ('C00001', '000001', '위장이 약해 공복 복용 피함', '20100104', 0)",
    "INSERT INTO TB_ProductChart VALUES ('P000000001', '000001', '간 질환 고객 상담 필요', '20100104', 0)",
    "INSERT INTO TB_BusinessReceipt VALUES ('20100104', 850000, 100000, 950000, '', '20100104', '0001')",
};
// clang-format on

template <std::size_t N>
void AddRows(std::vector<std::string>& sql, const char* head, const char* const (&values)[N]) {
    for (const char* v : values) sql.push_back(std::string(head) + v);
}

}  // namespace

std::vector<std::string> OldStoreRows(db::Dialect dialect) {
    std::vector<std::string> sql;
    AddRows(sql, k사용상품Columns, k사용상품Values);
    AddRows(sql, k확장바코드Columns, k확장바코드Values);
    AddRows(sql, k거래처마스터Columns, k거래처마스터Values);
    AddRows(sql, "INSERT INTO 툴바설정 (ID, 메뉴명, 메뉴설명, 사용, 선택가능, 구분선) VALUES ",
            k툴바설정Values);
    sql.insert(sql.end(), std::begin(kRows), std::end(kRows));
    if (dialect == db::Dialect::Jet) {
        sql.insert(sql.end(), std::begin(kMdbEditionRows), std::end(kMdbEditionRows));
    }
    return sql;
}

}  // namespace demo
