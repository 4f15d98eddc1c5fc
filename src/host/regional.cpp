#include "host/regional.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <type_traits>

#include "host/date_picture.h"
#include "host/settings_store.h"

namespace host {
namespace {

constexpr std::string_view kSection = "Regional";
constexpr std::string_view kShortDateKey = "sShortDate";
constexpr std::string_view kTimeFormatKey = "sTimeFormat";

struct LocaleDeleter {
    void operator()(std::remove_pointer_t<locale_t>* locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

bool IsNeutralLocale(std::string_view name) {
    return name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.");
}

std::tm LocalTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

std::string Picture(locale_t locale, nl_item item, const std::string& fallback) {
    return PictureFromStrftime(nl_langinfo_l(item, locale)).value_or(fallback);
}

}  // namespace

RegionalDefaults RegionalDefaultsForLocale(std::string_view localeName) {
    RegionalDefaults defaults;
    if (IsNeutralLocale(localeName)) return defaults;
    const LocaleHandle locale(newlocale(LC_TIME_MASK, std::string(localeName).c_str(), nullptr));
    if (!locale) return defaults;
    defaults.shortDate = Picture(locale.get(), D_FMT, defaults.shortDate);
    defaults.time = Picture(locale.get(), T_FMT, defaults.time);
    return defaults;
}

RegionalDefaults UserRegionalDefaults() {
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return RegionalDefaultsForLocale(value);
    }
    return RegionalDefaults();
}

RegionalSettings::RegionalSettings(SettingsStore& store, RegionalDefaults defaults)
    : store_(store), defaults_(std::move(defaults)) {}

std::string RegionalSettings::Stored(std::string_view key, const std::string& fallback) const {
    std::string picture = store_.Get(kSection, key);
    return picture.empty() ? fallback : picture;
}

std::string RegionalSettings::ShortDateFormat() const {
    return Stored(kShortDateKey, defaults_.shortDate);
}

std::string RegionalSettings::TimeFormat() const {
    return Stored(kTimeFormatKey, defaults_.time);
}

bool RegionalSettings::SetShortDateFormat(std::string_view picture) {
    return !picture.empty() && store_.Set(kSection, kShortDateKey, picture);
}

bool RegionalSettings::SetTimeFormat(std::string_view picture) {
    return !picture.empty() && store_.Set(kSection, kTimeFormatKey, picture);
}

std::string RegionalSettings::FormatDate(std::chrono::system_clock::time_point when) const {
    return FormatPicture(ShortDateFormat(), LocalTime(when));
}

std::string RegionalSettings::FormatTime(std::chrono::system_clock::time_point when) const {
    return FormatPicture(TimeFormat(), LocalTime(when));
}

std::string LocalTimeText(std::chrono::system_clock::time_point when, const char* format) {
    const std::tm local = LocalTime(when);
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, n);
}

}  // namespace host
