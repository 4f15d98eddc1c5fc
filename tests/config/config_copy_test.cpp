#include "config/config_copy.h"

#include <gtest/gtest.h>

#include "config/config_copy_world.h"
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

// The stored row against the template row it came from. Texts are stored as they stand (DFT_M
// with `dftSuffix` appended); Null numbers of 상태, INIOPT and EndOPT arrive as 0.
void ExpectCopied(const Row& got, const fixtures::ConfigRow& want, const std::string& dftSuffix,
                  bool withSearchWords) {
    const std::pair<const char*, const std::string*> texts[] = {
        {"환경코드", &want.환경코드},     {"대표코드", &want.대표코드},
        {"대표상태", &want.대표상태},     {"그룹명", &want.그룹명},
        {"항목명", &want.항목명},         {"작동설명", &want.작동설명},
        {"사용화면", &want.사용화면},     {"적용", &want.적용},
        {"적용방법", &want.적용방법},     {"DFT_K", &want.DFT_K},
        {"DFT_B", &want.DFT_B},           {"DFT_T", &want.DFT_T},
        {"DFT_D", &want.DFT_D},           {"DFT_Y", &want.DFT_Y},
        {"DFT_C", &want.DFT_C},           {"디폴트", &want.디폴트},
        {"관리자메모", &want.관리자메모}, {"기존명", &want.기존명},
        {"신규명", &want.신규명},         {"Up_Date", &want.Up_Date},
    };
    for (const auto& [column, value] : texts) {
        EXPECT_EQ(Text(got, column), *value) << want.신규명 << "." << column;
    }
    EXPECT_EQ(Text(got, "DFT_M"), want.DFT_M + dftSuffix) << want.신규명;
    const std::pair<const char*, int> numbers[] = {
        {"순서", want.순서},
        {"필드구분", want.필드구분},
        {"대그룹", want.대그룹},
        {"상태", want.상태.value_or(0)},
        {"Del_Chk", want.Del_Chk},
        {"INIOPT", want.INIOPT.value_or(0)},
        {"EndOPT", want.EndOPT.value_or(0)},
    };
    for (const auto& [column, value] : numbers) {
        EXPECT_EQ(got.at(column).AsInt(), value) << want.신규명 << "." << column;
    }
    if (withSearchWords) {
        EXPECT_EQ(Text(got, "검색어"), want.검색어) << want.신규명;
    } else {
        EXPECT_TRUE(got.at("검색어").IsNull()) << want.신규명;
    }
}

using ConfigCopyTest = CopyWorld;

TEST_P(ConfigCopyTest, NewDatabaseGetsConfigWithTemplateRowsAndEmptyConfigPc) {
    MakeStore();
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    ASSERT_TRUE(copy.ActionPatch_Creat_ConfigPC());

    const auto stored = Rows("SELECT * FROM CONFIG ORDER BY 순서");
    ASSERT_EQ(stored.size(), rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) ExpectCopied(stored[i], rows_[i], " ", true);
    EXPECT_TRUE(Rows("SELECT * FROM CONFIGPC").empty());

    // The wait window showed its text while working and is gone afterwards.
    EXPECT_EQ(Rt().Dialogs().LoadedMessageWindow(), nullptr);
    EXPECT_GE(Yields(), 1u);
    EXPECT_TRUE(Boxes().empty());
}

