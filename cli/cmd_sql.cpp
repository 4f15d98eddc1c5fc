#include "cmd_sql.h"

#include <unistd.h>
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "config/norv_conn.h"
#include "config/runtime.h"
#include "db/embedded/embedded.h"
#include "db/go_batches.h"
#include "db/kro_ado.h"
#include "exit_codes.h"
#include "host/ascii_text.h"
#include "host/desktop.h"
#include "host/host.h"
#include "util/byte_text.h"
#include "util/vb_text.h"

namespace cli {
namespace {

// The store software's MDB database password.
constexpr const char* kMdbPassword = "kelp2093";
constexpr int kCommandTimeoutSeconds = 600;

// What a value looks like in the table; Null is shown as such, never as an empty cell.
std::string CellText(const util::Variant& value) {
    return value.IsNull() ? std::string("NULL") : value.AsText();
}

// Screen columns of a text: Korean characters take two, as their CP949 bytes do.
int Width(const std::string& text) {
    return util::ByteLength(text);
}

void PrintRow(std::ostream& out, const std::vector<std::string>& cells,
              const std::vector<int>& widths) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += "  ";
        line += cells[i];
        if (i + 1 < cells.size()) line.append(widths[i] - Width(cells[i]), ' ');
    }
    out << line << "\n";
}

// Prints the rows of a result as a table: names, a rule, then the rows; returns the row count.
std::int64_t PrintTable(std::ostream& out, db::RowCursor& rows) {
    std::vector<std::string> names;
    for (const db::FieldDesc& field : rows.Fields()) names.push_back(field.name);
    std::vector<int> widths;
    for (const std::string& name : names) widths.push_back(Width(name));
    std::vector<std::vector<std::string>> table;
    std::vector<util::Variant> row;
    while (rows.Next(row)) {
        std::vector<std::string> cells;
        for (std::size_t i = 0; i < row.size() && i < names.size(); ++i) {
            cells.push_back(CellText(row[i]));
            widths[i] = std::max(widths[i], Width(cells.back()));
        }
        cells.resize(names.size());
        table.push_back(std::move(cells));
    }
    PrintRow(out, names, widths);
    std::vector<std::string> rules;
    for (int width : widths) rules.emplace_back(width, '-');
    PrintRow(out, rules, widths);
    for (const std::vector<std::string>& cells : table) PrintRow(out, cells, widths);
    return static_cast<std::int64_t>(table.size());
}

void PrintError(std::ostream& out, std::int32_t number, const std::string& description) {
    out << "Error " << db::HexNumber(number) << ": " << description << "\n";
}

// Runs one text and prints its result (an error to `err`); false when it failed.
bool RunText(db::Session& session, const std::string& text, std::ostream& out, std::ostream& err) {
    try {
        db::ExecOutcome outcome = session.Execute(text, kCommandTimeoutSeconds);
        if (outcome.rows) {
            const std::int64_t count = PrintTable(out, *outcome.rows);
            out << "\n(" << count << " rows affected)\n";
        } else {
            out << "(" << std::max<std::int64_t>(outcome.affected, 0) << " rows affected)\n";
        }
        return true;
    } catch (const db::DbError& e) {
        out.flush();
        PrintError(err, e.Number(), e.Description());
        return false;
    }
}

// The database the texts run on: a connection opened through Kro_Ado, or a plain MDB file
// opened by the embedded engine itself.
class Target {
  public:
    explicit Target(config::Runtime& rt) : rt_(rt) {}

    // False after printing why the database could not be opened.
    bool Open(const SqlOptions& options, std::ostream& out) {
        try {
            if (!options.mdb.empty()) return OpenMdb(options, out);
            if (!options.server.empty()) {
                return Connected(ado_.DBConnection_SQL(cn_, options.server, options.database,
                                                       options.user, options.password),
                                 out);
            }
            return OpenConfigured(out);
        } catch (const db::DbError& e) {
            PrintError(out, e.Number(), e.Description());
            return false;
        }
    }

    db::Session& Session() { return direct_ ? *direct_ : cn_->Engine(); }

  private:
    bool Connected(bool open, std::ostream& out) {
        if (!open) PrintError(out, static_cast<std::int32_t>(ado_.ErrNo.AsInt()), ado_.ErrDes);
        return open;
    }

    // A Windows path goes through the connection set-up's route (mapped under the root); any
    // other path names the file itself.
    bool OpenMdb(const SqlOptions& options, std::ostream& out) {
        const std::string password = options.password.empty() ? kMdbPassword : options.password;
        if (rt_.Host().Native(options.mdb)) {
            return Connected(ado_.DBConnection_MDB(cn_, options.mdb, password, 0), out);
        }
        db::embedded::OpenOptions open;
        open.dialect = db::Dialect::Jet;
        open.jetPassword = password;
        direct_ = db::embedded::Open(options.mdb, open);
        return true;
    }

