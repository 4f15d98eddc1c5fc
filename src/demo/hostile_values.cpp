#include "demo/hostile_values.h"

#include <algorithm>
#include <vector>

#include "db/column_fit.h"
#include "db/error.h"
#include "db/session.h"
#include "demo/drug_reference.h"
#include "demo/store_database.h"
#include "host/codepage.h"
#include "host/host.h"
#include "util/sql_text.h"

namespace demo {
namespace {

constexpr std::size_t kLongText = 10000;

std::string LongText() {
    // Every troublesome character within the first few, so that a short column gets them too.
    const std::string pattern = "긴'텍스트%_[x] ";
    std::string text;
    std::size_t characters = 0;
    while (characters < kLongText) {
        for (std::size_t pos = 0; pos < pattern.size() && characters < kLongText; ++characters) {
            const std::size_t len = std::max<std::size_t>(1, host::Utf8CharLength(pattern, pos));
            text.append(pattern, pos, len);
            pos += len;
        }
    }
    return text;
}

std::string BracketName(const std::string& name) {
    return "[" + name + "]";
}

// The rows whose keys differ only by a trailing blank, and the partner whose number would not
// fit once joined to its area code (4 + 1 + 16 characters in a column of 20). The keys of SQL
// Server find codes that differ by trailing blanks equal, so a server store holds the first of
// each pair only.
void AddHostileRows(db::Session& session) {
    const bool twins = session.SqlDialect() == db::Dialect::Jet;
    const std::string product = kTwinProductCode;
    const std::string partner = kTwinPartnerCode;
    const std::string products =
        "INSERT INTO [사용상품] (제품코드, 제품명, 제조사, 심평원규격, 조제약여부, DEL_CHK) VALUES "
        "(";
    const std::string partners =
        "INSERT INTO [거래처마스터] (거래처코드, 거래처명, 지역번호, 전화번호, DEL_CHK) VALUES (";
    std::vector<std::string> rows = {products + util::SqlQuoted(product) +
                                     ", ' 쌍둥이 하나 ', ' 하나제약 ', ' 1정 ', 0, 0)"};
    if (twins) {
        rows.push_back(products + util::SqlQuoted(product + " ") +
                       ", ' 쌍둥이 둘 ', ' 둘제약 ', ' 2정 ', 0, 0)");
    }
    rows.push_back(partners + util::SqlQuoted(partner) +
                   ", '쌍둥이 거래처 하나', '02', '111-1111', 0)");
    if (twins) {
        rows.push_back(partners + util::SqlQuoted(partner + " ") +
                       ", '쌍둥이 거래처 둘', '031', '222-2222', 0)");
    }
    rows.push_back(partners + util::SqlQuoted(kLongPhonePartnerCode) +
                   ", '긴 번호 거래처', '0311', '1234567890123456', 0)");
    for (const std::string& sql : rows) session.Execute(sql, 0);
}

// The store's text columns, the rows above, and another PC's row of CONFIGPC naming
// kHostileConfigTable.
std::string SeedHostileStore(db::Session& store, const std::string& name) {
    const int columns = SeedHostileColumns(store, HostileStoreColumns());
    AddHostileRows(store);
    store.Execute(std::string("INSERT INTO CONFIGPC (피씨코드, 피씨명, 테이블명) VALUES "
                              "('0000000002', 'POS-2', ") +
                      util::SqlQuoted(kHostileConfigTable) + ")",
                  0);
    return name + "  hostile texts in " + std::to_string(columns) +
           " columns and a hostile table name in CONFIGPC";
}

}  // namespace

const std::vector<HostileColumn>& HostileStoreColumns() {
    static const std::vector<HostileColumn> columns = {
        {"사용상품", "제품명"},
        {"사용상품", "규격"},
        {"사용상품", "제조사"},
        {"사용상품", "바코드"},
        {"사용상품", "중복바코드"},
        {"사용상품", "심평원규격"},
        {"사용상품", "상품위치"},
        {"사용상품", "재고메모"},
        {"사용상품", "바코드캡션"},
        {"확장바코드", "바코드구분"},
        {"확장바코드", "바코드"},
        {"확장바코드", "중복바코드"},
        {"확장바코드", "상품위치"},
        {"확장바코드", "재고메모"},
        {"거래처마스터", "거래처명"},
        {"거래처마스터", "주소"},
        {"거래처마스터", "지역번호"},
        {"거래처마스터", "전화번호"},
        {"거래처마스터", "비고"},
        // The marks that look for this remark keep finding it.
        {"전표마스터", "비고", 0, "비고 LIKE '%고시단가 변경%'"},
    };
    return columns;
}

const std::vector<HostileColumn>& HostileReferenceColumns() {
    static const std::vector<HostileColumn> columns = {
        {"DBF심평원약", "약품명"},
        {"DBF심평원약", "정리명"},
        {"DBF심평원약", "규격단위"},
        {"DBF심평원약", "업소명"},
    };
    return columns;
}

const std::vector<HostileColumn>& HostileStandardCodeColumns() {
    // As wide as the product column the codes are written to: a code is never cut.
    static const std::vector<HostileColumn> columns = {{"표준코드", "표준코드", 10}};
    return columns;
}

const std::vector<std::string>& HostileTexts() {
    static const std::vector<std::string> texts = {
        "O'Brien's 약국",
        "''이중''따옴표''",
        "[대괄호] [x]]",
        "100% 할인_특가",
        std::string("널\0문자", 7),
        LongText(),
        "\xF0\x9F\x98\x80 \xE0\xB8\xA0\xE0\xB8\xB2\xE0\xB8\xA9\xE0\xB8\xB2 \xF0\xA0\x80\x80",
        "  앞뒤 공백  ",
        "'; DROP TABLE 사용상품; --",
    };
    return texts;
}

int SeedHostileColumns(db::Session& session, const std::vector<HostileColumn>& columns) {
    const std::vector<std::string>& texts = HostileTexts();
    int seeded = 0;
    for (std::size_t j = 0; j < columns.size(); ++j) {
        std::vector<db::ColumnInfo> info;
        try {
            info = session.SchemaInfo().Columns(columns[j].table);
        } catch (const db::DbError&) {
            continue;  // the table is not in this database
        }
        const auto column = std::find_if(info.begin(), info.end(), [&](const db::ColumnInfo& c) {
            return c.name == columns[j].column;
        });
        if (column == info.end()) continue;
        db::ColumnInfo fitTo = *column;
        if (columns[j].size > 0) fitTo.size = std::min(fitTo.size, columns[j].size);
        const std::string spared =
            columns[j].spare ? std::string(" AND NOT (") + columns[j].spare + ")" : "";
        for (std::size_t k = 0; k < texts.size(); ++k) {
            session.Execute("UPDATE " + BracketName(columns[j].table) + " SET " +
                                BracketName(columns[j].column) + " = " +
                                util::SqlQuoted(db::FitText(texts[k], fitTo)) + " WHERE (rowid + " +
                                std::to_string(j) + ") % " + std::to_string(texts.size()) + " = " +
                                std::to_string(k) + spared,
                            0);
        }
        ++seeded;
    }
    return seeded;
}

std::vector<std::string> SeedHostileDemo(host::Host& host, StoreKind kind) {
    std::vector<std::string> seeded;
    auto line = [&](const std::string& what, int columns) {
        seeded.push_back(what + "  hostile texts in " + std::to_string(columns) +
                         (columns == 1 ? " column" : " columns"));
    };
    if (kind == StoreKind::Mdb) {
        auto store =
            OpenDemoDatabase(*host.Native(kDemoMdbPath), db::Dialect::Jet, kStoreMdbPassword);
        seeded.push_back(SeedHostileStore(*store, kDemoMdbPath));
    } else {
        auto store = OpenDemoDatabase(ServerStoreFile(host, DemoServerStore(kDemoStoreDatabase)),
                                      db::Dialect::SqlServer, "");
        seeded.push_back(
            SeedHostileStore(*store, std::string(kDemoServer) + "/" + kDemoStoreDatabase));
    }
    const ServerStore reference =
        ReferenceStore(kDemoCentralServer, kDemoCentralFolder, kDemoCentralPassword);
    auto drugs = OpenDemoDatabase(ServerStoreFile(host, reference), db::Dialect::SqlServer, "");
    line(std::string(kDemoCentralServer) + "/" + kReferenceDatabase,
         SeedHostileColumns(*drugs, HostileReferenceColumns()));
    auto codes = OpenDemoDatabase(*host.Native(StandardCodeFilePath(host)), db::Dialect::Jet, "");
    line(StandardCodeFilePath(host), SeedHostileColumns(*codes, HostileStandardCodeColumns()));
    return seeded;
}

}  // namespace demo
