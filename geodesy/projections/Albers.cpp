#include "Albers.h"
#include "ProjectionRegistry.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kHalfPi = std::numbers::pi / 2.0;
constexpr double kTolerance = 1e-7;  // latitude refinement, radians
constexpr int kMaxSteps = 10;
}  // namespace

Albers::Albers(const GeodesyParams& params) : Projection(params) {
    aU_ = a / u;
    const double s1 = std::sin(phi1);
    const double m1 = std::cos(phi1) / std::sqrt(1.0 - e2 * s1 * s1);
    const double q1 = Q(phi1);
    if (phi2 != phi1) {
        const double s2 = std::sin(phi2);
        const double m2 = std::cos(phi2) / std::sqrt(1.0 - e2 * s2 * s2);
        n = (m1 * m1 - m2 * m2) / (Q(phi2) - q1);
    } else {
        n = s1;
    }
    C = m1 * m1 + n * q1;
    rho0 = aU_ * std::sqrt(C - n * Q(phi0)) / n;
    if (n == 0.0) RaiseError(7, 4);
    if (!std::isfinite(n) || !std::isfinite(C) || !std::isfinite(rho0)) RaiseError(7, 4);
    // Nor can a false origin or central meridian that is not a number, or an
    // axis or unit that is not positive, place a grid.
    if (!(aU_ > 0.0) || !std::isfinite(lambda0) || !std::isfinite(FE) || !std::isfinite(FN)) RaiseError(7, 4);
    sign_ = n < 0.0 ? -1.0 : 1.0;
    rho0FN_ = rho0 + FN;
}

const char* Albers::ShortName() const { return "ALA"; }
int32_t Albers::TypeId() const { return 10; }

double Albers::G(double phi) const {
    const double s = std::sin(phi);
    // ln((1 - e s) / (1 + e s)) / (2e) = -atanh(e s) / e, whose limit on a
    // sphere is -s.
    return e == 0.0 ? -s : -std::atanh(e * s) / e;
}

double Albers::Q(double phi) const {
    const double s = std::sin(phi);
    return (s / (1.0 - e2 * s * s) - G(phi)) * (1.0 - e2);
}

errcode Albers::Forward(double& x, double& y, double lat, double lon) const {
    if (!(std::fabs(lat) <= kHalfPi) || !std::isfinite(lon)) return errcode(10, 4);
    const double theta = n * (lon - lambda0);  // not wrapped
    // C - n q(phi) is (1 - sin phi1)(1 - sin phi2)-like and never negative on
    // the globe; at the pole of the apex side it is a rounding error from 0.
    const double r2 = std::fmax(C - n * Q(lat), 0.0);
    const double rho = std::sqrt(r2) * aU_ / n;
    x = FE + rho * std::sin(theta);
    y = rho0FN_ - rho * std::cos(theta);
    return Success();
}

double Albers::QOfGrid(double dx, double r0) const {
    const double rho = std::hypot(dx, r0);
    return (C - rho * rho * n * n / (aU_ * aU_)) / n;
}

// The angle from the central meridian in its own quadrant, measured on the
// cone's side of the apex: a steep cone reaches more than a quarter turn
// around the apex within +-180 degrees of longitude. (atan2 by one arc
// tangent; the apex itself lies on the central meridian.)
double Albers::Theta(double dx, double r0) const {
    const double p = sign_ * dx, q = sign_ * r0;
    if (q > 0.0) return std::atan(p / q);
    if (q < 0.0) return std::atan(p / q) + std::copysign(std::numbers::pi, p);
    return p > 0.0 ? kHalfPi : p < 0.0 ? -kHalfPi : 0.0;
}

uint32_t Albers::Latitude(double q, double& phi) const {
    if (std::fabs(q) > 2.0) return 10;
    phi = std::asin(q / 2.0);
    int i = 0;
    for (;;) {
        if (i >= kMaxSteps) break;
        ++i;
        const double s = std::sin(phi), c = std::cos(phi);
        const double w = 1.0 - e2 * s * s;
        const double delta = (w * w / (2.0 * c)) * (q / (1.0 - e2) - s / w + G(phi));
        phi += delta;
        if (std::fabs(delta) <= kTolerance) break;
    }
    return i < kMaxSteps ? 0 : 11;
}

errcode Albers::Inverse(double x, double y, double& lat, double& lon) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return errcode(10, 4);
    const double dx = x - FE;
    const double r0 = rho0 - (y - FN);
    lon = Theta(dx, r0) / n + lambda0;  // not wrapped
    double phi = 0.0;
    const uint32_t code = Latitude(QOfGrid(dx, r0), phi);
    if (code == 10) return errcode(10, 4);
    lat = phi;
    return code == 0 ? Success() : errcode(code, 4);
}

errcode Albers::PointScale(double x, double y, double& k) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return errcode(10, 4);
    const double q = QOfGrid(x - FE, rho0 - (y - FN));
    // The scale of the point's own latitude: asin(q/2) alone is the authalic
    // latitude, which is off the true one by up to a fifth of a degree and
    // would give the scale of another parallel.
    double phi = 0.0;
    const uint32_t code = Latitude(q, phi);
    if (code != 0) return errcode(code, 4);
    const double s = std::sin(phi);
    const double m = std::cos(phi) / std::sqrt(1.0 - e2 * s * s);
    k = std::sqrt(std::fmax(C - n * q, 0.0)) / m;
    return Success();
}

REGISTER_PROJECTION(10, Albers)
