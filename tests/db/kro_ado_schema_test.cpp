// Kro_Ado's schema operations, run on an embedded database of each kind: the MDB kind and the
// SQL Server kind. Differences between the kinds are explicit branches.
#include <gtest/gtest.h>

#include <algorithm>

#include "db/ado_world.h"
#include "db/embedded/session_helpers.h"
#include "db/kro_ado.h"

namespace db_test {
namespace {

class KroAdoSchemaTest : public KindWorld {
  protected:
    std::string Text(int n) const {
        return (Server() ? "NVARCHAR(" : "TEXT(") + std::to_string(n) + ")";
    }

    // Makes the store database of this kind and connects the object to it.
    void Open(const std::vector<std::string>& sql) {
        MakeStore(sql);
        ASSERT_TRUE(Server() ? ConnectSql(ado_, cn_) : ConnectMdb(ado_, cn_)) << ado_.ErrDes;
    }
    void OpenSample() {
        Open({"CREATE TABLE CONFIG (코드 " + Text(10) + ", 금액 " + (Server() ? "INT" : "LONG") +
                  ", 비고 " + Text(20) + ", 등록일 DATETIME)",
              "INSERT INTO CONFIG (코드, 금액, 비고) VALUES ('A', 1200, 'x')",
              "INSERT INTO CONFIG (코드, 금액, 비고) VALUES ('B', NULL, NULL)"});
    }
    std::vector<db::ColumnInfo> Columns(const std::string& table) {
        return cn_->Engine().SchemaInfo().Columns(table);
    }
    std::optional<db::ColumnInfo> Column(const std::string& table, const std::string& name) {
        return db::embedded::testing::ColumnNamed(cn_->Engine().SchemaInfo(), table, name);
    }
};

INSTANTIATE_TEST_SUITE_P(BothKinds, KroAdoSchemaTest,
                         ::testing::Values(StoreKind::Mdb, StoreKind::SqlServer), KindName);

TEST_P(KroAdoSchemaTest, TablesAndFieldsAreAddedFoundListedAndDeleted) {
    OpenSample();
    EXPECT_TRUE(ado_.TableAdd("새표", "번호", db::FieldCode::kInt));
    EXPECT_FALSE(ado_.TableAdd("새표", "번호", db::FieldCode::kInt));  // exists already
    EXPECT_TRUE(ado_.FieldAdd("새표", "이름", db::FieldCode::kNVarChar, 20));
    EXPECT_TRUE(ado_.FieldAdd("새표", "메모", db::FieldCode::kText));
    EXPECT_FALSE(ado_.FieldAdd("새표", "이름", db::FieldCode::kNVarChar, 20));  // column exists
    EXPECT_FALSE(ado_.FieldAdd("새표", "무형", 99));                            // no type: rejected
    EXPECT_FALSE(ado_.FieldAdd("없는표", "열", db::FieldCode::kInt));
    auto name = Column("새표", "이름");
    ASSERT_TRUE(name);
    EXPECT_EQ(name->size, 20);
    EXPECT_EQ(Columns("새표").size(), 3u);

    // Finding is exact: letter case and blanks count.
    EXPECT_TRUE(ado_.TableFind("CONFIG"));
    EXPECT_FALSE(ado_.TableFind("config"));
    EXPECT_FALSE(ado_.TableFind("CONFIG "));
    EXPECT_TRUE(ado_.FieldFind("CONFIG", "금액"));
    EXPECT_FALSE(ado_.FieldFind("CONFIG", "금"));
    EXPECT_THROW(ado_.FieldFind("없는표", "금액"), db::DbError);

    int count = -1;
    const std::string names = ado_.TableNameGet(count);
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(names == "CONFIG,새표" || names == "새표,CONFIG") << names;

    // Deleting passes the engine's errors on.
    ado_.FieldDelete("CONFIG", "비고");
    EXPECT_FALSE(Column("CONFIG", "비고"));
    EXPECT_THROW(ado_.FieldDelete("CONFIG", "비고"), db::DbError);
    ado_.TableDelete("CONFIG");
    ado_.TableDelete("새표");
    EXPECT_FALSE(ado_.TableFind("CONFIG"));
    EXPECT_THROW(ado_.TableDelete("CONFIG"), db::DbError);
    EXPECT_EQ(ado_.TableNameGet(count), "");
    EXPECT_EQ(count, 0);
}

TEST_P(KroAdoSchemaTest, FieldTypeChangeLeavesTheDataInTheXColumn) {
    OpenSample();
    ado_.FieldTypeChange("CONFIG", "금액", 99);  // an unknown code changes nothing
    EXPECT_TRUE(Column("CONFIG", "금액"));
    EXPECT_FALSE(Column("CONFIG", "금액_X"));

    ado_.FieldTypeChange("CONFIG", "금액", db::FieldCode::kMoney);
    EXPECT_FALSE(Column("CONFIG", "금액"));
    auto changed = Column("CONFIG", "금액_X");
    ASSERT_TRUE(changed);
    std::string type = changed->typeName;
    std::transform(type.begin(), type.end(), type.begin(), ::toupper);
    EXPECT_EQ(type, Server() ? "MONEY" : "CURRENCY");

    db::RecordSet rs;
    rs.Open("SELECT 금액_X FROM CONFIG WHERE 코드 = 'A'", *cn_);
    EXPECT_DOUBLE_EQ(rs[0].AsDouble(), 1200.0);
}

TEST_P(KroAdoSchemaTest, FieldTypeGetSqlQuotesByColumnType) {
    OpenSample();
    struct Case {
        const char* field;
        util::Variant value;
        std::string literal;
    } cases[] = {
        {"금액", util::Variant(5), "5"},
        {"금액", util::Variant("12"), "12"},
        {"금액", util::Variant(2.5), "2.5"},
        {"금액", util::Variant::MakeNull(), "0"},
        {"코드", util::Variant(5), "'5'"},
        {"코드", util::Variant::MakeNull(), "''"},
        {"코드", util::Variant("O'Brien"), "'O''Brien'"},
        {"코드", util::Variant("''; DROP TABLE CONFIG; --"), "'''''; DROP TABLE CONFIG; --'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ado_.FieldTypeGetSql("CONFIG", c.field, c.value), c.literal) << c.literal;
    }
    EXPECT_THROW(ado_.FieldTypeGetSql("CONFIG", "금액", util::Variant("abc")), db::DbError);
    EXPECT_THROW(ado_.FieldTypeGetSql("CONFIG", "없는열", util::Variant(1)), db::DbError);

    // The quoted literal goes back into a statement unharmed.
    const std::string literal = ado_.FieldTypeGetSql("CONFIG", "비고", util::Variant("O'Brien"));
    cn_->Execute("UPDATE CONFIG SET 비고 = " + literal + " WHERE 코드 = 'B'");
    db::RecordSet rs;
    rs.Open("SELECT 비고 FROM CONFIG WHERE 코드 = 'B'", *cn_);
    EXPECT_EQ(rs[0].AsText(), "O'Brien");
}

TEST_P(KroAdoSchemaTest, FieldNameGetAndFieldInfo) {
    OpenSample();
    int count = 0;
    EXPECT_EQ(ado_.FieldNameGet("CONFIG", count), "코드,금액,비고,등록일");
    EXPECT_EQ(count, 4);
    EXPECT_EQ(ado_.FieldNameGet("없는표", count), "ERR");

    EXPECT_EQ(ado_.FieldInfo("CONFIG", "비고", 0).AsText(), Server() ? "nvarchar" : "text");
    EXPECT_EQ(ado_.FieldInfo("CONFIG", "비고", 1).AsInt(), 20);
    EXPECT_EQ(ado_.FieldInfo("CONFIG", "비고", 2).AsText(), "YES");
    if (Server()) {
        EXPECT_EQ(ado_.FieldInfo("CONFIG", "금액", 0).AsText(), "int");
        EXPECT_EQ(ado_.FieldInfo("CONFIG", "금액", 1).AsInt(), 10);
        EXPECT_EQ(ado_.FieldInfo("CONFIG", "금액", 3).AsText(), "STORE");
    }
    EXPECT_TRUE(ado_.FieldInfo("CONFIG", "없는열", 0).IsEmpty());
}

TEST_P(KroAdoSchemaTest, TableCopyMakesTheColumnsAndIndexes) {
    if (!Server()) GTEST_SKIP() << "the copy writes SQL Server statements";
    Open({"CREATE TABLE 원본 (코드 " + Text(10) + " NOT NULL, 이름 " + Text(20) + ", 분류 " +
              Text(4) + ")",
          "CREATE INDEX IX_이름 ON 원본 (이름)", "CREATE INDEX IX_코드분류 ON 원본 (코드, 분류)"});
    ado_.TableCopy(cn_, "원본", "사본");
    const auto columns = Columns("사본");
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].name, "코드");
    EXPECT_FALSE(columns[0].nullable);
    EXPECT_EQ(columns[1].size, 20);
    const auto indexes = cn_->Engine().SchemaInfo().Indexes("사본");
    auto find = [&](const std::string& name) {
        return std::find_if(indexes.begin(), indexes.end(),
                            [&](const db::IndexInfo& i) { return i.name == name; });
    };
    ASSERT_NE(find("IX_이름"), indexes.end());
    auto pair = find("IX_코드분류");
    ASSERT_NE(pair, indexes.end());
    EXPECT_EQ(pair->columns, (std::vector<std::string>{"코드", "분류"}));
    EXPECT_TRUE(pair->unique);  // a two-column index is copied as unique

