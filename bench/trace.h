#pragma once
// The statement trace of the engine benchmark: a store-like stock table with Korean column
// names, and a deterministic mix of inserts, keyed updates, probes by key and a few deletes,
// written in Jet SQL as the patch catalogue and the repairs write theirs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// CREATE TABLE of the benchmark table.
std::string TableSql();

// Inserts of the rows that the table holds before the trace starts (keys 0 to count - 1).
std::vector<std::string> SeedSql(std::size_t count);

struct TraceMix {
    int insertPercent = 35;
    int updatePercent = 30;
    int selectPercent = 30;  // the rest are deletes
};

// `count` statements over the seeded table; the same seed gives the same texts.
std::vector<std::string> MakeTrace(std::size_t count, std::size_t seededRows, std::uint64_t seed,
                                   const TraceMix& mix = {});

}  // namespace bench
