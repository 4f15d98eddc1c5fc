#pragma once
// Completes the login of every SQL Server connection: a server the login resolution knows is
// replaced by its address with the user "sa" and its password; then an empty database, user or
// password gets the built-in default ("NVMAIN", "sa", "zelk").
#include <string>

namespace db {

class LoginResolver;

void ApplyCentralLoginDefaults(const LoginResolver& logins, std::string& server,
                               std::string& database, std::string& user, std::string& password);

}  // namespace db
