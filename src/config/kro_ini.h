#pragma once
// Kro_INI: reads and writes keys of INI files at Windows paths, creating a missing file (and its
// folder) empty first. An object reads each file once and answers later reads of it from what it
// read, so a load that reads many keys parses each file once; a write through the object drops
// what it kept of that file. Use a new object to see changes made by others.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "host/profile.h"

namespace config {

class Runtime;

class Kro_INI {
  public:
    explicit Kro_INI(Runtime& runtime);

    // The key's value, at most tmpByte - 1 characters (counted as the ANSI code page counts
    // them, at most 254), with NUL characters removed and blanks trimmed; the empty text when the
    // key, the section or the file is missing or the path cannot be mapped.
    std::string INIRead(std::string_view SectionName, std::string_view KeyName,
                        std::int32_t tmpByte, std::string_view FilePathName);
    // Whether the file holds the key (in the section), whatever its value.
    bool INIHasKey(std::string_view SectionName, std::string_view KeyName,
                   std::string_view FilePathName);
    // Writes the value under the key. False when the file cannot be written (read-only file or
    // folder) or the texts cannot be put into an INI line.
    bool INIWrite(std::string_view SectionName, std::string_view KeyName,
                  std::string_view FilePathName, std::string_view value);

  private:
    // Creates the missing file empty (folder included); failures are left to the read or write.
    void EnsureFile(std::string_view FilePathName);
    // The file as this object read it; null when the path cannot be mapped.
    const host::ProfileDocument* Document(std::string_view FilePathName);

    Runtime& rt_;
    std::map<std::string, host::ProfileDocument> documents_;  // by mapped path
};

}  // namespace config
