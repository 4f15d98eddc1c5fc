#pragma once
// The user's regional settings: the short-date and time format pictures, kept in the settings
// store (section "Regional", keys "sShortDate" and "sTimeFormat"). Until the user sets them they
// come from the locale.
#include <chrono>
#include <string>
#include <string_view>

namespace host {

class SettingsStore;

struct RegionalDefaults {
    std::string shortDate = "yyyy-MM-dd";
    std::string time = "HH:mm:ss";
};

// The pictures of the named LC_TIME locale (its D_FMT and T_FMT). The fallbacks of
// RegionalDefaults stand for the C and POSIX locales, a locale that is not installed, and a
// format that has no picture form.
RegionalDefaults RegionalDefaultsForLocale(std::string_view localeName);
// As above for the user's locale: LC_ALL, else LC_TIME, else LANG.
RegionalDefaults UserRegionalDefaults();

class RegionalSettings {
  public:
    // `store` must outlive this object.
    explicit RegionalSettings(SettingsStore& store,
                              RegionalDefaults defaults = UserRegionalDefaults());

    std::string ShortDateFormat() const;
    std::string TimeFormat() const;
    // False for an empty picture or when the store cannot be written.
    bool SetShortDateFormat(std::string_view picture);
    bool SetTimeFormat(std::string_view picture);

    // The local date or time of `when` in the user's pictures.
    std::string FormatDate(std::chrono::system_clock::time_point when) const;
    std::string FormatTime(std::chrono::system_clock::time_point when) const;

  private:
    // The stored picture; `fallback` when none (or an empty one) is stored.
    std::string Stored(std::string_view key, const std::string& fallback) const;

    SettingsStore& store_;
    RegionalDefaults defaults_;
};

// `when` in the local time zone, written by strftime's `format` ("%Y%m%d-%H%M%S" for the stamps
// of logs and backups).
std::string LocalTimeText(std::chrono::system_clock::time_point when, const char* format);

}  // namespace host
