// Routines of SQL Server mode: CREATE/DROP FUNCTION and PROCEDURE, and the three routines of
// the store software that run natively once recorded (FN_SPLIT_nth, ConcatList,
// PR_NVMgt_U_StockReCalc).
#include <gtest/gtest.h>

#include "db/embedded/server_helpers.h"

namespace db::embedded::testing {
namespace {

constexpr const char* kSplitFunction =
    "CREATE FUNCTION [dbo].[FN_SPLIT_nth](@ParamData Varchar(8000)) RETURNS @Result TABLE (Seq "
    "INT) AS BEGIN RETURN END";
constexpr const char* kConcatList =
    "CREATE FUNCTION [dbo].[ConcatList] (@PdtCode VARCHAR(10)) RETURNS NVARCHAR(4000) AS BEGIN "
    "RETURN (@PdtCode) END";
constexpr const char* kStockRecalc =
    " CREATE Proc [dbo].[PR_NVMgt_U_StockReCalc]          \r\n    @Para1st VARCHAR(8000)\r\nAS\r\n"
    "SET NOCOUNT ON\r\n";

using RoutineTest = ServerModeTest;

TEST_F(RoutineTest, CreateRecordsARoutineOnceAndDropRemovesIt) {
    server_->Execute(kConcatList, 30);
    const DbError twice = ErrorOf([&] { server_->Execute(kConcatList, 30); });
    EXPECT_EQ(twice.Number(), ErrorNumber::kSyntax);
    EXPECT_NE(twice.Description().find("already an object named 'ConcatList'"), std::string::npos);
    server_->Execute("CREATE TABLE 사용상품 (a INT)", 30);
    EXPECT_EQ(
        ErrorOf([&] { server_->Execute("CREATE PROCEDURE 사용상품 AS SELECT 1", 30); }).Number(),
        ErrorNumber::kSyntax);

    server_->Execute(" DROP FUNCTION ConcatList ", 30);
    EXPECT_TRUE(FirstValue(*server_, "SELECT OBJECT_ID('ConcatList')").IsNull());
    EXPECT_NO_THROW(server_->Execute(kConcatList, 30));  // may be created again
}

TEST_F(RoutineTest, DroppingAMissingOrOtherKindOfRoutineFails) {
    server_->Execute(kStockRecalc, 30);
    server_->Execute(kSplitFunction, 30);
    const struct {
        const char* sql;
        const char* text;
    } kCases[] = {
        {" DROP FUNCTION FN_없음 ", "Cannot drop the function 'FN_없음'"},
        {"DROP PROCEDURE 없음", "Cannot drop the procedure '없음'"},
        {"DROP PROC [dbo].[없음]", "Cannot drop the procedure '없음'"},
        {"DROP FUNCTION PR_NVMgt_U_StockReCalc", "Use DROP PROCEDURE"},
        {"DROP PROCEDURE FN_SPLIT_nth", "Use DROP FUNCTION"},
    };
    for (const auto& c : kCases) {
        const DbError e = ErrorOf([&] { server_->Execute(c.sql, 30); });
        EXPECT_EQ(e.Number(), ErrorNumber::kSyntax) << c.sql;
        EXPECT_NE(e.Description().find(c.text), std::string::npos) << e.Description();
    }
    server_->Execute(" DROP PROCEDURE PR_NVMgt_U_StockReCalc ", 30);
    server_->Execute("DROP FUNCTION [dbo].[FN_SPLIT_nth]", 30);
    EXPECT_TRUE(AllRows(*server_, "SELECT * FROM SYSOBJECTS").empty());
}

TEST_F(RoutineTest, JetHasNoRoutines) {
    std::unique_ptr<Session> jet = OpenJet();
    for (const char* sql : {kSplitFunction, kStockRecalc, "DROP FUNCTION FN_SPLIT_nth",
                            "DROP PROCEDURE PR_NVMgt_U_StockReCalc",
                            "EXEC PR_NVMgt_U_StockReCalc '20201221#000001#P1#20201130#0001#$'"}) {
        EXPECT_EQ(ErrorOf([&] { jet->Execute(sql, 30); }).Number(), ErrorNumber::kSyntax) << sql;
    }
}

TEST_F(RoutineTest, NativeRoutinesRunOnlyOnceRecorded) {
    server_->Execute("CREATE TABLE PdtLocation (제품코드 NVARCHAR(10), 상품위치 NVARCHAR(20))", 30);
    const struct {
        const char* sql;
        std::int32_t number;
    } kCases[] = {
        {"SELECT * FROM dbo.FN_SPLIT_nth('a#$')", ErrorNumber::kTableMissing},
        {"SELECT dbo.ConcatList('P1')", ErrorNumber::kSyntax},
        {"EXEC PR_NVMgt_U_StockReCalc '20201221#000001#P1#20201130#0001#$'", ErrorNumber::kSyntax},
        {"EXEC 없는프로시저", ErrorNumber::kSyntax},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ErrorOf([&] { server_->Execute(c.sql, 30); }).Number(), c.number) << c.sql;
    }
    // A recorded procedure that the engine has no implementation of cannot run either.
    server_->Execute("CREATE PROC 기타 AS SELECT 1", 30);
    EXPECT_EQ(ErrorOf([&] { server_->Execute("EXEC 기타", 30); }).Number(), ErrorNumber::kSyntax);
}

TEST_F(RoutineTest, SplitFunctionGivesOneRowPerRecord) {
    server_->Execute(kSplitFunction, 30);
    const auto rows = NamedRows(*server_, "SELECT * FROM dbo.FN_SPLIT_nth('a#b#$d#$')");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].size(), 101u);  // Seq, PValue1 … PValue100
    EXPECT_EQ(rows[0].at("SEQ"), util::Variant(1));
    EXPECT_EQ(rows[0].at("PVALUE1"), util::Variant("a"));
    EXPECT_EQ(rows[0].at("PVALUE2"), util::Variant("b"));
    EXPECT_EQ(rows[0].at("PVALUE3"), util::Variant(""));
    EXPECT_EQ(rows[0].at("PVALUE100"), util::Variant(""));
    EXPECT_EQ(rows[1].at("SEQ"), util::Variant(2));
    EXPECT_EQ(rows[1].at("PVALUE1"), util::Variant("d"));
    EXPECT_EQ(rows[1].at("PVALUE2"), util::Variant(""));

    EXPECT_EQ(FirstValue(*server_, "SELECT PValue2 FROM FN_SPLIT_nth(N'x#y') WHERE Seq = 1"),
              util::Variant("y"));
    EXPECT_TRUE(AllRows(*server_, "SELECT * FROM dbo.FN_SPLIT_nth('')").empty());
    EXPECT_TRUE(AllRows(*server_, "SELECT * FROM dbo.FN_SPLIT_nth(NULL)").empty());
}

