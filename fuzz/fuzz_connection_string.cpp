// Parses the bytes as a connection string and plans its route on a router that knows no server,
// over a host rooted in a fresh temporary folder. DbError is how the router refuses a string.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "db/error.h"
#include "db/login_resolver.h"
#include "db/router.h"
#include "host/host.h"

namespace {

std::filesystem::path MakeRoot() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "dp-fuzz-router-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

const db::Router& TheRouter() {
    static const host::Host host(host::HostOptions{.root = MakeRoot()});
    static const db::Router router(host, std::make_shared<const db::LoginResolver>());
    return router;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const db::ConnectionStringParts parts = db::ConnectionStringParts::Parse(text);
    for (const char* key : {"provider", "Data Source", "driver", "PWD", "user id", "dbq"}) {
        (void)parts.Get(key);
    }
    try {
        (void)TheRouter().Plan(text);
    } catch (const db::DbError&) {
    }
    return 0;
}
