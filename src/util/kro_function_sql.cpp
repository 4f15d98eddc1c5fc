// Kro_Function: rewriting an MDB statement for SQL Server.
#include "util/kro_function.h"

#include "host/ascii_text.h"

namespace util {
namespace {

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsWord(std::string_view word, std::string_view upper) {
    if (word.size() != upper.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i] >= 'a' && word[i] <= 'z' ? static_cast<char>(word[i] - 32) : word[i];
        if (c != upper[i]) return false;
    }
    return true;
}

// The end (one past) of the quoted text or [name] that starts at `i`; doubled quotes stay inside.
std::size_t SkipQuoted(std::string_view sql, std::size_t i) {
    char close = sql[i] == '[' ? ']' : sql[i];
    std::size_t j = i + 1;
    while (j < sql.size()) {
        if (sql[j] == close) {
            if (close != ']' && j + 1 < sql.size() && sql[j + 1] == close) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return sql.size();
}

bool OpensQuote(char c) {
    return c == '\'' || c == '"' || c == '[';
}

// The arguments of the call whose "(" is at `open`, split at the commas of its own level, and the
// position after its ")". nullopt when the parenthesis is never closed.
struct Call {
    std::vector<std::string_view> args;
    std::size_t end = 0;
};

std::optional<Call> ReadCall(std::string_view sql, std::size_t open) {
    Call call;
    int depth = 0;
    std::size_t argStart = open + 1;
    for (std::size_t i = open; i < sql.size();) {
        char c = sql[i];
        if (OpensQuote(c)) {
            i = SkipQuoted(sql, i);
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) {
            call.args.push_back(sql.substr(argStart, i - argStart));
            call.end = i + 1;
            return call;
        }
        if (c == ',' && depth == 1) {
            call.args.push_back(sql.substr(argStart, i - argStart));
            argStart = i + 1;
        }
        ++i;
    }
    return std::nullopt;
}

std::string Twist(std::string_view sql);

// IIF(c, a, b) and MID(s, start[, length]) rewritten; nullopt when the call does not fit.
std::optional<std::string> TwistCall(std::string_view word, const Call& call) {
    std::vector<std::string> a;
    for (std::string_view arg : call.args) a.push_back(Twist(arg));
    if (IsWord(word, "IIF") && a.size() == 3) {
        for (std::string& arg : a) arg = std::string(host::Trim(arg));
        return "CASE WHEN " + a[0] + " THEN " + a[1] + " ELSE " + a[2] + " END";
    }
    if (IsWord(word, "MID") && a.size() == 3)
        return "SUBSTRING(" + a[0] + "," + a[1] + "," + a[2] + ")";
    // Without a length Mid runs to the end; SUBSTRING needs one.
    if (IsWord(word, "MID") && a.size() == 2)
        return "SUBSTRING(" + a[0] + "," + a[1] + ", 2147483647)";
    return std::nullopt;
}

std::string Twist(std::string_view sql) {
    std::string out;
    for (std::size_t i = 0; i < sql.size();) {
        char c = sql[i];
        if (OpensQuote(c)) {
            std::size_t end = SkipQuoted(sql, i);
            out.append(sql.substr(i, end - i));
            i = end;
            continue;
        }
        if (c == '&') {
            out += '+';
            ++i;
            continue;
        }
        if (!IsWordChar(c)) {
            out += c;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < sql.size() && IsWordChar(sql[end])) ++end;
        std::string_view word = sql.substr(i, end - i);
        std::size_t open = sql.find_first_not_of(" \t\r\n", end);
        std::optional<Call> call;
        if (open != std::string_view::npos && sql[open] == '(' &&
            (IsWord(word, "IIF") || IsWord(word, "MID")))
            call = ReadCall(sql, open);
        std::optional<std::string> rewritten = call ? TwistCall(word, *call) : std::nullopt;
        if (rewritten) {
            out += *rewritten;
            i = call->end;
        } else {
            out.append(word);
            i = end;
        }
    }
    return out;
}

}  // namespace

std::string Kro_Function::SRMDBToSQLTwist(std::string_view sql) {
    return Twist(sql);
}

}  // namespace util
