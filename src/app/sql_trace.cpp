#include "app/sql_trace.h"

#include <cctype>

#include "app/process.h"
#include "config/norv_conn.h"
#include "db/router.h"
#include "db/statement_trace.h"

namespace app {
namespace {

constexpr const char* kMask = "****";
// Keys whose value is a password, in connection strings and statements alike.
constexpr std::string_view kPasswordKeys[] = {"password", "pwd"};

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view word) {
    if (pos + word.size() > text.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Lower(text[pos + i]) != word[i]) return false;
    }
    return true;
}

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    return pos;
}

// The end of a quoted text that starts at `open` (a doubled quote stays inside), and its content.
std::size_t QuotedEnd(std::string_view text, std::size_t open, std::string* content) {
    const char quote = text[open];
    std::size_t pos = open + 1;
    while (pos < text.size()) {
        if (text[pos] == quote) {
            if (pos + 1 < text.size() && text[pos + 1] == quote) {
                if (content) *content += quote;
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        if (content) *content += text[pos];
        ++pos;
    }
    return pos;
}

// When a password key starts at `pos`: the range of its value, else nothing.
bool PasswordValue(std::string_view text, std::size_t pos, std::size_t& valueStart,
                   std::size_t& valueEnd) {
    if (pos > 0 && IsWordChar(text[pos - 1])) return false;
    for (std::string_view key : kPasswordKeys) {
        if (!StartsWithNoCase(text, pos, key)) continue;
        std::size_t p = SkipBlanks(text, pos + key.size());
        if (p >= text.size() || text[p] != '=') continue;
        p = SkipBlanks(text, p + 1);
        if (p < text.size() && (text[p] == 'N' || text[p] == 'n') && p + 1 < text.size() &&
            text[p + 1] == '\'') {
            ++p;
        }
        valueStart = p;
        if (p < text.size() && (text[p] == '\'' || text[p] == '"')) {
            valueEnd = QuotedEnd(text, p, nullptr);
        } else {
            valueEnd = p;
            while (valueEnd < text.size() && text[valueEnd] != ';' && text[valueEnd] != ' ' &&
                   text[valueEnd] != '\r' && text[valueEnd] != '\n') {
                ++valueEnd;
            }
        }
        return true;
    }
    return false;
}

bool IsSecret(const std::string& content, const std::vector<std::string>& secrets) {
    for (const std::string& s : secrets) {
        if (!s.empty() && s == content) return true;
    }
    return false;
}

std::string Field(const db::ConnectionStringParts& parts, std::string_view key) {
    return parts.Get(key).value_or("");
}

}  // namespace

std::string MaskPasswords(std::string_view text, const std::vector<std::string>& secrets) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t valueStart = 0;
        std::size_t valueEnd = 0;
        if (PasswordValue(text, pos, valueStart, valueEnd)) {
            out.append(text.substr(pos, valueStart - pos));
            const bool quoted =
                valueStart < valueEnd && (text[valueStart] == '\'' || text[valueStart] == '"');
            out += quoted ? std::string(1, text[valueStart]) + kMask + text[valueStart]
                          : std::string(kMask);
            pos = valueEnd;
            continue;
        }
        if (text[pos] == '\'') {
            std::string content;
            const std::size_t end = QuotedEnd(text, pos, &content);
            out += IsSecret(content, secrets) ? std::string("'") + kMask + "'"
                                              : std::string(text.substr(pos, end - pos));
            pos = end;
            continue;
        }
        out += text[pos++];
    }
    return out;
}

std::string DescribeDatabase(std::string_view connectionString) {
    const auto parts = db::ConnectionStringParts::Parse(connectionString);
    const std::string provider = Field(parts, "provider");
    const std::string driver = Field(parts, "driver");
    if (StartsWithNoCase(provider, 0, "microsoft.jet.oledb.")) {
        return "MDB " + Field(parts, "data source");
    }
    if (StartsWithNoCase(provider, 0, "sqloledb")) {
        return "SQL Server " + Field(parts, "data source") + "/" + Field(parts, "initial catalog");
    }
    if (provider.empty() && driver.find("SQL Server") != std::string::npos) {
        return "SQL Server " + Field(parts, "server") + "/" + Field(parts, "database");
    }
    return MaskPasswords(connectionString);
}

SqlTrace::SqlTrace(Process& process, const std::filesystem::path& file)
    : process_(process), out_(file, std::ios::binary | std::ios::trunc) {
    process_.Ado().router->Trace().Observe(
        [this](const db::TracedStatement& statement) { Write(statement); });
}

SqlTrace::~SqlTrace() {
    process_.Ado().router->Trace().Observe(nullptr);
}

std::vector<std::string> SqlTrace::Secrets() {
    const config::NorvConn& c = process_.Config();
    return {c.데이터_SQLPass, c.데이터_SQLPass_S, c.데이터_네트웍Pass,
            c.표준DBPW,       c.중외DBPW,         c.체인WebPW};
}

void SqlTrace::Write(const db::TracedStatement& statement) {
    ++count_;
    out_ << "-- #" << count_ << (statement.query ? " query " : " execute ")
         << DescribeDatabase(statement.connectionString) << "\n"
         << MaskPasswords(statement.sql, Secrets()) << "\n";
    out_.flush();
}

}  // namespace app
