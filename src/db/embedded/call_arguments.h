#pragma once
// Binding the arguments of a procedure call (EXEC p 'a', @x = 'b') to the procedure's
// parameters, with the server's errors for arguments that do not fit.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/embedded/translator.h"

namespace db::embedded {

struct Parameter {
    std::string_view name;  // without '@'
    bool required = false;
};

// One value per parameter, in the parameters' order: the argument given by position or by name,
// empty when none was given or it was Null. Throws DbError 0x80040E14 for a name that is no
// parameter, too many arguments, or a required parameter left out.
std::vector<std::optional<std::string>> BindArguments(std::string_view procedure,
                                                      std::initializer_list<Parameter> parameters,
                                                      const std::vector<CallArgument>& arguments);

}  // namespace db::embedded