TEST_P(ConfigCopyTest, TablesHaveTheDeclaredColumnsAndSizes) {
    MakeStore();
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    ASSERT_TRUE(copy.ActionPatch_Creat_ConfigPC());
    ASSERT_TRUE(copy.ActionPatch_Creat_Config확장("CONFIG0000000002"));

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

TEST_P(ConfigCopyTest, SecondWorkstationGetsExactCopyWithoutSearchWords) {
    MakeStore();
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    ASSERT_TRUE(copy.ActionPatch_Creat_ConfigPC());
    bool result = false;
    ASSERT_TRUE(copy.ActionPatch_Creat_Config확장("CONFIG0000000002", result));
    EXPECT_TRUE(result);

    const auto source = Rows("SELECT * FROM CONFIG ORDER BY 순서");
    const auto copied = Rows("SELECT * FROM CONFIG0000000002 ORDER BY 순서");
    ASSERT_EQ(copied.size(), source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        for (const auto& [column, value] : source[i]) {
            if (column == "검색어") {
                EXPECT_TRUE(copied[i].at(column).IsNull());
            } else {
                EXPECT_EQ(copied[i].at(column), value)
                    << Text(source[i], "신규명") << "." << column;
            }
        }
    }
    EXPECT_EQ(Rt().Dialogs().LoadedMessageWindow(), nullptr);
}

// Values are written escaped: an apostrophe in a template text is stored as it stands.
TEST_P(ConfigCopyTest, ApostrophesInValuesAreCopiedIntact) {
    rows_[13].항목명 = "고객's 상호";
    rows_[13].DFT_M = "O'";
    MakeStore();
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    ASSERT_TRUE(copy.ActionPatch_Creat_ConfigPC());
    ASSERT_TRUE(copy.ActionPatch_Creat_Config확장("CONFIG0000000002"));
    for (const char* table : {"CONFIG", "CONFIG0000000002"}) {
        const auto row = Rows(std::string("SELECT 항목명, DFT_M FROM ") + table +
                              " WHERE 신규명 = '" + rows_[13].신규명 + "'");
        ASSERT_EQ(row.size(), 1u) << table;
        EXPECT_EQ(Text(row[0], "항목명"), "고객's 상호") << table;
        EXPECT_EQ(Text(row[0], "DFT_M"), "O' ") << table;
    }
    EXPECT_EQ(Rows("SELECT * FROM CONFIG").size(), rows_.size());
}

TEST_P(ConfigCopyTest, MissingTemplateShowsBoxRaisesAndCreatesNothing) {
    MakeStore({}, false);
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    try {
        copy.ActionPatch_Creat_ConfigPC();
        FAIL() << "no error raised";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.Number(), config::kConfigSourceBuildError);
        EXPECT_EQ(e.Description(), "환경설정 원본 테이블 만들기에 실패하였습니다");
    }
    EXPECT_EQ(Boxes(), std::vector<std::string>{kTemplateMissing});
    EXPECT_FALSE(HasTable("CONFIG"));
    EXPECT_FALSE(HasTable("CONFIGPC"));
    EXPECT_EQ(Rt().Dialogs().LoadedMessageWindow(), nullptr);
}

TEST_P(ConfigCopyTest, TemplateWithoutNorvConfFailsClearly) {
    fixtures::CreateConfigTemplate(host_, rows_, "NorvConfig");
    MakeStore({}, false);
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    EXPECT_THROW(copy.ActionPatch_Creat_ConfigPC(), db::DbError);
    EXPECT_EQ(Boxes(), std::vector<std::string>{kCopyFailed});
    EXPECT_FALSE(HasTable("CONFIG"));
    EXPECT_FALSE(HasTable("CONFIGPC"));
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
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    EXPECT_THROW(copy.ActionPatch_Creat_ConfigPC(), db::DbError);
    EXPECT_EQ(Boxes(), std::vector<std::string>{kCopyFailed});
    EXPECT_GE(Yields(), 3u);
    EXPECT_FALSE(HasTable("CONFIG"));
    EXPECT_FALSE(HasTable("CONFIGPC"));
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
    EXPECT_TRUE(Boxes().empty());
    // Both present: nothing to do, still true.
    EXPECT_TRUE(copy.ActionPatch_Creat_ConfigPC());
}

TEST_P(ConfigCopyTest, WorkstationTableFailuresReturnFalse) {
    MakeStore();
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    // Without CONFIG there is nothing to copy: the copy's box, no table.
    EXPECT_FALSE(copy.ActionPatch_Creat_Config확장("CONFIG0000000002"));
    EXPECT_EQ(Boxes(), std::vector<std::string>{kCopyFailed});
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

TEST_P(ConfigCopyTest, WaitWindowShowsTheOperationsText) {
    MakeStore();
    std::vector<std::string> shown;
    desktop_.OnDoEvents([&] {
        if (auto* w = Rt().Dialogs().LoadedMessageWindow(); w && w->Shown()) {
            if (shown.empty() || shown.back() != w->panMsg) shown.push_back(w->panMsg);
        }
    });
    config::clsConfigCopy copy(Rt(), Rt().StoreConnection);
    ASSERT_TRUE(copy.ActionPatch_Creat_ConfigPC());
    ASSERT_TRUE(copy.ActionPatch_Creat_Config확장("CONFIG0000000002"));
    EXPECT_EQ(shown, (std::vector<std::string>{kBuildingText, kExtendingText}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConfigCopyTest,
                         ::testing::Values(StoreKind::Mdb, StoreKind::SqlServer), StoreKindName);

}  // namespace
}  // namespace config_test
