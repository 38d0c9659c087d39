#include "PolarStereo.h"
#include "ProjectionRegistry.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kQuarterPi = std::numbers::pi / 4.0;
constexpr double kHalfPi = std::numbers::pi / 2.0;
}  // namespace

PolarStereo::PolarStereo(const GeodesyParams& params) : Projection(params) {
    const double poleTerm = std::sqrt(std::pow(1.0 + e, 1.0 + e) * std::pow(1.0 - e, 1.0 - e));
    if (std::fabs(std::fabs(phi0) - kHalfPi) > 1e-5) {
        // Variant B: the scale is true on the parallel phi0; derive k0 at the pole.
        const double s = std::sin(phi0);
        const double p = std::pow((1.0 + e * s) / (1.0 - e * s), e / 2.0);
        const double tc = phi0 >= 0.0 ? std::tan(kQuarterPi - phi0 / 2.0) * p
                                      : std::tan(kQuarterPi + phi0 / 2.0) / p;
        const double mc = std::cos(phi0) / std::sqrt(1.0 - e2 * s * s);
        k0 = mc * poleTerm / (2.0 * tc);
    }
    F = 2.0 * a * k0 / poleTerm;
    c2 = e2 * (1.0 / 2.0 + e2 * (5.0 / 24.0 + e2 * (1.0 / 12.0 + e2 * 13.0 / 360.0)));
    const double e4 = e2 * e2;
    c4 = e4 * (7.0 / 48.0 + e2 * (29.0 / 240.0 + e2 * 811.0 / 11520.0));
    const double e6 = e4 * e2;
    c6 = e6 * (7.0 / 120.0 + e2 * 81.0 / 1120.0);
    c8 = e6 * e2 * 4279.0 / 161280.0;
}

const char* PolarStereo::ShortName() const { return "PST"; }
int32_t PolarStereo::TypeId() const { return 12; }

errcode PolarStereo::Forward(double& x, double& y, double lat, double lon) const {
    const double s = std::sin(lat);
    const double p = std::pow((1.0 + e * s) / (1.0 - e * s), e / 2.0);
    const double dl = lon - lambda0;
    if (!South()) {
        const double rho = F * std::tan(kQuarterPi - lat / 2.0) * p;
        x = FE + rho * std::sin(dl);
        y = FN - rho * std::cos(dl);
    } else {
        const double rho = F * std::tan(kQuarterPi + lat / 2.0) / p;
        x = FE + rho * std::sin(dl);
        y = FN + rho * std::cos(dl);
    }
    return Success();
}

double PolarStereo::LatitudeFromRadius(double rho) const {
    const double t = rho / F;
    const double chi = South() ? 2.0 * std::atan(t) - kHalfPi : kHalfPi - 2.0 * std::atan(t);
    return chi + c2 * std::sin(2.0 * chi) + c4 * std::sin(4.0 * chi) + c6 * std::sin(6.0 * chi) +
           c8 * std::sin(8.0 * chi);
}

errcode PolarStereo::Inverse(double x, double y, double& lat, double& lon) const {
    const double dx = x - FE;
    const double dy = y - FN;
    lat = LatitudeFromRadius(std::hypot(dx, dy));
    // FN - y rather than -dy: at the pole itself the arctangent must be +0, not pi.
    lon = South() ? lambda0 + std::atan2(dx, dy) : lambda0 + std::atan2(dx, FN - y);
    return Success();
}

errcode PolarStereo::PointScale(double x, double y, double& k) const {
    const double rho = std::hypot(x - FE, y - FN);
    if (rho == 0.0) {
        // The pole itself: rho / (a m) tends to the scale factor at the pole.
        k = k0;
        return Success();
    }
    const double phi = LatitudeFromRadius(rho);
    const double s = std::sin(phi);
    const double m = std::cos(phi) / std::sqrt(1.0 - e2 * s * s);
    k = rho / (a * m);
    return Success();
}

REGISTER_PROJECTION(12, PolarStereo)
