// Series for the small arguments that the eccentricity brings into the
// conformal projections (Lambert, oblique stereographic): a handful of
// multiplications where the library calls would dominate a point's cost.
// Both fall back to the library outside the range they are exact in.
#ifndef VORTAN_SMALL_ARGUMENT_SERIES_H
#define VORTAN_SMALL_ARGUMENT_SERIES_H

#include <cmath>

namespace vortan_series {

// atanh(z) for z = e sin(phi): |z| < 0.1 for every real ellipsoid, where the
// odd series to z^17/17 is exact to the last digit (the next term is under
// 1e-18 of z).
inline double AtanhOfESin(double z) {
    if (!(std::fabs(z) < 0.1)) return std::atanh(z);
    const double y = z * z;
    return z * (1.0 + y * (1.0 / 3 + y * (1.0 / 5 + y * (1.0 / 7 + y * (1.0 / 9 + y * (1.0 / 11 + y * (1.0 / 13 +
                y * (1.0 / 15 + y * (1.0 / 17)))))))));
}

// exp(-v) for v = e atanh(e sin phi): below 0.007 for every real ellipsoid,
// where the series to v^7/7! is exact to the last digit. The reciprocal
// factorials are constants, so the chain has no division.
inline double ExpOfMinusSmall(double v) {
    if (!(std::fabs(v) < 0.01)) return std::exp(-v);
    constexpr double c2 = 1.0 / 2, c3 = 1.0 / 6, c4 = 1.0 / 24, c5 = 1.0 / 120, c6 = 1.0 / 720, c7 = 1.0 / 5040;
    return 1.0 - v * (1.0 - v * (c2 - v * (c3 - v * (c4 - v * (c5 - v * (c6 - v * c7))))));
}

}  // namespace vortan_series

#endif
