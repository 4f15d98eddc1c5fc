#include "db/central_login.h"

#include "db/login_resolver.h"

namespace db {

void ApplyCentralLoginDefaults(const LoginResolver& logins, std::string& server,
                               std::string& database, std::string& user, std::string& password) {
    constexpr int kUnknownServer = 3;
    const LoginResolution found = logins.Resolve(server);
    if (found.status != kUnknownServer) {
        server = found.address;
        user = "sa";
        password = found.password;
    }
    // Emptiness is tested on the exact text: a blank is a value.
    if (database.empty()) database = "NVMAIN";
    if (user.empty()) user = "sa";
    if (password.empty()) password = "zelk";
}

}  // namespace db
