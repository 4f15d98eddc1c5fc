#pragma once
// The session of a preview (`datapatch plan`): every change to the database happens inside one
// transaction of the engine that is never committed and is rolled back when the session ends.
// The transaction starts at the first statement that may write (or the first BeginTransaction),
// so connections that only read never take a database's write lock. The caller's transactions
// become marks inside it: their commit keeps the work for the rest of the preview, and their
// rollback (which a run reaches only when a pass stops) keeps it too.
//
// Should the engine refuse the transaction or give it up halfway, no statement runs any more on
// the session: each one fails with 0x80004005, and the host is told that the preview is broken.
#include <filesystem>
#include <memory>
#include <string>

#include "db/session.h"

namespace host {
class Host;
}

namespace db {

// `journalSwitch`: the engine switches the file to write-ahead logging at its first transaction
// (an embedded file still in rollback-journal mode), a change of the file that no rollback
// undoes; the preview then refuses to write.
std::unique_ptr<Session> PreviewSession(std::unique_ptr<Session> inner, const host::Host& host,
                                        std::string database, bool journalSwitch = false);

// Whether the embedded database file is in write-ahead-log mode (its header says so).
bool WalModeFile(const std::filesystem::path& file);

// Whether the statement text can only read: it begins with SELECT (after blanks, comments and
// opening parentheses). Anything else is taken as a change.
bool ReadOnlyStatement(std::string_view sql);

}  // namespace db
