#pragma once
// Helpers of the SQL functions that the engine registers: reading arguments, and turning the
// engine's errors into the error of the call (a callback must not throw into SQLite).
#include <sqlite3.h>

#include <exception>
#include <new>
#include <string_view>

#include "db/error.h"

namespace db::embedded {

// The text of an argument (empty for Null).
inline std::string_view TextArgument(sqlite3_value* value) {
    const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return raw == nullptr
               ? std::string_view()
               : std::string_view(raw, static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

inline bool IsNullArgument(sqlite3_value* value) {
    return sqlite3_value_type(value) == SQLITE_NULL;
}

// Runs body; a DbError becomes the error of the call, with its description as SQLite's text. No
// exception leaves: SQLite is C and would be left with its statement half run.
template <typename Body>
void GuardedCall(sqlite3_context* ctx, Body body) noexcept {
    try {
        body();
    } catch (const DbError& e) {
        sqlite3_result_error(ctx, e.Description().c_str(), -1);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    } catch (...) {
        sqlite3_result_error(ctx, "unexpected error in an SQL function", -1);
    }
}

// A SQL function as SQLite calls it, with the boundary above around it: what the engine
// registers.
using FunctionCall = void (*)(sqlite3_context*, int, sqlite3_value**);
template <FunctionCall F>
void Guarded(sqlite3_context* ctx, int argc, sqlite3_value** argv) noexcept {
    GuardedCall(ctx, [&] { F(ctx, argc, argv); });
}

}  // namespace db::embedded
