// datapatch demo: builds a store PC under the root, with a store database of an old layout, so
// that `datapatch run` has something to patch.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "commands.h"
#include "console.h"
#include "demo/demo_environment.h"
#include "host/host.h"

namespace cli {

CLI::App* AddDemoCommand(CLI::App& app, DemoOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "demo", "Build a demo store (old layout) under the root; --root is created when missing");
    cmd->add_option("--kind", options.kind,
                    "Kind of the store database: mdb (an MDB file) or sql (an embedded SQL "
                    "Server)")
        ->check(CLI::IsMember({"mdb", "sql"}));
    return cmd;
}

Outcome DemoCommand(const GlobalOptions& global, const DemoOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global, true);
    if (!host) return Outcome::Usage;
    const demo::StoreKind kind =
        options.kind == "sql" ? demo::StoreKind::SqlServer : demo::StoreKind::Mdb;
    const std::vector<std::string> built = demo::BuildDemo(*host, kind);
    std::cout << "demo store (" << options.kind << ") under " << host->Root().string() << ":\n";
    for (const std::string& line : built) std::cout << "  " << line << "\n";
    std::cout << "next: datapatch --root " << host->Root().string() << " run\n";
    return Outcome::Success;
}

}  // namespace cli
