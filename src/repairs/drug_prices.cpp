#include "repairs/drug_prices.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/runtime.h"
#include "db/column_fit.h"
#include "db/kro_ado.h"
#include "db/login_resolver.h"
#include "db/recordset.h"
#include "db/router.h"
#include "host/desktop.h"
#include "host/host.h"
#include "repairs/clock_text.h"
#include "repairs/field_text.h"
#include "repairs/repair_progress.h"
#include "repairs/repair_report.h"
#include "repairs/require.h"
#include "repairs/row_keys.h"
#include "util/dialogs.h"
#include "util/kro_function.h"
#include "util/sql_text.h"

namespace repairs {

namespace {

using util::Kro_Function;
using util::SqlQuoted;

// The drug reference database on the vendor's central server. The server is the one the
// login-resolution file names in its [Central] section; the database and login are fixed.
struct ReferenceLogin {
    const char* database;
    const char* user;
    const char* password;
};
constexpr ReferenceLogin kReferenceLogin{"DB_NVMAIN", "sa", "#qvtrmlpz$5"};

constexpr const char* kNoDrugsText = "사용상품 데이터에 조제약이 존재하지 않습니다.";
constexpr const char* kNoDrugsTitle = "조제약 부재";
constexpr const char* kApplyingText = "심평원 데이터를 적용하고 있습니다. 잠시만 기다리십시요!";
constexpr const char* kMemoPrefix = "약가갱신 - ";

constexpr const char* kDrugCount =
    "SELECT count(*) as 건수 FROM 사용상품 WHERE Del_Chk = 0 AND ((연합회코드 <> '' AND "
    "연합회코드 IS NOT NULL) OR (표준코드 <> '' AND 표준코드 IS NOT NULL)) AND 조제약여부 = 1";
constexpr const char* kDrugs =
    "SELECT 연합회코드, 바코드, 제품명, 가격분류, 표준코드, 제품코드, 입고단가, 소매단가 FROM "
    "사용상품 WHERE ((연합회코드 <> '' AND 연합회코드 IS NOT NULL) OR (표준코드 <> '' AND "
    "표준코드 IS NOT NULL))  AND Del_Chk = 0 AND 조제약여부 = 1";

constexpr const char* kStandardCodeFile = "\\SimStdCd.MDB";
constexpr const char* kMissingFileText = "표준코드 파일 정보가 존재하지 않습니다! ";
constexpr const char* kMissingFileTitle = "파일부재";
constexpr const char* kStandardCodeErrorText = "frmDBPatchMain:ActionSimStandardCodeCreate";
constexpr const char* kAddStandardCode = "ALTER TABLE 사용상품 ADD 표준코드 VARCHAR(10) NULL ";
constexpr const char* kCodedProducts =
    "SELECT 제품코드, 연합회코드 FROM 사용상품 WHERE 연합회코드 <> '' AND 제품코드 <> ''";

// The intake kind by the two characters before the last character of the name.
struct IntakeKind {
    std::string_view word;
    int kind;
};
constexpr IntakeKind kIntakeKinds[] = {{"내복", 0}, {"외용", 1}, {"주사", 2}};
constexpr int kOtherIntake = 3;

// The byte offsets at which the characters of a UTF-8 text begin.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    return starts;
}

// 복용구분 of a trimmed drug name. A name of fewer than three characters has no such pair and
// counts as any other name.
int IntakeKindOf(std::string_view name) {
    const std::vector<std::size_t> starts = CharacterStarts(name);
    if (starts.size() < 3) return kOtherIntake;
    const std::size_t from = starts[starts.size() - 3];
    const std::string_view pair = name.substr(from, starts.back() - from);
    for (const IntakeKind& k : kIntakeKinds) {
        if (pair == k.word) return k.kind;
    }
    return kOtherIntake;
}

// The price class code of the reference's 약품구분: "일반" 0001, "전문" 0002, else "".
std::string PriceClassOf(const std::string& drugKind) {
    if (drugKind == "일반") return "0001";
    if (drugKind == "전문") return "0002";
    return {};
}

// The columns of 사용상품 as the store database declares them, for the texts the refreshes
// copy from the references: a name longer than its column is cut to fit (as the store software
// cuts what it writes), a code that does not fit is not written, since a cut code would name
// another drug. Either way the rest of the row is still written.
class ProductColumns {
  public:
    explicit ProductColumns(db::ConnectionRef& store) : dialect_(Require(store).SqlDialect()) {
        columns_ = Require(store).Engine().SchemaInfo().Columns("사용상품");
    }
    // The text as the literal that writes it into the column.
    std::string Quoted(const std::string& column, const std::string& text) const {
        return TextLiteral(dialect_, Find(column), text);
    }
    std::string Name(const std::string& column, const std::string& text) const {
        const db::ColumnInfo* info = Find(column);
        return info ? db::FitText(text, *info) : text;
    }
    bool CodeFits(const std::string& column, const std::string& text) const {
        const db::ColumnInfo* info = Find(column);
        return !info || db::TextFits(text, *info);
    }