    // A second copy fails at its first statement and still tries the rest; the failure reaches
    // the caller once at the end.
    EXPECT_THROW(ado_.TableCopy(cn_, "원본", "사본"), db::DbError);
    db::ConnectionRef none;
    EXPECT_THROW(ado_.TableCopy(none, "원본", "사본2"), db::DbError);
}

TEST_P(KroAdoSchemaTest, ObjectThatNeverConnectedFails) {
    db::Kro_Ado fresh(context_);
    int count = 0;
    EXPECT_FALSE(fresh.TableAdd("T", "a", db::FieldCode::kInt));
    EXPECT_FALSE(fresh.FieldAdd("T", "b", db::FieldCode::kInt));
    EXPECT_EQ(fresh.FieldNameGet("T", count), "ERR");
    EXPECT_THROW(fresh.TableFind("T"), db::DbError);
    EXPECT_THROW(fresh.TableNameGet(count), db::DbError);
    EXPECT_THROW(fresh.TableDelete("T"), db::DbError);
    EXPECT_THROW(fresh.FieldFind("T", "a"), db::DbError);
    EXPECT_THROW(fresh.FieldInfo("T", "a", 0), db::DbError);
    EXPECT_THROW(fresh.FieldTypeGetSql("T", "a", util::Variant(1)), db::DbError);
    EXPECT_THROW(fresh.FieldDelete("T", "a"), db::DbError);
    fresh.FieldTypeChange("T", "a", db::FieldCode::kInt);  // its add fails quietly: no more
    db::ConnectionRef cn;
    EXPECT_THROW(fresh.TableCopy(cn, "T", "U"), db::DbError);
    EXPECT_EQ(fresh.FieldTypeName(2), "MEMO");  // kind 0 before any connection
}

}  // namespace
}  // namespace db_test
