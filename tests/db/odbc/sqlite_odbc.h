#pragma once
// Debian's SQLite ODBC driver (package libsqliteodbc) as a test data source: named by its file
// in the connection string, so no odbcinst.ini is needed, on a fresh SQLite file in a scratch
// folder. The tests fail, not skip, when the driver is missing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <string>
#include <system_error>

#include "host/temp_folder.h"

namespace odbc_test {

// The driver's file, or an empty path when libsqliteodbc is not installed.
inline std::filesystem::path SqliteOdbcDriver() {
    static constexpr std::array kPlaces{
        "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
        "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
        "/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so",
        "/usr/lib/odbc/libsqlite3odbc.so",
    };
    for (const char* place : kPlaces) {
        if (std::filesystem::exists(place)) return place;
    }
    return {};
}

inline constexpr const char* kDriverMissing =
    "The SQLite ODBC driver libsqlite3odbc.so was not found; install Debian's package "
    "libsqliteodbc to run the ODBC engine's tests.";

// "Driver=<file>;Database=<file>". Call under ASSERT_NO_FATAL_FAILURE: fails when the driver is
// missing.
inline void SqliteConnectionString(const std::filesystem::path& database, std::string& out) {
    const std::filesystem::path driver = SqliteOdbcDriver();
    ASSERT_FALSE(driver.empty()) << kDriverMissing;
    out = "Driver=" + driver.string() + ";Database=" + database.string() + ";";
}

// A folder of its own under the temporary folder, removed with everything in it at the end.
using ScratchFolder = host_test::TempFolder;

}  // namespace odbc_test
