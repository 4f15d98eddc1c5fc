#include "db/dao.h"

#include <gtest/gtest.h>

#include "db/ado_world.h"
#include "db/embedded/case_file.h"

namespace {

using db::DaoType::kLong;
using db::DaoType::kText;
using db_test::kMdbPassword;
using db_test::kMdbPath;

// The columns of the kind in tables/dao_types.txt.
struct ColumnCase {
    std::string declared;
    int type, size;
};

class DaoTest : public db_test::KindWorld {
  protected:
    bool Mdb() const { return !Server(); }
    // Opened the way the patch run and the configuration copy open it: an MDB name may carry
    // blanks around it, as configuration values do; a server is reached by its ODBC text, and the
    // name beside it is ignored.
    std::unique_ptr<db::DaoDatabase> Open() {
        if (Mdb()) {
            return db::DaoDatabase::Open(*router_, std::string(" ") + kMdbPath + " ",
                                         std::string(";Pwd=") + kMdbPassword);
        }
        return db::DaoDatabase::Open(
            *router_, "ignored.mdb",
            std::string("ODBC;Driver={SQL Server}; Server=") + db_test::kServer +
                "; Database=STORE; UID=sa; PWD=" + db_test::kServerPassword);
    }
    std::vector<ColumnCase> Columns() const {
        std::vector<ColumnCase> columns;
        for (const auto& block : db::embedded::testing::LoadBlocks("tables/dao_types.txt")) {
            if (block.at(0).second != (Mdb() ? "mdb" : "server")) continue;
            columns.push_back(
                {block.at(1).second, std::stoi(block.at(2).second), std::stoi(block.at(3).second)});
        }
        return columns;
    }
};

TEST_P(DaoTest, FieldsReportTypeAndDeclaredSize) {
    std::string create = "CREATE TABLE 사용상품 (";
    int n = 0;
    for (const ColumnCase& c : Columns()) {
        create += std::string(n ? ", " : "") + "c" + std::to_string(n) + " " + c.declared;
        ++n;
    }
    MakeStore({create + ")"});
    auto dao = Open();
    auto def = dao->TableDefs("사용상품");
    ASSERT_EQ(def->Fields.Count(), n);
    n = 0;
    for (const ColumnCase& c : Columns()) {
        const db::DaoField& f = def->Fields("C" + std::to_string(n++));  // letter case ignored
        EXPECT_EQ(f.Type, c.type) << c.declared;
        EXPECT_EQ(f.Size, c.size) << c.declared;
    }
}

TEST_P(DaoTest, NewTableDefinitionCreatesTableWithFieldsInOrder) {
    MakeStore({});
    auto dao = Open();
    auto def = dao->CreateTableDef("CONFIGPC");
    EXPECT_FALSE(def->InDatabase());
    for (const auto& [name, size] : {std::pair{"피씨코드", 10}, {"피씨명", 50}, {"테이블명", 50}}) {
        db::DaoField f = def->CreateField(name, kText, size);
        f.AllowZeroLength = true;
        def->Fields.Append(f);
    }
    def->Fields.Append(def->CreateField("순서", kLong));
    dao->TableDefs.Append(def);
    EXPECT_TRUE(def->InDatabase());

    auto read = dao->TableDefs("configpc");
    EXPECT_EQ(read->Name(), "CONFIGPC");
    std::vector<std::string> names;
    for (const db::DaoField& f : read->Fields) names.push_back(f.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"피씨코드", "피씨명", "테이블명", "순서"}));
    EXPECT_EQ(read->Fields("피씨명").Size, 50);
    EXPECT_EQ(read->Fields("순서").Type, kLong);

    // Empty texts are stored (the engines never refuse them), also through a second link.
    EXPECT_EQ(OpenConnection(Mdb() ? MdbText() : ServerText())
                  ->Execute("INSERT INTO CONFIGPC (피씨코드, 피씨명, 테이블명, 순서) VALUES "
                            "('0000000001', '', 'CONFIG', 1)"),
              1);
}

TEST_P(DaoTest, RefusesWhatDaoRefuses) {
    MakeStore({"CREATE TABLE 거래처 (코드 INT)"});
    auto dao = Open();
    EXPECT_EQ(db_test::NumberOf([&] { dao->TableDefs("없는표"); }), 3265);  // item not found
    auto def = dao->TableDefs("거래처");
    EXPECT_EQ(db_test::NumberOf([&] { def->Fields("확장코드"); }), 3265);
    EXPECT_EQ(db_test::NumberOf([&] { def->Fields.Append(def->CreateField("코드", kLong)); }),
              db::DaoError::kNameInCollection);
    EXPECT_EQ(db_test::NumberOf([&] { dao->TableDefs.Append(def); }),
              db::DaoError::kNameInCollection);
    EXPECT_EQ(db_test::NumberOf([&] { dao->TableDefs.Append(dao->CreateTableDef("빈표")); }),
              db::DaoError::kNoFieldDefined);
    EXPECT_EQ(db_test::NumberOf([&] { def->CreateField("x", 99); }),
              db::DaoError::kInvalidFieldType);
    // A table that is there already: the engine's refusal comes through.
    auto twin = dao->CreateTableDef("거래처");
    twin->Fields.Append(twin->CreateField("코드", kLong));
    EXPECT_NE(db_test::NumberOf([&] { dao->TableDefs.Append(twin); }), 0);
    EXPECT_FALSE(twin->InDatabase());
}

TEST_P(DaoTest, DefinitionsOutlivingTheDatabaseFailCleanly) {
    MakeStore({"CREATE TABLE 거래처 (코드 INT)"});
    auto dao = Open();
    auto def = dao->TableDefs("거래처");
    dao->Close();
    EXPECT_EQ(db_test::NumberOf([&] { dao->TableDefs("거래처"); }), db::DaoError::kObjectInvalid);
    dao.reset();
    EXPECT_TRUE(def->InDatabase());
    EXPECT_EQ(db_test::NumberOf([&] { def->Fields.Append(def->CreateField("이름", kText, 20)); }),
              db::DaoError::kObjectInvalid);
    EXPECT_EQ(def->Fields.Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DaoTest,
                         ::testing::Values(db_test::StoreKind::Mdb, db_test::StoreKind::SqlServer),
                         db_test::KindName);

TEST_P(DaoTest, OpeningFailsOnAWrongPasswordAMissingFileOrAnUnknownServer) {
    MakeStore({});
    EXPECT_EQ(Open()->SqlDialect(), Mdb() ? db::Dialect::Jet : db::Dialect::SqlServer);
    const auto fails = [&](const std::string& name, const std::string& connect) {
        return db_test::NumberOf([&] { db::DaoDatabase::Open(*router_, name, connect); }) != 0;
    };
    if (Mdb()) {
        EXPECT_TRUE(fails(kMdbPath, ";Pwd=wrong"));
        EXPECT_TRUE(fails("C:\\Quillon\\Data\\없는파일.mdb", ";Pwd=jetpw"));
    } else {
        EXPECT_TRUE(
            fails("", "Driver={SQL Server}; Server=NOWHERE; Database=STORE; UID=sa; PWD=x"));
    }
}

}  // namespace
