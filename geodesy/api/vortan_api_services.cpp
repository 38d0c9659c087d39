// Exported functions of the services family, in the frame of ApiFrame.h: check
// the handle, run the work, set the calling thread's error code.
#include "vortan.h"

#include "Adjustment.h"
#include "ApiFrame.h"
#include "GeodesyHandle.h"
#include "Geoid.h"
#include "Units.h"

#include <cstring>

using vortan_api::SetError;

namespace {
int32_t Result(uint32_t code) {
    SetError(code);
    return code == 0 ? 1 : 0;
}
}  // namespace

extern "C" {

/* ---- local grid adjustment --------------------------------------------- */

VORTAN_API int32_t SetAdjustment(GEODESY h, const AdjustParams* params) {
    if (h == nullptr || params == nullptr) { SetError(2); return 0; }
    return Result(SetHandleAdjustment(*h, *params));
}

VORTAN_API int32_t GetAdjustment(GEODESY h, AdjustParams* out) {
    if (h == nullptr || out == nullptr) { SetError(2); return 0; }
    *out = h->adjustment;
    return Result(0);
}

/* ---- geoid ------------------------------------------------------------- */

VORTAN_API int32_t SetGeoid(GEODESY h, const char* path, double correction) {
    if (h == nullptr) { SetError(2); return 0; }
    return Result(SetGeoidFile(*h, path, correction));
}

VORTAN_API int32_t GetGeoid(GEODESY h, char* buffer, int32_t size, double* correction) {
    if (h == nullptr) { SetError(2); return 0; }
    if (buffer != nullptr && size > 0) {
        // Always terminated: a path longer than the buffer is cut to size - 1
        // characters rather than handed back without its NUL.
        const auto n = static_cast<size_t>(size);
        std::memset(buffer, 0, n);
        if (h->geoid != nullptr) {
            const std::string& path = h->geoid->Path();
            std::memcpy(buffer, path.data(), path.size() < n - 1 ? path.size() : n - 1);
        }
    }
    if (correction != nullptr) *correction = h->orthoCorrection;
    return Result(0);
}

VORTAN_API int32_t Undulation(GEODESY h, double lat, double lon, double* undulation) {
    if (h == nullptr || undulation == nullptr) { SetError(2); return 0; }
    *undulation = 0.0;
    double n = 0.0;
    const uint32_t code = GeoidUndulation(*h, lat, lon, n);
    *undulation = n;
    return Result(code);
}

/* ---- units and local names --------------------------------------------- */

VORTAN_API int32_t HConvert(GEODESY h, double* value, uint8_t toMetres) {
    if (h == nullptr || value == nullptr) { SetError(2); return 0; }
    const double k = h->projection->u;
    *value = toMetres ? *value * k : *value / k;
    return Result(0);
}

VORTAN_API int32_t VConvert(GEODESY h, double* value, uint8_t toMetres) {
    if (h == nullptr || value == nullptr) { SetError(2); return 0; }
    const double k = h->verticalUnit;
    *value = toMetres ? *value * k : *value / k;
    return Result(0);
}

VORTAN_API int32_t GetLocalName(GEODESY h, int32_t which, const char* language, char* buffer,
                                int32_t size) {
    if (h == nullptr || buffer == nullptr || size < 1) { SetError(2); return 0; }
    buffer[0] = '\0';
    const int32_t id = LocalNameStringId(which, h->horizontalUnitId, h->verticalUnitId,
                                         h->xAxisNameId, h->yAxisNameId);
    const char* name = LocalName(id, LanguageOffset(language));
    if (name == nullptr) return Result(12);
    const size_t len = std::strlen(name);
    const size_t n = len < static_cast<size_t>(size) - 1 ? len : static_cast<size_t>(size) - 1;
    std::memcpy(buffer, name, n);
    buffer[n] = '\0';
    return Result(0);
}

}  // extern "C"