  private:
    const db::ColumnInfo* Find(const std::string& column) const {
        for (const db::ColumnInfo& c : columns_) {
            if (c.name == column) return &c;
        }
        return nullptr;
    }
    db::Dialect dialect_;
    std::vector<db::ColumnInfo> columns_;
};

// The store's own price classes ("0003" and above) are kept; the insurance classes are not.
bool TakesReferenceClass(const std::string& priceClass) {
    return priceClass.empty() || priceClass < "0003";
}

// One refresh: the routine's own connection to the reference database, the record sets it has
// open, and the counts of the result.
class DrugPriceRefresh {
  public:
    explicit DrugPriceRefresh(config::Runtime& runtime)
        : runtime_(runtime),
          dialogs_(runtime.Dialogs()),
          store_(runtime.Ado()),
          reference_(runtime.Ado()) {}

    std::string Run() {
        std::string result;
        try {
            result = Refresh();
        } catch (const db::DbError& e) {
            ShowRepairErrorReport(runtime_, e);
            result.clear();
        }
        db::Kro_Ado::CloseRecordSet(referenceRow_);
        db::Kro_Ado::CloseRecordSet(packages_);
        db::Kro_Ado::CloseRecordSet(products_);
        if (referenceCn_) referenceCn_->Close();
        return result;
    }

  private:
    std::string Refresh() {
        const db::LoginResolver& logins = runtime_.Ado().router->Logins();
        reference_.DBConnection_SQL(referenceCn_, logins.CentralServer(), kReferenceLogin.database,
                                    kReferenceLogin.user, kReferenceLogin.password, 0, 0, false);
        now_ = NowText(runtime_);
        for (char c : now_) {
            if (c != '-') today_ += c;
        }
        today_ = today_.substr(0, 8);
        memo_ = SqlQuoted(kMemoPrefix + now_.substr(0, 10));
        columns_.emplace(runtime_.StoreConnection);
        db::Connection& store = Require(runtime_.StoreConnection);
        productKeys_.emplace(store, "사용상품", std::vector<std::string>{"제품코드"});
        packageKeys_.emplace(store, "확장바코드",
                             std::vector<std::string>{"제품코드", "바코드코드"});

        db::RecordSetRef count = store_.GetRecordSet(runtime_.StoreConnection, kDrugCount);
        const std::int64_t drugs = Kro_Function::Nz(Require(count)["건수"]).AsInt();
        db::Kro_Ado::CloseRecordSet(count);
        if (drugs == 0) {
            runtime_.Desktop().Inform(kNoDrugsText, kNoDrugsTitle);
            return {};
        }

        Progress(0, kApplyingText);
        products_ = store_.GetRecordSet(runtime_.StoreConnection, kDrugs);
        db::RecordSet& products = Require(products_);
        int visited = 0;
        int updated = 0;
        for (; !products.Eof(); products.MoveNext()) {
            if (RefreshProduct(products)) ++updated;
            ++visited;
            Progress(1, FieldText(products["제품명"]), static_cast<int>(products.RecordCount()),
                     visited);
            if (dialogs_.StopRequested) break;
        }
        db::Kro_Ado::CloseRecordSet(products_);
        Progress(2, "");
        dialogs_.UnloadMessageWindow();
        return "총 " + std::to_string(visited) + "건의 조제약 중 " + std::to_string(updated) +
               "건 갱신완료.";
    }

    void Progress(int mode, std::string text, int total = 0, int done = 0) {
        dialogs_.ProgressDialog(mode, total, done, text);
    }

