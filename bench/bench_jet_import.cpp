// The import of a real Jet file into the embedded engine, timed in-process: reading with libmdb,
// making the tables through Jet mode, the rows in one transaction, and the verification that
// reads both sides again. Each round writes a fresh store; the best and the median round are
// printed with their rows per second (rows over the copy's seconds, and over the whole import).
//
//   datapatch-bench-jet-import [JET FILE] [ROUNDS]   (default tests/data/jet/store-sample-jet4.mdb,
//   15)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "db/error.h"
#include "db/jet_import/jet_import.h"
#include "work_folder.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const fs::path source = argc > 1 ? fs::path(argv[1]) : fs::path(DATAPATCH_JET_SAMPLE);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const fs::path folder = bench::MakeWorkFolder("", false);
    std::vector<double> copy;
    std::vector<double> whole;
    std::int64_t rows = 0;
    for (int round = 0; round < rounds; ++round) {
        const fs::path store = folder / ("store" + std::to_string(round) + ".mdb");
        try {
            const db::jet::ImportResult r = db::jet::ImportJetFile(source, store);
            if (!r.Verified()) {
                std::fprintf(stderr, "round %d: the verification found a difference\n", round);
                return 1;
            }
            rows = r.rows;
            copy.push_back(r.copySeconds);
            whole.push_back(r.copySeconds + r.verifySeconds);
        } catch (const db::DbError& e) {
            std::fprintf(stderr, "round %d: %s\n", round, e.what());
            return 1;
        }
        fs::remove(store);
    }
    fs::remove_all(folder);
    std::sort(copy.begin(), copy.end());
    std::sort(whole.begin(), whole.end());
    const auto rate = [&](double seconds) { return seconds > 0 ? rows / seconds : 0.0; };
    const double copyMedian = copy[copy.size() / 2];
    const double wholeMedian = whole[whole.size() / 2];
    std::printf("%s: %lld rows, %d rounds\n", source.string().c_str(), static_cast<long long>(rows),
                rounds);
    std::printf("copy   best %.4f s (%.0f rows/s)  median %.4f s (%.0f rows/s)\n", copy.front(),
                rate(copy.front()), copyMedian, rate(copyMedian));
    std::printf(
        "import best %.4f s (%.0f rows/s)  median %.4f s (%.0f rows/s)  (with verification)\n",
        whole.front(), rate(whole.front()), wholeMedian, rate(wholeMedian));
    return rate(copyMedian) >= 50000 ? 0 : 2;
}
