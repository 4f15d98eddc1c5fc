#include "repairs/point_history.h"

#include <string>

#include "config/runtime.h"
#include "db/recordset.h"
#include "repairs/repair_progress.h"
#include "repairs/require.h"
#include "repairs/row_keys.h"
#include "util/kro_function.h"
#include "util/sql_text.h"

namespace repairs {

void NumberPointHistory(config::Runtime& runtime) {
    using util::Kro_Function;
    db::Connection& cn = Require(runtime.StoreConnection);
    db::RecordSet rows;
    rows.Open(
        "SELECT 작업일자, 작업번호, UP_DATE, 사용구분 FROM 사은점수이력 ORDER BY UP_DATE ASC, "
        "작업일자 ASC, 작업번호 ASC",
        cn, db::CursorType::kStatic, 1);
    PB2Counter bar(runtime);
    if (rows.RecordCount() > 0) bar.SetMax(rows.RecordCount());

    // The serial restarts at 1 whenever the transaction (date and number, as stored) changes
    // from the row before; the first row is compared with an empty transaction. A transaction
    // whose date and number another one's compare equal to (blanks or letter case apart) is
    // left as it is: its numbers would be written into the other's rows.
    const RowKeys transactions(cn, "사은점수이력", {"작업일자", "작업번호"});
    std::string lastDate;
    std::string lastNumber;
    int serial = 0;
    for (; !rows.Eof(); rows.MoveNext()) {
        bar.Step();
        const util::Variant& date = rows["작업일자"];
        const util::Variant& number = rows["작업번호"];
        const std::string where = transactions.WhereAll({date, number});
        if (where.empty()) {
            ReportUnaddressableRow(runtime, "사은점수이력", KeyText(date) + "/" + KeyText(number));
            continue;
        }
        if (date.AsText() != lastDate || number.AsText() != lastNumber) {
            lastDate = date.AsText();
            lastNumber = number.AsText();
            serial = 1;
        }
        cn.Execute("UPDATE 사은점수이력 SET iSn = " + std::to_string(serial) + " WHERE " + where +
                   " AND 사용구분 = " + util::SqlNumber(Kro_Function::Nz(rows["사용구분"]), "0"));
        ++serial;
    }
    rows.Close();
}

}  // namespace repairs
