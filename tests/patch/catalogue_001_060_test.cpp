#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "patch/catalogue.h"
#include "patch/patch_world.h"

namespace {

using patch::Catalogue;
using patch_test::Kind;
using patch_test::PatchWorld;

Catalogue Pick(std::initializer_list<int> marks) {
    return patch_test::PickMarks(patch::CatalogueMarks001To060(), marks);
}

std::string RuleText(const PatchWorld& world) {
    return patch_test::RuleText(world.Rules());
}

class Catalogue001Test : public ::testing::TestWithParam<Kind> {
  protected:
    Catalogue001Test() : world_(GetParam()) {}
    bool Mdb() const { return GetParam() == Kind::Mdb; }
    PatchWorld world_;
};

INSTANTIATE_TEST_SUITE_P(BothKinds, Catalogue001Test, ::testing::Values(Kind::Mdb, Kind::SqlServer),
                         [](const auto& info) { return store_test::KindName(info.param); });

TEST_P(Catalogue001Test, ProgressShowsFiveForBothStepsWithMarkFive) {
    world_.MakeStore(
        {"CREATE TABLE 포스버튼 (순서 SMALLINT, 버튼명 VARCHAR(20), 버튼기능 "
         "VARCHAR(100), 사용 SMALLINT, 버튼인덱스 SMALLINT)"});
    auto& window = world_.Runtime().MainWindow();
    std::vector<int> shown;       // pg1 after each change
    std::vector<int> atEachLine;  // pg1 when a run-list line appears
    window.Observe([&](util::frmDBPatchMainModel::Control c) {
        if (c == util::frmDBPatchMainModel::Control::pg1) shown.push_back(window.pg1.value);
        if (c == util::frmDBPatchMainModel::Control::List1) atEachLine.push_back(window.pg1.value);
    });
    ASSERT_TRUE(world_.Run(Pick({4, 5})));
    EXPECT_EQ(shown, (std::vector<int>{0, 4, 5, 5}));
    EXPECT_EQ(atEachLine, (std::vector<int>{4, 5}));
}

// 발주상품 with 선택 and 주문CHK already there: mark 45 finds nothing to do, mark 46's updates run
// anyway, on every pass; the tables of its independent part come only when 바코드MAIN is missing.
TEST_P(Catalogue001Test, OrderLineUpdatesRunOnEveryPass) {
    world_.MakeStore({
        "CREATE TABLE 발주상품 (발주일자 VARCHAR(8), 발주번호 VARCHAR(6), 제품코드 VARCHAR(10), "
        "선택 SMALLINT, 주문CHK SMALLINT)",
        "CREATE TABLE 바코드MAIN (ID VARCHAR(10))",
        "INSERT INTO 발주상품 VALUES ('20200101', '000001', 'A', 0, 0)",
        "INSERT INTO 발주상품 VALUES ('', '', 'C', 0, 0)",
    });
    const std::string marked = "SELECT 제품코드 FROM 발주상품 WHERE 선택 = 1 AND 주문CHK = 1";
    ASSERT_TRUE(world_.Run(Pick({45, 46})));
    EXPECT_TRUE(world_.RunList().empty());
    EXPECT_EQ(world_.Pg1(), 46);
    world_.Execute("INSERT INTO 발주상품 VALUES ('20200102', '000003', 'D', 0, 0)");
    ASSERT_TRUE(world_.Run(Pick({45, 46})));
    EXPECT_TRUE(world_.RunList().empty());
    EXPECT_EQ(world_.Rows(marked + " ORDER BY 제품코드"), (std::vector<std::string>{"A", "D"}));

    world_.Execute("DROP TABLE 바코드MAIN");
    ASSERT_TRUE(world_.Run(Pick({46})));
    EXPECT_EQ(world_.RunList(),
              (std::vector<std::string>{"바코드MAIN 테이블 생성", "바코드보조 테이블 생성"}));
}

// Mark 13 recomputes unit prices by dividing by the quantity. A line of quantity 0 makes the
// server refuse the update as an error in the command (Jet refuses its CONVERT already): the
// run goes on and the line keeps its price.
TEST_P(Catalogue001Test, UnitPriceOfALineWithoutQuantityIsKept) {
    world_.MakeStore(
        {"CREATE TABLE 세금계산서상품 (일련번호 SMALLINT, 수량 INT, 단가 FLOAT, "
         "공급가액 FLOAT, 세액 FLOAT)",
         "CREATE TABLE 로그인퍼미션 (폼명 VARCHAR(50))",
         "INSERT INTO 세금계산서상품 VALUES (1, 0, 100, 909, 91)"});
    ASSERT_TRUE(world_.Run(Pick({13}))) << RuleText(world_);
    EXPECT_EQ(world_.Scalar("SELECT 단가 FROM 세금계산서상품"), "100");
    EXPECT_EQ(world_.RuleNumbers(), std::vector<int>{4}) << RuleText(world_);
    EXPECT_TRUE(world_.Column("로그인퍼미션", "DEL_CHK"));
}

// Mark 19: only the update's wider pattern matches, so the probe finds nothing: no correction and
// no box; the new column comes all the same.
TEST_P(Catalogue001Test, VoucherBalancesAreLeftWhenTheProbeFindsNothing) {
    world_.MakeStore({"ALTER TABLE 전표마스터 ADD 거래금액 FLOAT",
                      "ALTER TABLE 전표마스터 ADD 미대금 FLOAT",
                      "ALTER TABLE 사용상품 ADD 디자인명 VARCHAR(20)",
                      "INSERT INTO 전표마스터 (전표번호, 비고, 거래금액, 미대금) VALUES "
                      "('000002', '고시단가 변경 조정', 80, 0)"});
    ASSERT_TRUE(world_.Run(Pick({19})));
    EXPECT_TRUE(world_.Boxes().empty());
    EXPECT_EQ(world_.Rows("SELECT 미대금 FROM 전표마스터"), std::vector<std::string>{"0"});
    EXPECT_TRUE(world_.Column("입출상품", "조제정보"));
}

// Conditions inside a step's branch: mark 36 rebuilds TB_ShowPdt only when the table is there,
// mark 55 drops only the scratch tables that exist, without lines of their own.
TEST_P(Catalogue001Test, ConditionsInsideABranchDecideEachOnTheirOwn) {
    world_.MakeStore({"CREATE TABLE TB_ShowPdt (vcDate VARCHAR(8))",
                      "CREATE TABLE 임시테이블 (a INT)", "CREATE TABLE 임시테이블3 (a INT)"});
    world_.TraceStatements();
    ASSERT_TRUE(world_.Run(Pick({36, 55}))) << RuleText(world_);
    EXPECT_TRUE(world_.Column("TB_ShowPdt", "iOrdPdtNum"));
    EXPECT_FALSE(world_.HasTable("임시테이블"));
    EXPECT_FALSE(world_.HasTable("임시테이블3"));
    EXPECT_FALSE(world_.Executed("DROP TABLE 임시테이블2"));
    EXPECT_EQ(world_.RunList(),
              (std::vector<std::string>{"발주서 관련 테이블 수정...",
                                        "영업집계표에서 사용할 임시테이블 생성"}));

    // Without TB_ShowPdt mark 36 has nothing to rebuild.
    world_.Execute("DROP TABLE TB_ShowPdt");
    world_.ResetObservations();
    ASSERT_TRUE(world_.Run(Pick({36})));
    EXPECT_TRUE(world_.RunList().empty());
    EXPECT_FALSE(world_.HasTable("TB_ShowPdt"));
}

// Tables for marks 41, 50 and 51.
std::vector<std::string> PartnerAndChartTables() {
    return {
        "CREATE TABLE 바코드외부출력 (상품코드 VARCHAR(10))",
        "CREATE TABLE 거래처마스터 (거래처코드 VARCHAR(6), 거래처명 VARCHAR(50), 우편번호 "
        "VARCHAR(7), 주소 VARCHAR(100), 거래구분 SMALLINT, 최초등록일 VARCHAR(8), DEL_CHK "
        "SMALLINT, UP_DATE DATETIME, CHk_MEMO VARCHAR(20), 현재포인트 FLOAT, 우편숫자 "
        "SMALLINT, 대표자명 VARCHAR(20), 업종 VARCHAR(20), 업태 VARCHAR(20), 사업자번호 "
        "VARCHAR(20), 전화번호 VARCHAR(20), 팩스번호 VARCHAR(20), 담당자 VARCHAR(10), 기념일1 "
        "VARCHAR(6), 기념일2 VARCHAR(6))",
        "ALTER TABLE 사용상품 ADD 상품위치 VARCHAR(50)",
        "ALTER TABLE 사용상품 ADD 제조사 VARCHAR(30)",
        "CREATE INDEX 상품위치 ON 사용상품 (상품위치)",
    };
}

const char* const kPartnerAlters[] = {
    "ALTER TABLE 거래처마스터 ALTER COLUMN 대표자명 NVARCHAR(14)",
    "ALTER TABLE 거래처마스터 ALTER COLUMN 업종 NVARCHAR(30)",
    "ALTER TABLE 거래처마스터 ALTER COLUMN 업태 NVARCHAR(30)",
    "ALTER TABLE 거래처마스터 ALTER COLUMN 사업자번호 NVARCHAR(14)",
    "ALTER TABLE 거래처마스터 ALTER COLUMN 담당자 NVARCHAR(12)",
    "ALTER TABLE 거래처마스터 ALTER COLUMN 기념일1 NVARCHAR(8)",
    "ALTER TABLE 거래처마스터 ALTER COLUMN 기념일2 NVARCHAR(8)",
};
constexpr const char* kDropLocationIndex = "DROP INDEX 사용상품.상품위치";

TEST_P(Catalogue001Test, TheSecondDatabaseRunAltersPartnersAndDropsTheLocationIndex) {
    for (int target : {0, 1}) {
        PatchWorld world(GetParam());
        world.MakeStore(PartnerAndChartTables());
        world.Context().PatchTarget = static_cast<std::int16_t>(target);
        world.TraceStatements();
        ASSERT_TRUE(world.Run(Pick({41, 51}))) << target << RuleText(world);
        for (const char* sql : kPartnerAlters) {
            EXPECT_EQ(world.Executed(sql), target == 1) << sql;
        }
        EXPECT_EQ(world.Executed(kDropLocationIndex), target == 1);
        const auto maker = world.Column("사용상품", "제조사");
        ASSERT_TRUE(maker);
        EXPECT_EQ(maker->size, 50);
        // The head-office supplier row comes on both runs.
        EXPECT_EQ(world.Scalar("SELECT COUNT(*) FROM 거래처마스터 WHERE 거래처코드 = 'X00002'"),
                  "1");
        EXPECT_EQ(world.RunList(),
                  (std::vector<std::string>{"바코드외부출력 테이블에 선택 필드 추가",
                                            "상품차트 테이블 생성"}));
        EXPECT_EQ(world.Pg1(), 51);
    }
}

// A companion program in the program folder that tells a pipe when it has started; the pipe is
// read after the runs, so no start is waited for by time.
class PellinProbe {
  public:
    explicit PellinProbe(config::Runtime& runtime) {
        const auto folder = *runtime.Host().Native(runtime.Host().ProgramFolder());
        std::filesystem::create_directories(folder);
        pipe_ = folder / "pellin.pipe";
        log_ = folder / "pellin.log";
        program_ = folder / "Pellin.exe";
        EXPECT_EQ(::mkfifo(pipe_.c_str(), 0600), 0);
    }
    ~PellinProbe() {
        if (fd_ >= 0) ::close(fd_);
    }
    void WriteScript() {
        std::ofstream(program_) << "#!/bin/sh\necho started >> '" << log_.string()
                                << "'\necho started > '" << pipe_.string() << "'\n";
        std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
    }
    void WriteNonExecutable() { std::ofstream(program_) << "MZ not a program here\n"; }
    // Waits for the started program to write to the pipe; false when none did within a generous
    // bound (the bound guards against a hang, it measures nothing).
    bool AwaitStart() {
        fd_ = ::open(pipe_.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd_ < 0) return false;
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 60000) == 1;
    }
    int Starts() {
        std::ifstream in(log_);
        int lines = 0;
        for (std::string line; std::getline(in, line);) ++lines;
        return lines;
    }

