// The frame every exported function runs in: the calling thread's error code
// and the guard that turns an errcode (or anything else) into that code, so no
// exception ever leaves the library. Shared by the vortan_api*.cpp files.
#pragma once

#include "errcode.h"

#include <cstdint>

namespace vortan_api {

// The last error of the calling thread; what GetGeodesyError returns.
extern thread_local int32_t tError;

inline void SetError(uint32_t code) noexcept { tError = static_cast<int32_t>(code); }

// Runs work(); an errcode becomes its code, anything else code 1.
template <typename Work>
bool Guard(Work&& work) noexcept {
    try {
        work();
        return true;
    } catch (errcode& e) {
        SetError(e.code);
        e.take();
    } catch (...) {
        SetError(1);
    }
    return false;
}

}  // namespace vortan_api
