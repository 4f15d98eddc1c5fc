// Real Jet3, Jet4 and ACE files (tests/data/jet, written by real Jet writers) moved into the
// embedded engine: what comes back, value for value, and what the engine says when it is handed
// such a file to open. The files are copied first; the copies must stay byte for byte as they
// were, with nothing written beside them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "db/embedded/case_file.h"
#include "db/embedded/embedded.h"
#include "db/embedded/session_helpers.h"
#include "db/error.h"
#include "db/jet_import/jet_header.h"
#include "db/jet_import/jet_import.h"
#include "db/jet_import/jet_reader.h"

namespace db::jet {
namespace {

namespace fs = std::filesystem;
using embedded::testing::TempDir;

// Queries on the imported store read it with plain SQLite: quote() keeps NULL and '' apart, and a
// number shows its storage class (12 against 12.3456).
using embedded::testing::PlainRows;

const fs::path kData = fs::path(DATAPATCH_TEST_DATA) / "jet";

using host_test::ReadBytes;

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

class JetImport : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kData)) GTEST_SKIP() << "no Jet test files at " << kData;
    }
    // A copy of the named test file in the temporary folder.
    fs::path Copy(const std::string& name) {
        const fs::path copy = dir_ / name;
        fs::copy_file(kData / name, copy, fs::copy_options::overwrite_existing);
        return copy;
    }
    fs::path Import(const std::string& name) {
        const fs::path store = dir_ / (name + ".store");
        const ImportResult r = ImportJetFile(Copy(name), store);
        EXPECT_TRUE(r.Verified()) << name;
        return store;
    }
    // testV1997.mdb with code page 949 in its header and a Korean text and column name in the
    // bytes of that code page. The header from 0x18 is stored scrambled with a fixed key stream,
    // so the code page's two bytes change by the difference of the old and the new value.
    fs::path KoreanJet3() {
        std::string bytes = ReadBytes(kData / "testV1997.mdb");
        const int change = 1252 ^ 949;
        bytes[0x3C] = static_cast<char>(bytes[0x3C] ^ (change & 0xFF));
        bytes[0x3D] = static_cast<char>(bytes[0x3D] ^ (change >> 8));
        const auto swap = [&](const std::string& from, const std::string& to) {
            ASSERT_EQ(from.size(), to.size());
            const std::size_t at = bytes.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            bytes.replace(at, from.size(), to);
        };
        swap("abcdefg",
             "\xB0\xA1\xB3\xAA\xB4\xD9"
             "a");  // 가나다a in CP949
        for (int n = 0; n < 2; ++n) swap("\x04name", "\x04\xC0\xCC\xB8\xA7");  // 이름
        const fs::path file = dir_ / "korean-jet3.mdb";
        host_test::WriteBytes(file, bytes);
        return file;
    }
    TempDir dir_;
};

// The files of tables/jet_files.txt.
TEST_F(JetImport, EveryFileImportsVerifiedAndIsLeftAsItWas) {
    const std::map<std::string, JetKind> kKinds = {
        {"Jet3", JetKind::Jet3}, {"Jet4", JetKind::Jet4}, {"Ace", JetKind::Ace}};
    for (const embedded::testing::Block& block :
         embedded::testing::LoadBlocks("tables/jet_files.txt")) {
        const std::string& file = block.at(0).second;
        const fs::path source = Copy(file);
        const std::set<std::string> before = Names(dir_.path());
        const fs::path store = dir_ / (file + ".store");
        const ImportResult r = ImportJetFile(source, store);
        EXPECT_EQ(r.kind, kKinds.at(block.at(1).second)) << file;
        EXPECT_EQ(r.rows, std::stoll(block.at(2).second)) << file;
        EXPECT_TRUE(r.Verified()) << file;
        for (const TableCheck& t : r.tables) {
            EXPECT_EQ(t.sourceRows, t.targetRows) << file << " " << t.name;
        }
        EXPECT_EQ(ReadBytes(source), ReadBytes(kData / file)) << file;
        std::set<std::string> after = before;
        after.insert(store.filename().string());
        EXPECT_EQ(Names(dir_.path()), after) << file << ": a side file was left";
    }
}

// Values as the store keeps them (tables/jet_values.txt): texts as UTF-8 with '' apart from NULL,
// Yes as -1, money as an integer when whole and its exact four places otherwise, dates as the
// engine's date texts (the day alone at midnight), also before 1899-12-30 and in year 9999.
TEST_F(JetImport, KnownValuesComeBackExactly) {
    std::map<std::string, fs::path> stores;
    for (const embedded::testing::Block& block :
         embedded::testing::LoadBlocks("tables/jet_values.txt")) {
        const std::string& file = block.at(0).second;
        const std::string& sql = block.at(1).second;
        std::vector<std::string> rows;
        for (std::size_t i = 2; i < block.size(); ++i) rows.push_back(block[i].second);
        if (!stores.count(file)) stores[file] = Import(file);
        EXPECT_EQ(PlainRows(stores[file], sql), rows) << file << ": " << sql;
    }
}

