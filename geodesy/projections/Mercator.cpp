#include "Mercator.h"
#include "ProjectionRegistry.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kHalfPi = std::numbers::pi / 2.0;
constexpr double kTolerance = 5e-11;  // latitude refinement, radians
}  // namespace

Mercator::Mercator(const GeodesyParams& params) : Projection(params) {
    // A parallel of true scale at a pole (or beyond it) gives a cylinder of
    // no radius, or one turned inside out; both poles are refused alike.
    if (!(std::fabs(phi0) < kHalfPi)) RaiseError(7, 4);
    R = std::cos(phi0) * PrimeVerticalRadius(phi0) / u;
    // An axis or unit that is not positive, or a false origin or central
    // meridian that is not a number, places no grid either.
    if (!std::isfinite(R) || !(R > 0.0)) RaiseError(7, 4);
    if (!std::isfinite(lambda0) || !std::isfinite(FE) || !std::isfinite(FN)) RaiseError(7, 4);
}

const char* Mercator::ShortName() const { return "MER"; }
int32_t Mercator::TypeId() const { return 2; }

errcode Mercator::Forward(double& x, double& y, double lat, double lon) const {
    if (!(std::fabs(lat) <= kHalfPi) || !std::isfinite(lon)) return errcode(10, 4);
    if (std::fabs(lat) == kHalfPi) return errcode(6, 4);
    x = FE + R * NormalizeAngle(lon - lambda0);
    // (1/2) ln((1 + s) / (1 - s)) = ln((1 + |s|) / cos phi) with the sign of
    // phi, from the cosine so that high latitudes keep their digits; the
    // eccentricity term (e/2) ln((1 - e s) / (1 + e s)) = -e atanh(e s).
    const double s = std::sin(lat), c = std::cos(lat);
    const double psi = std::copysign(std::log((1.0 + std::fabs(s)) / c), s) - e * std::atanh(e * s);
    y = FN + R * psi;
    return Success();
}

errcode Mercator::Inverse(double x, double y, double& lat, double& lon) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return errcode(10, 4);
    const double t = std::exp(-(y - FN) / R);
    const auto next = [&](double phi) {
        const double s = std::sin(phi);
        return kHalfPi - 2.0 * std::atan(t * std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0));
    };
    double phi = kHalfPi - 2.0 * std::atan(t);
    double delta;
    int steps = 0;
    do {
        const double phiNew = next(phi);
        delta = std::fabs(phi - phiNew);
        phi = phiNew;
    } while (delta > kTolerance && ++steps < kMaxSteps);
    // A last step of 5e-11 rad leaves the latitude some 1e-13 rad short of
    // its limit; one step more takes it to the last digit.
    const bool settled = delta <= kTolerance;
    if (settled) phi = next(phi);
    lon = NormalizeAngle((x - FE) / R + lambda0);
    lat = phi;
    return settled ? Success() : errcode(11, 4);
}

errcode Mercator::PointScale(double x, double y, double& k) const {
    double lat = 0.0, lon = 0.0;
    const uint32_t code = Inverse(x, y, lat, lon).take();
    if (code == 10) return errcode(10, 4);
    const double s = std::sin(lat), s0 = std::sin(phi0);
    k = (std::cos(phi0) / std::cos(lat)) * std::sqrt((1.0 - e2 * s * s) / (1.0 - e2 * s0 * s0));
    return Success();
}

REGISTER_PROJECTION(2, Mercator)
