#include "util/progress_strip.h"

#include <algorithm>

namespace util {

ProgressStrip CtPicProgress(const Variant& Percent, std::string_view Free) {
    std::int64_t percent = Percent.IsNumeric() ? Percent.AsInt() : 0;
    return ProgressStrip{static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100)),
                         std::string(Free)};
}

void CtPicProgress(ProgressStrip& PicObj, const Variant& Percent, std::string_view Free) {
    PicObj = CtPicProgress(Percent, Free);
}

}  // namespace util
