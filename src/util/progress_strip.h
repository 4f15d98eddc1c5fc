#pragma once
// The progress strip of the wait and progress windows: a caption centred over a bar that covers
// `percent` of the width; the window draws the covered part of the caption inverted.
#include <string>
#include <string_view>

#include "util/variant.h"

namespace util {

struct ProgressStrip {
    int percent = 0;  // 0 to 100
    std::string caption;
    bool operator==(const ProgressStrip&) const = default;
};

// What the strip shows for a percentage (any numeric value, rounded half to even and held to
// 0..100; anything else counts as 0) and a caption.
ProgressStrip CtPicProgress(const Variant& Percent, std::string_view Free);
// The same, drawn into the strip of a window model.
void CtPicProgress(ProgressStrip& PicObj, const Variant& Percent, std::string_view Free);

}  // namespace util
