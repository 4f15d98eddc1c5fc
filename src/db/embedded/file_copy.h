#pragma once
// Consistent copies and compaction of embedded database files, safe on a database that other
// connections (of this or another process) are writing: the copy holds one committed state,
// never a raw copy of a file with a write-ahead log beside it.
#include <filesystem>

namespace db::embedded {

// Writes a copy of the database `source` to `target` (replaced) as one committed state of the
// source: the file's bytes as they are when its log can be folded back into it first, else page
// by page through SQLite's backup. The copy is written under a hidden temporary
// name beside the target, flushed to the disk and only then renamed to `target`: a copy that
// fails or is killed never leaves a file under the target's name, and a failed one removes its
// temporary file. Throws DbError.
void CopyDatabaseFile(const std::filesystem::path& source, const std::filesystem::path& target);

// Rebuilds the database file in place without its free pages. Throws DbError (also when another
// connection holds a transaction open for longer than the busy timeout).
void CompactDatabaseFile(const std::filesystem::path& file);

}  // namespace db::embedded