TEST_F(RoutineTest, ConcatListJoinsTheDistinctLocationsInTheCollationOrder) {
    server_->Execute(kConcatList, 30);
    server_->Execute(
        "CREATE TABLE PdtLocation (제품코드 NVARCHAR(10), 바코드코드 NVARCHAR(10), "
        "상품위치 NVARCHAR(20))",
        30);
    for (const char* location : {"b-2", "A-1", "b-2", "창고", "a-0"}) {
        server_->Execute(
            std::string("INSERT INTO PdtLocation (제품코드, 상품위치) VALUES ('P1', '") + location +
                "')",
            30);
    }
    server_->Execute("INSERT INTO PdtLocation (제품코드, 상품위치) VALUES ('P1', NULL)", 30);
    server_->Execute("INSERT INTO PdtLocation (제품코드, 상품위치) VALUES ('P2', 'Z')", 30);
    EXPECT_EQ(FirstValue(*server_, "SELECT dbo.ConcatList('P1')"),
              util::Variant("a-0,A-1,b-2,창고"));
    EXPECT_EQ(FirstValue(*server_, "SELECT [dbo].[ConcatList]('P2')"), util::Variant("Z"));
    EXPECT_TRUE(FirstValue(*server_, "SELECT dbo.ConcatList('P9')").IsNull());
    EXPECT_EQ(FirstValue(*server_,
                         "SELECT dbo.ConcatList(제품코드) FROM PdtLocation WHERE 상품위치 = 'z'"),
              util::Variant("Z"));
}

// The store tables that the stock recalculation reads and writes.
class StockRecalcTest : public ServerModeTest {
  protected:
    void SetUp() override {
        for (const char* sql : {
                 kSplitFunction,
                 kStockRecalc,
                 "CREATE TABLE 제품정보 (제품코드 NVARCHAR(10), 이월수량 FLOAT, 재고단가 MONEY, "
                 "최근매입일 NVARCHAR(8), 최근매입수량 FLOAT)",
                 "CREATE TABLE 사용상품 (제품코드 NVARCHAR(10), 재고수량 FLOAT, 평균단가 MONEY, "
                 "최근매입일 NVARCHAR(8), 최근매입수량 FLOAT, 입고단가 MONEY, DEL_CHK SMALLINT)",
                 "INSERT INTO 제품정보 VALUES ('P1', 10, 80, '20201001', 5)",
                 "INSERT INTO 사용상품 VALUES ('P1', 999, 999, '', 0, 70, 0)",
             }) {
            server_->Execute(sql, 30);
        }
    }