  private:
    std::filesystem::path pipe_, log_, program_;
    int fd_ = -1;
};

TEST_P(Catalogue001Test, OnlyTheStoreRunStartsPellin) {
    world_.MakeStore();
    PellinProbe pellin(world_.Runtime());
    pellin.WriteScript();
    world_.Context().PatchTarget = 1;
    ASSERT_TRUE(world_.Run(Pick({50})));
    EXPECT_EQ(world_.RunList(), std::vector<std::string>{"영업집계수납금액 테이블 이동"});
    // An MDB database refuses the server's table text, so the step is still to do there.
    if (!Mdb()) world_.Execute("DROP TABLE TB_BusinessReceipt");
    world_.ResetObservations();
    world_.Context().PatchTarget = 0;
    ASSERT_TRUE(world_.Run(Pick({50})));
    ASSERT_TRUE(pellin.AwaitStart());
    EXPECT_EQ(pellin.Starts(), 1);
}

TEST_P(Catalogue001Test, APellinThatCannotBeStartedDoesNotStopTheRun) {
    world_.MakeStore(PartnerAndChartTables());
    PellinProbe pellin(world_.Runtime());
    pellin.WriteNonExecutable();
    EXPECT_TRUE(world_.Run(Pick({50, 51})));
    EXPECT_EQ(world_.RunList(),
              (std::vector<std::string>{"영업집계수납금액 테이블 이동", "상품차트 테이블 생성"}));
    if (!Mdb()) {
        EXPECT_TRUE(world_.Rules().empty()) << RuleText(world_);
    }
    EXPECT_EQ(world_.Pg1(), 51);
}

