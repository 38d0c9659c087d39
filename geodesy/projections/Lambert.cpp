#include "Lambert.h"
#include "ProjectionRegistry.h"
#include "SmallArgumentSeries.h"

#include <cmath>
#include <numbers>

namespace {
using vortan_series::AtanhOfESin;
using vortan_series::ExpOfMinusSmall;

constexpr double kHalfPi = std::numbers::pi / 2.0;
constexpr double kTolerance = 1e-10;  // latitude refinement, radians
constexpr int kMaxSteps = 10;         // refinement steps of the inverse
constexpr int kScaleSteps = 3;        // fixed refinement steps of the point scale

// Sine and cosine of |x| <= pi/4 by their Taylor series, to the last
// digit (the first omitted terms are below 1e-18 of the result).
inline void SinCosQuarter(double x, double& s, double& c) {
    const double z = x * x;
    s = x * (1.0 + z * (-1.0 / 6 + z * (1.0 / 120 + z * (-1.0 / 5040 + z * (1.0 / 362880 + z * (-1.0 / 39916800 +
            z * (1.0 / 6227020800.0 + z * (-1.0 / 1307674368000.0 + z * (1.0 / 355687428096000.0)))))))));
    c = 1.0 + z * (-0.5 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320 + z * (-1.0 / 3628800 +
            z * (1.0 / 479001600 + z * (-1.0 / 87178291200.0 + z * (1.0 / 20922789888000.0))))))));
}

// Sine and cosine of a latitude or a small cone angle without a library
// call: |x| <= pi/4 directly, up to pi/2 from the complement, which is
// formed exactly (pi/2 split in two parts) so that cos x keeps its digits
// near the poles; anything larger by the library.
inline void SinCos(double x, double& s, double& c) {
    constexpr double kQuarterPi = std::numbers::pi / 4.0;
    constexpr double kHalfPiHi = 1.5707963267948966;           // pi/2 rounded
    constexpr double kHalfPiLo = 6.123233995736766e-17;        // pi/2 - kHalfPiHi
    const double ax = std::fabs(x);
    if (ax <= kQuarterPi) {
        SinCosQuarter(x, s, c);
    } else if (ax <= kHalfPiHi) {
        const double r = (kHalfPiHi - ax) + kHalfPiLo;
        double sr, cr;
        SinCosQuarter(r, sr, cr);
        s = std::copysign(cr, x);
        c = sr;
    } else {
        s = std::sin(x);
        c = std::cos(x);
    }
}

// ln t(phi) for |phi| < pi/2: ln tan(pi/4 - phi/2) + e atanh(e sin phi).
// ln tan(pi/4 - phi/2) = -ln((1 + |sin phi|) / cos phi) with the sign of phi,
// taken from the cosine so that high latitudes keep their digits (1 - sin phi
// has lost them there).
inline double LnT(double phi, double e) {
    double s, c;
    SinCos(phi, s, c);
    const double lnTan = -std::copysign(std::log((1.0 + std::fabs(s)) / c), s);
    return lnTan + e * AtanhOfESin(e * s);
}
}  // namespace

