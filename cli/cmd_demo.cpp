// datapatch demo: builds a store PC under the root, with a store database of an old layout, so
// that `datapatch run` has something to patch.
#include <CLI/CLI.hpp>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

#include "commands.h"
#include "console.h"
#include "demo/demo_environment.h"
#include "demo/demo_record.h"
#include "demo/hostile_values.h"
#include "demo/large_store.h"
#include "host/host.h"
#include "host/instance_lock.h"

namespace cli {

CLI::App* AddDemoCommand(CLI::App& app, DemoOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "demo",
        "Build a demo store (old layout) under the root; --root is created when missing. A root "
        "that holds anything but an untouched demo is refused without --force");
    cmd->add_option("--kind", options.kind,
                    "Kind of the store database: mdb (an MDB file) or sql (an embedded SQL "
                    "Server)")
        ->check(CLI::IsMember({"mdb", "sql"}));
    cmd->add_option("--size", options.size,
                    "Size of the store: small (the default), large (about 100,000 products, "
                    "500,000 voucher lines) or N, N/100 of large (1..1000)")
        ->check(CLI::IsMember({"small", "large"}) | CLI::Range(1, 1000));
    cmd->add_option("--seed", options.seed, "Seed of the generated rows (same seed, same store)");
    cmd->add_flag("--force", options.force,
                  "Build the demo even where the root holds a store that is not an untouched "
                  "demo (a patched one, or one the demo did not make); its files are replaced");
    cmd->add_flag("--hostile", options.hostile,
                  "Put hostile texts (apostrophes, brackets, % and _, NUL characters, texts as "
                  "long as the column holds, characters outside code page 949, blanks around) "
                  "into every text column the patch steps and repairs read");
    return cmd;
}

namespace {

// The demo's files that are there now: what building it replaces.
std::vector<std::filesystem::path> ExistingDemoFiles(const host::Host& host, demo::StoreKind kind) {
    std::vector<std::filesystem::path> existing;
    for (const std::filesystem::path& file : demo::DemoFiles(host, kind)) {
        std::error_code ec;
        if (!file.empty() && std::filesystem::exists(file, ec)) existing.push_back(file);
    }
    return existing;
}

}  // namespace

Outcome DemoCommand(const GlobalOptions& global, const DemoOptions& options) {
    std::unique_ptr<host::Host> host = OpenHost(global, true);
    if (!host) return Outcome::Usage;
    const demo::StoreKind kind =
        options.kind == "sql" ? demo::StoreKind::SqlServer : demo::StoreKind::Mdb;
    const std::filesystem::path& root = host->Root();

    // The lock a run holds: the demo never replaces a store while a run works on it.
    host::SingleInstanceLock lock(root);
    if (!lock.TryAcquire()) {
        std::cerr << "datapatch: "
                  << (lock.LastError().empty()
                          ? "another datapatch is running on " + root.string() + " (lock " +
                                lock.File().string() + "); the demo is not built"
                          : lock.LastError())
                  << "\n";
        return Outcome::StartupEnded;
    }
    const std::vector<std::filesystem::path> replaced = ExistingDemoFiles(*host, kind);
    if (const demo::RootCheck check = demo::CheckDemoRoot(root); !check.replaceable) {
        if (!options.force) {
            std::cerr << "datapatch: " << root.string()
                      << " holds a store that is not an untouched demo: " << check.reason << "\n";
            if (!replaced.empty()) std::cerr << "the demo would replace:\n";
            for (const auto& file : replaced) std::cerr << "  " << file.string() << "\n";
            std::cerr << "nothing was changed; give --force to build the demo anyway\n";
            return Outcome::Usage;
        }
    }
    for (const auto& file : replaced) std::cout << "replacing " << file.string() << "\n";

    demo::DemoScale scale;
    scale.size = options.size == "small"   ? 0
                 : options.size == "large" ? demo::kLargeSize
                                           : std::stoi(options.size);
    scale.seed = options.seed;
    const auto started = std::chrono::steady_clock::now();
    // A root that holds nothing but the lock is one the demo begins.
    std::error_code ec;
    bool newRoot = true;
    for (std::filesystem::directory_iterator it(root, ec), end; !ec && it != end;
         it.increment(ec)) {
        newRoot = newRoot && it->path() == lock.File();
    }
    // Until it is complete, what is under the root is no untouched demo.
    demo::RemoveDemoRecord(root);
    std::vector<std::string> built;
    try {
        built = demo::BuildDemo(*host, kind, scale);
        if (options.hostile) {
            for (std::string& line : demo::SeedHostileDemo(*host, kind)) built.push_back(line);
        }
    } catch (const std::exception& e) {
        // A full disk, as a rule. A root the demo began is taken away again; in one that held
        // files before, the unfinished demo stays for the next demo with --force to replace.
        std::cerr << "datapatch: the demo could not be built under " << root.string() << ": "
                  << e.what() << "\n";
        if (newRoot) {
            lock.Release();
            for (std::filesystem::directory_iterator it(root, ec), end; !ec && it != end;
                 it.increment(ec)) {
                std::filesystem::remove_all(it->path(), ec);
            }
            std::cerr << "what it had written is removed again\n";
        } else {
            std::cerr << "what it had written stays as an unfinished demo; free some space and "
                         "run the demo again with --force\n";
        }
        return Outcome::PassFailed;
    }
    if (!demo::WriteDemoRecord(root)) {
        std::cerr << "datapatch: the demo's record " << (root / demo::kDemoRecordName).string()
                  << " cannot be written; the next demo here needs --force\n";
    }
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cout << "demo store (" << options.kind << ", " << options.size << ") under "
              << root.string() << ":\n";
    for (const std::string& line : built) std::cout << "  " << line << "\n";
    if (scale.size > 0) std::cout << "built in " << seconds << " s\n";
    std::cout << "next: datapatch --root " << root.string() << " run\n";
    return Outcome::Success;
}

}  // namespace cli
