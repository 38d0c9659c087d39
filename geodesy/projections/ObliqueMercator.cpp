#include "ObliqueMercator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kHalfPi = std::numbers::pi / 2.0;
}  // namespace

ObliqueMercator::ObliqueMercator(const GeodesyParams& params) : Projection(params) {
    const double sc = std::sin(phi0);
    const double cc = std::cos(phi0);
    const double w2 = 1.0 - e2 * sc * sc;
    B = std::sqrt(e2 * cc * cc * cc * cc / (1.0 - e2) + 1.0);
    A = a * B * k0 * std::sqrt(1.0 - e2) / w2;
    const double D = B * std::sqrt(1.0 - e2) / (std::sqrt(w2) * cc);
    // A centre on or next to the equator makes D^2 - 1 a rounding residue that
    // can fall just below zero; its root is then 0.
    const double root = std::sqrt(std::max(D * D - 1.0, 0.0));
    const double F = phi0 >= 0.0 ? D + root : D - root;
    H = F * std::pow(TPhi(phi0), B);
    // |sin(alpha)/D| exceeds 1 only by rounding when D is 1 (equatorial centre).
    gamma0 = std::asin(std::clamp(std::sin(alpha) / D, -1.0, 1.0));
    const double G = (F - 1.0 / F) / 2.0;
    lambdaOrigin = lambda0 - std::asin(G * std::tan(gamma0)) / B;
    if (!std::isfinite(A) || !std::isfinite(H) || !std::isfinite(lambdaOrigin) || H == 0.0)
        RaiseError(7, 4);
}

void ObliqueMercator::Rectify(double gamma, double su, double sv, double* x, double* y) const {
    const double sg = std::sin(gamma), cg = std::cos(gamma);
    *x = (sv * cg + su * sg) / u + FE;
    *y = (su * cg - sv * sg) / u + FN;
}

void ObliqueMercator::Unrectify(double gamma, double* su, double* sv, double x, double y) const {
    const double sg = std::sin(gamma), cg = std::cos(gamma);
    const double X = (x - FE) * u;
    const double Y = (y - FN) * u;
    *su = X * sg + Y * cg;
    *sv = X * cg - Y * sg;
}

errcode ObliqueMercator::Forward(double& x, double& y, double lat, double lon) const {
    const double Q = H / std::pow(TPhi(lat), B);
    const double S = (Q - 1.0 / Q) / 2.0;
    const double T = (Q + 1.0 / Q) / 2.0;
    const double bl = B * (lon - lambdaOrigin);  // not wrapped
    const double V = std::sin(bl);
    const double sg = std::sin(gamma0), cg = std::cos(gamma0);
    const double U = (S * sg - V * cg) / T;
    const double sv = A * std::log((1.0 - U) / (1.0 + U)) / (2.0 * B);
    const double su = (A / B) * std::atan2(S * cg + V * sg, std::cos(bl));
    UVXY(su, sv, &x, &y);
    return Success();
}

bool ObliqueMercator::SkewToGeographic(double su, double sv, double& lat, double& lon) const {
    const double Qp = std::exp(-B * sv / A);
    const double Sp = (Qp - 1.0 / Qp) / 2.0;
    const double Tp = (Qp + 1.0 / Qp) / 2.0;
    const double bu = B * su / A;
    const double Vp = std::sin(bu);
    const double sg = std::sin(gamma0), cg = std::cos(gamma0);
    const double Up = (Vp * cg + Sp * sg) / Tp;
    const double t = std::pow(H / std::sqrt((1.0 + Up) / (1.0 - Up)), 1.0 / B);

    double phi = kHalfPi - 2.0 * std::atan(t);
    bool settled = false;
    for (int i = 0; i < kMaxIterations; ++i) {
        const double s = std::sin(phi);
        const double next = kHalfPi - 2.0 * std::atan(t * std::pow((1.0 - e * s) / (1.0 + e * s), e / 2.0));
        const double change = next - phi;
        phi = next;
        if (std::fabs(change) <= 1e-9 || std::isnan(change)) {
            settled = true;
            break;
        }
    }
    if (!settled) return false;
    lat = phi;
    // Two-argument arctangent: beyond a quarter of the aposphere along the
    // initial line cos(Bu/A) turns negative and the one-argument form would
    // put the longitude on the wrong side.
    lon = lambdaOrigin - std::atan2(Sp * cg - Vp * sg, std::cos(bu)) / B;
    return true;
}

errcode ObliqueMercator::Inverse(double x, double y, double& lat, double& lon) const {
    double su = 0.0, sv = 0.0;
    XYUV(&su, &sv, x, y);
    double phi = 0.0, lambda = 0.0;
    if (!SkewToGeographic(su, sv, phi, lambda)) return errcode(11, 4);
    lat = phi;
    lon = lambda;
    return Success();
}

errcode ObliqueMercator::PointScale(double x, double y, double& k) const {
    double su = 0.0, sv = 0.0;
    XYUV(&su, &sv, x, y);
    double phi = 0.0, lambda = 0.0;
    if (!SkewToGeographic(su, sv, phi, lambda)) return errcode(11, 4);
    const double s = std::sin(phi);
    k = A * std::cos(B * su / A) * std::sqrt(1.0 - e2 * s * s) /
        (a * std::cos(phi) * std::cos(B * (lambda - lambdaOrigin)));
    return Success();
}
