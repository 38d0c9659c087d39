// The frame every exported function runs in: the calling thread's error code
// and the guard that turns an errcode (or anything else) into that code, so no
// exception ever leaves the library. Shared by the vortan_api*.cpp files.
#pragma once

#include "errcode.h"

#include <cstdint>

namespace vortan_api {

// The last error of the calling thread; what GetGeodesyError returns. Every call sets
// it: the initial-exec model reaches it through the thread pointer, without the
// __tls_get_addr call a shared library's variable otherwise costs on each access
// (four bytes of the static TLS block, which programs that link the library have).
#if defined(__GNUC__)
#define VORTAN_TLS_MODEL __attribute__((tls_model("initial-exec")))
#else
#define VORTAN_TLS_MODEL
#endif
extern thread_local int32_t tError VORTAN_TLS_MODEL;

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