    // The store database that the INI files under the root configure, opened as the
    // connection set-up opens it.
    bool OpenConfigured(std::ostream& out) {
        config::NorvConn& config = rt_.Config();
        config.ActionConFigLoad_Basic(config, cn_, true);
        if (config.데이터_종류 == 0) {
            return Connected(ado_.DBConnection_MDB(cn_, util::Trim(config.데이터_MDBPath),
                                                   kMdbPassword, config.데이터_네트웍사용여부),
                             out);
        }
        if (config.데이터_종류 == 1) {
            return Connected(
                ado_.DBConnection_SQL(cn_, util::Trim(config.데이터_SQLServer),
                                      util::Trim(config.데이터_SQLDataName),
                                      util::Trim(config.데이터_SQLID),
                                      util::Trim(config.데이터_SQLPass), config.데이터_SQLConMode),
                out);
        }
        out << "Error: the configured database kind " << int{config.데이터_종류}
            << " is neither MDB (0) nor SQL Server (1)\n";
        return false;
    }

    config::Runtime& rt_;
    db::Kro_Ado ado_{rt_.Ado()};
    db::ConnectionRef cn_;
    std::unique_ptr<db::Session> direct_;
};

// The texts of `in`, separated by lines holding only GO and joined by CR LF.
std::vector<std::string> SplitBatches(std::istream& in) {
    const std::string script((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    return db::SplitGoBatches(script);
}

bool IsExitLine(std::string_view line) {
    const std::string_view word = host::Trim(line, " \t");
    return host::EqualsNoCase(word, "exit") || host::EqualsNoCase(word, "quit");
}

// At a terminal the texts are typed: a numbered prompt for each line of the batch, each GO runs
// the batch at once, errors go to standard error, and EXIT, QUIT or end of input (Ctrl-D) end
// the session. Answers as the piped form does: 0 when every batch succeeded.
bool RunInteractive(db::Session& session, std::istream& in, std::ostream& out, std::ostream& err) {
    bool allSucceeded = true;
    std::string text;
    int lineNumber = 1;
    std::string line;
    while (true) {
        out << lineNumber << "> " << std::flush;
        if (!std::getline(in, line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (IsExitLine(line)) break;
        if (db::IsGoLine(line)) {
            if (db::HasStatementText(text)) {
                allSucceeded = RunText(session, text, out, err) && allSucceeded;
                out.flush();
            }
            text.clear();
            lineNumber = 1;
            continue;
        }
        if (lineNumber > 1) text += "\r\n";
        text += line;
        ++lineNumber;
    }
    out << "\n";
    // A batch typed without its GO is not run, as at the server's own prompt.
    if (db::HasStatementText(text)) err << "(the last batch had no GO and was not run)\n";
    return allSucceeded;
}

bool ReadsTerminal(const std::string& input) {
    return (input.empty() || input == "-") && isatty(STDIN_FILENO) == 1;
}

// The statement texts of the input file, or of standard input for "" and "-".
std::optional<std::vector<std::string>> ReadTexts(const std::string& input) {
    if (input.empty() || input == "-") return SplitBatches(std::cin);
    std::ifstream file(input, std::ios::binary);
    if (!file) return std::nullopt;
    return SplitBatches(file);
}

}  // namespace

CLI::App* AddSqlCommand(CLI::App& parent, SqlOptions& options) {
    CLI::App* sql = parent.add_subcommand(
        "sql",
        "Run statement texts on the configured store database (or the one named) and print what "
        "each gives. Texts are separated by lines holding only GO. Exit code 0 when every text "
        "succeeded, 1 when one failed or the database could not be opened. At a terminal it "
        "prompts "
        "for each line, runs each batch at its GO and ends at EXIT, QUIT or end of input.");
    sql->add_option("file", options.input, "File of statement texts; standard input when absent");
    CLI::Option* mdb =
        sql->add_option("--mdb", options.mdb,
                        "MDB file: a Windows path (C:\\...) under the root, or a plain file path");
    CLI::Option* server =
        sql->add_option("--server", options.server, "SQL Server name (login file resolves it)");
    CLI::Option* database = sql->add_option("--database", options.database, "Database name");
    sql->add_option("--user", options.user, "SQL Server user")->needs(server);
    sql->add_option("--password", options.password, "Password of the server or MDB file");
    server->needs(database)->excludes(mdb);
    database->needs(server);
    return sql;
}

int RunSqlCommand(const SqlOptions& options, const std::string& root) {
    const bool interactive = ReadsTerminal(options.input);
    std::optional<std::vector<std::string>> texts;
    if (!interactive) texts = ReadTexts(options.input);
    if (!interactive && !texts) {
        std::cerr << "Error: cannot read '" << options.input << "'\n";
        return kStatementFailed;
    }
    host::HostOptions hostOptions;
    if (!root.empty()) hostOptions.root = root;
    std::optional<host::Host> host;
    try {
        host.emplace(hostOptions);
    } catch (const std::runtime_error& e) {
        std::cerr << "Error: " << e.what() << "\n";
        return kStatementFailed;
    }
    host::ConsoleDesktop desktop;
    config::Runtime rt(*host, desktop);
    Target target(rt);
    if (!target.Open(options, interactive ? std::cerr : std::cout)) return kStatementFailed;
    if (interactive) {
        return RunInteractive(target.Session(), std::cin, std::cout, std::cerr) ? kSuccess
                                                                                : kStatementFailed;
    }
    bool allSucceeded = true;
    for (const std::string& text : *texts) {
        allSucceeded = RunText(target.Session(), text, std::cout, std::cout) && allSucceeded;
        std::cout.flush();
    }
    return allSucceeded ? kSuccess : kStatementFailed;
}

}  // namespace cli
