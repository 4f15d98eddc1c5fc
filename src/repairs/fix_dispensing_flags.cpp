#include "repairs/fix_dispensing_flags.h"

#include <optional>
#include <string>
#include <vector>

#include "config/runtime.h"
#include "db/recordset.h"
#include "repairs/require.h"
#include "repairs/row_keys.h"
#include "util/kro_function.h"

namespace repairs {

namespace {

constexpr const char* kWrongFlags =
    "SELECT 상.제품코드, 상.제품분류, 상.연합회코드, 대.조제구분 FROM 사용상품 AS 상 "
    "LEFT JOIN 상품분류코드 AS 대 ON 상.제품분류 = 대.분류코드 AND 대.DEL_CHK = 0 "
    "WHERE (상.조제약여부 <> 0 AND 상.조제약여부 <> 1 AND 상.조제약여부 <> 2) AND "
    "상.DEL_CHK = 0 ";

// 1 with an association code; else the class's dispensing kind when there is one; else 0.
std::int64_t CorrectFlag(const db::RecordSet& row) {
    using util::Kro_Function;
    if (!Kro_Function::Nz(row["연합회코드"], 1).AsText().empty()) return 1;
    const util::Variant& classKind = row["조제구분"];
    return classKind.IsNull() ? 0 : Kro_Function::Nz(classKind).AsInt();
}

}  // namespace

std::int32_t FixDispensingFlags(config::Runtime& runtime) {
    db::Connection& cn = Require(runtime.StoreConnection);
    db::RecordSet rows;
    rows.Open(kWrongFlags, cn, db::CursorType::kStatic, 1);
    std::int32_t changed = 0;
    // Every run comes here; the keys of the whole product table are read only when there is a
    // row to correct, which after the first run there seldom is.
    std::optional<RowKeys> keys;
    for (; !rows.Eof(); rows.MoveNext()) {
        if (!keys) keys.emplace(cn, "사용상품", std::vector<std::string>{"제품코드"});
        const std::string where = keys->Where({rows["제품코드"]});
        if (where.empty()) {
            ReportUnaddressableRow(runtime, "사용상품", KeyText(rows["제품코드"]));
            continue;
        }
        changed += static_cast<std::int32_t>(
            cn.Execute("UPDATE 사용상품 SET 조제약여부 = " + std::to_string(CorrectFlag(rows)) +
                       " WHERE " + where));
    }
    rows.Close();
    return changed;
}

}  // namespace repairs
