#include "patch/column_widening.h"

#include "config/runtime.h"
#include "db/error.h"
#include "host/desktop.h"
#include "repairs/require.h"

namespace patch {

namespace {

constexpr const char* kProductColumnTypes[] = {
    "ALTER TABLE 사용상품 ALTER COLUMN 중복바코드 NVARCHAR(16)",
    "ALTER TABLE 사용상품 ALTER COLUMN 무게등록일자 VARCHAR(10)",
    "ALTER TABLE 사용상품 ALTER COLUMN 재고메모 NVARCHAR(40)",
    "ALTER TABLE 확장바코드 ALTER COLUMN 중복바코드 NVARCHAR(16)",
    "ALTER TABLE 확장바코드 ALTER COLUMN 무게등록일자 VARCHAR(10)",
    "ALTER TABLE 확장바코드 ALTER COLUMN 재고메모 NVARCHAR(40)",
};

// An indexed column is widened by dropping its index, altering the column and creating the
// index again; a missing index or table only costs its own statement.
constexpr const char* kWideningStatements[] = {
    "ALTER TABLE 사용상품 ALTER COLUMN CHK_MEMO VARCHAR(500)",
    "DROP INDEX 사용상품.제품명",
    "ALTER TABLE 사용상품 ALTER COLUMN 제품명 VARCHAR(100)",
    "CREATE INDEX 제품명 ON [사용상품]([제품명]) ON [PRIMARY]",
    "ALTER TABLE 입출상품 ALTER COLUMN 제품명 VARCHAR(100)",
    "DROP INDEX 발주상품.제품명",
    "ALTER TABLE 발주상품 ALTER COLUMN 제품명 VARCHAR(100)",
    "CREATE INDEX 제품명 ON [발주상품]([제품명]) ON [PRIMARY]",
    "ALTER TABLE 바코드외부출력 ALTER COLUMN 제목 VARCHAR(100)",
    "ALTER TABLE 임시사용상품 ALTER COLUMN 제품명 VARCHAR(100)",
    "ALTER TABLE 임시입출상품 ALTER COLUMN 제품명 VARCHAR(100)",
    "ALTER TABLE 제품 ALTER COLUMN 제품명 VARCHAR(100)",
    "ALTER TABLE 제품검색 ALTER COLUMN 제품명 VARCHAR(100)",
    "ALTER TABLE 조제청구상품 ALTER COLUMN 제품명 VARCHAR(100)",
    "DROP INDEX 창고입출상품.제품명",
    "ALTER TABLE 창고입출상품 ALTER COLUMN 제품명 VARCHAR(100)",
    "CREATE INDEX 제품명 ON [창고입출상품]([제품명]) ON [PRIMARY]",
    "ALTER TABLE HandyData ALTER COLUMN 약품명칭 VARCHAR(100)",
    "ALTER TABLE 사용상품 ALTER COLUMN 규격 VARCHAR(100)",
    "ALTER TABLE 사용상품 ALTER COLUMN 바코드캡션 VARCHAR(200)",
    "DROP INDEX 사용상품.바코드",
    "ALTER TABLE 사용상품 ALTER COLUMN 바코드 VARCHAR(16)",
    "CREATE INDEX 바코드 ON [사용상품]([바코드]) ON [PRIMARY]",
    "ALTER TABLE 사용상품 ALTER COLUMN 중복바코드 VARCHAR(16)",
    "ALTER TABLE 사용상품 ALTER COLUMN 심평원규격 VARCHAR(50)",
    "ALTER TABLE 사용상품 ALTER COLUMN 유효기간 VARCHAR(10)",
    "ALTER TABLE 확장바코드 ALTER COLUMN 상품위치 NVARCHAR(100)",
    "ALTER TABLE 확장바코드 ALTER COLUMN CHK_MEMO VARCHAR(500)",
    "ALTER TABLE 확장바코드 ALTER COLUMN 중복바코드 VARCHAR(16)",
    "ALTER TABLE 확장바코드 ALTER COLUMN 바코드 VARCHAR(16)",
    // The column that the calling step tests, so the widening runs once per database.
    "ALTER TABLE 확장바코드 ADD 규격 VARCHAR(100) NULL",
};

// Runs the statement on StoreConnection and passes over its failure.
void ExecuteIgnoringErrors(config::Runtime& runtime, const char* sql) {
    try {
        repairs::Require(runtime.StoreConnection).Execute(sql);
    } catch (const db::DbError&) {
        // An absent column, table or index, or a type already in place: go on with the next.
    }
}

}  // namespace

void ChangeProductColumnTypes(config::Runtime& runtime) {
    for (const char* sql : kProductColumnTypes) ExecuteIgnoringErrors(runtime, sql);
}

void WidenProductColumns(config::Runtime& runtime) {
    for (const char* sql : kWideningStatements) {
        ExecuteIgnoringErrors(runtime, sql);
        runtime.Desktop().DoEvents();
    }
}

}  // namespace patch
