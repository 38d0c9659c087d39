// The C boundary of VORTAN: every exported function lives here, thin, in one
// frame: check the handle, run the work, turn the outcome into 1/0 (or the
// documented failure value) and the calling thread's error code. No exception
// and no C++ type crosses this file's functions.
#include "vortan.h"

#include "Adjustment.h"
#include "ApiFrame.h"
#include "DebugLog.h"
#include "EllipsoidTable.h"
#include "GeodesicLines.h"
#include "GeodesyHandle.h"
#include "Projection.h"
#include "errcode.h"

#include <cmath>
#include <cstring>
#include <new>

namespace vortan_api {
thread_local int32_t tError VORTAN_TLS_MODEL = 0;
}  // namespace vortan_api

namespace {
using vortan_api::Guard;
using vortan_api::SetError;
using vortan_api::tError;

struct LoadNotice {
    LoadNotice() { DebugLog("VORTAN ver %d.%d loaded", VORTAN_VERSION_MAJOR, VORTAN_VERSION_MINOR); }
};
const LoadNotice gLoadNotice;

// A latitude beyond a pole, or a coordinate that is no finite number, names no place:
// the projections would turn it into a grid point all the same (a latitude of 95 degrees
// folds back over the pole), so GeoXY refuses it with error 10 before any of them sees it.
// The poles themselves stay for each projection to take or refuse.
constexpr double kHalfPi = 1.5707963267948966;
bool NoGeographicPoint(double lat, double lon) {
    return !std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > kHalfPi;
}
}  // namespace

extern "C" {

/* ---- handles ---------------------------------------------------------- */

VORTAN_API GEODESY CreateGeodesy(const GeodesyParams* params) {
    if (params == nullptr) { SetError(2); return nullptr; }
    GeodesyHandle* h = nullptr;
    if (!Guard([&] { h = new GeodesyHandle(*params); })) return nullptr;
    SetError(0);
    return h;
}

VORTAN_API int32_t DestroyGeodesy(GEODESY h) {
    if (h == nullptr) { SetError(2); return 0; }
    delete h;
    SetError(0);
    return 1;
}

VORTAN_API int32_t GetGeodesyParams(GEODESY h, GeodesyParams* out, char* ellipsoidName,
                                    char* projectionName) {
    if (h == nullptr || out == nullptr) { SetError(2); return 0; }
    const Projection& p = *h->projection;
    out->a = p.a;
    out->invFlattening = p.f == 0.0 ? 0.0 : 1.0 / p.f;
    out->projection = p.TypeId();
    out->unit = p.u;
    out->scaleFactor = p.k0;
    out->centralMeridian = p.lambda0;
    out->refLatitude = p.phi0;
    out->northParallel = p.phi1;
    out->southParallel = p.phi2;
    out->skewAzimuth = p.alpha;
    out->falseEasting = p.FE;
    out->falseNorthing = p.FN;
    if (ellipsoidName != nullptr) {
        const EllipsoidEntry* e = FindEllipsoid(p.a, p.f);
        ellipsoidName[0] = '\0';
        if (e != nullptr) std::strncat(ellipsoidName, e->name, 23);
    }
    if (projectionName != nullptr) {
        projectionName[0] = '\0';
        std::strncat(projectionName, p.ShortName(), 3);
    }
    SetError(0);
    return 1;
}

VORTAN_API int32_t GetGeodesyError(void) { return tError; }

VORTAN_API int32_t GetGeodesyVersion(void) { return VORTAN_VERSION_MAJOR * 100 + VORTAN_VERSION_MINOR; }

/* ---- points through the projection ------------------------------------ */

VORTAN_API int32_t GeoXY(GEODESY h, double* x, double* y, double lat, double lon) {
    if (h == nullptr || x == nullptr || y == nullptr) { SetError(2); return 0; }
    if (NoGeographicPoint(lat, lon)) { SetError(10); return 0; }
    return Guard([&] {
               double px = *x, py = *y;
               errcode e = h->projection->Forward(px, py, lat, lon);
               if (!e.ok()) return;  // e reports itself (logged and thrown) here
               AdjustForward(h->adjustment, h->projection->u, px, py);
               *x = px;
               *y = py;
               SetError(0);
           })
               ? 1
               : 0;
}

VORTAN_API int32_t XYGeo(GEODESY h, double x, double y, double* lat, double* lon) {
    if (h == nullptr || lat == nullptr || lon == nullptr) { SetError(2); return 0; }
    if (!std::isfinite(x) || !std::isfinite(y)) { SetError(10); return 0; }
    return Guard([&] {
               double ax = x, ay = y;
               AdjustReverse(h->adjustment, h->projection->u, ax, ay);
               double la = 0.0, lo = 0.0;
               errcode e = h->projection->Inverse(ax, ay, la, lo);
               if (!e.ok()) return;
               *lat = la;
               *lon = lo;
               SetError(0);
           })
               ? 1
               : 0;
}

VORTAN_API double Scale(GEODESY h, double x, double y) {
    if (h == nullptr) { SetError(2); return 1.0; }
    double k = 1.0;
    uint32_t code = 1;
    Guard([&] { code = h->projection->PointScale(x, y, k).take(); });
    if (code != 0) { SetError(code); return 1.0; }
    SetError(0);
    return k;
}

/* ---- geodesic lines --------------------------------------------------- */

VORTAN_API double GCircLL(GEODESY h, double lat1, double lon1, double lat2, double lon2,
                          double* azimuth) {
    if (h == nullptr) { SetError(2); return 0.0; }
    SetError(0);
    return geodesic_lines::GCircLL(*h->projection, h->projection->u, lat1, lon1, lat2, lon2, azimuth);
}

VORTAN_API double RLineLL(GEODESY h, double lat1, double lon1, double lat2, double lon2,
                          double* azimuth) {
    if (h == nullptr) { SetError(2); return 0.0; }
    SetError(0);
    return geodesic_lines::RLineLL(*h->projection, h->projection->u, lat1, lon1, lat2, lon2, azimuth);
}

/* The datum, ECEF and definition-file exports live in vortan_api_datum.cpp;
   the adjustment, geoid, units and names exports in vortan_api_services.cpp. */

}  // extern "C"
