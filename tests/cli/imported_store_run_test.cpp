// A store whose tables came from a real Jet file is patched as one whose tables were made by the
// program's own SQL. The real store-like Jet file holds 사용상품 and 입출상품 only, so both stores
// are the demo store with those two tables taken from the file: once imported by import-jet, once
// made with Jet CREATE TABLE and INSERTs of the file's listed values through `datapatch sql`.
// Both are given the store's other columns by the same statements, then run; the runs must say
// the same and leave every table of every database the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "db/embedded/session_helpers.h"
#include "fixtures/program_runner.h"
#include "host/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using db::embedded::testing::PlainRows;
using fixtures::Outcome;
using fixtures::Quoted;

const fs::path kSample = fs::path(DATAPATCH_TEST_DATA) / "jet/store-sample-jet4.mdb";
const fs::path kValues = fs::path(DATAPATCH_TEST_DATA) / "jet/store-sample-jet4.expected.jsonl";
constexpr const char* kStore = "c/Quillon/Data/DatMain.mdb";

// The sample's columns in the file's order (the key first, as the value list).
const std::map<std::string, std::vector<std::string>> kColumns{
    {"사용상품",
     {"제품코드", "제품명", "규격", "바코드", "입고단가", "소매단가", "재고수량", "조제약여부",
      "사용", "UP_DATE", "CHK_MEMO"}},
    {"입출상품", {"ID", "전표번호", "제품코드", "수량", "단가", "일자", "비고"}}};

// One line of the value list as a Jet INSERT: texts quoted (line breaks as Chr(), since the
// script's lines are joined with CR LF), dates as #…#, money and numbers as written. SQLite's JSON
// functions read the line.
std::string InsertOf(const std::string& line) {
    std::string json = "'";
    for (const char c : line) json += c == '\'' ? std::string("''") : std::string(1, c);
    json += "'";
    const std::string literal =
        "SELECT CASE type WHEN 'null' THEN 'NULL' WHEN 'true' THEN 'True' WHEN 'false' THEN "
        "'False' WHEN 'text' THEN '''' || replace(replace(replace(atom, '''', ''''''), char(13), "
        "''' & Chr(13) & '''), char(10), ''' & Chr(10) & ''') || '''' ELSE atom END FROM "
        "json_each(" +
        json;
    const std::string table =
        PlainRows(":memory:", "SELECT json_extract(" + json + ", '$.t')").at(0);
    std::vector<std::string> values = PlainRows(":memory:", literal + ") WHERE key = 'k'");
    for (std::string& v : PlainRows(":memory:", literal + ", '$.v')")) values.push_back(v);
    const std::vector<std::string>& columns = kColumns.at(table);
    std::string names, list;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::string value = values.at(i);
        if ((columns[i] == "UP_DATE" || columns[i] == "일자") && value != "NULL") {
            value = "#" + value.substr(1, value.size() - 2) + "#";
        }
        names += (i > 0 ? ", " : "") + columns[i];
        list += (i > 0 ? ", " : "") + value;
    }
    return "INSERT INTO " + table + " (" + names + ") VALUES (" + list + ")\nGO\n";
}

// What differs between two runs of the same day: the time of day after today's date, the stamps
// of logs and backups, and the root.
std::string WithoutRunTimes(const std::string& text, const fs::path& root) {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char day[16];
    std::strftime(day, sizeof day, "%Y-%m-%d", std::localtime(&now));
    std::string out = std::regex_replace(
        text, std::regex(std::string(day) + R"( \d\d:\d\d:\d\d|\d{8}-\d{6})"), "<now>");
    for (std::size_t at; (at = out.find(root.string())) != std::string::npos;) {
        out.replace(at, root.string().size(), "<root>");
    }
    return out;
}

// Every table of every database under the root (backups aside), rows sorted.
std::map<std::string, std::vector<std::string>> Contents(const fs::path& root) {
    std::map<std::string, std::vector<std::string>> contents;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().string().find("Backup") != std::string::npos) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::string magic(16, '\0');
        if (!in.read(magic.data(), 16) || magic != std::string("SQLite format 3\0", 16)) continue;
        const fs::path& db = entry.path();
        const std::string file = db.lexically_relative(root).string();
        contents[file + " schema"] =
            PlainRows(db, "SELECT type, name, sql FROM sqlite_master ORDER BY type, name");
        for (const std::string& name :
             PlainRows(db, "SELECT name FROM sqlite_master WHERE type = 'table'")) {
            // quote() tells a text from a number and an integer from a real.
            const std::string values =
                PlainRows(db,
                          "SELECT group_concat('quote(\"' || name || '\")', ' || ''|'' || ') "
                          "FROM pragma_table_info('" +
                              name + "')")
                    .at(0);
            std::vector<std::string> rows =
                PlainRows(db, "SELECT " + values + " FROM \"" + name + "\"");
            for (std::string& r : rows) r = WithoutRunTimes(r, root);
            std::sort(rows.begin(), rows.end());
            contents[file + " " + name] = rows;
        }
    }
    return contents;
}

