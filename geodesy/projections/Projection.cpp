#include "Projection.h"

#include <cmath>
#include <numbers>

Projection::Projection(const GeodesyParams& p)
    : Ellipsoid(p.a, p.invFlattening),
      k0(p.scaleFactor),
      lambda0(p.centralMeridian),
      phi0(p.refLatitude),
      phi1(p.northParallel),
      phi2(p.southParallel),
      alpha(p.skewAzimuth),
      u(p.unit),
      FE(p.falseEasting),
      FN(p.falseNorthing) {
    if (k0 == 0.0) k0 = 1.0;
    if (u == 0.0) u = 1.0;
}

errcode Projection::PointScale(double, double, double& k) const {
    k = 1.0;
    return Success();
}

double Projection::TPhi(double phi) const {
    const double s = std::sin(phi);
    return std::sqrt((1.0 - s) / (1.0 + s) * std::pow((1.0 + e * s) / (1.0 - e * s), e));
}

double NormalizeAngle(double x) {
    constexpr double pi = std::numbers::pi;
    if (std::fabs(x) <= pi) return x;
    const double s = x < 0.0 ? -1.0 : 1.0;
    // Bounded: a non-finite angle is returned as it is instead of looping.
    if (!std::isfinite(x)) return x;
    if (std::fabs(x) > 1e9) x = std::remainder(x, 2.0 * pi) + s * 2.0 * pi;
    while (std::fabs(x) > pi) x -= s * 2.0 * pi;
    return x;
}
