#include "patch/server_routines.h"

#include <string_view>
#include <vector>

#include "config/runtime.h"
#include "repairs/require.h"

namespace patch {
namespace {

constexpr int kFields = 100;

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string Field(int n) {
    return "PValue" + std::to_string(n);
}

// "    PValue1 Varchar(500) NULL," … with the last line closed by closing.
void AddEach(std::vector<std::string>& lines, std::string_view indent, std::string (*item)(int),
             std::string_view closing) {
    for (int n = 1; n <= kFields; ++n) {
        lines.push_back(std::string(indent) + item(n) + (n < kFields ? "," : std::string(closing)));
    }
}

}  // namespace

std::string SplitFunctionText() {
    std::vector<std::string> lines{
        " CREATE FUNCTION [dbo].[FN_SPLIT_nth](@ParamData Varchar(8000)) ",
        "RETURNS @Result TABLE (",
        "    Seq INT IDENTITY (1, 1) NOT NULL,",
    };
    AddEach(
        lines, "    ", [](int n) { return Field(n) + " Varchar(500) NULL"; }, "");
    for (const char* line : {
             ")",
             "AS",
             "BEGIN",
             "    DECLARE @Rest Varchar(8000)",
             "    DECLARE @Record Varchar(8000)",
             "    DECLARE @At INT",
             "    DECLARE @N INT",
             "    DECLARE @Fields TABLE (FieldNo INT NOT NULL PRIMARY KEY, FieldValue Varchar(500) "
             "NOT NULL)",
             "",
             "    -- Records end with '$', fields with '#'; an unterminated tail still counts, and",
             "    -- a rest of blanks only is empty (texts compare without trailing blanks).",
             "    SET @Rest = @ParamData",
             "    WHILE @Rest <> ''",
             "    BEGIN",
             "        SET @At = CHARINDEX('$', @Rest)",
             "        IF @At = 0 SET @At = DATALENGTH(@Rest) + 1",
             "        SET @Record = SUBSTRING(@Rest, 1, @At - 1)",
             "        SET @Rest = SUBSTRING(@Rest, @At + 1, 8000)",
             "        DELETE FROM @Fields",
             "        SET @N = 1",
             "        WHILE @Record <> ''",
             "        BEGIN",
             "            SET @At = CHARINDEX('#', @Record)",
             "            IF @At = 0 SET @At = DATALENGTH(@Record) + 1",
             "            IF @N <= 100",
             "                INSERT INTO @Fields (FieldNo, FieldValue)",
             "                VALUES (@N, LEFT(SUBSTRING(@Record, 1, @At - 1), 500))",
             "            SET @Record = SUBSTRING(@Record, @At + 1, 8000)",
             "            SET @N = @N + 1",
             "        END",
             "        INSERT INTO @Result (",
         }) {
        lines.emplace_back(line);
    }
    AddEach(lines, "            ", Field, ")");
    lines.emplace_back("        SELECT");
    AddEach(
        lines, "            ",
        [](int n) {
            return "ISNULL(MAX(CASE WHEN FieldNo = " + std::to_string(n) +
                   " THEN FieldValue END), '')";
        },
        "");
    for (const char* line : {"        FROM @Fields", "    END", "    RETURN", "END"}) {
        lines.emplace_back(line);
    }
    return Join(lines);
}

std::string StockRecalcProcedureText() {
    return Join({
        " CREATE Proc [dbo].[PR_NVMgt_U_StockReCalc]          ",
        "    @Para1st VARCHAR(8000)",
        "AS",
        "SET NOCOUNT ON",
        "DECLARE @SlipDate VARCHAR(8), @SlipNo VARCHAR(6), @PdtCode VARCHAR(10)",
        "DECLARE @CloseDate VARCHAR(8), @ShopCode VARCHAR(15)",
        "DECLARE @Before FLOAT, @Now FLOAT, @Cost FLOAT, @BuyDate VARCHAR(8), @BuyQty FLOAT",
        "DECLARE @EntryCost FLOAT, @Profit FLOAT",
        "DECLARE @Qty FLOAT, @Kind INT, @Price FLOAT, @Date VARCHAR(8), @No VARCHAR(6)",
        "DECLARE @Serial VARCHAR(20)",
        "",
        "SELECT TOP 1 @SlipDate = PValue1, @SlipNo = PValue2, @PdtCode = PValue3,",
        "       @CloseDate = PValue4, @ShopCode = PValue5",
        "  FROM dbo.FN_SPLIT_nth(@Para1st)",
        " ORDER BY Seq",
        "SET @SlipDate = ISNULL(@SlipDate, '')",
        "SET @SlipNo = ISNULL(@SlipNo, '')",
        "SET @CloseDate = ISNULL(@CloseDate, '')",
        "",
        "BEGIN TRY",
        "    BEGIN TRANSACTION",
        "",
        "    -- The carried-over figures of the product are the starting point.",
        "    SELECT @Before = 이월수량, @Cost = 재고단가, @BuyDate = 최근매입일, @BuyQty = "
        "최근매입수량",
        "      FROM 제품정보",
        "     WHERE 제품코드 = @PdtCode",
        "    UPDATE 사용상품",
        "       SET 재고수량 = ISNULL(@Before, 0), 평균단가 = ISNULL(@Cost, 0),",
        "           최근매입일 = ISNULL(@BuyDate, ' '), 최근매입수량 = ISNULL(@BuyQty, 0)",
        "     WHERE 제품코드 = @PdtCode",
        "",
        "    -- From a given slip on, the latest earlier line of the store is the starting point.",
        "    IF @SlipDate <> '' AND @SlipNo <> ''",
        "        SELECT TOP 1 @Before = 현재고, @Cost = 재고단가",
        "          FROM 입출상품",
        "         WHERE 제품코드 = @PdtCode AND 매장코드 = @ShopCode",
        "           AND 작업일자 + 전표번호 < @SlipDate + @SlipNo",
        "         ORDER BY 작업일자 DESC, 전표번호 DESC, 일련번호 DESC",
        "",
        "    SELECT @EntryCost = 입고단가 FROM 사용상품 WHERE 제품코드 = @PdtCode AND DEL_CHK = 0",
        "    SET @Now = @Before",
        "",
        "    DECLARE LineCursor CURSOR LOCAL FAST_FORWARD FOR",
        "        SELECT 수량, 전표종류, 거래단가, 작업일자, 전표번호, 일련번호",
        "          FROM 입출상품",
        "         WHERE 제품코드 = @PdtCode AND DEL_CHK = 0",
        "           AND 작업일자 + 전표번호 >= @SlipDate + @SlipNo",
        "           AND 작업일자 > @CloseDate",
        "         ORDER BY 작업일자, 전표번호, 일련번호",
        "    OPEN LineCursor",
        "    FETCH NEXT FROM LineCursor INTO @Qty, @Kind, @Price, @Date, @No, @Serial",
        "    WHILE @@FETCH_STATUS = 0",
        "    BEGIN",
        "        SET @Before = ROUND(ISNULL(@Before, 0), 4)",
        "        SET @Qty = ISNULL(@Qty, 0)",
        "        IF @Kind = 3 SET @Qty = -@Qty",
        "        SET @Now = CASE WHEN @Kind IN (1, 5, 11) THEN @Before - ROUND(@Qty, 4)",
        "                        WHEN @Kind = 24 THEN @Qty",
        "                        ELSE @Before + ROUND(@Qty, 4) END",
        "        SET @Qty = ROUND(@Qty, 4)",
        "        SET @Price = ROUND(ISNULL(@Price, 0), 4)",
        "        IF @Kind IN (0, 3) OR (@Kind = 4 AND @Qty > 0)",
        "            SET @Cost = ROUND(CASE",
        "                WHEN @Before + @Qty <= 0 THEN 0",
        "                WHEN @Before <= 0 OR (ISNULL(@Cost, 0) <= 0 AND @Price > 0) THEN @Price",
        "                WHEN ISNULL(@Cost, 0) * @Before + @Qty * @Price <= 0 THEN 0",
        "                ELSE (@Before * ISNULL(@Cost, 0) + @Qty * @Price) / (@Before + @Qty)",
        "            END, 1)",
        "        SET @Profit = CASE",
        "            WHEN @Kind IN (1, 11, 2) AND @Qty <> 0 THEN",
        "                (CASE WHEN @Kind = 2 THEN -1 ELSE 1 END)",
        "                * (@Qty * @Price - @Qty * CASE WHEN ISNULL(@Cost, 0) <> 0 THEN @Cost",
        "                                               ELSE ISNULL(@EntryCost, 0) END)",
        "            ELSE 0 END",
        "        IF @Kind = 0",
        "        BEGIN",
        "            SET @BuyDate = @Date",
        "            SET @BuyQty = @Qty",
        "        END",
        "        UPDATE 입출상품",
        "           SET 전재고 = @Before, 현재고 = @Now, 재고단가 = @Cost, 이익금 = @Profit",
        "         WHERE 작업일자 = @Date AND 전표번호 = @No AND 일련번호 = @Serial",
        "           AND 매장코드 = @ShopCode",
        "        SET @Before = @Now",
        "        FETCH NEXT FROM LineCursor INTO @Qty, @Kind, @Price, @Date, @No, @Serial",
        "    END",
        "    CLOSE LineCursor",
        "    DEALLOCATE LineCursor",
        "",
        "    UPDATE 사용상품",
        "       SET 재고수량 = ISNULL(@Now, 0), 평균단가 = ISNULL(@Cost, 0),",
        "           최근매입일 = ISNULL(@BuyDate, ' '), 최근매입수량 = ISNULL(@BuyQty, 0)",
        "     WHERE 제품코드 = @PdtCode",
        "    COMMIT TRANSACTION",
        "END TRY",
        "BEGIN CATCH",
        "    IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION",
        "END CATCH",
    });
}

void InstallSplitFunction(config::Runtime& runtime) {
    repairs::Require(runtime.StoreConnection).Execute(SplitFunctionText());
}

void InstallStockRecalcProcedure(config::Runtime& runtime) {
    repairs::Require(runtime.StoreConnection).Execute(StockRecalcProcedureText());
}

}  // namespace patch
