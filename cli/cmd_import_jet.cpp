// datapatch import-jet: moves a store's real Jet or ACE file into the embedded engine, once and
// one way. The new store is written under a temporary name beside the target, read again and
// compared with the Jet file table by table, and only then put in the target's place (an existing
// target is kept unless --force, and then copied aside first). The Jet file is only read.
#include <CLI/CLI.hpp>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <system_error>

#include "app/run_report.h"
#include "commands.h"
#include "config/norv_conn.h"
#include "config/runtime.h"
#include "console.h"
#include "db/embedded/file_copy.h"
#include "db/error.h"
#include "db/jet_import/jet_header.h"
#include "db/jet_import/jet_import.h"
#include "host/host.h"
#include "host/regional.h"
#include "util/vb_text.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string LocalStamp() {
    return host::LocalTimeText(std::chrono::system_clock::now(), "%Y%m%d-%H%M%S");
}

bool IsWindowsPath(const std::string& path) {
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// A Windows path ("C:\Quillon\Data\DatMain.mdb") is the file under the root; any other path
// names the file itself.
fs::path Resolve(const host::Host* host, const std::string& path) {
    if (host != nullptr) {
        if (const auto native = host->Native(path)) return *native;
    }
    return fs::path(path);
}

// The store database the root's configuration names, when it is an MDB file.
std::optional<fs::path> ConfiguredStore(host::Host& host, std::string& why) {
    const std::string ini = host.ProgramFolder() + "\\NVConfig.INI";
    const auto iniPath = host.Native(ini);
    std::error_code ec;
    if (!iniPath || !fs::exists(*iniPath, ec)) {
        why = "no store is configured under the root " + host.Root().string() + " (" +
              (iniPath ? iniPath->string() : ini) + " does not exist)";
        return std::nullopt;
    }
    host::ConsoleDesktop desktop(host::ConsoleDesktop::Options{}, std::cin, std::cerr, std::cerr,
                                 false);
    config::Runtime rt(host, desktop, config::Access::ReadOnly);
    config::NorvConn& config = rt.Config();
    db::ConnectionRef none;
    config.ActionConFigLoad_Basic(config, none, true);
    if (config.데이터_종류 != 0) {
        why = "the root's store is a SQL Server database, not an MDB file";
        return std::nullopt;
    }
    const std::string path = util::Trim(config.데이터_MDBPath);
    const auto native = host.Native(path);
    if (!native) {
        why = "the configured store database " + path + " is not under the root";
        return std::nullopt;
    }
    return *native;
}

// The status line at a terminal: the table, its rows done of its total and the rate.
class ImportStatus {
  public:
    ImportStatus(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}
    ~ImportStatus() { Clear(); }

    void Show(const std::string& table, std::int64_t done, std::int64_t total) {
        if (!terminal_) return;
        const auto now = Clock::now();
        if (table != table_) {
            table_ = table;
            since_ = now;
        } else if (done < total && now - drawn_ < kRedrawInterval) {
            return;
        }
        drawn_ = now;
        std::string line =
            "import " + table + "  " + std::to_string(done) + "/" + std::to_string(total);
        const double seconds = std::chrono::duration<double>(now - since_).count();
        if (seconds >= 1.0) {
            line += "  " + std::to_string(static_cast<long long>(done / seconds)) + "/s";
        }
        out_ << "\r\033[K" << line << std::flush;
        shown_ = true;
    }
    void Clear() {
        if (!shown_) return;
        out_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

  private:
    std::ostream& out_;
    bool terminal_;
    bool shown_ = false;
    std::string table_;
    Clock::time_point since_{};
    Clock::time_point drawn_{};
};

double RowsPerSecond(const db::jet::ImportResult& r) {
    return r.copySeconds > 0 ? static_cast<double>(r.rows) / r.copySeconds : 0;
}

std::string ReportText(const fs::path& source, const fs::path& target,
                       const db::jet::ImportResult& r) {
    std::ostringstream out;
    out << "source  " << source.string() << "  " << db::jet::KindName(r.kind);
    if (r.kind == db::jet::JetKind::Jet3) out << ", code page " << r.codePage;
    out << "\ntarget  " << target.string() << "\n";
    out << "table  rows  source checksum  store checksum  result\n";
    for (const db::jet::TableCheck& t : r.tables) {
        out << "  " << t.name << "  " << t.sourceRows;
        if (t.targetRows != t.sourceRows) out << " (store " << t.targetRows << ")";
        out << "  " << db::jet::ChecksumText(t.sourceSum) << "  "
            << db::jet::ChecksumText(t.targetSum) << "  " << (t.Same() ? "same" : "DIFFERENT")
            << "\n";
    }
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.3f s copy, %.3f s verification, %.0f rows/s", r.copySeconds,
                  r.verifySeconds, RowsPerSecond(r));
    out << r.rows << " rows in " << r.tables.size() << " tables; " << rate << "\n";
    out << (r.Verified() ? "verified: every table is the same on both sides"
                         : "verification FAILED: the store was not put in place")
        << "\n";
    return out.str();
}

std::string ReportJson(const fs::path& source, const fs::path& target,
                       const db::jet::ImportResult& r, const std::string& backup,
                       const std::string& log, const std::string& error) {
    using app::JsonQuoted;
    std::string json = "{\n  \"source\": " + JsonQuoted(source.string()) +
                       ",\n  \"kind\": " + JsonQuoted(db::jet::KindName(r.kind)) +
                       ",\n  \"codePage\": " + std::to_string(r.codePage) +
                       ",\n  \"target\": " + JsonQuoted(target.string()) + ",\n  \"tables\": [";
    for (std::size_t i = 0; i < r.tables.size(); ++i) {
        const db::jet::TableCheck& t = r.tables[i];
        json += std::string(i ? "," : "") + "\n    {\"name\": " + JsonQuoted(t.name) +
                ", \"sourceRows\": " + std::to_string(t.sourceRows) +
                ", \"storeRows\": " + std::to_string(t.targetRows) + ", \"sourceChecksum\": \"" +
                db::jet::ChecksumText(t.sourceSum) + "\", \"storeChecksum\": \"" +
                db::jet::ChecksumText(t.targetSum) +
                "\", \"same\": " + (t.Same() ? "true" : "false") + "}";
    }
    char numbers[160];
    std::snprintf(numbers, sizeof numbers,
                  "\"rows\": %lld,\n  \"copySeconds\": %.3f,\n  \"verifySeconds\": %.3f,\n  "
                  "\"rowsPerSecond\": %.0f",
                  static_cast<long long>(r.rows), r.copySeconds, r.verifySeconds, RowsPerSecond(r));
    json += std::string(r.tables.empty() ? "" : "\n  ") + "],\n  " + numbers;
    json += ",\n  \"verified\": " + std::string(r.Verified() && error.empty() ? "true" : "false");
    json += ",\n  \"backup\": " + JsonQuoted(backup) + ",\n  \"log\": " + JsonQuoted(log);
    json += ",\n  \"error\": " + JsonQuoted(error) + "\n}\n";
    return json;
}

// Copies the existing target aside: a store of the engine as one committed state, any other file
// (the Jet file itself, when the store is imported in its own place) byte for byte.
fs::path BackUp(const fs::path& target) {
    const fs::path backup = target.parent_path() / (target.stem().string() + ".before-import-" +
                                                    LocalStamp() + target.extension().string());
    if (db::jet::KindOfFile(target) != db::jet::JetKind::None) {
        fs::copy_file(target, backup);
    } else {
        db::embedded::CopyDatabaseFile(target, backup);
    }
    return backup;
}

}  // namespace

