// Small helpers shared by the oblique and polar projection tests.
#ifndef ZELTO_TESTS_OBLIQUETESTUTIL_H
#define ZELTO_TESTS_OBLIQUETESTUTIL_H

#include "ProjectionSweep.h"
#include "errcode.h"
#include "vortan.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace oblique_test {

constexpr double kDeg = std::numbers::pi / 180.0;

inline double Dms(double d, double m, double s) {
    const double sign = d < 0.0 ? -1.0 : 1.0;
    return sign * (std::fabs(d) + m / 60.0 + s / 3600.0) * kDeg;
}

// The definition record, the error code taken (disarmed), the German-locale
// scope and the accuracy report line are shared with the other projection
// suites.
using projection_sweep::Code;
using projection_sweep::GermanLocale;
using projection_sweep::Params;
using projection_sweep::Report;

}  // namespace oblique_test

#endif