    void MakeLines(bool withProfit = true) {
        server_->Execute(
            std::string("CREATE TABLE 입출상품 (작업일자 NVARCHAR(8), 전표번호 "
                        "NVARCHAR(6), 일련번호 SMALLINT, 제품코드 NVARCHAR(10), "
                        "매장코드 NVARCHAR(4), 수량 FLOAT, 전표종류 SMALLINT, 거래단가 "
                        "MONEY, DEL_CHK SMALLINT, 전재고 FLOAT, 현재고 FLOAT, 재고단가 "
                        "MONEY") +
                (withProfit ? ", 이익금 MONEY)" : ")"),
            30);
    }

    void AddLine(const std::string& date, const std::string& number, int serial, int kind,
                 double quantity, double price, int deleted = 0) {
        server_->Execute(
            "INSERT INTO 입출상품 (작업일자, 전표번호, 일련번호, 제품코드, 매장코드, "
            "수량, 전표종류, 거래단가, DEL_CHK) VALUES ('" +
                date + "', '" + number + "', " + std::to_string(serial) + ", 'P1', '0001', " +
                std::to_string(quantity) + ", " + std::to_string(kind) + ", " +
                std::to_string(price) + ", " + std::to_string(deleted) + ")",
            30);
    }

    void Recalc(const std::string& parameter) {
        server_->Execute("EXEC PR_NVMgt_U_StockReCalc '" + parameter + "'", 30);
    }

    double Value(const std::string& sql) { return FirstValue(*server_, sql).AsDouble(); }

    // 전재고, 현재고, 재고단가, 이익금 of a line.
    std::vector<double> LineFigures(const std::string& date, int serial) {
        const auto rows = AllRows(*server_,
                                  "SELECT 전재고, 현재고, 재고단가, 이익금 FROM 입출상품 WHERE "
                                  "작업일자 = '" +
                                      date + "' AND 일련번호 = " + std::to_string(serial));
        std::vector<double> out;
        if (!rows.empty()) {
            for (const util::Variant& v : rows[0])
                out.push_back(v.IsNull() ? -12345 : v.AsDouble());
        }
        return out;
    }
};

TEST_F(StockRecalcTest, EachSlipKindMovesStockCostAndProfit) {
    // Onto the carried-over stock of 10 at cost 80 (입고단가 70).
    const struct {
        int kind;
        double quantity;
        double price;
        std::vector<double> figures;  // 전재고, 현재고, 재고단가, 이익금
    } kCases[] = {
        {0, 10, 100, {10, 20, 90, 0}},                                // purchase: average cost
        {1, 3, 100, {10, 7, 80, 60}},                                 // sale: profit at the cost
        {11, 3, 100, {10, 7, 80, 60}},  {5, 3, 100, {10, 7, 80, 0}},  // out without profit
        {2, 3, 100, {10, 13, 80, -60}},                               // return: negative profit
        {3, 4, 50, {10, 6, 100, 0}},    // quantity negated, enters the cost
        {4, 10, 100, {10, 20, 90, 0}},  // positive: enters the cost
        {4, -2, 100, {10, 8, 80, 0}},   // negative: cost stays
        {24, 7, 100, {10, 7, 80, 0}},   // fixed slip: the quantity is the stock
    };
    MakeLines();
    for (const auto& c : kCases) {
        server_->Execute("DELETE FROM 입출상품", 30);
        AddLine("20201201", "000001", 1, c.kind, c.quantity, c.price);
        Recalc("##P1#20201130#0001#$");
        EXPECT_EQ(LineFigures("20201201", 1), c.figures) << "kind " << c.kind;
        EXPECT_EQ(Value("SELECT 재고수량 FROM 사용상품"), c.figures[1]) << "kind " << c.kind;
        EXPECT_EQ(Value("SELECT 평균단가 FROM 사용상품"), c.figures[2]) << "kind " << c.kind;
        const auto purchase = AllRows(*server_, "SELECT 최근매입일, 최근매입수량 FROM 사용상품")[0];
        EXPECT_EQ(purchase[0], util::Variant(c.kind == 0 ? "20201201" : "20201001"));
        EXPECT_EQ(purchase[1].AsDouble(), c.kind == 0 ? 10 : 5);
    }
}

