#include "db/embedded/routine_stock_recalc.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/embedded/error_map.h"
#include "db/embedded/routine_split.h"
#include "db/embedded/sqlite_handle.h"

namespace db::embedded {
namespace {

using Number = std::optional<double>;

constexpr const char* kCarriedOver =
    "SELECT \"이월수량\", \"재고단가\", \"최근매입일\", \"최근매입수량\" FROM \"제품정보\" WHERE "
    "\"제품코드\" = ?1";
constexpr const char* kWriteProduct =
    "UPDATE \"사용상품\" SET \"재고수량\" = ?1, \"평균단가\" = ?2, \"최근매입일\" = ?3, "
    "\"최근매입수량\" = ?4 WHERE \"제품코드\" = ?5";
constexpr const char* kEarlierLine =
    "SELECT \"현재고\", \"재고단가\" FROM \"입출상품\" WHERE \"제품코드\" = ?1 AND \"매장코드\" = "
    "?2 AND \"작업일자\" || \"전표번호\" < ?3 ORDER BY \"작업일자\" DESC, \"전표번호\" DESC, "
    "\"일련번호\" DESC LIMIT 1";
constexpr const char* kEntryCost =
    "SELECT \"입고단가\" FROM \"사용상품\" WHERE \"제품코드\" = ?1 AND \"DEL_CHK\" = 0";
constexpr const char* kLines =
    "SELECT \"수량\", \"전표종류\", \"거래단가\", \"작업일자\", \"전표번호\", \"일련번호\" FROM "
    "\"입출상품\" WHERE \"제품코드\" = ?1 AND \"DEL_CHK\" = 0 AND \"작업일자\" || \"전표번호\" >= "
    "?2 AND \"작업일자\" > ?3 ORDER BY \"작업일자\", \"전표번호\", \"일련번호\"";
constexpr const char* kWriteLine =
    "UPDATE \"입출상품\" SET \"전재고\" = ?1, \"현재고\" = ?2, \"재고단가\" = ?3, \"이익금\" = ?4 "
    "WHERE \"작업일자\" = ?5 AND \"전표번호\" = ?6 AND \"일련번호\" = ?7 AND \"매장코드\" = ?8";

struct ValueFree {
    void operator()(sqlite3_value* v) const noexcept { sqlite3_value_free(v); }
};
using ValueHandle = std::unique_ptr<sqlite3_value, ValueFree>;

// One prepared statement of the procedure, bound and stepped.
class Query {
  public:
    Query(sqlite3* db, const char* sql) : db_(db), stmt_(Prepare(db, sql)) {}

    Query& Bind(int i, std::string_view text) {
        return Check(sqlite3_bind_text(stmt_.get(), i, text.data(), static_cast<int>(text.size()),
                                       SQLITE_TRANSIENT));
    }
    Query& Bind(int i, Number value) {
        return Check(value ? sqlite3_bind_double(stmt_.get(), i, *value)
                           : sqlite3_bind_null(stmt_.get(), i));
    }
    Query& Bind(int i, const ValueHandle& value) {
        return Check(sqlite3_bind_value(stmt_.get(), i, value.get()));
    }

    // True on a row; false at the end.
    bool Next() {
        const int rc = sqlite3_step(stmt_.get());
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) throw LastError(db_, rc);
        return false;
    }
    // Runs the statement to its end and makes it ready for new values.
    void Run() {
        while (Next()) {
        }
        sqlite3_reset(stmt_.get());
    }

    Number NumberAt(int i) const {
        if (sqlite3_column_type(stmt_.get(), i) == SQLITE_NULL) return std::nullopt;
        return sqlite3_column_double(stmt_.get(), i);
    }
    std::optional<std::int64_t> IntegerAt(int i) const {
        if (sqlite3_column_type(stmt_.get(), i) == SQLITE_NULL) return std::nullopt;
        return sqlite3_column_int64(stmt_.get(), i);
    }
    std::optional<std::string> TextAt(int i) const {
        if (sqlite3_column_type(stmt_.get(), i) == SQLITE_NULL) return std::nullopt;
        return ColumnText(stmt_.get(), i);
    }
    ValueHandle ValueAt(int i) const {
        ValueHandle value(sqlite3_value_dup(sqlite3_column_value(stmt_.get(), i)));
        if (!value) throw MapSqliteError(SQLITE_NOMEM, "");
        return value;
    }

  private:
    Query& Check(int rc) {
        if (rc != SQLITE_OK) throw LastError(db_, rc);
        return *this;
    }

