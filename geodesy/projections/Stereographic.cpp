#include "Stereographic.h"
#include "ProjectionRegistry.h"
#include "SmallArgumentSeries.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kQuarterPi = std::numbers::pi / 4.0;
constexpr double kHalfPi = std::numbers::pi / 2.0;

using vortan_series::AtanhOfESin;
using vortan_series::ExpOfMinusSmall;
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
    sinChi0_ = std::sin(chi0);
    cosChi0_ = std::cos(chi0);
    lnC_ = std::log(c);
}

const char* Stereographic::ShortName() const { return "OST"; }
int32_t Stereographic::TypeId() const { return 4; }

// The latitude chi on the Gauss sphere, as its sine and cosine. With
// chi = 2 atan(w) - pi/2 and w = c [tan(pi/4 + phi/2) P]^n, P the
// eccentricity factor, ln w = ln c + n (atanh(sin phi) - e atanh(e sin phi)),
// and sin chi = tanh(ln w), cos chi = 1 / cosh(ln w). One exponential gives
// both; near the sphere's equator expm1 keeps sin chi to full precision.
void Stereographic::SphereLatitude(double lat, double& sinChi, double& cosChi) const {
    const double s = std::sin(lat), cphi = std::cos(lat);
    // atanh(sin phi) = ln((1 + |sin phi|) / cos phi) with the sign of phi; from
    // the cosine towards the poles, where 1 - sin phi has lost its digits.
    const double as = std::fabs(s) < 0.5 ? std::atanh(s) : std::copysign(std::log((1.0 + std::fabs(s)) / cphi), s);
    const double g = lnC_ + n * (as - e * AtanhOfESin(e * s));
    const double ag = std::fabs(g);
    if (ag > 0.35) {
        const double q = std::exp(-ag);
        const double q2 = q * q;
        const double d = 1.0 + q2;
        sinChi = std::copysign((1.0 - q2) / d, g);
        cosChi = 2.0 * q / d;
    } else {
        const double m = std::expm1(-2.0 * ag);  // q^2 - 1
        const double d = 2.0 + m;
        sinChi = std::copysign(-m / d, g);
        cosChi = 2.0 * std::sqrt(1.0 + m) / d;
    }
}

// The forward by the powers of the defining formula, for latitudes beyond the
// poles (where it gives not-a-number) and non-finite input.
void Stereographic::ForwardByPowers(double& x, double& y, double lat, double lon) const {
    const double s = std::sin(lat);
    const double p = std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0);
    const double chi = 2.0 * std::atan(c * std::pow(std::tan(kQuarterPi + lat / 2.0) * p, n)) - kHalfPi;
    const double dl = n * lon - nLambda0;
    const double sc = std::sin(chi), cc = std::cos(chi);
    const double b = 1.0 + sinChi0_ * sc + cosChi0_ * cc * std::cos(dl);
    x = FE + twoK0R * cc * std::sin(dl) / b;
    y = FN + twoK0R * (cosChi0_ * sc - sinChi0_ * cc * std::cos(dl)) / b;
}

errcode Stereographic::Forward(double& x, double& y, double lat, double lon) const {
    if (!(std::fabs(lat) <= kHalfPi)) {
        ForwardByPowers(x, y, lat, lon);
        return Success();
    }
    double sc, cc;
    SphereLatitude(lat, sc, cc);
    const double dl = n * lon - nLambda0;  // not wrapped, as the grids expect
    const double sdl = std::sin(dl), cdl = std::cos(dl);
    const double b = 1.0 + sinChi0_ * sc + cosChi0_ * cc * cdl;
    x = FE + twoK0R * cc * sdl / b;
    y = FN + twoK0R * (cosChi0_ * sc - sinChi0_ * cc * cdl) / b;
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
    // Angular distance delta = 2 atan(h) on the sphere, h = rho / 2R, by its
    // half-angle forms.
    const double h = rho / (2.0 * R);
    double sd, cd;
    if (h < 1e100) {
        const double d = 1.0 + h * h;
        sd = 2.0 * h / d;
        cd = (1.0 - h) * (1.0 + h) / d;
    } else {
        const double delta = 2.0 * std::atan(h);
        sd = std::sin(delta);
        cd = std::cos(delta);
    }
    const double sc0 = sinChi0_, cc0 = cosChi0_;
    const double chi = std::asin(cd * sc0 + cc0 * sd * cosTheta);
    // Longitude on the sphere by the two-argument arctangent: points whose
    // sphere longitude lies more than 90 degrees from the central meridian
    // (across the pole from a high-latitude origin) keep their quadrant.
    const double bigLambda = std::atan2(sd * sinTheta, cc0 * cd - sc0 * sd * cosTheta);
    const double lambda = (bigLambda + nLambda0) / n;

    // Newton steps on c T(phi)^n = tau, T = tan(pi/4 + phi/2) P, P the
    // eccentricity factor. tan(pi/4 + phi/2) = (1 + sin phi) / cos phi, written
    // as cos phi / (1 - sin phi) in the south where 1 + sin phi cancels, and
    // 1 / (2 cos^2(pi/4 + phi/2)) = 1 / (1 - sin phi); P = exp(-e atanh(e sin phi)).
    const double tau = std::tan(kQuarterPi + chi / 2.0);
    double phi = chi;
    bool settled = false;
    for (int i = 0; i < kMaxIterations; ++i) {
        const double s = std::sin(phi), cphi = std::cos(phi);
        const double ea = e * AtanhOfESin(e * s);
        const double p = ExpOfMinusSmall(ea);
        const double tq = s >= 0.0 ? (1.0 + s) / cphi : cphi / (1.0 - s);
        const double tn = std::exp(n * (std::log(tq) - ea));  // T^n
        const double g = c * tn - tau;
        // Step G / (c n T^(n-1) D), D = P / (1 - s) - e2 s cos(phi) tan(q) / (1 - e2 s),
        // over one division: tan(q) (1 - s) = cos phi and cos(phi) tan(q) = 1 + s.
        const double w = 1.0 - e2 * s;
        const double step = g * p * cphi * w / (c * n * tn * (p * w - e2 * s * cphi * cphi));
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
