#include "patch/dao_steps.h"

#include "patch/run_context.h"
#include "repairs/require.h"

namespace patch {

namespace {

db::DaoTableDef& TakeTableDef(RunContext& context, const std::string& table) {
    context.DaoTableDef = repairs::Require(context.DaoDatabase).TableDefs(table);
    return *context.DaoTableDef;
}

}  // namespace

int DaoColumnSize(RunContext& context, const std::string& table, const std::string& column) {
    return TakeTableDef(context, table).Fields(column).Size;
}

void AddTempVoucherFieldsByDao(RunContext& context) {
    db::DaoTableDef& def = TakeTableDef(context, "임시입출상품");
    def.Fields.Append(def.CreateField("확장코드", db::DaoType::kText, 10));
    for (const char* name : {"확장수량", "확장포장수량", "확장단가", "확장공급가"}) {
        def.Fields.Append(def.CreateField(name, db::DaoType::kDouble));
    }
    def.Fields("확장코드").AllowZeroLength = true;
}

}  // namespace patch
