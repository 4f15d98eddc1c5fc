// datapatch-osql: the command-line client that runs housekeeping scripts on an embedded SQL
// Server, in place of the SQL Server client the store software starts for them:
//
//   datapatch-osql [--root DIR] -S server -U user -P password -i script -o output
//
// The script and output are Windows paths under the root. The script is split into batches at
// lines holding only GO; each batch is one housekeeping statement (sp_attach_db, sp_detach_db,
// sp_dboption … 'single user', sp_renamedb, sp_helpdb, DBCC SHRINKDATABASE/SHRINKFILE). What the
// client prints is written in one piece, so a program waiting for the output file reads it whole.
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/server_folder.h"
#include "db/embedded/token.h"
#include "db/error.h"
#include "db/go_batches.h"
#include "db/login_resolver.h"
#include "host/ascii_text.h"
#include "host/codepage.h"
#include "host/file_io.h"
#include "host/host.h"

namespace {

namespace fs = std::filesystem;
using db::embedded::ServerFolder;

constexpr int kRan = 0;
constexpr int kFailed = 1;
constexpr const char* kNewLine = "\r\n";
constexpr const char* kPrompt = "1> 2> ";
constexpr const char* kCompleted = "The command(s) completed successfully.";
constexpr std::int32_t kMsgUnknownProcedure = 2812;
constexpr std::int32_t kMsgSyntax = 102;
constexpr std::int32_t kMsgUnclosedQuote = 105;
constexpr std::int32_t kMsgMissingParameter = 201;
constexpr std::int32_t kMsgBadDbcc = 2526;
constexpr std::int32_t kMsgUnknownOption = 15011;
constexpr std::int32_t kMsgBadValue = 15241;
constexpr std::int32_t kMsgCannotOpenFile = 5120;
constexpr std::int32_t kMsgLoginFailed = 18456;
constexpr std::int32_t kMsgGeneral = 50000;

constexpr const char* kUsage =
    "usage: datapatch-osql [--root DIR] -S server -U user -P password -i inputfile "
    "[-o outputfile]\n";

struct Options {
    std::optional<fs::path> root;
    std::string server;
    std::string user = "sa";
    std::string password;
    std::string input;
    std::string output;
};

// nullopt (after a message on standard error) when the arguments are not usable. Options are
// written "-S server" or "-Sserver", as the SQL Server client takes them.
std::optional<Options> ParseArguments(const std::vector<std::string>& args) {
    Options options;
    std::size_t i = 0;
    if (i < args.size() && args[i].starts_with("--root")) {
        if (args[i] == "--root" && i + 1 < args.size()) {
            options.root = args[i + 1];
            i += 2;
        } else if (args[i].starts_with("--root=")) {
            options.root = args[i].substr(7);
            ++i;
        } else {
            std::cerr << "datapatch-osql: --root needs a folder\n" << kUsage;
            return std::nullopt;
        }
    }
    bool haveServer = false;
    bool haveInput = false;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-' ||
            std::string_view("SUPio").find(arg[1]) == std::string_view::npos) {
            std::cerr << "datapatch-osql: unknown option '" << arg << "'\n" << kUsage;
            return std::nullopt;
        }
        std::string value = arg.substr(2);
        if (value.empty()) {
            if (i + 1 < args.size()) {
                value = args[++i];
            } else if (arg[1] != 'P') {  // "-P" at the end is the empty password
                std::cerr << "datapatch-osql: option '" << arg << "' needs a value\n" << kUsage;
                return std::nullopt;
            }
        }
        switch (arg[1]) {
            case 'S':
                options.server = value;
                haveServer = true;
                break;
            case 'U':
                options.user = value;
                break;
            case 'P':
                options.password = value;
                break;
            case 'i':
                options.input = value;
                haveInput = true;
                break;
            default:
                options.output = value;
                break;
        }
    }
    if (!haveServer || !haveInput || options.server.empty() || options.input.empty()) {
        std::cerr << "datapatch-osql: -S server and -i inputfile are required\n" << kUsage;
        return std::nullopt;
    }
    return options;
}

// Script bytes as UTF-8: a UTF-8 byte order mark is dropped, and a file that is not UTF-8 is
// read as the store PCs' code page.
std::string ScriptText(std::string bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    if (host::IsValidUtf8(bytes)) return bytes;
    return host::Cp949ToUtf8Lossy(bytes);
}

// An error as SQL Server reports it; `msg` is its message number.
struct StatementError {
    std::int32_t msg;
    std::string text;
};

struct Token {
    enum class Kind { Word, Text, Mark };
    Kind kind;
    std::string text;
};