TEST_F(StockRecalcTest, ASaleWithoutCostTakesTheEntryPrice) {
    server_->Execute("UPDATE 제품정보 SET 재고단가 = 0", 30);
    MakeLines();
    AddLine("20201201", "000001", 1, 1, 3, 100);
    Recalc("##P1#20201130#0001#$");
    EXPECT_EQ(LineFigures("20201201", 1), (std::vector<double>{10, 7, 0, 90}));  // 300 - 3 × 70
}

TEST_F(StockRecalcTest, WithoutASlipAllLinesAfterTheClosingDateAreWalkedInOrder) {
    MakeLines();
    AddLine("20201101", "000001", 1, 0, 50, 10);  // before the closing date: untouched
    AddLine("20201202", "000001", 1, 1, 5, 120);
    AddLine("20201201", "000002", 2, 0, 4, 200, 1);  // deleted: skipped
    AddLine("20201201", "000002", 1, 0, 10, 100);
    Recalc("##P1#20201130#0001#$");
    EXPECT_EQ(LineFigures("20201101", 1), (std::vector<double>{-12345, -12345, -12345, -12345}));
    EXPECT_EQ(LineFigures("20201201", 1), (std::vector<double>{10, 20, 90, 0}));
    EXPECT_EQ(LineFigures("20201202", 1), (std::vector<double>{20, 15, 90, 150}));
    EXPECT_EQ(Value("SELECT 재고수량 FROM 사용상품"), 15);
    EXPECT_EQ(Value("SELECT 평균단가 FROM 사용상품"), 90);
    EXPECT_EQ(FirstValue(*server_, "SELECT 최근매입일 FROM 사용상품"), util::Variant("20201201"));
    EXPECT_EQ(Value("SELECT 최근매입수량 FROM 사용상품"), 10);
}

TEST_F(StockRecalcTest, FromAGivenSlipTheStoresEarlierLineIsTheStart) {
    MakeLines();
    AddLine("20201201", "000001", 1, 0, 10, 100);
    AddLine("20201202", "000001", 1, 1, 5, 120);
    server_->Execute(
        "UPDATE 입출상품 SET 전재고 = 0, 현재고 = 30, 재고단가 = 95 WHERE 작업일자 = "
        "'20201201'",
        30);
    Recalc("20201202#000001#P1#20201130#0001#$");
    EXPECT_EQ(LineFigures("20201201", 1), (std::vector<double>{0, 30, 95, -12345}));
    EXPECT_EQ(LineFigures("20201202", 1), (std::vector<double>{30, 25, 95, 125}));
    EXPECT_EQ(Value("SELECT 재고수량 FROM 사용상품"), 25);
    // No purchase walked: the carried-over one stays the latest.
    EXPECT_EQ(FirstValue(*server_, "SELECT 최근매입일 FROM 사용상품"), util::Variant("20201001"));
}

TEST_F(StockRecalcTest, AnErrorRollsEverythingBackAndIsNotReported) {
    MakeLines(/*withProfit=*/false);  // the line write fails
    AddLine("20201201", "000001", 1, 0, 10, 100);
    EXPECT_NO_THROW(Recalc("##P1#20201130#0001#$"));
    EXPECT_EQ(Value("SELECT 재고수량 FROM 사용상품"), 999);
    EXPECT_EQ(Value("SELECT 평균단가 FROM 사용상품"), 999);
    EXPECT_TRUE(FirstValue(*server_, "SELECT 현재고 FROM 입출상품").IsNull());
}

TEST_F(StockRecalcTest, TakesItsParameterByPositionOrName) {
    MakeLines();
    AddLine("20201201", "000001", 1, 0, 10, 100);
    server_->Execute("EXEC PR_NVMgt_U_StockReCalc @Para1st = N'##P1#20201130#0001#$'", 30);
    EXPECT_EQ(Value("SELECT 재고수량 FROM 사용상품"), 20);
    // It reads its parameter through the split function.
    server_->Execute("DROP FUNCTION FN_SPLIT_nth", 30);
    EXPECT_EQ(ErrorOf([&] { Recalc("##P1#20201130#0001#$"); }).Number(),
              ErrorNumber::kTableMissing);
    for (const char* bad : {"EXEC PR_NVMgt_U_StockReCalc", "EXEC PR_NVMgt_U_StockReCalc 'a', 'b'",
                            "EXEC PR_NVMgt_U_StockReCalc @Other = 'a'"}) {
        EXPECT_EQ(ErrorOf([&] { server_->Execute(bad, 30); }).Number(), ErrorNumber::kSyntax)
            << bad;
    }
}

}  // namespace
}  // namespace db::embedded::testing
