#pragma once
// The names under which statements of the server kind read its system catalogue (SYSCOLUMNS,
// SYSOBJECTS, sys.objects), and the connection's temporary views that answer them.
#include <string_view>

#include "db/embedded/token.h"

namespace db::embedded {

inline constexpr std::string_view kSysColumnsView = "dp_syscolumns";
inline constexpr std::string_view kSysObjectsView = "dp_sysobjects";
inline constexpr std::string_view kSysObjectsCatalogView = "dp_sys_objects";

// Replaces every catalogue name in tokens ([owner.]SYSCOLUMNS, [owner.]SYSOBJECTS, sys.objects)
// by the name of its view. True when a name was replaced.
bool MapSystemCatalogue(Tokens& tokens);

}  // namespace db::embedded
