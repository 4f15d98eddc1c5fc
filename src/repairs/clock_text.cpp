#include "repairs/clock_text.h"

#include <chrono>

#include "config/runtime.h"
#include "host/host.h"
#include "host/regional.h"

namespace repairs {

std::string TodayText(config::Runtime& runtime) {
    return runtime.Host().Regional().FormatDate(std::chrono::system_clock::now());
}

std::string TodayDigits(config::Runtime& runtime) {
    std::string digits;
    for (char c : TodayText(runtime)) {
        if (c != '-') digits += c;
    }
    return digits;
}

std::string NowText(config::Runtime& runtime) {
    const auto now = std::chrono::system_clock::now();
    const host::RegionalSettings& regional = runtime.Host().Regional();
    return regional.FormatDate(now) + " " + regional.FormatTime(now);
}

}  // namespace repairs
