#include "TransverseMercator.h"

#include "ProjectionRegistry.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;
constexpr double halfPi = std::numbers::pi / 2.0;

// Series constants of the rectifying (B) and footpoint (D) latitude series.
constexpr double c[12] = {
    -1.5, 0.5625, 0.9375, -0.46875, -0.7291666666666666, 0.615234375,
    1.5, -0.84375, 1.3125, -1.71875, 1.5729166666666667, 2.142578125,
};

// A latitude series X2 sin 2x + X4 sin 4x + X6 sin 6x + X8 sin 8x whose
// coefficients come from six constants k of the table above, in powers of n:
//   X2 = k0 n + k1 n^3, X4 = k2 n^2 + k3 n^4, X6 = k4 n^3, X8 = k5 n^4.
// Returned are the four factors of the same sum rewritten as sin x cos x
// times a cubic in cos^2 x, so one sine and one cosine serve the series.
using SineSeriesPowers = std::array<double, 4>;

SineSeriesPowers PowersOfSineSeries(const double* k, double n) {
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n;
    const double X2 = k[0] * n + k[1] * n3;
    const double X4 = k[2] * n2 + k[3] * n4;
    const double X6 = k[4] * n3;
    const double X8 = k[5] * n4;
    return {2.0 * (X2 - 2.0 * X4 + 3.0 * X6 - 4.0 * X8), 8.0 * (X4 - 4.0 * X6 + 10.0 * X8),
            32.0 * (X6 - 6.0 * X8), 128.0 * X8};
}

}  // namespace

TransverseMercator::TransverseMercator(const GeodesyParams& params) : Projection(params) {
    aOverU = a / u;
    n = f / (2.0 - f);
    const double n2 = n * n, n4 = n2 * n2;
    const SineSeriesPowers forward = PowersOfSineSeries(c, n);
    K0 = forward[0];
    K1 = forward[1];
    K2 = forward[2];
    K3 = forward[3];
    G = (a / u) * (1.0 - n) * (1.0 - n2) * (1.0 + 2.25 * n2 + n4 * 225.0 * 0.015625);
    if (G * k0 == 0.0) RaiseError(7, 4);
    Y0 = -k0 * G * RectifyingLatitude(phi0);
    e2tm = f * (2.0 - f);
    ep2 = e2tm / (1.0 - e2tm);
    const SineSeriesPowers inverse = PowersOfSineSeries(c + 6, n);
    J0 = inverse[0];
    J1 = inverse[1];
    J2 = inverse[2];
    J3 = inverse[3];
}

const char* TransverseMercator::ShortName() const { return "TME"; }
int32_t TransverseMercator::TypeId() const { return 3; }

// One sine and one cosine serve the four sine terms, rewritten as
// sin*cos times a polynomial in cos^2.
double TransverseMercator::RectifyingLatitude(double phi) const {
    return RectifyingLatitude(phi, std::sin(phi), std::cos(phi));
}

double TransverseMercator::RectifyingLatitude(double phi, double s, double co) const {
    const double c2 = co * co;
    return phi + s * co * (K0 + c2 * (K1 + c2 * (K2 + c2 * K3)));
}

double TransverseMercator::FootpointLatitude(double mu) const {
    const double s = std::sin(mu), co = std::cos(mu), c2 = co * co;
    return mu + s * co * (J0 + c2 * (J1 + c2 * (J2 + c2 * J3)));
}