// Mark 21 narrows 심평원규격 (16 characters on SQL Server, 32 in an MDB file) only when every
// value fits the narrower column: the engines refuse to narrow below a value, which would end
// every run at this mark. A longer value keeps the column as it is, and the run goes on.
TEST_P(Catalogue001Test, InsuranceSpecIsNarrowedOnlyWhenEveryValueFits) {
    const std::string longSpec = Mdb() ? std::string(33, 'x') : std::string(17, 'x');
    for (const bool fits : {true, false}) {
        PatchWorld world(GetParam());
        world.MakeStore({"INSERT INTO 사용상품 (제품코드, 심평원규격, DEL_CHK) VALUES ('P1', '" +
                         (fits ? std::string("500mg") : longSpec) + "', 0)"});
        world.Context().DaoDatabase = world.OpenDao();
        ASSERT_TRUE(world.Run(Pick({21}))) << RuleText(world);
        const auto spec = world.Column("사용상품", "심평원규격");
        ASSERT_TRUE(spec);
        EXPECT_EQ(spec->size, fits ? (Mdb() ? 32 : 16) : 40) << fits;
        EXPECT_EQ(world.Rows("SELECT 심평원규격 FROM 사용상품"),
                  std::vector<std::string>{fits ? "500mg" : longSpec});
        const auto& list = world.RunList();
        EXPECT_EQ(std::count(list.begin(), list.end(),
                             "심평원규격 필드에 더 긴 값이 있어 필드크기를 유지함"),
                  fits ? 0 : 1);
        EXPECT_TRUE(world.Rules().empty()) << RuleText(world);
    }
}

}  // namespace
