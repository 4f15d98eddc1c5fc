#pragma once
// A field read by the repairs as text: trimmed, Null as "". Taken as text even when it reads as a
// number, so that codes keep their leading zeros ("05", "0002").
#include <string>

#include "util/kro_function.h"
#include "util/variant.h"

namespace repairs {

inline std::string FieldText(const util::Variant& value) {
    return util::Kro_Function::Nz(value, 1).AsText();
}

}  // namespace repairs
