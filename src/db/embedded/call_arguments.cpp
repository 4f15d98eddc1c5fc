#include "db/embedded/call_arguments.h"

#include "db/embedded/error_map.h"
#include "db/embedded/token.h"

namespace db::embedded {

std::vector<std::optional<std::string>> BindArguments(std::string_view procedure,
                                                      std::initializer_list<Parameter> parameters,
                                                      const std::vector<CallArgument>& arguments) {
    const std::string name(procedure);
    std::vector<std::optional<std::string>> values(parameters.size());
    std::vector<bool> given(parameters.size(), false);
    std::size_t position = 0;
    for (const CallArgument& argument : arguments) {
        std::size_t index = argument.name.empty() ? position++ : parameters.size();
        for (std::size_t i = 0; !argument.name.empty() && i < parameters.size(); ++i) {
            if (EqualsNoCase(parameters.begin()[i].name, argument.name)) index = i;
        }
        if (index >= parameters.size()) {
            throw EngineError(
                ErrorNumber::kSyntax,
                argument.name.empty()
                    ? "Procedure or function " + name + " has too many arguments specified."
                    : "@" + argument.name + " is not a parameter for procedure " + name + ".");
        }
        values[index] = argument.value;
        given[index] = true;
    }
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const Parameter& p = parameters.begin()[i];
        if (p.required && !given[i]) {
            throw EngineError(ErrorNumber::kSyntax,
                              "Procedure or function '" + name + "' expects parameter '@" +
                                  std::string(p.name) + "', which was not supplied.");
        }
    }
    return values;
}

}  // namespace db::embedded