// The tokens of a statement as the engine's tokenizer reads them, in the three kinds a procedure
// call needs: words (a dotted name such as master.dbo.sp_helpdb, a [bracketed] name, a number or
// a @variable is one word), 'texts' (N'…' too) and single marks. Comments are dropped.
std::vector<Token> Tokens(const std::string& text) {
    using db::embedded::TokenKind;
    std::vector<Token> tokens;
    const db::embedded::Tokens read = db::embedded::Tokenize(text);
    for (std::size_t i = 0; i < read.size(); ++i) {
        const db::embedded::Token& t = read[i];
        switch (t.kind) {
            case TokenKind::String:
            case TokenKind::NString:
                tokens.push_back({Token::Kind::Text, t.value});
                break;
            case TokenKind::Punct:
                tokens.push_back({Token::Kind::Mark, t.value});
                break;
            case TokenKind::Illegal:
                if (t.value.starts_with('\'') || t.value.starts_with("N'") ||
                    t.value.starts_with("n'")) {
                    throw StatementError{kMsgUnclosedQuote,
                                         "Unclosed quotation mark before the character string '" +
                                             t.value.substr(t.value.find('\'') + 1) + "'."};
                }
                throw StatementError{kMsgSyntax, "Incorrect syntax near '" + t.value + "'."};
            default: {
                std::string word = t.value;
                // The parts of a dotted name, empty ones included ("master..sp_helpdb").
                while (i + 1 < read.size() && read[i + 1].IsPunct(".")) {
                    word += '.';
                    ++i;
                    if (i + 1 < read.size() && read[i + 1].IsName()) word += read[++i].value;
                }
                tokens.push_back({Token::Kind::Word, word});
            }
        }
    }
    while (!tokens.empty() && tokens.back().kind == Token::Kind::Mark &&
           tokens.back().text == ";") {
        tokens.pop_back();
    }
    return tokens;
}

[[noreturn]] void SyntaxError(const Token& near) {
    throw StatementError{kMsgSyntax, "Incorrect syntax near '" + near.text + "'."};
}

// The comma-separated values from tokens[from] to the end; "@name = value" gives the value.
std::vector<std::string> Arguments(const std::vector<Token>& tokens, std::size_t from) {
    std::vector<std::string> values;
    std::size_t i = from;
    while (i < tokens.size()) {
        if (tokens[i].kind == Token::Kind::Word && tokens[i].text.starts_with('@') &&
            i + 1 < tokens.size() && tokens[i + 1].text == "=") {
            i += 2;
            if (i >= tokens.size()) SyntaxError(tokens[i - 1]);
        }
        if (tokens[i].kind == Token::Kind::Mark) SyntaxError(tokens[i]);
        values.push_back(tokens[i].text);
        ++i;
        if (i < tokens.size()) {
            if (tokens[i].text != ",") SyntaxError(tokens[i]);
            ++i;
            if (i == tokens.size()) SyntaxError(tokens[i - 1]);
        }
    }
    return values;
}

// The last part of a procedure name: "master.dbo.sp_helpdb" and "master..sp_helpdb" give
// "sp_helpdb".
std::string ProcedureName(const std::string& word) {
    const std::size_t dot = word.rfind('.');
    return dot == std::string::npos ? word : word.substr(dot + 1);
}

void RequireArguments(const std::string& procedure, const std::vector<std::string>& args,
                      std::size_t count, const char* firstMissing[]) {
    if (args.size() >= count) return;
    throw StatementError{kMsgMissingParameter,
                         "Procedure or function '" + procedure + "' expects parameter '" +
                             firstMissing[args.size()] + "', which was not supplied."};
}

