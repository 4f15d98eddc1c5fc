// Schema questions on every engine: tables, columns with type name, size and nullability,
// indexes, and a missing table.
#include "db/schema.h"
#include "db/ascii_text.h"
#include "db/conformance/engine_fixture.h"
#include "db/embedded/server_helpers.h"

namespace conformance {
namespace {

class ConformanceSchema : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        CreatePartners();
        Run("CREATE INDEX [ix_거래처_이름] ON [거래처] ([이름])");
        Run("CREATE UNIQUE INDEX [ux_거래처_이름수량] ON [거래처] ([이름], [수량])");
    }

    const db::IndexInfo* FindIndex(const std::vector<db::IndexInfo>& indexes,
                                   std::string_view name) {
        for (const db::IndexInfo& index : indexes) {
            if (db::EqualsNoCase(index.name, name)) return &index;
        }
        return nullptr;
    }
};

TEST_P(ConformanceSchema, ListsTheTable) {
    bool found = false;
    for (const db::TableInfo& table : session_->SchemaInfo().Tables()) {
        if (table.name == "거래처") {
            found = true;
            EXPECT_TRUE(db::EqualsNoCase(table.type, "TABLE")) << table.type;
        }
    }
    EXPECT_TRUE(found);
}

TEST_P(ConformanceSchema, DescribesEachColumnAsDeclared) {
    const DialectTexts& t = Texts();
    const struct {
        const char* name;
        const char* typeName;
        int size;
        bool nullable;
        int adoType;
    } kColumns[] = {
        {"코드", t.textName, 16, false, db::AdoType::kVarWChar},
        {"이름", t.textName, 40, true, db::AdoType::kVarWChar},
        {"수량", "INT", 0, true, db::AdoType::kInteger},
        {"금액", t.money, 0, true, db::AdoType::kCurrency},
        {"일자", "DATETIME", 0, true, db::AdoType::kDate},
        {"비율", t.real, 0, true, db::AdoType::kDouble},
    };
    const std::vector<db::ColumnInfo> columns = session_->SchemaInfo().Columns("거래처");
    ASSERT_EQ(columns.size(), std::size(kColumns));
    for (size_t i = 0; i < columns.size(); ++i) {
        const db::ColumnInfo& column = columns[i];
        EXPECT_EQ(column.name, kColumns[i].name);
        EXPECT_TRUE(db::EqualsNoCase(column.typeName, kColumns[i].typeName))
            << column.name << " " << column.typeName;
        EXPECT_EQ(column.size, kColumns[i].size) << column.name;
        EXPECT_EQ(column.nullable, kColumns[i].nullable) << column.name;
        EXPECT_EQ(column.adoType, kColumns[i].adoType) << column.name;
    }
}

TEST_P(ConformanceSchema, DescribesTheIndexes) {
    const std::vector<db::IndexInfo> indexes = session_->SchemaInfo().Indexes("거래처");

    const db::IndexInfo* plain = FindIndex(indexes, "ix_거래처_이름");
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->unique);
    EXPECT_FALSE(plain->primaryKey);
    EXPECT_EQ(plain->columns, (std::vector<std::string>{"이름"}));

    const db::IndexInfo* unique = FindIndex(indexes, "ux_거래처_이름수량");
    ASSERT_NE(unique, nullptr);
    EXPECT_TRUE(unique->unique);
    EXPECT_EQ(unique->columns, (std::vector<std::string>{"이름", "수량"}));

    // The key's index; SQLite names it itself, the others keep the constraint's name.
    const db::IndexInfo* key = nullptr;
    for (const db::IndexInfo& index : indexes) {
        if (index.primaryKey) key = &index;
    }
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->unique);
    EXPECT_EQ(key->columns, (std::vector<std::string>{"코드"}));
    if (!Is(Engine::OdbcSqlite)) {
        EXPECT_EQ(key->name, "PK_거래처");
    }
}

TEST_P(ConformanceSchema, AMissingTablesColumnsAreItemNotFound) {
    EXPECT_EQ(
        db::embedded::testing::ErrorOf([&] { session_->SchemaInfo().Columns("없는표"); }).Number(),
        db::ErrorNumber::kItemNotFound);
}

DATAPATCH_FOR_EVERY_ENGINE(ConformanceSchema);

}  // namespace
}  // namespace conformance
