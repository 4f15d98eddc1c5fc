#pragma once
// The catalogue's work through the pass's DAO handle: the column size probe and the field
// creation of the temporary voucher lines on an MDB database. Both keep the table definition
// they looked up in RunContext::DaoTableDef. Errors reach the caller (the error rules); without
// a DAO handle they raise DbError 91.
#include <string>

namespace patch {

struct RunContext;

// The size that the DAO table definition reports for the column.
int DaoColumnSize(RunContext& context, const std::string& table, const std::string& column);

// Appends 확장코드 (text, 10, zero length allowed), 확장수량, 확장포장수량, 확장단가 and
// 확장공급가 (double) to 임시입출상품.
void AddTempVoucherFieldsByDao(RunContext& context);

}  // namespace patch
