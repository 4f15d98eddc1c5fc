#include "trace.h"

#include <array>
#include <cstdio>

namespace bench {
namespace {

constexpr std::array<const char*, 8> kProductNames = {
    "타이레놀정 500mg", "게보린정",       "판콜에이내복액", "베아제정",
    "훼스탈플러스정",   "까스활명수큐액", "박카스디액",     "마데카솔케어연고",
};

// A small deterministic generator (SplitMix64), so that every run replays the same texts.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }

  private:
    std::uint64_t state_;
};

std::string Key(std::size_t n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "P%07zu", n);
    return buffer;
}

std::string Stamp(std::size_t n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "#2020-12-%02zu %02zu:%02zu:%02zu#", 1 + n % 28,
                  n / 3600 % 24, n / 60 % 60, n % 60);
    return buffer;
}

std::string InsertSql(std::size_t key, Random& random) {
    return "INSERT INTO [재고] ([상품코드], [상품명], [수량], [단가], [DEL_CHK], [UP_DATE]) "
           "VALUES ('" +
           Key(key) + "', '" + kProductNames[random.Below(kProductNames.size())] + " " +
           std::to_string(key % 97) + "', " + std::to_string(random.Below(500)) + ", " +
           std::to_string(100 * (1 + random.Below(300))) + ", 0, " + Stamp(key) + ")";
}

std::string UpdateSql(std::size_t key, std::size_t step, Random& random) {
    return "UPDATE [재고] SET [수량] = [수량] + " + std::to_string(1 + random.Below(9)) +
           ", [UP_DATE] = " + Stamp(step) + " WHERE [상품코드] = '" + Key(key) + "'";
}

std::string SelectSql(std::size_t key) {
    return "SELECT [상품코드], [상품명], [수량], [단가] FROM [재고] WHERE [상품코드] = '" +
           Key(key) + "' AND [DEL_CHK] = 0";
}

std::string DeleteSql(std::size_t key) {
    return "DELETE FROM [재고] WHERE [상품코드] = '" + Key(key) + "'";
}

}  // namespace

std::string TableSql() {
    return "CREATE TABLE [재고] ([상품코드] TEXT(20) NOT NULL, [상품명] TEXT(50), [수량] INT, "
           "[단가] CURRENCY, [DEL_CHK] SMALLINT, [UP_DATE] DATETIME, "
           "CONSTRAINT [PK_재고] PRIMARY KEY ([상품코드]))";
}

std::vector<std::string> SeedSql(std::size_t count) {
    Random random(1);
    std::vector<std::string> texts;
    texts.reserve(count);
    for (std::size_t key = 0; key < count; ++key) texts.push_back(InsertSql(key, random));
    return texts;
}

std::vector<std::string> MakeTrace(std::size_t count, std::size_t seededRows, std::uint64_t seed,
                                   const TraceMix& mix) {
    Random random(seed);
    std::vector<std::size_t> live;
    for (std::size_t key = 0; key < seededRows; ++key) live.push_back(key);
    std::size_t nextKey = seededRows;
    std::vector<std::string> texts;
    texts.reserve(count);
    for (std::size_t step = 0; step < count; ++step) {
        const int pick = static_cast<int>(random.Below(100));
        if (pick < mix.insertPercent || live.empty()) {
            live.push_back(nextKey);
            texts.push_back(InsertSql(nextKey++, random));
        } else if (pick < mix.insertPercent + mix.updatePercent) {
            texts.push_back(UpdateSql(live[random.Below(live.size())], step, random));
        } else if (pick < mix.insertPercent + mix.updatePercent + mix.selectPercent) {
            // One probe in ten asks for a key that is not (or no longer) there.
            const bool miss = random.Below(10) == 0;
            texts.push_back(
                SelectSql(miss ? nextKey + random.Below(1000) : live[random.Below(live.size())]));
        } else {
            const std::size_t at = random.Below(live.size());
            texts.push_back(DeleteSql(live[at]));
            live[at] = live.back();
            live.pop_back();
        }
    }
    return texts;
}

}  // namespace bench