Lambert::Lambert(const GeodesyParams& params) : Projection(params) {
    aU_ = a / u;
    const double s1 = std::sin(phi1);
    const double m1 = std::cos(phi1) / std::sqrt(1.0 - e2 * s1 * s1);
    const double t1 = TPhi(phi1);
    if (phi2 != phi1) {
        const double s2 = std::sin(phi2);
        const double m2 = std::cos(phi2) / std::sqrt(1.0 - e2 * s2 * s2);
        const double t2 = TPhi(phi2);
        n = std::log(m1 / m2) / std::log(t1 / t2);
    } else {
        n = s1;
    }
    // t1^n by the same logarithm the forward uses, so that the grid scale on
    // the standard parallel is k0 to the last digit.
    const double t1n = std::fabs(phi1) < kHalfPi ? std::exp(n * LnT(phi1, e)) : std::pow(t1, n);
    F = aU_ * k0 * m1 / (t1n * n);
    rho0 = std::fabs(phi0) < kHalfPi ? Radius(phi0) : F * std::pow(TPhi(phi0), n);
    if (n == 0.0) RaiseError(7, 4);
    // A standard parallel at a pole, an origin at the pole opposite the apex
    // or a parameter that is not a number leave no finite cone to draw on.
    if (!std::isfinite(n) || !std::isfinite(F) || !std::isfinite(rho0)) RaiseError(7, 4);
    // Nor can a false origin or central meridian that is not a number, or an
    // axis or unit that is not positive, place a grid.
    if (!(aU_ > 0.0) || !std::isfinite(lambda0) || !std::isfinite(FE) || !std::isfinite(FN)) RaiseError(7, 4);
    invN_ = 1.0 / n;
    sign_ = n < 0.0 ? -1.0 : 1.0;
    rho0FN_ = rho0 + FN;

    // On every earth-like figure (e^2 up to 0.01) the counted refinement of
    // the inverse settles within five steps for any grid point, so it never
    // reaches the tenth step that reports non-convergence, and its limit, the
    // latitude whose conformal latitude is chi, is given in closed form by the
    // series phi = chi + sum d_j sin(2 j chi) in the third flattening
    // n3 = f / (2 - f), exact to the last digit there (the first omitted
    // term is of order n3^7). Flatter test figures keep the counted steps.
    series_ = e2 <= 0.01;
    if (series_) {
        const double n3 = f / (2.0 - f);
        const double n2 = n3 * n3, n4 = n2 * n2;
        d_[0] = n3 * (2.0 + n3 * (-2.0 / 3 + n3 * (-2.0 + n3 * (116.0 / 45 + n3 * (26.0 / 45 + n3 * (-2854.0 / 675))))));
        d_[1] = n2 * (7.0 / 3 + n3 * (-8.0 / 5 + n3 * (-227.0 / 45 + n3 * (2704.0 / 315 + n3 * (2323.0 / 945)))));
        d_[2] = n2 * n3 * (56.0 / 15 + n3 * (-136.0 / 35 + n3 * (-1262.0 / 105 + n3 * (73814.0 / 2835))));
        d_[3] = n4 * (4279.0 / 630 + n3 * (-332.0 / 35 + n3 * (-399572.0 / 14175)));
        d_[4] = n4 * n3 * (4174.0 / 315 + n3 * (-144838.0 / 6237));
        d_[5] = n4 * n2 * (601676.0 / 22275);
    }
}

const char* Lambert::ShortName() const { return "LCC"; }
int32_t Lambert::TypeId() const { return 1; }

// F t(phi)^n, with t^n = exp(n ln t): one logarithm and one exponential.
double Lambert::Radius(double phi) const { return F * std::exp(n * LnT(phi, e)); }

double Lambert::Rho(double dx, double r0) const {
    double rho = std::sqrt(dx * dx + r0 * r0);
    if (!std::isfinite(rho)) rho = std::hypot(dx, r0);  // squares beyond the double range
    return rho * sign_;
}

// The angle from the central meridian in its own quadrant, measured on the
// cone's side of the apex: grids with a steep cone reach more than a quarter
// turn from the central meridian within +-180 degrees of longitude. The apex
// itself lies on the central meridian. (atan2 by one arc tangent.)
double Lambert::Theta(double dx, double r0) const {
    const double p = sign_ * dx, q = sign_ * r0;
    if (q > 0.0) return std::atan(p / q);
    if (q < 0.0) return std::atan(p / q) + std::copysign(std::numbers::pi, p);
    return p > 0.0 ? kHalfPi : p < 0.0 ? -kHalfPi : 0.0;
}

errcode Lambert::Forward(double& x, double& y, double lat, double lon) const {
    if (!(std::fabs(lat) <= kHalfPi) || !std::isfinite(lon)) return errcode(10, 4);
    double rho = 0.0;
    if (std::fabs(lat) == kHalfPi) {
        // The pole at the apex of the cone is a point; the other is at infinity.
        if (!(lat * n > 0.0)) return errcode(6, 4);
    } else {
        rho = Radius(lat);
    }
    const double theta = n * (lon - lambda0);  // not wrapped
    double st, ct;
    SinCos(theta, st, ct);
    x = FE + rho * st;
    y = rho0FN_ - rho * ct;
    return Success();
}