    // Rewrites the product from its reference row valid today; false when there is none or its
    // 규격단위 is empty.
    bool RefreshProduct(const db::RecordSet& product) {
        referenceRow_ = reference_.GetRecordSet(
            referenceCn_,
            "SELECT 약품명, 규격단위, 업소명, 상한가, 급여구분, 약품구분, 적용시작일, 코드, "
            "표준코드, 정리명 FROM DBF심평원약 WHERE ((코드 = " +
                SqlQuoted(FieldText(product["연합회코드"])) +
                " AND 코드 <> '' AND 코드 IS NOT NULL) OR (표준코드 = " +
                SqlQuoted(FieldText(product["표준코드"])) +
                " AND 표준코드 <> '' AND 표준코드 IS NOT NULL)) AND 적용시작일 <= " + today_ +
                " AND 적용종료일 >= " + today_);
        const db::RecordSet& reference = Require(referenceRow_);
        bool updated = false;
        if (!reference.Eof() && !FieldText(reference["규격단위"]).empty()) {
            const std::string where = productKeys_->Where({product["제품코드"]});
            if (where.empty()) {
                ReportUnaddressableRow(runtime_, "사용상품", KeyText(product["제품코드"]));
            } else {
                const std::string code = product["제품코드"].AsText();
                const util::Variant ceiling = Kro_Function::Nz(reference["상한가"]);
                store_.RunSql(runtime_.StoreConnection,
                              ProductUpdate(product, reference, ceiling, where));
                if (ceiling.AsDouble() > 0) UpdatePackages(code, ceiling.AsDouble());
                updated = true;
            }
        }
        db::Kro_Ado::CloseRecordSet(referenceRow_);
        return updated;
    }

    std::string ProductUpdate(const db::RecordSet& product, const db::RecordSet& reference,
                              const util::Variant& ceiling, const std::string& where) const {
        std::string prices;
        if (ceiling.AsDouble() > 0) {
            const std::string price = util::SqlNumber(ceiling, "0");
            prices = "입고단가 = " + price + ", " + "소매단가 = " + price + ",";
        }
        std::string priceClass;
        if (TakesReferenceClass(FieldText(product["가격분류"]))) {
            priceClass =
                "가격분류 = " +
                columns_->Quoted("가격분류", PriceClassOf(FieldText(reference["약품구분"]))) + ", ";
        }
        const ProductColumns& columns = *columns_;
        std::string codes;
        for (const auto& [column, field] :
             {std::pair{"표준코드", "표준코드"}, {"연합회코드", "코드"}}) {
            const std::string code = FieldText(reference[field]);
            if (columns.CodeFits(column, code)) {
                codes += std::string(column) + " = " + columns.Quoted(column, code) + ", ";
            }
        }
        const auto name = [&](const char* column, const char* field) {
            return columns.Quoted(column, columns.Name(column, FieldText(reference[field])));
        };
        return "UPDATE 사용상품 SET 심평원규격 = " + name("심평원규격", "규격단위") + ", " + codes +
               "제조사 = " + name("제조사", "업소명") + ", " +
               "제품명 = " + name("제품명", "정리명") + ", " + prices +
               "급여구분 = " + name("급여구분", "급여구분") + " , " +
               "복용구분=" + std::to_string(IntakeKindOf(FieldText(reference["약품명"]))) + ", " +
               priceClass + "UP_DATE = " + SqlQuoted(now_) + ", CHK_MEMO = " + memo_ + " WHERE " +
               where;
    }

    // Each live package gets the ceiling price times its units as purchase price; its sale
    // price follows only when it was not marked up.
    void UpdatePackages(const std::string& code, double ceiling) {
        packages_ = store_.GetRecordSet(
            runtime_.StoreConnection,
            "SELECT 상.제품코드, 확.바코드코드, 확.포장수량, 확.최근입고단가, 확.판매단가 FROM "
            "사용상품 AS 상 LEFT JOIN 확장바코드 AS 확 ON 상.제품코드 = 확.제품코드 WHERE "
            "상.DEL_CHK = 0 AND 확.DEL_CHK = 0 AND 상.제품코드 = " +
                SqlQuoted(code) + " AND 상.조제약여부 = 1 ORDER BY 상.제품코드 DESC");
        db::RecordSet& packages = Require(packages_);
        for (; !packages.Eof(); packages.MoveNext()) {
            const util::Variant& package = packages["바코드코드"];
            const std::string where = packageKeys_->Where({util::Variant(code), package});
            if (where.empty()) {
                ReportUnaddressableRow(runtime_, "확장바코드",
                                       KeyText(code) + "/" + KeyText(package));
                continue;
            }
            const std::string price =
                util::SqlNumber(ceiling * Kro_Function::Nz(packages["포장수량"]).AsDouble(), "0");
            const bool notMarkedUp = Kro_Function::Nz(packages["최근입고단가"]).AsCurrency() ==
                                     Kro_Function::Nz(packages["판매단가"]).AsCurrency();
            store_.RunSql(runtime_.StoreConnection,
                          "UPDATE 확장바코드 SET 최근입고단가 = " + price + " , CHK_MEMO = " +
                              memo_ + " , 판매단가 = " + (notMarkedUp ? price : "판매단가") + " " +
                              " WHERE " + where);
        }
        db::Kro_Ado::CloseRecordSet(packages_);
    }

