#include "config/kro_ini.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "config/runtime.h"
#include "host/host.h"
#include "util/kro_function.h"
#include "util/vb_text.h"

namespace config {

Kro_INI::Kro_INI(Runtime& runtime) : rt_(runtime) {}

void Kro_INI::EnsureFile(std::string_view FilePathName) {
    // A file that is not there reads as empty; only a writing process makes it.
    if (rt_.ReadOnly()) return;
    const auto native = rt_.Host().Native(FilePathName);
    std::error_code ec;
    if (!native || std::filesystem::exists(*native, ec)) return;
    util::Kro_Function& utilities = rt_.Utilities();
    utilities.FileWriteStr(FilePathName, "", util::Kro_Function::FileGetPath(FilePathName), false);
}

const host::ProfileDocument* Kro_INI::Document(std::string_view FilePathName) {
    EnsureFile(FilePathName);
    const auto native = rt_.Host().Native(FilePathName);
    if (!native) return nullptr;
    const std::string key = native->string();
    auto it = documents_.find(key);
    if (it == documents_.end()) it = documents_.emplace(key, host::LoadProfileFile(*native)).first;
    return &it->second;
}

std::string Kro_INI::INIRead(std::string_view SectionName, std::string_view KeyName,
                             std::int32_t tmpByte, std::string_view FilePathName) {
    const host::ProfileDocument* doc = Document(FilePathName);
    if (!doc) return "";
    std::string text = host::GetProfileString(*doc, SectionName, KeyName, "", tmpByte);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return util::Trim(text);
}

bool Kro_INI::INIHasKey(std::string_view SectionName, std::string_view KeyName,
                        std::string_view FilePathName) {
    const host::ProfileDocument* doc = Document(FilePathName);
    return doc && doc->Get(SectionName, KeyName).has_value();
}

bool Kro_INI::INIWrite(std::string_view SectionName, std::string_view KeyName,
                       std::string_view FilePathName, std::string_view value) {
    EnsureFile(FilePathName);
    const auto native = rt_.Host().Native(FilePathName);
    if (!native) return false;
    if (rt_.Host().Preview()) {
        // The value is read back as written for the rest of the preview; the file keeps its own.
        const host::ProfileDocument* doc = Document(FilePathName);
        if (doc == nullptr) return false;
        host::ProfileDocument changed = *doc;
        const bool set = changed.Set(SectionName, KeyName, value);
        if (set && changed.Serialize() != doc->Serialize()) {
            rt_.Host().Withhold("write [" + std::string(SectionName) + "] " + std::string(KeyName) +
                                "=" + std::string(value) + " into " + std::string(FilePathName));
            documents_[native->string()] = std::move(changed);
        }
        return set;
    }
    documents_.erase(native->string());
    return host::WritePrivateProfileString(SectionName, KeyName, value, *native);
}

}  // namespace config