    sqlite3* db_;
    StatementHandle stmt_;
};

// The five fields of the parameter text, cut to the lengths of the procedure's variables.
struct Slip {
    std::string date;
    std::string number;
    std::string product;
    std::string closing;
    std::string store;
};

Slip ReadSlip(std::string_view text) {
    const std::vector<SplitRecord> records = SplitParameterText(text);
    if (records.empty()) return {};
    const SplitRecord& f = records.front();
    auto cut = [](const std::string& field, std::size_t length) {
        return std::string(FirstCharacters(field, length));
    };
    return Slip{cut(f[0], 8), cut(f[1], 6), cut(f[2], 10), cut(f[3], 8), cut(f[4], 15)};
}

// The figures carried from line to line, and finally into 사용상품.
struct StockState {
    Number stock;
    Number cost;
    std::optional<std::string> purchaseDate;
    Number purchaseQuantity;
};

struct Line {
    Number quantity;
    std::optional<std::int64_t> kind;
    Number price;
    std::optional<std::string> dateText;
    ValueHandle date;
    ValueHandle number;
    ValueHandle serial;
};

bool BlankOnly(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

double Round(double value, int digits) {
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;  // halves away from zero, as the server rounds
}

// Slip kinds: 1, 5 and 11 take stock out, 24 sets it; 0, 3 and positive 4 enter the average
// cost; 1 and 11 book a profit, 2 a negative one.
bool LowersStock(std::int64_t kind) {
    return kind == 1 || kind == 5 || kind == 11;
}

bool EntersCost(std::int64_t kind, double quantity) {
    return kind == 0 || kind == 3 || (kind == 4 && quantity > 0);
}

double ProfitSign(std::int64_t kind) {
    if (kind == 1 || kind == 11) return 1;
    return kind == 2 ? -1 : 0;
}

double AverageCost(double before, double quantity, double price, double cost) {
    if (before + quantity <= 0) return 0;
    if (before <= 0 || (cost <= 0 && price > 0)) return price;
    if (cost * before + quantity * price <= 0) return 0;
    return (before * cost + quantity * price) / (before + quantity);
}

StockState ReadCarriedOver(sqlite3* db, const Slip& slip) {
    StockState state;
    Query q(db, kCarriedOver);
    q.Bind(1, slip.product);
    while (q.Next()) {
        state = StockState{q.NumberAt(0), q.NumberAt(1), q.TextAt(2), q.NumberAt(3)};
    }
    return state;
}

void WriteProduct(sqlite3* db, const Slip& slip, const StockState& state) {
    Query q(db, kWriteProduct);
    q.Bind(1, state.stock.value_or(0))
        .Bind(2, state.cost.value_or(0))
        .Bind(3, state.purchaseDate.value_or(" "))
        .Bind(4, state.purchaseQuantity.value_or(0))
        .Bind(5, slip.product)
        .Run();
}

// The stock and cost of the store's latest line before the slip.
void StartFromEarlierLine(sqlite3* db, const Slip& slip, StockState& state) {
    Query q(db, kEarlierLine);
    q.Bind(1, slip.product).Bind(2, slip.store).Bind(3, slip.date + slip.number);
    if (!q.Next()) return;
    state.stock = q.NumberAt(0);
    state.cost = q.NumberAt(1);
}

Number ReadEntryCost(sqlite3* db, const Slip& slip) {
    Number cost;
    Query q(db, kEntryCost);
    q.Bind(1, slip.product);
    while (q.Next()) cost = q.NumberAt(0);
    return cost;
}

// The lines to walk, read ahead: the walk writes into the table it reads.
std::vector<Line> ReadLines(sqlite3* db, const Slip& slip) {
    std::vector<Line> lines;
    Query q(db, kLines);
    q.Bind(1, slip.product).Bind(2, slip.date + slip.number).Bind(3, slip.closing);
    while (q.Next()) {
        lines.push_back(Line{q.NumberAt(0), q.IntegerAt(1), q.NumberAt(2), q.TextAt(3),
                             q.ValueAt(3), q.ValueAt(4), q.ValueAt(5)});
    }
    return lines;
}

// One line: its figures are computed from the state, written into the line, and carried on.
void WalkLine(const Line& line, Number entryCost, const Slip& slip, StockState& state,
              Query& write) {
    const double before = Round(state.stock.value_or(0), 4);
    const std::int64_t kind = line.kind.value_or(-1);
    double quantity = line.quantity.value_or(0);
    if (kind == 3) quantity = -quantity;
    const double now = LowersStock(kind) ? before - Round(quantity, 4)
                       : kind == 24      ? quantity
                                         : before + Round(quantity, 4);
    quantity = Round(quantity, 4);
    const double price = Round(line.price.value_or(0), 4);
    if (EntersCost(kind, quantity)) {
        state.cost = Round(AverageCost(before, quantity, price, state.cost.value_or(0)), 1);
    }
    double profit = 0;
    if (ProfitSign(kind) != 0 && quantity != 0) {
        const double cost = state.cost.value_or(0) != 0 ? *state.cost : entryCost.value_or(0);
        profit = ProfitSign(kind) * (quantity * price - quantity * cost) + 0.0;
    }
    if (kind == 0) {
        state.purchaseDate = line.dateText;
        state.purchaseQuantity = quantity;
    }
    write.Bind(1, before)
        .Bind(2, now)
        .Bind(3, state.cost)
        .Bind(4, profit)
        .Bind(5, line.date)
        .Bind(6, line.number)
        .Bind(7, line.serial)
        .Bind(8, slip.store)
        .Run();
    state.stock = now;
}

void Recalculate(sqlite3* db, const Slip& slip) {
    StockState state = ReadCarriedOver(db, slip);
    WriteProduct(db, slip, state);
    // Blanks only count as no slip, as the server compares texts without trailing blanks.
    if (!BlankOnly(slip.date) && !BlankOnly(slip.number)) StartFromEarlierLine(db, slip, state);
    const Number entryCost = ReadEntryCost(db, slip);
    Query write(db, kWriteLine);
    for (const Line& line : ReadLines(db, slip)) WalkLine(line, entryCost, slip, state, write);
    WriteProduct(db, slip, state);
}

}  // namespace

void RecalculateStock(sqlite3* db, std::string_view parameterText) {
    const Slip slip = ReadSlip(parameterText);
    try {
        Transaction transaction(db);
        Recalculate(db, slip);
        transaction.Commit();
    } catch (const DbError&) {
        // The transaction has been rolled back; the procedure reports nothing.
    }
}

}  // namespace db::embedded
