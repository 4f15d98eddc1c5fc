#include "db/login_resolver.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include "db/ascii_text.h"
#include "host/file_io.h"
#include "host/host.h"
#include "host/profile.h"

namespace fs = std::filesystem;

namespace db {
namespace {

constexpr std::string_view kCentralSection = "Central";
constexpr std::string_view kDriversSection = "Drivers";

struct EnginePrefix {
    std::string_view prefix;
    LoginResolver::EngineKind kind;
};
constexpr EnginePrefix kEnginePrefixes[] = {
    {"embedded:", LoginResolver::EngineKind::Embedded},
    {"odbc:", LoginResolver::EngineKind::Odbc},
};

std::optional<LoginResolver::Engine> ParseEngine(std::string_view text, std::string password) {
    text = TrimBlanks(text);
    for (const auto& p : kEnginePrefixes) {
        if (!StartsWithNoCase(text, p.prefix)) continue;
        auto target = TrimBlanks(text.substr(p.prefix.size()));
        if (target.empty()) return std::nullopt;
        return LoginResolver::Engine{p.kind, std::string(target), std::move(password)};
    }
    return std::nullopt;
}

std::string Value(const host::ProfileDocument& doc, std::string_view section,
                  std::string_view key) {
    return std::string(TrimBlanks(doc.Get(section, key).value_or("")));
}

}  // namespace

LoginResolver::LoginResolver(const host::ProfileDocument& doc) {
    for (const auto& section : doc.Sections()) {
        if (EqualsNoCase(section, kCentralSection) || EqualsNoCase(section, kDriversSection)) {
            continue;
        }
        Server server{section, Value(doc, section, "Address"), Value(doc, section, "Password"),
                      std::nullopt};
        if (server.address.empty()) server.address = section;
        server.engine = ParseEngine(Value(doc, section, "Engine"), server.password);
        servers_.push_back(std::move(server));
    }
    centralServer_ = Value(doc, kCentralSection, "Server");
    centralDatabase_ = Value(doc, kCentralSection, "Database");
    for (const auto& key : doc.Keys(kDriversSection)) {
        drivers_.emplace_back(key, Value(doc, kDriversSection, key));
    }
}

LoginResolver LoginResolver::Load(const host::Host& host, std::string_view windowsPath) {
    LoginResolver none;
    const std::string shown(windowsPath);
    try {
        auto file = host.Native(windowsPath);
        if (!file) {
            none.fileProblem_ = shown + " has no place on this machine";
            return none;
        }
        const std::string named = shown + " (" + file->string() + ")";
        std::error_code ec;
        if (fs::is_directory(*file, ec)) {
            none.fileProblem_ = named + " is a folder";
            return none;
        }
        if (!fs::exists(*file, ec)) {
            none.fileProblem_ = named + " does not exist";
            return none;
        }
        auto bytes = host::ReadWholeFile(*file);
        if (!bytes) {
            none.fileProblem_ = named + " cannot be read";
            return none;
        }
        return LoginResolver(host::ProfileDocument::Parse(*bytes));
    } catch (const std::exception& e) {
        // A file that cannot be read as settings leaves every server unknown.
        none.fileProblem_ = shown + " cannot be read: " + e.what();
        return none;
    }
}

const LoginResolver::Server* LoginResolver::Find(std::string_view serverOrAddress,
                                                 bool byAddress) const {
    // A section name wins over another section's address.
    auto key = TrimBlanks(serverOrAddress);
    auto it = std::find_if(servers_.begin(), servers_.end(),
                           [&](const Server& s) { return EqualsNoCase(s.name, key); });
    if (it == servers_.end() && byAddress) {
        it = std::find_if(servers_.begin(), servers_.end(),
                          [&](const Server& s) { return EqualsNoCase(s.address, key); });
    }
    return it == servers_.end() ? nullptr : &*it;
}

LoginResolution LoginResolver::Resolve(std::string_view server) const {
    const Server* s = Find(server, false);
    if (!s) return {};
    return LoginResolution{0, s->address, s->password};
}

std::optional<LoginResolver::Engine> LoginResolver::EngineFor(
    std::string_view serverOrAddress) const {
    const Server* s = Find(serverOrAddress, true);
    if (!s) return std::nullopt;
    return s->engine;
}

std::string LoginResolver::DriverFor(std::string_view sourceKind) const {
    auto it = std::find_if(drivers_.begin(), drivers_.end(),
                           [&](const auto& d) { return EqualsNoCase(d.first, sourceKind); });
    return it == drivers_.end() ? std::string() : it->second;
}

}  // namespace db
