#include "ObliqueCylindrical.h"
#include "ProjectionRegistry.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kQuarterPi = std::numbers::pi / 4.0;
constexpr double kHalfPi = std::numbers::pi / 2.0;

// L(beta) = ln tan(pi/4 + beta/2), the isometric latitude on a sphere.
double L(double beta) { return std::log(std::tan(kQuarterPi + beta / 2.0)); }

thread_local int lastIterations = 0;
}  // namespace

ObliqueCylindrical::ObliqueCylindrical(const GeodesyParams& params) : Projection(params) {
    const double s0 = std::sin(phi0);
    const double c0 = std::cos(phi0);
    alphaG = std::sqrt(1.0 + e2 * c0 * c0 * c0 * c0 / (1.0 - e2));
    b0 = std::asin(s0 / alphaG);
    K = L(b0) - alphaG * L(phi0) + alphaG * e * L(std::asin(e * s0));
    const double w2 = 1.0 - e2 * s0 * s0;
    const double rho0 = a * (1.0 - e2) / std::pow(w2, 1.5);
    const double nu0 = a / std::sqrt(w2);
    Rg = k0 * std::sqrt(rho0 * nu0) / u;
    // An origin at a pole leaves ln tan(pi/2) in K: no oblique cylinder exists.
    if (!std::isfinite(K) || !std::isfinite(b0) || !std::isfinite(Rg) || Rg == 0.0)
        RaiseError(7, 4);
}

const char* ObliqueCylindrical::ShortName() const { return "OCY"; }
int32_t ObliqueCylindrical::TypeId() const { return 5; }
int ObliqueCylindrical::LastIterations() { return lastIterations; }

errcode ObliqueCylindrical::Forward(double& x, double& y, double lat, double lon) const {
    const double l = alphaG * (lon - lambda0);  // not wrapped
    const double S = alphaG * L(lat) - alphaG * e * L(std::asin(e * std::sin(lat))) + K;
    const double b = 2.0 * std::atan(std::exp(S)) - kHalfPi;
    const double sb0 = std::sin(b0), cb0 = std::cos(b0);
    const double sb = std::sin(b), cb = std::cos(b);
    const double bBar = std::asin(cb0 * sb - sb0 * cb * std::cos(l));
    // Oblique longitude by the two-argument arctangent: it equals the arcsine
    // form within 90 degrees of the origin and keeps its quadrant beyond.
    const double lBar = std::atan2(cb * std::sin(l), sb0 * sb + cb0 * cb * std::cos(l));
    x = FE + Rg * lBar;
    y = FN + Rg * L(bBar);
    return Success();
}

errcode ObliqueCylindrical::Inverse(double x, double y, double& lat, double& lon) const {
    const double lBar = (x - FE) / Rg;
    const double bBar = 2.0 * std::atan(std::exp((y - FN) / Rg)) - kHalfPi;
    const double sb0 = std::sin(b0), cb0 = std::cos(b0);
    const double sbb = std::sin(bBar), cbb = std::cos(bBar);
    const double b = std::asin(cb0 * sbb + sb0 * cbb * std::cos(lBar));
    // Sphere longitude by the two-argument arctangent, so that points across
    // the pole from a high-latitude origin come back on their own meridian.
    const double l = std::atan2(cbb * std::sin(lBar), cb0 * cbb * std::cos(lBar) - sb0 * sbb);
    const double lambda = lambda0 + l / alphaG;
    const double C = (L(b) - K) / alphaG;

    double phi = phi0;
    for (int i = 1; i <= kMaxIterations; ++i) {
        const double next = 2.0 * std::atan(std::exp(C + e * L(std::asin(e * std::sin(phi))))) - kHalfPi;
        const double change = next - phi;
        phi = next;
        if (std::fabs(change) <= 1e-7 || std::isnan(change)) {
            lastIterations = i;
            lat = phi;
            lon = lambda;
            return Success();
        }
    }
    return errcode(11, 4);
}

errcode ObliqueCylindrical::PointScale(double x, double y, double& k) const {
    return Projection::PointScale(x, y, k);
}

REGISTER_PROJECTION(5, ObliqueCylindrical)