errcode Lambert::Inverse(double x, double y, double& lat, double& lon) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return errcode(10, 4);
    const double dx = x - FE;
    const double r0 = rho0 - (y - FN);
    const double rho = Rho(dx, r0);
    lon = Theta(dx, r0) * invN_ + lambda0;  // not wrapped

    // t = (rho / F)^(1/n); then phi = pi/2 - 2 atan(X) with X refined by
    // X = t ((1 - e sin phi) / (1 + e sin phi))^(e/2). The refinement runs on X
    // itself: sin phi = (1 - X^2) / (1 + X^2), the eccentricity factor is
    // exp(-e atanh(e sin phi)), and the latitude step is
    // 2 atan((X' - X) / (1 + X' X)), which below the tolerance is
    // 2 |X' - X| / (1 + X' X) to far better than a nanoradian.
    const double t = std::exp(std::log(rho / F) * invN_);
    if (t == HUGE_VAL) {  // the south pole (apex or infinity): settled at once
        lat = -kHalfPi;
        return Success();
    }
    if (series_) {
        lat = ConformalToGeodetic(t);
        return Success();
    }
    double X = t;
    int i = 0;
    bool met = false;
    for (;;) {
        if (i >= kMaxSteps) break;
        ++i;
        const double Xn = NextX(t, X);
        const double step = 2.0 * std::fabs((Xn - X) / (1.0 + Xn * X));
        X = Xn;
        if (step <= kTolerance) {
            met = true;
            break;
        }
    }
    // A last step of 1e-10 rad still leaves the latitude some 1e-13 rad (a
    // micrometre) short of its limit; one more step past the tolerance
    // takes it to the last digit. The step count and the result code stay
    // those of the counted refinement.
    if (met) X = NextX(t, X);
    lat = kHalfPi - 2.0 * std::atan(X);
    return i < kMaxSteps ? Success() : errcode(11, 4);
}

// The latitude whose conformal latitude chi has tan(pi/4 - chi/2) = X, by the
// series; sin chi and cos chi come from X itself, and the sum of the six sine
// terms by Clenshaw's recurrence on 2 chi.
double Lambert::ConformalToGeodetic(double X) const {
    double sc, cc;
    if (X <= 1.0) {
        const double X2 = X * X, D = 1.0 + X2;
        sc = (1.0 - X2) / D;
        cc = 2.0 * X / D;
    } else {
        const double r = 1.0 / X, r2 = r * r, D = 1.0 + r2;
        sc = (r2 - 1.0) / D;
        cc = 2.0 * r / D;
    }
    const double chi = kHalfPi - 2.0 * std::atan(X);
    const double sin2 = 2.0 * sc * cc;
    const double twoCos2 = 2.0 * (cc - sc) * (cc + sc);
    double b1 = 0.0, b2 = 0.0;
    for (int j = 5; j >= 0; --j) {
        const double b0 = d_[j] + twoCos2 * b1 - b2;
        b2 = b1;
        b1 = b0;
    }
    return chi + b1 * sin2;
}

// One refinement of X = tan(pi/4 - phi/2) from the latitude that X gives.
double Lambert::NextX(double t, double X) const {
    double s;
    if (X <= 1.0) {
        const double X2 = X * X;
        s = (1.0 - X2) / (1.0 + X2);
    } else {
        const double r = 1.0 / X, r2 = r * r;
        s = (r2 - 1.0) / (r2 + 1.0);
    }
    return t * ExpOfMinusSmall(e * AtanhOfESin(e * s));
}

errcode Lambert::PointScale(double x, double y, double& k) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return errcode(10, 4);
    const double rho = Rho(x - FE, rho0 - (y - FN));
    // At the apex the scale of a secant or tangent cone has no finite value.
    if (rho == 0.0) return errcode(6, 4);
    const double t = std::pow(rho / F, invN_);
    double s = std::sin(kHalfPi - 2.0 * std::atan(t));
    for (int i = 0; i < kScaleSteps; ++i)
        s = std::sin(kHalfPi - 2.0 * std::atan(t * std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0)));
    k = n * rho / (aU_ * std::sqrt((1.0 - s * s) / (1.0 - e2 * s * s)));
    return Success();
}

REGISTER_PROJECTION(1, Lambert)