TEST_F(JetImport, Jet3TextsAndNamesAreReadInTheHeadersCodePage) {
    const fs::path store = dir_ / "korean.store";
    const ImportResult r = ImportJetFile(KoreanJet3(), store);
    EXPECT_EQ(r.codePage, 949);
    EXPECT_TRUE(r.Verified());
    EXPECT_EQ(PlainRows(store, "SELECT A FROM Table1 ORDER BY A"),
              (std::vector<std::string>{"a", "가나다a"}));
    EXPECT_EQ(PlainRows(store, "SELECT name FROM pragma_table_info('Table4') WHERE name = '이름'"),
              std::vector<std::string>{"이름"});
}

// The texts of tables/jet_unicode.txt.
TEST(JetText, UnicodeFormsDecode) {
    for (const embedded::testing::Block& block :
         embedded::testing::LoadBlocks("tables/jet_unicode.txt")) {
        std::string bytes;
        std::istringstream hex(block.at(0).second);
        for (unsigned byte = 0; hex >> std::hex >> byte;) bytes += static_cast<char>(byte);
        EXPECT_EQ(DecodeUnicodeText(bytes), block.at(1).second) << block.at(0).second;
    }
}

// The dates of tables/jet_dates.txt, across the whole range.
TEST(JetText, DatesAcrossTheWholeRange) {
    for (const embedded::testing::Block& block :
         embedded::testing::LoadBlocks("tables/jet_dates.txt")) {
        EXPECT_EQ(StoredDateText(std::stod(block.at(0).second)), block.at(1).second)
            << block.at(0).second;
    }
}

TEST_F(JetImport, IndexesKeepTheirNamesAndCountersGoOnAfterTheGreatest) {
    const fs::path store = Import("store-sample-jet4.mdb");
    EXPECT_EQ(
        PlainRows(store,
                  "SELECT name FROM sqlite_master WHERE type = 'index' AND sql NOT NULL "
                  "ORDER BY 1"),
        (std::vector<std::string>{"사용상품.바코드", "사용상품.제품명", "입출상품.전표번호"}));
    EXPECT_EQ(
        PlainRows(store, "SELECT group_concat(name) FROM pragma_index_info('입출상품.전표번호')"),
        std::vector<std::string>{"전표번호,제품코드"});
    auto session = embedded::Open(store, {Dialect::Jet, "", false});
    session->Execute("INSERT INTO 입출상품 (전표번호, 제품코드) VALUES ('새전표', 'P0000001')", 30);
    EXPECT_EQ(PlainRows(store, "SELECT ID FROM 입출상품 WHERE 전표번호 = '새전표'"),
              std::vector<std::string>{"3001"});
    // The primary key is kept: a second row with the same key is refused.
    EXPECT_THROW(session->Execute("INSERT INTO 사용상품 (제품코드) VALUES ('P0000000')", 30),
                 DbError);
}

// The verification reads both sides again: one changed value, a row too many or a zero-length
// text turned NULL is a difference of that table alone.
TEST_F(JetImport, VerificationFindsEveryDifference) {
    const fs::path source = Copy("empty-and-null-jet4.mdb");
    const fs::path store = dir_ / "store";
    ASSERT_TRUE(ImportJetFile(source, store).Verified());
    const char* changes[] = {
        "UPDATE 거래처마스터 SET 비고 = NULL WHERE 거래처코드 = '000001'",
        "UPDATE 거래처마스터 SET 거래처명 = '가나약품 ' WHERE 거래처코드 = '000001'",
        "INSERT INTO 거래처마스터 (거래처코드) VALUES ('000005')",
        "DELETE FROM 거래처마스터 WHERE 거래처코드 = '000004'",
    };
    for (const char* change : changes) {
        const fs::path changed = dir_ / "changed";
        fs::copy_file(store, changed, fs::copy_options::overwrite_existing);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(changed.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, change, nullptr, nullptr, nullptr), SQLITE_OK) << change;
        sqlite3_close(db);
        const std::vector<TableCheck> checks = VerifyImport(source, changed);
        ASSERT_EQ(checks.size(), 1u);
        EXPECT_FALSE(checks[0].Same()) << change;
    }
    EXPECT_TRUE(VerifyImport(source, store).at(0).Same());
}

