#include "util/command_line.h"

namespace util {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void SkipBlanks(std::string_view line, std::size_t& i) {
    while (i < line.size() && IsBlank(line[i])) ++i;
}

std::string ReadProgram(std::string_view line, std::size_t& i) {
    std::string program;
    if (line[i] == '"') {
        std::size_t close = line.find('"', i + 1);
        std::size_t end = close == std::string_view::npos ? line.size() : close;
        program = line.substr(i + 1, end - i - 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
        return program;
    }
    while (i < line.size() && !IsBlank(line[i])) program += line[i++];
    return program;
}

std::string ReadArgument(std::string_view line, std::size_t& i) {
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
        char c = line[i];
        if (c == '\\') {
            std::size_t run = 0;
            while (i < line.size() && line[i] == '\\') ++run, ++i;
            bool beforeQuote = i < line.size() && line[i] == '"';
            arg.append(beforeQuote ? run / 2 : run, '\\');
            if (beforeQuote && run % 2 == 1) arg += line[i++];  // escaped quote
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                arg += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        arg += c;
        ++i;
    }
    return arg;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    SkipBlanks(line, i);
    if (i >= line.size()) return parts;
    parts.push_back(ReadProgram(line, i));
    for (SkipBlanks(line, i); i < line.size(); SkipBlanks(line, i))
        parts.push_back(ReadArgument(line, i));
    return parts;
}

}  // namespace util
