#include "AzimuthEqDist.h"
#include "ProjectionRegistry.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kPi = std::numbers::pi;

// arcsin of a sine that the spherical triangle keeps within [-1, 1]: a value
// beyond that can only be rounding (a point at a right angle from the origin,
// in bearing or in longitude), so it is taken as the bound instead of turning
// a good station into not-a-number. NaN passes through.
inline double AsinOfSine(double v) {
    if (v > 1.0) return kPi / 2.0;
    if (v < -1.0) return -kPi / 2.0;
    return std::asin(v);
}

// arcsin gives an angle of the near half only; when the cosine of the same
// angle is negative the angle lies beyond a right angle and is pi - angle
// (with its sign).
inline double BeyondRightAngle(double angle, double cosine) {
    return cosine < 0.0 ? std::copysign(kPi, angle) - angle : angle;
}
}  // namespace

AzimuthEqDist::AzimuthEqDist(const GeodesyParams& params) : Projection(params) {
    sinPhi0 = std::sin(phi0);
    cosPhi0 = std::cos(phi0);
    N0 = PrimeVerticalRadius(phi0) / u;
    oneMinusE2_ = 1.0 - e2;
    G = e * sinPhi0 / std::sqrt(oneMinusE2_);
    north = std::fabs(phi0 - kPi / 2.0) < 1e-6;
    south = std::fabs(phi0 + kPi / 2.0) < 1e-6;
    ep2_ = e2 / oneMinusE2_;
    ep_ = e / std::sqrt(oneMinusE2_);
    e2N0Sin0_ = e2 * N0 * sinPhi0;
}

const char* AzimuthEqDist::ShortName() const { return "AZD"; }
int32_t AzimuthEqDist::TypeId() const { return 8; }

errcode AzimuthEqDist::Forward(double& x, double& y, double lat, double lon) const {
    const double dl = lon - lambda0;  // not wrapped
    const double N = PrimeVerticalRadius(lat) / u;
    // psi: latitude on the sphere through the origin, seen from the point
    // where the origin's normal meets the polar axis.
    const double psi = std::atan(oneMinusE2_ * std::tan(lat) + e2N0Sin0_ / (N * std::cos(lat)));
    const double sdl = std::sin(dl), cdl = std::cos(dl);
    const double sinPsi = std::sin(psi), cosPsi = std::cos(psi);
    const double Az = std::atan2(sdl, cosPhi0 * std::tan(psi) - sinPhi0 * cdl);
    const double sAz = std::sin(Az), cAz = std::cos(Az);
    // Angular distance on that sphere. On the origin's meridian the bearing is
    // 0 or pi, and sin(pi) is not exactly 0 in floating point: the sine rule
    // would then give 0/tiny and put a station due south onto the origin, so
    // the meridian form is taken whenever the longitude difference has no sine.
    double s;
    if (sAz == 0.0 || sdl == 0.0) {
        const double d = psi - phi0;
        s = BeyondRightAngle(std::asin(cosPhi0 * sinPsi - sinPhi0 * cosPsi), std::cos(d));
        if (cAz < 0.0) s = -s;
    } else {
        s = AsinOfSine(sdl * cosPsi / sAz);
        s = BeyondRightAngle(s, sinPhi0 * sinPsi + cosPhi0 * cosPsi * cdl);
    }
    const double H = ep_ * cosPhi0 * cAz;
    const double H2 = H * H;
    const double s2 = s * s, s3 = s2 * s, s4 = s2 * s2, s5 = s4 * s;
    const double c = N0 * s *
                     (1.0 - s2 * H2 * (1.0 - H2) / 6.0 + (s3 / 8.0) * G * H * (1.0 - 2.0 * H2) +
                      (s4 / 120.0) * (H2 * (4.0 - 7.0 * H2) - 3.0 * G * G * (1.0 - 7.0 * H2)) -
                      (s5 / 48.0) * G * H);
    x = FE + c * sAz;
    y = FN + c * cAz;
    return Success();
}

errcode AzimuthEqDist::Inverse(double x, double y, double& lat, double& lon) const {
    const double dx = x - FE, dy = y - FN;
    if (dx == 0.0 && dy == 0.0) {
        lat = phi0;
        lon = lambda0;
        return Success();
    }
    const double c = std::hypot(dx, dy);
    const double Az = std::atan2(dx, dy);
    const double sAz = std::sin(Az), cAz = std::cos(Az);
    const double A = -ep2_ * cosPhi0 * cosPhi0 * cAz * cAz;
    const double B = 3.0 * ep2_ * (1.0 - A) * sinPhi0 * cosPhi0 * cAz;
    const double D = c / N0;
    const double D3 = D * D * D;
    const double E = D - A * (1.0 + A) * D3 / 6.0 - B * (1.0 + 3.0 * A) * D3 * D / 24.0;
    const double F = 1.0 - A * E * E / 2.0 - B * E * E * E / 6.0;
    const double sE = std::sin(E), cE = std::cos(E);
    const double psi = std::asin(sinPhi0 * cE + cosPhi0 * sE * cAz);
    const double sinPsi = std::sin(psi), cosPsi = std::cos(psi);

    if (north) {
        lon = std::atan2(dx, -dy) + lambda0;
    } else if (south) {
        lon = lambda0 + Az;
    } else {
        // Stations more than a right angle of longitude from the central
        // meridian (across the pole from a high origin) keep their side.
        double dl = AsinOfSine(sAz * sE / cosPsi);
        dl = BeyondRightAngle(dl, cE - sinPhi0 * sinPsi);
        lon = NormalizeAngle(lambda0 + dl);
    }
    // On the sphere's equator sin(psi) and tan(psi) are both 0; the same
    // expression multiplied out avoids 0/0 there.
    const double t = sinPsi != 0.0 ? (1.0 - e2 * F * sinPhi0 / sinPsi) * std::tan(psi)
                                   : std::tan(psi) - e2 * F * sinPhi0 / cosPsi;
    lat = std::atan(t / oneMinusE2_);
    return Success();
}

errcode AzimuthEqDist::PointScale(double x, double y, double& k) const { return Projection::PointScale(x, y, k); }

REGISTER_PROJECTION(8, AzimuthEqDist)
