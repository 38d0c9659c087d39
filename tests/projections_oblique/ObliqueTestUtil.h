// Small helpers shared by the oblique and polar projection tests.
#ifndef ZELTO_TESTS_OBLIQUETESTUTIL_H
#define ZELTO_TESTS_OBLIQUETESTUTIL_H

#include "ProjectionSweep.h"
#include "errcode.h"
#include "vortan.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>

namespace oblique_test {

constexpr double kDeg = std::numbers::pi / 180.0;

inline double Dms(double d, double m, double s) {
    const double sign = d < 0.0 ? -1.0 : 1.0;
    return sign * (std::fabs(d) + m / 60.0 + s / 3600.0) * kDeg;
}

inline GeodesyParams Params(double a, double rf, int32_t type, double k0, double lon0, double lat0,
                            double fe, double fn, double unit = 1.0, double skew = 0.0) {
    GeodesyParams p{};
    p.a = a;
    p.invFlattening = rf;
    p.projection = type;
    p.unit = unit;
    p.scaleFactor = k0;
    p.centralMeridian = lon0;
    p.refLatitude = lat0;
    p.skewAzimuth = skew;
    p.falseEasting = fe;
    p.falseNorthing = fn;
    return p;
}

// Hands the code over and disarms the error, so a failing result is never
// reported (and thrown) by its destructor inside a test.
inline uint32_t Code(errcode r) { return r.take(); }

// Runs the enclosed statements with a German locale (decimal comma), which
// must change no result of the library.
struct GermanLocale {
    std::string saved;
    GermanLocale() {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved = old ? old : "C";
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~GermanLocale() { std::setlocale(LC_ALL, saved.c_str()); }
};

// Largest differences of a series, printed in a form the accuracy notes quote.
using projection_sweep::Report;

}  // namespace oblique_test

#endif