    config::Runtime& runtime_;
    util::Dialogs& dialogs_;
    db::Kro_Ado store_;
    db::Kro_Ado reference_;
    db::ConnectionRef referenceCn_;
    db::RecordSetRef products_;
    db::RecordSetRef referenceRow_;
    db::RecordSetRef packages_;
    std::string now_;
    std::string today_;
    std::string memo_;  // the quoted CHK_MEMO text
    std::optional<ProductColumns> columns_;
    std::optional<RowKeys> productKeys_;
    std::optional<RowKeys> packageKeys_;
};

// Looks the old code up in the file and writes the standard code found to the product.
void TakeStandardCode(config::Runtime& runtime, db::Kro_Ado& store, db::Kro_Ado& file,
                      db::ConnectionRef& codes, db::RecordSetRef& lookup,
                      const ProductColumns& columns, const RowKeys& keys,
                      const db::RecordSet& product) {
    lookup = file.GetRecordSet(codes, "SELECT 표준코드 FROM 표준코드 WHERE 구코드 = " +
                                          SqlQuoted(FieldText(product["연합회코드"])));
    const db::RecordSet& found = Require(lookup);
    if (!found.Eof()) {
        const std::string standard = FieldText(found["표준코드"]);
        const std::string where = keys.Where({product["제품코드"]});
        if (where.empty()) {
            ReportUnaddressableRow(runtime, "사용상품", KeyText(product["제품코드"]));
        } else if (!standard.empty() && columns.CodeFits("표준코드", standard)) {
            store.RunSql(runtime.StoreConnection, "UPDATE 사용상품 SET 표준코드 = " +
                                                      SqlQuoted(standard) + " WHERE " + where);
        }
    }
    db::Kro_Ado::CloseRecordSet(lookup);
}

}  // namespace

std::string RefreshDrugPrices(config::Runtime& runtime) {
    return DrugPriceRefresh(runtime).Run();
}

bool ActionSimStandardCodeCreate(config::Runtime& runtime, bool columnExists) {
    host::Desktop& desktop = runtime.Desktop();
    db::Kro_Ado store(runtime.Ado());
    db::Kro_Ado file(runtime.Ado());
    db::ConnectionRef codes;
    db::RecordSetRef products;
    db::RecordSetRef lookup;
    bool completed = true;
    try {
        if (!file.DBConnection_MDB(codes, runtime.Host().ProgramFolder() + kStandardCodeFile, "",
                                   0)) {
            desktop.Inform(kMissingFileText, kMissingFileTitle);
            return false;
        }
        if (!columnExists) {
            desktop.DoEvents();
            store.RunSql(runtime.StoreConnection, kAddStandardCode);
        }
        const ProductColumns columns(runtime.StoreConnection);
        const RowKeys keys(Require(runtime.StoreConnection), "사용상품", {"제품코드"});
        products = store.GetRecordSet(runtime.StoreConnection, kCodedProducts);
        db::RecordSet& rows = Require(products);
        PB2Counter bar(runtime);
        if (!rows.Eof()) {
            rows.MoveFirst();
            bar.SetMax(rows.RecordCount());
        }
        for (; !rows.Eof(); rows.MoveNext()) {
            bar.Step();
            desktop.DoEvents();
            TakeStandardCode(runtime, store, file, codes, lookup, columns, keys, rows);
        }
    } catch (const db::DbError&) {
        desktop.MessageBox(kStandardCodeErrorText, "", host::MsgIcon::None, host::MsgButtons::Ok);
        completed = false;
    }
    db::Kro_Ado::CloseRecordSet(lookup);
    db::Kro_Ado::CloseRecordSet(products);
    if (codes) codes->Close();
    return completed;
}

}  // namespace repairs
