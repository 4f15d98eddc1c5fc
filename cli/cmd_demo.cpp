// datapatch demo: builds a store PC under the root, with a store database of an old layout, so
// that `datapatch run` has something to patch.
#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
#include <memory>

#include "commands.h"
#include "console.h"
#include "demo/demo_environment.h"
#include "demo/hostile_values.h"
#include "demo/large_store.h"
#include "host/host.h"

namespace cli {

CLI::App* AddDemoCommand(CLI::App& app, DemoOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "demo", "Build a demo store (old layout) under the root; --root is created when missing");
    cmd->add_option("--kind", options.kind,
                    "Kind of the store database: mdb (an MDB file) or sql (an embedded SQL "
                    "Server)")
        ->check(CLI::IsMember({"mdb", "sql"}));
    cmd->add_option("--size", options.size,
                    "Size of the store: small (the default), large (about 100,000 products, "
                    "500,000 voucher lines) or N, N/100 of large (1..1000)")
        ->check(CLI::IsMember({"small", "large"}) | CLI::Range(1, 1000));
    cmd->add_option("--seed", options.seed, "Seed of the generated rows (same seed, same store)");
    cmd->add_flag("--hostile", options.hostile,
                  "Put hostile texts (apostrophes, brackets, % and _, NUL characters, texts as "
                  "long as the column holds, characters outside code page 949, blanks around) "
                  "into every text column the patch steps and repairs read");
    return cmd;
}

Outcome DemoCommand(const GlobalOptions& global, const DemoOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global, true);
    if (!host) return Outcome::Usage;
    const demo::StoreKind kind =
        options.kind == "sql" ? demo::StoreKind::SqlServer : demo::StoreKind::Mdb;
    demo::DemoScale scale;
    scale.size = options.size == "small"   ? 0
                 : options.size == "large" ? demo::kLargeSize
                                           : std::stoi(options.size);
    scale.seed = options.seed;
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::string> built = demo::BuildDemo(*host, kind, scale);
    if (options.hostile) {
        for (std::string& line : demo::SeedHostileDemo(*host, kind)) built.push_back(line);
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "demo store (" << options.kind << ", " << options.size << ") under "
              << host->Root().string() << ":\n";
    for (const std::string& line : built) std::cout << "  " << line << "\n";
    if (scale.size > 0) std::cout << "built in " << seconds << " s\n";
    std::cout << "next: datapatch --root " << host->Root().string() << " run\n";
    return Outcome::Success;
}

}  // namespace cli
