// The catalogue's second half through the real runner on small stores of both kinds: the one-time
// migrations by the date of the last patch run and by the pass, the server
// routines it replaces, the toolbar renumbering, the screen options, the vendor's supplier row and
// the statements that only SQL Server accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "db/error.h"
#include "host/host.h"
#include "host/settings_store.h"
#include "patch/catalogue.h"
#include "patch/patch_world.h"
#include "repairs/vendor.h"

namespace {

using patch::Catalogue;
using patch_test::Kind;
using patch_test::PatchWorld;
using Lines = std::vector<std::string>;

Catalogue Pick(std::initializer_list<int> marks) {
    return patch_test::PickMarks(patch::CatalogueMarks061To127(), marks);
}

std::string RuleText(const PatchWorld& world) {
    return patch_test::RuleText(world.Rules());
}

constexpr const char* kHistoryInsert =
    "INSERT INTO PATCH_HIST (날짜, 번호, NV_Ver, NV_GUBUN) VALUES ('";

// A toolbar whose end (the separator, 작업종료 and 수발주서) starts at separatorId, with the
// pharmacy buttons of IDs 23 and 24 when asked.
Lines ToolbarRows(int separatorId, bool pharmacyButtons = false) {
    Lines sql = {
        "INSERT INTO 툴바설정 VALUES (1, '판매등록', '판매', 1, 1, 0)",
        "INSERT INTO 툴바설정 VALUES (2, '계산기', '계산기', 1, 1, 0)",
        "INSERT INTO 툴바설정 VALUES (3, '메뉴', '메뉴', 1, 1, 0)",
        "INSERT INTO 툴바설정 VALUES (4, '--------1', '구분', 1, 1, 1)",
    };
    if (pharmacyButtons) {
        sql.push_back("INSERT INTO 툴바설정 VALUES (23, '약사랑', '', 1, 1, 0)");
        sql.push_back("INSERT INTO 툴바설정 VALUES (24, '백광약품', '', 1, 1, 0)");
    }
    const char* const tail[] = {"--------4", "작업종료", "수발주서"};
    for (int i = 0; i < 3; ++i) {
        sql.push_back("INSERT INTO 툴바설정 VALUES (" + std::to_string(separatorId + i) + ", '" +
                      tail[i] + "', '" + tail[i] + "', 1, 1, " + (i == 0 ? "1" : "0") + ")");
    }
    return sql;
}

// Every table that the second half touches, in the layout before it (SQL Server type names,
// which the MDB engine takes too), without the tables it creates.
Lines HalfStore() {
    Lines sql = {
        "ALTER TABLE 사용상품 ADD 표준코드 VARCHAR(9)",
        "ALTER TABLE 사용상품 ADD 상품위치 VARCHAR(50)",
        "ALTER TABLE 사용상품 ADD 제품명 VARCHAR(50)",
        "ALTER TABLE 확장바코드 ADD 바코드구분 SMALLINT",
        "ALTER TABLE 확장바코드 ADD 상품위치 VARCHAR(50)",
        "CREATE TABLE 발주전표 (발주일자 VARCHAR(8), 발주번호 VARCHAR(6))",
        "CREATE TABLE 거래처마스터 (거래처코드 VARCHAR(6), 거래처명 VARCHAR(50), 우편번호 "
        "VARCHAR(7), 주소 VARCHAR(100), 대표자명 VARCHAR(20), 업종 VARCHAR(20), 업태 VARCHAR(20))",
        "CREATE TABLE 직원관리 (사원코드 VARCHAR(6))",
        "CREATE TABLE 현금시제마감 (마감일자 VARCHAR(8))",
        "CREATE TABLE 메모상용구 (메모 VARCHAR(100))",
        "CREATE TABLE 포스버튼 (순서 SMALLINT, 버튼명 VARCHAR(20), 버튼기능 VARCHAR(100), 사용 "
        "SMALLINT, 버튼인덱스 SMALLINT)",
        "CREATE TABLE 로그인퍼미션 (폼명 VARCHAR(40), 사용자폼명 VARCHAR(40), 퍼미션1 SMALLINT, "
        "퍼미션2 SMALLINT, 퍼미션3 SMALLINT, 매장코드 VARCHAR(4), 폼설명 VARCHAR(200), DEL_CHK "
        "SMALLINT)",
        "CREATE TABLE TB_TmpPdt (vcPdtCode VARCHAR(10), vcNowOrder VARCHAR(6))",
        "CREATE TABLE 툴바설정 (ID SMALLINT, 메뉴명 VARCHAR(30), 메뉴설명 VARCHAR(100), 사용 "
        "SMALLINT, 선택가능 SMALLINT, 구분선 SMALLINT)",
        "CREATE TABLE 팜페이 (카드번호 CHAR(20), 처리번호 CHAR(12))",
        "CREATE TABLE CONFIG (순서 VARCHAR(3), 적용 VARCHAR(100))",
        "CREATE TABLE 발주상품 (발주일자 VARCHAR(8))",
        "CREATE TABLE 창고입출상품 (제품코드 VARCHAR(10))",
        "CREATE TABLE CONFIGPC (피씨코드 VARCHAR(10))",
        "CREATE TABLE 상품설명출력 (상품코드 VARCHAR(10), 상품설명 VARCHAR(500))",
        "CREATE TABLE PdtLocation (제품코드 VARCHAR(10), 바코드코드 VARCHAR(10), 상품위치 "
        "VARCHAR(50), 줄번호 INT)",
        "INSERT INTO 사용상품 (제품코드, 조제약여부, DEL_CHK, 상품위치) VALUES ('L1', 0, 0, "
        "'A-1,B-2')",
        "INSERT INTO CONFIG VALUES ('121', '0')",
        "INSERT INTO 거래처마스터 (거래처코드, 거래처명) VALUES ('X00002', '본사')",
    };
    for (std::string& row : ToolbarRows(20)) sql.push_back(std::move(row));
    return sql;
}

class Catalogue061Test : public ::testing::TestWithParam<Kind> {
  protected:
    Catalogue061Test() : world_(GetParam()) {}
    bool Mdb() const { return GetParam() == Kind::Mdb; }
    PatchWorld world_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, Catalogue061Test, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

// The date-gated steps by the last patch run and the pass. Mark 112's line is the refresh's own
// summary (whatever it reports in a test world without the central server), written here as "*".
TEST_P(Catalogue061Test, DateGatesOpenByTheLastPatchRunAndTheStoreOnlyStepsByThePass) {
    const Catalogue gated = Pick({61, 96, 97, 99, 101, 108, 112, 113, 114, 124, 126});
    const Lines all = {"변경된 표준코드 재갱신 ",
                       "재고재계산 관련 저장프로시저 갱신 - 1",
                       "재고재계산 관련 저장프로시저 갱신 - 2",
                       "데이터 백업경로 재설정",
                       "툴바 메뉴 추가",
                       "포스버튼 테이블에 데이터 추가 - 고객등록",
                       "*",
                       "메인화면 - 팜스웰몰 버튼 추가",
                       "거래처정보(노르베일) 갱신",
                       "[PdtLocation] 테이블 내용 재정리",
                       "현재고현황 - 상품위치 조회 함수 추가"};
    Lines allData1 = all;
    allData1.erase(std::remove_if(allData1.begin(), allData1.end(),
                                  [](const std::string& l) {
                                      return l == "*" || l == "[PdtLocation] 테이블 내용 재정리";
                                  }),
                   allData1.end());
    const struct {
        const char* lastPatch;
        int target;
        Lines lines;
        int pg1;
    } cases[] = {
        {"20170208", 1, {"거래처정보(노르베일) 갱신", "현재고현황 - 상품위치 조회 함수 추가"}, 126},
        {"", 0, all, 126},
        {"", 1, allData1, 126},
        {"20201221", 0, {}, 61},
    };
    for (const auto& c : cases) {
        PatchWorld world(GetParam());
        world.MakeStore(HalfStore());
        world.Execute("DELETE FROM PATCH_HIST");
        if (*c.lastPatch)
            world.Execute(std::string(kHistoryInsert) + c.lastPatch + "', 1, 'UpDate', 1)");
        world.Context().PatchTarget = static_cast<std::int16_t>(c.target);
        const std::string label = std::string(c.lastPatch) + "/" + std::to_string(c.target);
        ASSERT_TRUE(world.Run(gated)) << label << RuleText(world);
        Lines lines = world.RunList();
        const auto refresh = std::find(c.lines.begin(), c.lines.end(), "*");
        if (refresh != c.lines.end()) {
            const auto at = static_cast<std::size_t>(refresh - c.lines.begin());
            ASSERT_GT(lines.size(), at) << label;
            lines[at] = "*";
        }
        EXPECT_EQ(lines, c.lines) << label;
        EXPECT_EQ(world.Pg1(), c.pg1) << label;
    }
}

TEST_P(Catalogue061Test, StockRoutinesAreDroppedThenInstalled) {
    world_.MakeStore();
    const Lines lines = {"재고재계산 관련 저장프로시저 갱신 - 1",
                         "재고재계산 관련 저장프로시저 갱신 - 2"};
    ASSERT_TRUE(world_.Run(Pick({96, 97}))) << RuleText(world_);
    EXPECT_EQ(world_.RunList(), lines);
    EXPECT_EQ(world_.Pg1(), 97);
    if (Mdb()) {
        // No routines in an MDB file: every statement fails and the run goes on.
        EXPECT_EQ(world_.Rules().size(), 4u) << RuleText(world_);
        for (const auto& e : world_.Rules()) EXPECT_TRUE(e.rule == 1 || e.rule == 4) << e.rule;
        return;
    }
    // The drops of routines that are not there fail as errors in the command.
    ASSERT_EQ(world_.Rules().size(), 2u) << RuleText(world_);
    for (const auto& e : world_.Rules()) {
        EXPECT_EQ(e.number, db::ErrorNumber::kSyntax);
        EXPECT_EQ(e.rule, 4);
    }

    // Over routines that exist the drops succeed and the new texts replace them.
    world_.ResetObservations();
    ASSERT_TRUE(world_.Run(Pick({96, 97})));
    EXPECT_TRUE(world_.Rules().empty()) << RuleText(world_);
    EXPECT_EQ(world_.RunList(), lines);
    EXPECT_EQ(world_.Scalar("SELECT COUNT(*) FROM SYSOBJECTS WHERE NAME IN ('FN_SPLIT_nth', "
                            "'PR_NVMgt_U_StockReCalc')"),
              "2");
}

// The toolbar steps renumber the end of the bar in a fixed sequence: mark 101 makes room for one
// button, 111 removes two, 113 and 123 add one each (mark 93 finds its buttons there already).
// On a bar whose end sits elsewhere mark 93 adds its buttons too, and no renumbering matches:
// the bar's own rows keep their places.
TEST_P(Catalogue061Test, ToolbarStepsRenumberOnlyTheExpectedBar) {
    const struct {
        int separatorId;
        bool pharmacyButtons;
        Lines bar;
        Lines lines;
    } cases[] = {
        {25,
         true,
         {"1|판매등록|1", "2|계산기|1", "3|메뉴|1", "4|--------1|1", "23|약사랑|1", "24|팜스웰몰|1",
          "25|KCP조회|0", "26|팀캘린더|1", "27|--------4|1", "28|작업종료|1", "29|수발주서|1"},
         {"툴바 메뉴 추가", "메인화면 - 백광약품, 유팜몰 버튼 제거",
          "메인화면 - 팜스웰몰 버튼 추가", "[일정관리] 테이블 추가", "[일정관리_댓글] 테이블 추가",
          "[팀캘린더] 툴바버튼 추가"}},
        {20,
         false,
         {"1|판매등록|1", "2|계산기|0", "3|메뉴|0", "4|--------1|1", "20|--------4|1",
          "21|작업종료|1", "22|수발주서|1", "23|약사랑|1", "24|팜스웰몰|1", "25|KCP조회|0",
          "26|팀캘린더|1"},
         {"툴바 메뉴 추가", "툴바 메뉴 추가", "메인화면 - 백광약품, 유팜몰 버튼 제거",
          "메인화면 - 팜스웰몰 버튼 추가", "[일정관리] 테이블 추가", "[일정관리_댓글] 테이블 추가",
          "[팀캘린더] 툴바버튼 추가"}},
    };
    for (const auto& c : cases) {
        PatchWorld world(GetParam());
        Lines sql = {
            "CREATE TABLE 툴바설정 (ID SMALLINT, 메뉴명 VARCHAR(30), 메뉴설명 "
            "VARCHAR(100), 사용 SMALLINT, 선택가능 SMALLINT, 구분선 SMALLINT)"};
        for (std::string& row : ToolbarRows(c.separatorId, c.pharmacyButtons)) {
            sql.push_back(std::move(row));
        }
        world.MakeStore(sql);
        ASSERT_TRUE(world.Run(Pick({93, 101, 111, 113, 123}))) << RuleText(world);
        EXPECT_EQ(world.Rows("SELECT ID, 메뉴명, 사용 FROM 툴바설정 ORDER BY ID"), c.bar)
            << c.separatorId;
        EXPECT_EQ(world.RunList(), c.lines) << c.separatorId;
    }
}

// Text literals against the numeric ID: the probe must find the row with ID 23 and 28.
TEST_P(Catalogue061Test, ToolbarProbesCompareTheNumericIdWithAText) {
    world_.MakeStore(
        {"CREATE TABLE 툴바설정 (ID SMALLINT, 메뉴명 VARCHAR(30), 메뉴설명 "
         "VARCHAR(100), 사용 SMALLINT, 선택가능 SMALLINT, 구분선 SMALLINT)",
         "INSERT INTO 툴바설정 VALUES (23, '약사랑', '', 1, 1, 0)",
         "INSERT INTO 툴바설정 VALUES (28, '수발주서', '', 1, 1, 0)"});
    ASSERT_TRUE(world_.Run(Pick({93, 101}))) << RuleText(world_);
    EXPECT_TRUE(world_.RunList().empty());
    EXPECT_TRUE(world_.Rules().empty()) << RuleText(world_);
    EXPECT_EQ(world_.Scalar("SELECT COUNT(*) FROM 툴바설정"), "2");
}

TEST_P(Catalogue061Test, OrderTimesComeWithThePriceOptionsOfTheOrderScreens) {
    world_.MakeStore({"CREATE TABLE 발주전표 (발주일자 VARCHAR(8))"});
    ASSERT_TRUE(world_.Run(Pick({73}))) << RuleText(world_);
    EXPECT_EQ(world_.RunList(), Lines{"발주전표 테이블에 주문시간 필드 추가"});
    const host::SettingsStore& settings = world_.Runtime().Host().Settings();
    EXPECT_EQ(settings.GetSetting("하로나\\화면옵션\\주문서생성", "수동주문", "단가표기"), "1");
    EXPECT_EQ(settings.GetSetting("하로나\\화면옵션", "상품주문서", "단가표시"), "1");
    EXPECT_EQ(settings.GetSetting("하로나\\화면옵션\\발주서조회", "주문서관리", "단가표기", "x"),
              "0");
    if (!Mdb()) {
        for (const char* column : {"파로엘시간", "팩스시간", "문자시간"}) {
            EXPECT_TRUE(world_.Column("발주전표", column)) << column;
        }
    }
}

TEST_P(Catalogue061Test, VendorRowAndPosButtonCorrections) {
    namespace v = repairs::vendor;
    Lines sql = HalfStore();
    for (const char* row : {"(16, '돈통오픈', '', 1, 16)", "(16, '돈통오픈', '', 1, 16)",
                            "(12, '임시저장', '', 1, 12)", "(13, '전표메모', '', 1, 13)"}) {
        sql.push_back(std::string("INSERT INTO 포스버튼 VALUES ") + row);
    }
    world_.MakeStore(sql);
    ASSERT_TRUE(world_.Run(Pick({114}))) << RuleText(world_);
    EXPECT_EQ(world_.RunList(),
              (Lines{"거래처정보(노르베일) 갱신", "버튼 데이터 오류 수정",
                     "포스버튼 명칭변경(임시저장->계산보류, 전표메모->판매메모)"}));
    EXPECT_EQ(world_.Rows("SELECT 우편번호, 주소, 업태 FROM 거래처마스터"),
              Lines{std::string(v::kPostalCode) + "|" + v::kAddress + "|" + v::kBusinessType});
    EXPECT_EQ(world_.Scalar("SELECT COUNT(*) FROM 포스버튼 WHERE 버튼명 = '돈통오픈'"), "1");
    EXPECT_EQ(world_.Scalar("SELECT 사용 FROM 포스버튼 WHERE 버튼명 = '돈통오픈'"), "0");
    EXPECT_EQ(world_.Scalar("SELECT 버튼명 FROM 포스버튼 WHERE 버튼인덱스 = 12"), "계산보류");
    EXPECT_EQ(world_.Scalar("SELECT 버튼명 FROM 포스버튼 WHERE 버튼인덱스 = 13"), "판매메모");

    // With the buttons in order only the supplier row is rewritten.
    world_.ResetObservations();
    ASSERT_TRUE(world_.Run(Pick({114})));
    EXPECT_EQ(world_.RunList(), Lines{"거래처정보(노르베일) 갱신"});
}

// The statements written for SQL Server only: on a server store they build what they say; on
// an MDB store they fail, as errors in the command or as missing system tables, and the run goes
// on.
TEST_P(Catalogue061Test, ServerOnlyStatementsBuildOnTheServerAndArePassedOverInAnMdbFile) {
    world_.MakeStore(HalfStore());
    ASSERT_TRUE(world_.Run(Pick({69, 75, 76, 86, 87, 94, 102, 104, 119, 120, 122, 123, 125})))
        << RuleText(world_);
    if (Mdb()) {
        for (const auto& e : world_.Rules()) {
            EXPECT_TRUE(e.rule == 1 || e.rule == 4) << RuleText(world_);
        }
        EXPECT_FALSE(world_.Rules().empty());
        return;
    }
    EXPECT_TRUE(world_.Rules().empty()) << RuleText(world_);
    for (const char* table :
         {"예약상품", "계획상품", "계획상품_상세", "간편주문", "CubeRefund", "페이페이",
          "코드마스터_그룹", "코드대분류_그룹", "유효기간관리", "일정관리", "일정관리_댓글"}) {
        EXPECT_TRUE(world_.HasTable(table)) << table;
    }
    EXPECT_EQ(world_.Column("사용상품", "표준코드")->size, 10);
    EXPECT_EQ(world_.Column("TB_TmpPdt", "vcNowOrder")->size, 8);
}

// In an MDB file the server's CREATE texts fail and the run goes on, but a later column check on
// a table that only such a text creates (간편주문 at mark 98) cannot be answered: the run stops
// there. With that table in place the whole half runs through.
TEST(Catalogue061Mdb, TheWholeHalfStopsAtTheFirstCheckOfATableOnlyTheServerTextCreates) {
    PatchWorld world(Kind::Mdb);
    world.MakeStore(HalfStore());
    EXPECT_FALSE(world.Run(patch::CatalogueMarks061To127()));
    ASSERT_FALSE(world.Rules().empty());
    EXPECT_EQ(world.Rules().back().rule, 10);
    EXPECT_EQ(world.Rules().back().mark, 98);
    EXPECT_EQ(world.Rules().back().number, db::ErrorNumber::kItemNotFound);
    EXPECT_EQ(world.Pg1(), 97);

    world.ResetObservations();
    world.Execute("CREATE TABLE 간편주문 (일련번호 INT, 설정일자 VARCHAR(8))");
    ASSERT_TRUE(world.Run(patch::CatalogueMarks061To127())) << RuleText(world);
    for (const auto& e : world.Rules()) EXPECT_TRUE(e.rule == 1 || e.rule == 4) << RuleText(world);
    EXPECT_EQ(world.Pg1(), 127);
    EXPECT_TRUE(world.Columns("간편주문").size() > 2);
}

}  // namespace