CLI::App* AddImportJetCommand(CLI::App& app, ImportJetOptions& options) {
    CLI::App* cmd = app.add_subcommand(
        "import-jet",
        "Move a store's real Jet or ACE file (Access 97, 2000-2003, 2007 and later) into the "
        "embedded engine, verified table by table; the Jet file is only read");
    cmd->add_option("source", options.source,
                    "The Jet or ACE file (a Windows path under the "
                    "root, or a plain file path)")
        ->required();
    cmd->add_option("--into", options.into,
                    "The store to write; default: the root's configured store database");
    cmd->add_flag("--force", options.force,
                  "Replace an existing target (it is copied aside first)");
    cmd->add_flag("--json", options.json, "Print the report as JSON on standard output");
    return cmd;
}

Outcome ImportJetCommand(const GlobalOptions& global, const ImportJetOptions& options) {
    // The root is needed for the configured store and for Windows paths only: a file moved in
    // by plain paths needs no store set up yet.
    std::unique_ptr<host::Host> host;
    if (options.into.empty() || IsWindowsPath(options.into) || IsWindowsPath(options.source)) {
        host = OpenHost(global);
        if (!host) return Outcome::Usage;
    }
    std::ostream& human = options.json ? std::cerr : std::cout;
    const fs::path source = Resolve(host.get(), options.source);
    fs::path target;
    if (!options.into.empty()) {
        target = Resolve(host.get(), options.into);
    } else {
        std::string why;
        const std::optional<fs::path> configured = ConfiguredStore(*host, why);
        if (!configured) {
            std::cerr << "datapatch: " << why << "; name the store to write with --into PATH\n";
            return Outcome::Usage;
        }
        target = *configured;
    }
    const db::jet::JetKind kind = db::jet::KindOfFile(source);
    if (kind == db::jet::JetKind::None) {
        std::error_code ec;
        std::cerr << "datapatch: " << source.string()
                  << (fs::exists(source, ec) ? " is no Jet or ACE database file"
                                             : " does not exist")
                  << "\n";
        return Outcome::Usage;
    }
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        std::cerr << "datapatch: " << target.string()
                  << " is a folder; nothing was imported. Name the store file itself (for example "
                  << (target / source.filename()).string() << ")\n";
        return Outcome::Usage;
    }
    const bool replacing = fs::exists(target, ec);
    if (replacing && !options.force) {
        std::cerr << "datapatch: " << target.string()
                  << " exists; nothing was imported. Give --force to replace it (it is copied "
                     "aside first)\n";
        return Outcome::Usage;
    }
    const fs::path temporary =
        target.parent_path() / ("." + target.filename().string() + ".importing");
    db::embedded::RemoveWithJournals(temporary);

    db::jet::ImportResult result;
    std::string error;
    {
        ImportStatus status(human, IsTerminal(human));
        try {
            result = db::jet::ImportJetFile(
                source, temporary,
                [&](const std::string& table, std::int64_t done, std::int64_t total) {
                    status.Show(table, done, total);
                });
        } catch (const db::DbError& e) {
            error = db::HexNumber(e.Number()) + " " + e.Description();
        } catch (const std::exception& e) {
            error = e.what();
        }
    }
    std::string backup;
    if (error.empty() && result.Verified()) {
        try {
            // The rename replaces the former store at once: it stays in place should the
            // rename fail. Its journals would be read into the new file.
            if (replacing) {
                backup = BackUp(target).string();
                db::embedded::RemoveJournals(target);
            }
            fs::rename(temporary, target);
        } catch (const std::exception& e) {
            error = std::string("the verified store could not be put in place: ") + e.what();
        }
    }
    db::embedded::RemoveWithJournals(temporary);

    std::string text = error.empty() ? ReportText(source, target, result) : "";
    if (!backup.empty()) text += "the former " + target.string() + " is kept as " + backup + "\n";
    if (!error.empty()) text += "import failed: " + error + "\n";
    const fs::path log =
        target.parent_path() / (target.stem().string() + ".import-" + LocalStamp() + ".log");
    std::string logText = text;
    std::ofstream(log, std::ios::binary | std::ios::app) << logText;
    if (!error.empty()) {
        std::cerr << "datapatch: import of " << source.string() << " failed: " << error << "\n";
    } else {
        human << text;
    }
    human << "log: " << log.string() << "\n";
    if (options.json) {
        std::cout << ReportJson(source, target, result, backup, log.string(), error);
    }
    if (!error.empty() || !result.Verified()) return Outcome::PassFailed;
    return Outcome::Success;
}

}  // namespace cli