class ImportedStoreRun : public ::testing::Test {
  protected:
    static Outcome Datapatch(const fs::path& root, const std::string& args) {
        return fixtures::RunDatapatch(root, args);
    }
    void Sql(const fs::path& root, const std::string& script) const {
        const fs::path file = temp_.Path() / "script.sql";
        std::ofstream(file, std::ios::binary) << script;
        const Outcome out = Datapatch(root, "sql " + Quoted(file.string()));
        ASSERT_EQ(out.exitCode, 0) << out.output.substr(0, 4000);
    }
    host_test::TempFolder temp_;
};

TEST_F(ImportedStoreRun, PatchesAsAStoreBuiltByTheProgramsOwnSql) {
    if (!fs::exists(kSample)) GTEST_SKIP() << "no Jet test files at " << kSample;
    const fs::path imported = temp_.Path() / "imported", built = temp_.Path() / "built";
    ASSERT_EQ(Datapatch(imported, "demo").exitCode, 0);
    fs::copy(imported, built, fs::copy_options::recursive);

    // The store's other columns, added the same way to both: as a store of an older release
    // would have got them.
    std::string widen;
    for (const auto& [table, columns] : kColumns) {
        for (const std::string& row :
             PlainRows(imported / kStore,
                       "SELECT name, substr(type, 1, instr(type || ' ', ' ') - 1) FROM "
                       "pragma_table_info('" +
                           table + "')")) {
            const std::string name = row.substr(0, row.find('|'));
            if (std::find(columns.begin(), columns.end(), name) == columns.end()) {
                widen += "ALTER TABLE " + table + " ADD COLUMN " + name + " " +
                         row.substr(row.find('|') + 1) + "\nGO\n";
            }
        }
    }
    ASSERT_FALSE(widen.empty());

    const fs::path jet = temp_.Path() / "from-jet.mdb";
    const Outcome import = Datapatch(
        imported, "import-jet " + Quoted(kSample.string()) + " --into " + Quoted(jet.string()));
    ASSERT_EQ(import.exitCode, 0) << import.output;
    std::string swap = "ATTACH '" + jet.string() + "' AS jet; BEGIN;";
    for (const auto& [table, columns] : kColumns) swap += "DROP TABLE main." + table + ";";
    for (const std::string& sql : PlainRows(jet,
                                            "SELECT sql FROM sqlite_master WHERE sql IS NOT "
                                            "NULL ORDER BY type DESC")) {
        swap += sql + ";";
    }
    for (const auto& [table, columns] : kColumns) {
        swap += "INSERT INTO main." + table + " SELECT * FROM jet." + table + ";";
    }
    // Plain SQLite, as another tool would.
    ASSERT_EQ(fixtures::RunShell("sqlite3 " + Quoted((imported / kStore).string()) + " " +
                                 Quoted(swap + "COMMIT;"))
                  .exitCode,
              0);

    std::string script = "DROP TABLE 사용상품\nGO\nDROP TABLE 입출상품\nGO\n";
    // The sample's tables as Jet DDL: columns in the file's order, its keys and indexes.
    script +=
        host_test::ReadBytes(fs::path(DATAPATCH_TESTS_DIR) / "cli/cases/store-sample-tables.sql");
    std::ifstream list(kValues, std::ios::binary);
    for (std::string line; std::getline(list, line);) {
        if (!line.empty()) script += InsertOf(line);
    }
    ASSERT_NO_FATAL_FAILURE(Sql(built, script));

    // Before the run the two stores already hold the same tables, value for value.
    const auto before = Contents(imported);
    EXPECT_EQ(before, Contents(built));
    ASSERT_EQ(before.at(std::string(kStore) + " 입출상품").size(), 3000u);
    for (const fs::path& root : {imported, built}) ASSERT_NO_FATAL_FAILURE(Sql(root, widen));

    const Outcome ranImported = Datapatch(imported, "run --answer no");
    const Outcome ranBuilt = Datapatch(built, "run --answer no");
    EXPECT_EQ(ranImported.exitCode, 0) << ranImported.output;
    EXPECT_EQ(ranBuilt.exitCode, ranImported.exitCode);
    EXPECT_EQ(WithoutRunTimes(ranImported.output, imported),
              WithoutRunTimes(ranBuilt.output, built));
    const auto after = Contents(imported);
    EXPECT_EQ(after, Contents(built));
    // The run changed the tables it was given, not only the others.
    EXPECT_NE(after.at(std::string(kStore) + " schema"),
              before.at(std::string(kStore) + " schema"));
}

}  // namespace
