#pragma once
// The object behind a handle (connection, record set, DAO database); an empty handle raises DbError
// 91, the run-time error of an object variable that is not set.
#include "db/error.h"

namespace repairs {

inline constexpr int kObjectNotSet = 91;

template <class Handle>
auto& Require(const Handle& handle) {
    if (!handle) {
        throw db::DbError(kObjectNotSet, "개체 변수 또는 With 블록 변수가 설정되어 있지 않습니다.");
    }
    return *handle;
}

}  // namespace repairs
