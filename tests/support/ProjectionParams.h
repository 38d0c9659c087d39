// The projection records the geodesy tests hand to CreateGeodesy, and a handle
// destroyed with its scope. Only the C interface's header is needed, so the
// client-side suites can use them as well as those reaching the C++ classes.
#ifndef VORTAN_TESTS_PROJECTIONPARAMS_H
#define VORTAN_TESTS_PROJECTIONPARAMS_H

#include "vortan.h"

#include <cstdint>
#include <numbers>

inline constexpr double kDeg = std::numbers::pi / 180.0;

// A WGS-84 record of projection `type`, grid and heights in `unit` metres;
// angles in degrees here.
inline GeodesyParams Wgs84(int32_t type, double k0, double lon0, double lat0, double azimuth = 0, double fe = 0,
                           double fn = 0, double unit = 1.0) {
    return {6378137.0, 298.257223563, type, unit, k0, lon0 * kDeg, lat0 * kDeg, 0, 0, azimuth * kDeg, fe, fn};
}

// A northern UTM zone (zone 31 is centred on 3 E), the 500 km false easting
// given in the grid unit so that it stays 500 km on the ground.
inline GeodesyParams Utm(int zone, double unit = 1.0) { return Wgs84(3, 0.9996, zone * 6 - 183, 0, 0, 500000.0 / unit, 0, unit); }

// A handle of these parameters, destroyed with the object.
struct ScopedGeodesy {
    explicit ScopedGeodesy(const GeodesyParams& p) : h(CreateGeodesy(&p)) {}
    ~ScopedGeodesy() { if (h) DestroyGeodesy(h); }
    ScopedGeodesy(const ScopedGeodesy&) = delete;
    ScopedGeodesy& operator=(const ScopedGeodesy&) = delete;
    operator GEODESY() const { return h; }
    GEODESY h;
};

#endif