errcode TransverseMercator::Forward(double& x, double& y, double lat, double lon) const {
    // One sine and one cosine of the latitude serve the series, the arc and N.
    const double s = std::sin(lat);
    const double co = std::cos(lat);
    const double eta2 = ep2 * co * co;
    double dl = lon - lambda0;
    if (dl < -pi)
        dl += 2.0 * pi;
    else if (dl > pi)
        dl -= 2.0 * pi;
    const double l = dl * co;
    const double mu = RectifyingLatitude(lat, s, co);
    if (lat == halfPi) return errcode(6, 4);
    const double t = std::tan(lat), T = t * t;
    const double N = aOverU / std::sqrt(1.0 - e2tm * s * s);
    const double a6 = (1.0 - T + eta2) / 6.0;
    const double a12 = ((4.0 * eta2 + 9.0) * eta2 + (5.0 - T)) / 12.0;
    const double a120 = (5.0 - 18.0 * T + T * T + (14.0 - 58.0 * T) * eta2) / 120.0;
    const double a360 = (61.0 - 58.0 * T + T * T + eta2 * (270.0 - 330.0 * T)) / 360.0;
    const double a5040 = (61.0 - 479.0 * T + 179.0 * T * T - T * T * T) / 5040.0;
    const double l2 = l * l;
    x = FE + k0 * N * l * (1.0 + l2 * (a6 + l2 * (a120 + a5040 * l2)));
    y = FN + Y0 + k0 * (G * mu + (N * t * l2 / 2.0) * (1.0 + l2 * (a12 + a360 * l2)));
    return Success();
}

// The footpoint latitude of a northing, shared by Inverse and PointScale;
// false when the rectifying or footpoint latitude reaches a pole.
bool TransverseMercator::FootpointOfNorthing(double y, double& p1) const {
    const double mu = (y - FN - Y0) / (G * k0);
    if (!(std::fabs(mu) < halfPi)) return false;
    p1 = FootpointLatitude(mu);
    return std::fabs(p1) < halfPi;
}

errcode TransverseMercator::Inverse(double x, double y, double& lat, double& lon) const {
    double p1 = 0;
    if (!FootpointOfNorthing(y, p1)) return errcode(10, 4);
    const double s1 = std::sin(p1);
    const double N1 = aOverU / std::sqrt(1.0 - e2tm * s1 * s1);
    const double c1 = std::cos(p1);
    const double eta2 = ep2 * c1 * c1;
    const double t = std::tan(p1), T = t * t;
    const double b6 = -(1.0 + 2.0 * T + eta2) / 6.0;
    const double b12 = -(5.0 + 3.0 * T + eta2 - 9.0 * T * eta2 - 4.0 * eta2 * eta2) / 12.0;
    const double b120 = (5.0 + 28.0 * T + 24.0 * T * T + 6.0 * eta2 + 8.0 * T * eta2) / 120.0;
    const double b360 = (61.0 + 90.0 * T + 45.0 * T * T + eta2 * (46.0 - 252.0 * T - 90.0 * T * T)) / 360.0;
    const double b5040 = (61.0 + 662.0 * T + 1320.0 * T * T + 720.0 * T * T * T) / 5040.0;
    const double d = (x - FE) / (k0 * N1);
    const double d2 = d * d;
    const double phi = p1 - (t * (1.0 + eta2) / 2.0) * d2 * (1.0 + d2 * (b12 + d2 * b360));
    lat = phi;
    if (!(phi >= -halfPi && phi <= halfPi)) return errcode(10, 4);
    double lambda = lambda0 + d * (1.0 + d2 * (b6 + d2 * (b120 - b5040 * d2))) / c1;
    lon = lambda;
    if (lambda <= -pi) lon = lambda = lambda + 2.0 * pi;
    if (lambda >= pi) lon = lambda = lambda - 2.0 * pi;
    if (!(lambda >= -pi && lambda <= pi)) return errcode(10, 4);
    return Success();
}

errcode TransverseMercator::PointScale(double x, double y, double& k) const {
    double p1 = 0;
    if (!FootpointOfNorthing(y, p1)) return errcode(10, 4);
    const double s1 = std::sin(p1), c1 = std::cos(p1);
    const double N1 = aOverU / std::sqrt(1.0 - e2tm * s1 * s1);
    const double eta2 = ep2 * c1 * c1;
    const double d = (x - FE) / (k0 * N1);
    const double d2 = d * d;
    k = k0 * (1.0 + ((1.0 + eta2) * d2 / 2.0) * (1.0 + (1.0 + 5.0 * eta2) * d2 / 12.0));
    return Success();
}

REGISTER_PROJECTION(3, TransverseMercator)
