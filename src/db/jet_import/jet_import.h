#pragma once
// Moves a real Jet3, Jet4 or ACE file into an MDB-kind store of the embedded engine: the tables
// are made by Jet's own CREATE TABLE and CREATE INDEX statements in Jet mode (so the engine's type
// mapping applies), the rows are copied in one transaction, and then both files are read again
// and compared table by table. The Jet file is only ever read.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "db/jet_import/jet_header.h"

namespace db::jet {

struct TableCheck {
    std::string name;
    std::int64_t sourceRows = 0;
    std::int64_t targetRows = 0;
    std::uint64_t sourceSum = 0;  // checksum of every value read again from the Jet file
    std::uint64_t targetSum = 0;  // … and from the new store
    bool Same() const { return sourceRows == targetRows && sourceSum == targetSum; }
};

struct ImportResult {
    JetKind kind = JetKind::None;
    int codePage = 0;
    std::vector<TableCheck> tables;
    std::int64_t rows = 0;
    double copySeconds = 0;    // reading, creating and writing
    double verifySeconds = 0;  // both sides read again
    bool Verified() const;
};

// table, rows copied so far, rows the table holds.
using ImportProgress =
    std::function<void(const std::string& table, std::int64_t done, std::int64_t total)>;

// Writes the store `target` (which must not exist; it is removed again when the import throws)
// from the Jet file `source` and verifies it. A verification that finds a difference does not
// throw: the result says so and the caller decides. Throws DbError.
ImportResult ImportJetFile(const std::filesystem::path& source, const std::filesystem::path& target,
                           const ImportProgress& progress = {});

// Reads the Jet file and a store imported from it again and compares them table by table (row
// counts and the checksum of every value). Throws DbError.
std::vector<TableCheck> VerifyImport(const std::filesystem::path& source,
                                     const std::filesystem::path& store);

// "0123456789abcdef": a checksum as the report prints it.
std::string ChecksumText(std::uint64_t sum);

}  // namespace db::jet
