// The projection records the geodesy tests hand to CreateGeodesy: an
// ellipsoid and a projection type with every other member zero, WGS-84, and
// the UTM zones on WGS-84; and a handle destroyed with its scope. Only the
// C interface's header is needed, so the client-side suites can use them as
// well as those reaching the C++ classes.
#ifndef VORTAN_TESTS_PROJECTIONPARAMS_H
#define VORTAN_TESTS_PROJECTIONPARAMS_H

#include "vortan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numbers>

inline constexpr double kDeg = std::numbers::pi / 180.0;
inline constexpr double kSec = kDeg / 3600.0;

// Grid and heights in `unit` metres; no scale, origin or false origin yet.
inline GeodesyParams OnEllipsoid(double a, double invFlattening, int32_t type, double unit = 1.0) {
    GeodesyParams p{};
    p.a = a;
    p.invFlattening = invFlattening;
    p.projection = type;
    p.unit = unit;
    return p;
}

inline GeodesyParams Wgs84(int32_t type, double unit = 1.0) {
    return OnEllipsoid(6378137.0, 298.257223563, type, unit);
}

// Transverse Mercator on WGS-84 with the UTM scale and the 500 km false
// easting, given in the grid unit so that it stays 500 km on the ground.
inline GeodesyParams Wgs84Tm(double centralMeridianDeg, double unit = 1.0) {
    GeodesyParams p = Wgs84(3, unit);
    p.scaleFactor = 0.9996;
    p.centralMeridian = centralMeridianDeg * kDeg;
    p.falseEasting = 500000.0 / unit;
    return p;
}

// A northern UTM zone: zone 31 is centred on 3 E.
inline GeodesyParams Utm(int zone, double unit = 1.0) { return Wgs84Tm(zone * 6 - 183, unit); }

// A handle of these parameters, destroyed with the object.
class ScopedGeodesy {
public:
    explicit ScopedGeodesy(const GeodesyParams& p) : h_(CreateGeodesy(&p)) {}
    ~ScopedGeodesy() {
        if (h_ != nullptr) DestroyGeodesy(h_);
    }
    ScopedGeodesy(const ScopedGeodesy&) = delete;
    ScopedGeodesy& operator=(const ScopedGeodesy&) = delete;
    operator GEODESY() const { return h_; }

private:
    GEODESY h_;
};

#endif
