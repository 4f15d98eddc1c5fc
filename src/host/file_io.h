#pragma once
// Whole-file reads and crash-safe whole-file replacement.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// The file's bytes; nullopt when it does not exist or cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// True when the file or folder carries no write permission at all (the counterpart of the
// Windows read-only attribute); false for paths that do not exist.
bool IsReadOnly(const std::filesystem::path& path);
// True when this process may write into the existing file or folder (its effective user and
// groups against the permissions, as the kernel decides).
bool CanWrite(const std::filesystem::path& path);

// Replaces the file's content with `bytes`: a temporary file beside it is written, flushed to
// disk and renamed over the file, so a crash leaves either the old or the new content. An
// existing file keeps its permissions; a new one gets 0666 less the umask. A symbolic link is
// followed and its target replaced. False (and nothing changed) when the folder is missing or
// read-only, the file is read-only, or any step fails.
// The temporary files that killed writers left beside the file are removed first.
bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Whether the process of the number (decimal digits) runs, or may run: only the system's "no such
// process" tells that it is gone; anything that is no process number counts as running.
bool ProcessMayBeRunning(std::string_view digits);

}  // namespace host
