// datapatch-bench-engine: replays a deterministic trace of store statements through the embedded
// engine and through SQLite itself on a copy of the same database, and reports both times.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>

#include "replay.h"
#include "trace.h"
#include "work_folder.h"

namespace {

namespace fs = std::filesystem;

struct BenchOptions {
    std::size_t statements = 100000;
    std::size_t seededRows = 20000;
    std::uint64_t seed = 20201221;
    std::string out = "bench/results/engine.json";
    std::string work;  // empty: a new folder under the temporary folder
    int rounds = 3;
    double goal = 1.3;
};

// A fresh copy of the base database (the base has been checkpointed: no log beside it).
fs::path FreshCopy(const fs::path& base, const fs::path& target) {
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(target.string() + suffix);
    fs::copy_file(base, target);
    return target;
}

// The best (least) times of the rounds of one side.
struct Best {
    double seconds = 0;
    double cpuSeconds = 0;
    std::int64_t rowsRead = 0;
    void Add(const bench::ReplayResult& r, bool first) {
        seconds = first ? r.seconds : std::min(seconds, r.seconds);
        cpuSeconds = first ? r.cpuSeconds : std::min(cpuSeconds, r.cpuSeconds);
        rowsRead = r.rowsRead;
    }
};

struct Outcome {
    Best engine;
    Best sqlite;
    double Ratio() const { return engine.seconds / sqlite.seconds; }
    double CpuRatio() const { return engine.cpuSeconds / sqlite.cpuSeconds; }
};

void WriteJson(const BenchOptions& options, const Outcome& o) {
    const fs::path out(options.out);
    if (out.has_parent_path()) fs::create_directories(out.parent_path());
    std::ofstream json(out);
    json << std::fixed << std::setprecision(4) << "{\n"
         << "  \"statements\": " << options.statements << ",\n"
         << "  \"seeded_rows\": " << options.seededRows << ",\n"
         << "  \"seed\": " << options.seed << ",\n"
         << "  \"rounds\": " << options.rounds << ",\n"
         << "  \"engine_seconds\": " << o.engine.seconds << ",\n"
         << "  \"sqlite_seconds\": " << o.sqlite.seconds << ",\n"
         << "  \"ratio\": " << o.Ratio() << ",\n"
         << "  \"engine_cpu_seconds\": " << o.engine.cpuSeconds << ",\n"
         << "  \"sqlite_cpu_seconds\": " << o.sqlite.cpuSeconds << ",\n"
         << "  \"cpu_ratio\": " << o.CpuRatio() << ",\n"
         << "  \"goal_ratio\": " << options.goal << ",\n"
         << "  \"within_goal\": " << (o.CpuRatio() <= options.goal ? "true" : "false") << ",\n"
         << "  \"rows_read\": " << o.engine.rowsRead << "\n"
         << "}\n";
    if (!json) throw std::runtime_error("cannot write " + out.string());
}

// Both replays on fresh copies of the base, noted in outcome; false when they leave different
// tables behind.
bool RunRound(const fs::path& work, const std::vector<std::string>& trace,
              const std::vector<std::string>& translated, Outcome& outcome, int round) {
    const fs::path base = work / "base.mdb";
    const fs::path engineFile = FreshCopy(base, work / "engine.mdb");
    const fs::path sqliteFile = FreshCopy(base, work / "sqlite.mdb");
    bench::ReplayResult engine;
    bench::ReplayResult sqlite;
    // Alternate which side runs first, so that neither always meets a warmer cache.
    if (round % 2 == 0) {
        engine = bench::ReplayEngine(engineFile, trace);
        sqlite = bench::ReplaySqlite(sqliteFile, translated);
    } else {
        sqlite = bench::ReplaySqlite(sqliteFile, translated);
        engine = bench::ReplayEngine(engineFile, trace);
    }
    const std::string engineState = bench::Fingerprint(engineFile);
    const std::string sqliteState = bench::Fingerprint(sqliteFile);
    if (engineState != sqliteState || engine.rowsRead != sqlite.rowsRead) {
        std::cerr << "the two replays disagree: engine " << engineState << " (" << engine.rowsRead
                  << " rows read), sqlite " << sqliteState << " (" << sqlite.rowsRead << ")\n";
        return false;
    }
    std::cout << std::fixed << std::setprecision(3) << "round: engine " << engine.seconds
              << " s (cpu " << engine.cpuSeconds << "), sqlite " << sqlite.seconds << " s (cpu "
              << sqlite.cpuSeconds << ")\n";
    outcome.engine.Add(engine, round == 0);
    outcome.sqlite.Add(sqlite, round == 0);
    return true;
}

int Run(const BenchOptions& options) {
    const fs::path work = bench::MakeWorkFolder(options.work, false);
    const std::vector<std::string> trace =
        bench::MakeTrace(options.statements, options.seededRows, options.seed);
    const std::vector<std::string> translated = bench::TranslateTrace(trace);
    const fs::path base = work / "base.mdb";
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(base.string() + suffix);
    bench::BuildDatabase(base, bench::TableSql(), bench::SeedSql(options.seededRows));

    Outcome outcome;
    for (int round = 0; round < options.rounds; ++round) {
        if (!RunRound(work, trace, translated, outcome, round)) return 1;
    }
    std::cout << std::fixed << std::setprecision(3) << options.statements << " statements, best of "
              << options.rounds << " rounds\n"
              << "engine: " << outcome.engine.seconds << " s (cpu " << outcome.engine.cpuSeconds
              << " s)\n"
              << "sqlite: " << outcome.sqlite.seconds << " s (cpu " << outcome.sqlite.cpuSeconds
              << " s)\n"
              << "ratio:  " << outcome.Ratio() << " wall, " << outcome.CpuRatio() << " cpu (goal "
              << options.goal << ", on cpu time)\n";
    WriteJson(options, outcome);
    std::cout << "written: " << options.out << "\n";
    return outcome.CpuRatio() <= options.goal ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    CLI::App app{"Replays a store statement trace through the embedded engine and through SQLite.",
                 "datapatch-bench-engine"};
    app.add_option("--statements", options.statements, "Statements in the trace");
    app.add_option("--seeded-rows", options.seededRows, "Rows in the table before the trace");
    app.add_option("--seed", options.seed, "Seed of the trace");
    app.add_option("--out", options.out, "JSON result file");
    app.add_option("--work", options.work, "Folder for the database files");
    app.add_option("--rounds", options.rounds, "Rounds; the best time of each side counts")
        ->check(CLI::PositiveNumber);
    CLI11_PARSE(app, argc, argv);
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::cerr << "datapatch-bench-engine: " << e.what() << "\n";
        return 1;
    }
}
