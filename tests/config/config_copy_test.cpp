#include "config/config_copy.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "config/config_world.h"
#include "db/dao.h"
#include "db/error.h"
#include "util/dialogs.h"

namespace config_test {
namespace {

constexpr const char* kTemplateMissing =
    "환경설정 테이블을 찾을 수 없어서, 신환경설정 셋팅에 실패하였습니다.\r\n\r\n"
    "노르베일으로 문의바랍니다";
constexpr const char* kCopyFailed = "신환경설정 셋팅에 실패하였습니다. 노르베일으로 문의바랍니다";
constexpr const char* kBuildingText = "신환경설정을 적용하는중입니다 (소요시간 5초~1분)";
constexpr const char* kExtendingText =
    "최초사용자이거나 환경설정이 변경되었습니다 (설정을 재구성합니다)";

using Row = std::map<std::string, util::Variant>;

std::string Text(const Row& row, const char* column) {
    return row.at(column).AsText();
}

// Compares the rows column by column as text. A copy stores DFT_M with `dftSuffix` appended and
// the Null numbers of 상태, INIOPT and EndOPT as 0; 검색어 is Null unless `withSearchWords`.
void ExpectCopiedRows(const std::vector<Row>& got, const std::vector<Row>& want,
                      const std::string& dftSuffix, bool withSearchWords) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        for (const auto& [column, value] : want[i]) {
            const std::string item = Text(want[i], "신규명") + "." + column;
            std::string expected = value.AsText() + (column == "DFT_M" ? dftSuffix : "");
            if (value.IsNull() && (column == "상태" || column == "INIOPT" || column == "EndOPT")) {
                expected = "0";
            }
            if (column == "검색어" && !withSearchWords) {
                EXPECT_TRUE(got[i].at(column).IsNull()) << item;
            } else {
                EXPECT_EQ(got[i].at(column).AsText(), expected) << item;
            }
        }
    }
}

class ConfigCopyTest : public CopyWorld {
  protected:
    // The copy raises the build error after showing the one box `box`, and leaves neither CONFIG
    // nor CONFIGPC nor the wait window behind.
    void ExpectCopyFails(const std::string& box) {
        const std::size_t before = BoxTexts().size();
        config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
        EXPECT_THAT(
            [&] { copy.ActionPatch_Creat_ConfigPC(); },
            testing::Throws<db::DbError>(testing::AllOf(
                testing::Property(&db::DbError::Number, config::kConfigSourceBuildError),
                testing::Property(&db::DbError::Description, config::kConfigSourceBuildText))));
        ASSERT_EQ(BoxTexts().size(), before + 1);
        EXPECT_EQ(BoxTexts().back(), box);
        EXPECT_FALSE(HasTable("CONFIG"));
        EXPECT_FALSE(HasTable("CONFIGPC"));
        EXPECT_EQ(Rt().Dialogs().LoadedMessageWindow(), nullptr);
    }
};

// A new database gets CONFIG with the template's rows (an apostrophe in a text stored intact),
// an empty CONFIGPC, and then a workstation table that is an exact copy without search words;
// the wait window shows each operation's text and is gone afterwards.
TEST_P(ConfigCopyTest, NewDatabaseGetsConfigAndWorkstationCopies) {
    rows_[13].항목명 = "고객's 상호";
    rows_[13].DFT_M = "O'";
    MakeStore();
    std::vector<std::string> shown;
    desktop_.OnDoEvents([&] {
        if (auto* w = Rt().Dialogs().LoadedMessageWindow(); w && w->Shown()) {
            if (shown.empty() || shown.back() != w->panMsg) shown.push_back(w->panMsg);
        }
    });
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    ASSERT_TRUE(copy.ActionPatch_Creat_ConfigPC());
    bool result = false;
    ASSERT_TRUE(copy.ActionPatch_Creat_Config확장("CONFIG0000000002", result));
    EXPECT_TRUE(result);
    EXPECT_EQ(shown, (std::vector<std::string>{kBuildingText, kExtendingText}));
    EXPECT_EQ(Rt().Dialogs().LoadedMessageWindow(), nullptr);
    EXPECT_TRUE(BoxTexts().empty());

    // The template's rows as they are, for comparison.
    Store().Execute(fixtures::CreateConfigTableSql("TEMPLATE", StoreDialect()));
    for (const auto& row : rows_) Store().Execute(fixtures::InsertConfigRowSql("TEMPLATE", row));
    const auto source = Rows("SELECT * FROM CONFIG ORDER BY 순서");
    ExpectCopiedRows(source, Rows("SELECT * FROM TEMPLATE ORDER BY 순서"), " ", true);
    ExpectCopiedRows(Rows("SELECT * FROM CONFIG0000000002 ORDER BY 순서"), source, "", false);
    EXPECT_TRUE(Rows("SELECT * FROM CONFIGPC").empty());

    const db::Router& router = *Rt().Ado().router;
    auto dao =
        Mdb() ? db::DaoDatabase::Open(router, kStoreMdbPath, ";Pwd=kelp2093")
              : db::DaoDatabase::Open(router, "",
                                      "Driver={SQL Server}; Server=" + server_.server +
                                          "; Database=ZENTRIX; UID=sa; PWD=" + server_.password);
    for (const char* table : {"CONFIG", "CONFIG0000000002"}) {
        auto def = dao->TableDefs(table);
        std::vector<std::string> names;
        for (const db::DaoField& f : def->Fields) names.push_back(f.Name);
        const auto expected = fixtures::ConfigColumns();
        EXPECT_EQ(names, std::vector<std::string>(expected.begin(), expected.end())) << table;
        const std::tuple<const char*, int, int> probes[] = {{"환경코드", db::DaoType::kText, 10},
                                                            {"순서", db::DaoType::kLong, 4},
                                                            {"Up_Date", db::DaoType::kDate, 8}};
        for (const auto& [name, type, size] : probes) {
            EXPECT_EQ(def->Fields(name).Type, type) << table << "." << name;
            EXPECT_EQ(def->Fields(name).Size, size) << table << "." << name;
        }
    }
    EXPECT_EQ(dao->TableDefs("CONFIGPC")->Fields.Count(), 3);
}

