#pragma once
// The INI helpers of the configuration loader: a read that falls back to a default and writes that
// default into the file, and a writer for values of any kind. `file` is a Windows path, mapped to
// the file system by the Host.
#include <string>
#include <string_view>

#include "util/variant.h"

namespace host {
class Host;
}

namespace util {

// Reads the key (`size` is the platform's buffer length in bytes, the terminating NUL included),
// trims it, removes NUL characters and trims again. When that leaves nothing, the answer is
// `def` as text, and that text is written into the file under the key unless the key holds a
// value that only the buffer cut to nothing.
std::string IniReadWithDefault(const host::Host& host, std::string_view section,
                               std::string_view key, int size, std::string_view file,
                               const Variant& def);

// Writes the value as its text (integers in decimal, trimmed). False when the file cannot be
// written or its path cannot be mapped.
bool IniWriteValue(const host::Host& host, std::string_view section, std::string_view key,
                   const Variant& value, std::string_view file);

}  // namespace util