// A damaged file is refused with what is wrong with it, and nothing is put under the target's
// name: a file cut short, a table list that cannot be read, a table that gives fewer rows than its
// definition counts, and a table list that libmdb would read without end.
TEST_F(JetImport, ADamagedFileIsRefusedAndNothingIsPutInPlace) {
    const std::string sample = ReadBytes(kData / "store-sample-jet4.mdb");
    const auto damaged = [&](const std::string& name, std::string bytes) {
        const fs::path file = dir_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    };
    const auto zeroed = [](std::string bytes, std::size_t page, std::size_t size) {
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(page * size), size, '\0');
        return bytes;
    };
    const std::pair<fs::path, std::string> cases[] = {
        {damaged("cut.mdb", sample.substr(0, 40550)), "is cut short"},
        {damaged("list.mdb", zeroed(sample, 6, 4096)), "no tables are found"},
        {damaged("rows.mdb", zeroed(sample, 61, 4096)), "gives 962 of the 1000 rows"},
    };
    for (const auto& [source, refusal] : cases) {
        const fs::path store = dir_ / (source.filename().string() + ".store");
        try {
            ImportJetFile(source, store);
            ADD_FAILURE() << source << " was imported";
        } catch (const DbError& e) {
            EXPECT_NE(e.Description().find(refusal), std::string::npos) << e.Description();
        }
        EXPECT_FALSE(fs::exists(store)) << source;
    }
    // An Access 97 file whose page 49 is zeroed: libmdb reads its table list without end.
    const fs::path endless =
        damaged("endless.mdb", zeroed(ReadBytes(kData / "testV1997.mdb"), 49, 2048));
    try {
        CheckTableListEnds(endless, std::chrono::milliseconds(500));
        ADD_FAILURE() << "the endless table list was read";
    } catch (const DbError& e) {
        EXPECT_NE(e.Description().find("does not end"), std::string::npos) << e.Description();
    }
    EXPECT_NO_THROW(CheckTableListEnds(kData / "testV1997.mdb", std::chrono::seconds(15)));
}

// What opening a real Jet file or another file that is no database says; the file stays as it
// was and nothing is written beside it.
TEST_F(JetImport, OpeningAJetFileSaysWhatItIsAndHowToImportIt) {
    const struct {
        const char* file;
        std::vector<std::string> said;
    } cases[] = {
        {"testV1997.mdb", {"Jet3 (Access 97)", "datapatch import-jet"}},
        {"testV2003.mdb", {"Jet4 (Access 2000-2003)", "datapatch import-jet"}},
        {"testV2010.accdb", {"ACE (Access 2007 or later)", "datapatch import-jet"}},
        {"garbage.mdb", {"Unrecognized database format", "file is not a database"}},
    };
    const fs::path store = dir_ / "store.mdb";
    embedded::Open(store, {Dialect::Jet, "", true})->Execute("CREATE TABLE t (a INT)", 30);
    for (const auto& c : cases) {
        const fs::path file = dir_ / c.file;
        if (fs::exists(kData / c.file)) {
            Copy(c.file);
        } else {
            host_test::WriteBytes(file, std::string(4096, 'x'));
        }
        const std::string before = ReadBytes(file);
        const std::set<std::string> names = Names(dir_.path());
        const auto says = [&](const DbError& e) {
            EXPECT_EQ(e.Number(), ErrorNumber::kUnspecified) << c.file;
            for (const std::string& text : c.said) {
                EXPECT_NE(e.Description().find(text), std::string::npos)
                    << c.file << ": " << e.Description();
            }
        };
        for (const bool readOnly : {false, true}) {
            embedded::OpenOptions options;
            options.readOnly = readOnly;
            const DbError e = embedded::testing::ErrorOf([&] { embedded::Open(file, options); });
            says(e);
            EXPECT_NE(e.Description().find(file.string()), std::string::npos);
        }
        // A statement that names the file as an external database says the same.
        embedded::OpenOptions options;
        options.resolveExternal = [&](const embedded::ExternalReference&) { return file; };
        says(embedded::testing::ErrorOf([&] {
            embedded::Open(store, options)
                ->Execute("SELECT * FROM [MS Access;DATABASE=C:\\x.mdb].Table1", 30);
        }));
        EXPECT_EQ(ReadBytes(file), before) << c.file;
        EXPECT_EQ(Names(dir_.path()), names) << c.file << ": a side file was left";
    }
    EXPECT_EQ(KindOfHeader("short"), JetKind::None);
}

}  // namespace
}  // namespace db::jet
