// A loadable extension of the sqlite3 shell with the SQL functions that the embedded engine
// registers on its connections, so that the shell can run the engine's statements as they are.
// The shell and this library share Debian's libsqlite3, so the engine's code calls it directly.
#include <sqlite3.h>

#include <exception>

#include "db/embedded/functions.h"
#include "db/embedded/routine_natives.h"
#include "db/embedded/syscat_functions.h"

extern "C" int sqlite3_extension_init(sqlite3* db, char** error, const sqlite3_api_routines*) {
    try {
        db::embedded::RegisterFunctions(db);
        db::embedded::RegisterCatalogueFunctions(db);
        db::embedded::RegisterNativeRoutines(db);
    } catch (const std::exception& e) {
        *error = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}
