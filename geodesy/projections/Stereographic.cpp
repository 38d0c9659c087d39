#include "Stereographic.h"
#include "ProjectionRegistry.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kQuarterPi = std::numbers::pi / 4.0;
constexpr double kHalfPi = std::numbers::pi / 2.0;
}  // namespace

Stereographic::Stereographic(const GeodesyParams& params) : Projection(params) {
    const double c0 = std::cos(phi0);
    const double s0 = std::sin(phi0);
    n = std::sqrt(1.0 + e2 * c0 * c0 * c0 * c0 / (1.0 - e2));
    chi0 = std::asin(s0 / n);
    nLambda0 = n * lambda0;
    const double p0 = std::pow((1.0 - e * s0) / (1.0 + e * s0), e / 2.0);
    c = std::tan(kQuarterPi + chi0 / 2.0) / std::pow(std::tan(kQuarterPi + phi0 / 2.0) * p0, n);
    const double w2 = 1.0 - e2 * s0 * s0;
    const double rho0 = a * (1.0 - e2) / std::pow(w2, 1.5);
    const double nu0 = a / std::sqrt(w2);
    R = std::sqrt(rho0 * nu0);
    twoK0R = 2.0 * k0 * R;
    // An origin at a pole makes the sphere constant 0/0: no grid can be built.
    if (!std::isfinite(c) || !std::isfinite(chi0) || !std::isfinite(twoK0R) || c == 0.0)
        RaiseError(7, 4);
}

const char* Stereographic::ShortName() const { return "OST"; }
int32_t Stereographic::TypeId() const { return 4; }

errcode Stereographic::Forward(double& x, double& y, double lat, double lon) const {
    const double s = std::sin(lat);
    const double p = std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0);
    const double chi = 2.0 * std::atan(c * std::pow(std::tan(kQuarterPi + lat / 2.0) * p, n)) - kHalfPi;
    const double dl = n * lon - nLambda0;  // not wrapped, as the grids expect
    const double sc0 = std::sin(chi0), cc0 = std::cos(chi0);
    const double sc = std::sin(chi), cc = std::cos(chi);
    const double b = 1.0 + sc0 * sc + cc0 * cc * std::cos(dl);
    x = FE + twoK0R * cc * std::sin(dl) / b;
    y = FN + twoK0R * (cc0 * sc - sc0 * cc * std::cos(dl)) / b;
    return Success();
}

errcode Stereographic::Inverse(double x, double y, double& lat, double& lon) const {
    const double X = (x - FE) / k0;
    const double Y = (y - FN) / k0;
    const double rho = std::hypot(X, Y);
    double sinTheta = 1.0, cosTheta = 0.0;
    if (rho > 1e-20) {
        sinTheta = X / rho;
        cosTheta = Y / rho;
    }
    const double delta = 2.0 * std::atan(rho / (2.0 * R));
    const double sd = std::sin(delta), cd = std::cos(delta);
    const double sc0 = std::sin(chi0), cc0 = std::cos(chi0);
    const double chi = std::asin(cd * sc0 + cc0 * sd * cosTheta);
    // Longitude on the sphere by the two-argument arctangent: points whose
    // sphere longitude lies more than 90 degrees from the central meridian
    // (across the pole from a high-latitude origin) keep their quadrant.
    const double bigLambda = std::atan2(sd * sinTheta, cc0 * cd - sc0 * sd * cosTheta);
    const double lambda = (bigLambda + nLambda0) / n;

    const double tau = std::tan(kQuarterPi + chi / 2.0);
    double phi = chi;
    bool settled = false;
    for (int i = 0; i < kMaxIterations; ++i) {
        const double s = std::sin(phi);
        const double p = std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0);
        const double q = kQuarterPi + phi / 2.0;
        const double cq = std::cos(q);
        const double t = std::tan(q) * p;
        const double g = c * std::pow(t, n) - tau;
        const double d = p / (2.0 * cq * cq) - e2 * s * std::cos(phi) * std::tan(q) / (1.0 - e2 * s);
        const double step = g / (c * n * std::pow(t, n - 1.0) * d);
        phi -= step;
        if (std::fabs(step) <= 1e-12 || std::isnan(step)) {
            settled = true;
            break;
        }
    }
    if (!settled) return errcode(11, 4);
    lat = phi;
    lon = lambda;
    return Success();
}

errcode Stereographic::PointScale(double x, double y, double& k) const {
    const double r = std::hypot(x - FE, y - FN) / (2.0 * R);
    k = k0 + r * r / k0;
    return Success();
}

REGISTER_PROJECTION(4, Stereographic)