TEST_P(ConfigCopyTest, MissingTemplateOrTemplateTableFailsClearly) {
    MakeStore({}, false);
    ExpectCopyFails(kTemplateMissing);
    fixtures::CreateConfigTemplate(host_, rows_, "NorvConfig");
    ExpectCopyFails(kCopyFailed);
}

// A row that cannot be written is tried a few times, with a yield before each retry; then the
// copy fails and the half-filled table is removed, so that a later start builds it again.
TEST_P(ConfigCopyTest, RowThatKeepsFailingEndsCopyAndRemovesTable) {
    // A template whose item number is wider than the configuration table's column.
    std::string create = fixtures::CreateConfigTableSql("NorvConf", db::Dialect::Jet);
    create.replace(create.find("TEXT(10)"), 8, "TEXT(20)");
    rows_[2].환경코드 = "123456789012";
    std::vector<std::string> statements{create};
    for (const auto& row : rows_)
        statements.push_back(fixtures::InsertConfigRowSql("NorvConf", row));
    fixtures::CreateMdbStore(host_, fixtures::ConfigTemplatePath(host_), statements, "");
    MakeStore({}, false);
    ExpectCopyFails(kCopyFailed);
    EXPECT_GE(Yields(), 3u);
}

TEST_P(ConfigCopyTest, ExistingConfigIsKeptAndOnlyConfigPcIsAdded) {
    const auto table = std::string("CONFIG");
    MakeStore({fixtures::CreateConfigTableSql(table, StoreDialect()),
               fixtures::InsertConfigRowSql(table, rows_[0])},
              false);
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    EXPECT_TRUE(copy.ActionPatch_Creat_ConfigPC());
    EXPECT_EQ(Rows("SELECT * FROM CONFIG").size(), 1u);
    EXPECT_TRUE(HasTable("CONFIGPC"));
    EXPECT_TRUE(BoxTexts().empty());
    // Both present: nothing to do, still true.
    EXPECT_TRUE(copy.ActionPatch_Creat_ConfigPC());
}

TEST_P(ConfigCopyTest, WorkstationTableFailuresReturnFalse) {
    MakeStore();
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    // Without CONFIG there is nothing to copy: the copy's box, no table.
    EXPECT_FALSE(copy.ActionPatch_Creat_Config확장("CONFIG0000000002"));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCopyFailed});
    EXPECT_FALSE(HasTable("CONFIG0000000002"));

    ASSERT_TRUE(copy.ActionPatch_Creat_ConfigPC());
    ASSERT_TRUE(copy.ActionPatch_Creat_Config확장("CONFIG0000000003"));
    Store().Execute("UPDATE CONFIG0000000003 SET 적용 = '9' WHERE 신규명 = '포인트_사용'");
    // A table that exists already is neither rebuilt nor removed.
    EXPECT_FALSE(copy.ActionPatch_Creat_Config확장("CONFIG0000000003"));
    EXPECT_EQ(
        Text(Rows("SELECT 적용 FROM CONFIG0000000003 WHERE 신규명 = '포인트_사용'")[0], "적용"),
        "9");
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConfigCopyTest,
                         ::testing::Values(StoreKind::Mdb, StoreKind::SqlServer), StoreKindName);

}  // namespace
}  // namespace config_test
