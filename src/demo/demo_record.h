#pragma once
// The record `datapatch demo` leaves under the root: every file it found there when it had built
// the demo, with its size and modification time. A later demo replaces a root without asking
// only when the root is empty or still holds exactly what the record lists, untouched: a run
// (which writes its log, its history row and the patched tables), a change by hand or a store
// copied in all show as a file that is new, changed or gone.
#include <filesystem>
#include <string>

namespace demo {

// The record's file name, in the root folder itself.
inline constexpr const char* kDemoRecordName = ".datapatch-demo";

// What a demo may do with a root.
struct RootCheck {
    bool replaceable = false;  // empty, or an untouched demo
    std::string reason;        // otherwise the first file that says why not, and how
};

// Looks at every file under the root (the record and the program's instance lock file aside).
RootCheck CheckDemoRoot(const std::filesystem::path& root);

// Writes the record of the files under the root as they are now. False when it cannot be
// written (the next demo then asks for --force).
bool WriteDemoRecord(const std::filesystem::path& root);

// Removes the record: a demo being built is no untouched demo until it is complete.
void RemoveDemoRecord(const std::filesystem::path& root);

}  // namespace demo