std::string SizeText(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

class Client {
  public:
    Client(const host::Host& host, ServerFolder folder, std::string server)
        : host_(host), folder_(std::move(folder)), server_(std::move(server)) {}

    // The output of one batch, its prompt first.
    std::string RunBatch(const std::string& batch) {
        std::string out = kPrompt;
        try {
            out += Run(Tokens(batch));
        } catch (const StatementError& e) {
            out += ErrorText(e.msg, e.text);
        } catch (const db::DbError& e) {
            out += ErrorText(e.NativeError() != 0 ? e.NativeError() : kMsgGeneral, e.Description());
        } catch (const std::exception& e) {
            out += ErrorText(kMsgGeneral, e.what());
        }
        return out;
    }

    std::string ErrorText(std::int32_t msg, const std::string& text) const {
        return "Msg " + std::to_string(msg) + ", Level 16, State 1, Server " + server_ +
               ", Line 1" + kNewLine + text + kNewLine;
    }

  private:
    std::string Run(const std::vector<Token>& tokens) {
        if (tokens.empty()) return {};
        if (tokens[0].kind != Token::Kind::Word) SyntaxError(tokens[0]);
        std::size_t at = 0;
        if (host::EqualsNoCase(tokens[0].text, "DBCC")) return Dbcc(tokens);
        if (host::EqualsNoCase(tokens[0].text, "EXEC") ||
            host::EqualsNoCase(tokens[0].text, "EXECUTE"))
            ++at;
        if (at >= tokens.size()) SyntaxError(tokens[0]);
        if (tokens[at].kind != Token::Kind::Word) SyntaxError(tokens[at]);
        const std::string procedure = ProcedureName(tokens[at].text);
        const std::string name = host::AsciiLower(procedure);
        if (name == "sp_attach_db") return AttachDb(procedure, Arguments(tokens, at + 1));
        if (name == "sp_detach_db") return DetachDb(procedure, Arguments(tokens, at + 1));
        if (name == "sp_dboption") return DbOption(procedure, Arguments(tokens, at + 1));
        if (name == "sp_renamedb") return RenameDb(procedure, Arguments(tokens, at + 1));
        if (name == "sp_helpdb") return HelpDb(Arguments(tokens, at + 1));
        throw StatementError{kMsgUnknownProcedure,
                             "Could not find stored procedure '" + tokens[at].text + "'."};
    }

    std::string AttachDb(const std::string& procedure, const std::vector<std::string>& args) {
        const char* names[] = {"@dbname", "@filename1"};
        RequireArguments(procedure, args, 2, names);
        // The further files (the log file of a SQL Server database) have no counterpart here.
        const auto file = host_.Native(args[1]);
        if (!file) {
            throw StatementError{kMsgCannotOpenFile,
                                 "Unable to open the physical file \"" + args[1] + "\"."};
        }
        folder_.Attach(args[0], *file);
        return Completed();
    }

    std::string DetachDb(const std::string& procedure, const std::vector<std::string>& args) {
        const char* names[] = {"@dbname"};
        RequireArguments(procedure, args, 1, names);
        folder_.Detach(args[0]);
        return Completed();
    }

    std::string DbOption(const std::string& procedure, const std::vector<std::string>& args) {
        const char* names[] = {"@dbname", "@optname", "@optvalue"};
        RequireArguments(procedure, args, 3, names);
        std::string option;
        for (char c : host::AsciiLower(args[1])) {
            if (c == '_') c = ' ';
            if (c == ' ' && (option.empty() || option.back() == ' ')) continue;
            option += c;
        }
        if (!option.empty() && option.back() == ' ') option.pop_back();
        if (option != "single user") {
            throw StatementError{kMsgUnknownOption, "Database option '" + args[1] +
                                                        "' does not exist. Specify a valid "
                                                        "option."};
        }
        const std::string value = host::AsciiLower(args[2]);
        bool on = false;
        if (value == "true" || value == "on") {
            on = true;
        } else if (value != "false" && value != "off") {
            throw StatementError{kMsgBadValue,
                                 "Usage: sp_dboption [dbname [,optname [,'true' | 'false']]]"};
        }
        folder_.SetSingleUser(args[0], on);
        return Completed();
    }

    std::string RenameDb(const std::string& procedure, const std::vector<std::string>& args) {
        const char* names[] = {"@dbname", "@newname"};
        RequireArguments(procedure, args, 2, names);
        folder_.Rename(args[0], args[1]);
        return "The database name '" + args[1] + "' has been set." + kNewLine + Completed();
    }

    std::string HelpDb(const std::vector<std::string>& args) {
        std::vector<db::embedded::ServerDatabaseInfo> databases = folder_.Databases();
        if (!args.empty()) {
            std::erase_if(databases,
                          [&](const auto& d) { return !host::EqualsNoCase(d.name, args[0]); });
            if (databases.empty()) {
                throw db::DbError(db::ErrorNumber::kUnspecified,
                                  "The database '" + args[0] +
                                      "' does not exist. Supply a valid database name. To see "
                                      "available databases, use sys.databases.",
                                  {}, 15010);
            }
        }
        const std::string header = "name  db_size  status";
        std::string out = header + kNewLine + std::string(header.size(), '-') + kNewLine;
        for (const auto& d : databases) {
            out += d.name + "  " + SizeText(d.bytes) +
                   "  Status=ONLINE, UserAccess=" + (d.singleUser ? "SINGLE_USER" : "MULTI_USER") +
                   kNewLine;
        }
        return out + kNewLine + "(" + std::to_string(databases.size()) + " rows affected)" +
               kNewLine;
    }

    // DBCC SHRINKDATABASE (name [, target percent]) and DBCC SHRINKFILE (name [, size]).
    std::string Dbcc(const std::vector<Token>& tokens) {
        const std::string command = tokens.size() > 1 ? host::AsciiLower(tokens[1].text) : "";
        if (command != "shrinkdatabase" && command != "shrinkfile") {
            throw StatementError{kMsgBadDbcc,
                                 "Incorrect DBCC statement. Check the documentation for the "
                                 "correct DBCC syntax and options."};
        }
        if (tokens.size() < 4 || tokens[2].text != "(") {
            SyntaxError(tokens.size() > 2 ? tokens[2] : tokens[1]);
        }
        // The options after the closing parenthesis (WITH NO_INFOMSGS) change nothing here.
        std::size_t close = 3;
        while (close < tokens.size() &&
               !(tokens[close].kind == Token::Kind::Mark && tokens[close].text == ")")) {
            ++close;
        }
        if (close == tokens.size()) SyntaxError(tokens.back());
        const std::vector<Token> inside(tokens.begin() + 3, tokens.begin() + close);
        const std::vector<std::string> args = Arguments(inside, 0);
        if (args.empty()) SyntaxError(tokens[close]);
        folder_.Shrink(args[0]);
        return Completed();
    }

    static std::string Completed() { return std::string(kCompleted) + kNewLine; }

    const host::Host& host_;
    ServerFolder folder_;
    std::string server_;
};

// Writes the output where -o names it (in one piece), else to standard output. False when the
// file cannot be written.
bool Deliver(const std::optional<fs::path>& outputFile, const std::string& text) {
    if (!outputFile) {
        std::cout << text << std::flush;
        return true;
    }
    if (host::ReplaceFileAtomically(*outputFile, text)) return true;
    std::cerr << "datapatch-osql: cannot write '" << outputFile->string() << "'\n";
    return false;
}

// Reports a failure that stops the client before or instead of running the script: on standard
// error, and in the output file for the program that waits for it.
int Stop(const std::optional<fs::path>& outputFile, const std::string& text) {
    std::cerr << "datapatch-osql: " << text << "\n";
    if (outputFile) Deliver(outputFile, text + kNewLine);
    return kFailed;
}

int RunClient(const Options& options) {
    host::HostOptions hostOptions;
    hostOptions.root = options.root;
    const host::Host host(hostOptions);

    std::optional<fs::path> outputFile;
    if (!options.output.empty()) {
        outputFile = host.Native(options.output);
        if (!outputFile) {
            std::cerr << "datapatch-osql: '" << options.output << "' is not a usable path\n"
                      << kUsage;
            return kFailed;
        }
    }
    const auto inputFile = host.Native(options.input);
    const std::optional<std::string> bytes =
        inputFile ? host::ReadWholeFile(*inputFile) : std::nullopt;
    if (!bytes) return Stop(outputFile, "Cannot open input file - '" + options.input + "'");

    const db::LoginResolver logins = db::LoginResolver::Load(host);
    const auto engine = logins.EngineFor(options.server);
    if (!engine) {
        return Stop(outputFile, "[DBNETLIB]SQL Server '" + options.server +
                                    "' does not exist or access denied.");
    }
    if (engine->kind != db::LoginResolver::EngineKind::Embedded) {
        return Stop(outputFile, "Server '" + options.server +
                                    "' is served through ODBC; this client serves embedded "
                                    "servers only.");
    }
    if (!engine->password.empty() && engine->password != options.password) {
        const std::string text = "Msg " + std::to_string(kMsgLoginFailed) +
                                 ", Level 14, State 1, Server " + options.server + ", Line 1" +
                                 kNewLine + "Login failed for user '" + options.user + "'.";
        return Stop(outputFile, text);
    }
    const auto folder = host.Native(engine->target);
    if (!folder) {
        return Stop(outputFile, "The folder '" + engine->target + "' of server '" + options.server +
                                    "' is not a usable path.");
    }

    Client client(host, ServerFolder(*folder), options.server);
    std::string out;
    for (const std::string& batch : db::SplitGoBatches(ScriptText(*bytes), "\n")) {
        out += client.RunBatch(batch);
    }
    return Deliver(outputFile, out) ? kRan : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::optional<Options> options = ParseArguments(args);
    if (!options) return kFailed;
    try {
        return RunClient(*options);
    } catch (const std::exception& e) {
        std::cerr << "datapatch-osql: " << e.what() << "\n";
        return kFailed;
    }
}
