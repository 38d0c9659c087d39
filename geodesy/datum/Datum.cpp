#include "Datum.h"

#include <cmath>

namespace {
constexpr double kArcSecond = 3.14159265358979323846 / 648000.0;
constexpr int kMaxPasses = 100;
// Latitudes whose cosine is below this (within 0.057 degrees of a pole) take their
// height along the normal (EcefToGeo).
constexpr double kNearAxisCosine = 1e-3;
}

const Ellipsoid& Wgs84Ellipsoid() {
    static const Ellipsoid wgs84(6378137.0, 298.257223563);
    return wgs84;
}

EllDiffParams IdentityShift() { return EllDiffParams{0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0}; }

bool ShiftIsActive(const EllDiffParams& t) {
    return t.dx != 0.0 || t.dy != 0.0 || t.dz != 0.0 || t.rx != 0.0 || t.ry != 0.0 || t.rz != 0.0;
}

GeoAngles AnglesOf(double lat, double lon) {
    return GeoAngles{std::sin(lat), std::cos(lat), std::sin(lon), std::cos(lon)};
}

// N is the ellipsoid's prime vertical radius, a / sqrt(1 - e2 sin^2 lat), from the
// sine already taken.
Ecef GeoToEcef(const Ellipsoid& ell, const GeoAngles& g, double h) {
    const double n = ell.a / std::sqrt(1.0 - ell.e2 * g.sinLat * g.sinLat);
    return Ecef{(n + h) * g.cosLat * g.cosLon, (n + h) * g.cosLat * g.sinLon,
                ((1.0 - ell.e2) * n + h) * g.sinLat};
}

Ecef GeoToEcef(const Ellipsoid& ell, double lat, double lon, double h) {
    return GeoToEcef(ell, AnglesOf(lat, lon), h);
}

bool EcefToGeo(const Ellipsoid& ell, const Ecef& q, double& lat, double& lon, double* h) {
    // A coordinate that is not a finite number never meets the 1e-9 test:
    // refuse it instead of iterating for ever.
    if (!std::isfinite(q.X) || !std::isfinite(q.Y) || !std::isfinite(q.Z)) return false;
    const double p = std::hypot(q.X, q.Y);
    if (p == 0.0) {
        lat = q.Z > 0.0 ? std::asin(1.0) : -std::asin(1.0);
        lon = 0.0;
        if (h) *h = std::fabs(q.Z) - (1.0 - ell.f) * ell.a;
        return true;
    }
    double phi = std::atan(q.Z / ((1.0 - ell.e2) * p));
    double n = 0.0, next = phi;
    // Converges in a handful of passes for any point off the axis; the
    // fixed-point map contracts by about e2. The bound only guards against
    // an ellipsoid that is not one (e2 outside 0..1).
    bool converged = false;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        const double s = std::sin(phi);
        n = ell.a / std::sqrt(1.0 - ell.e2 * s * s);
        next = std::atan((q.Z + ell.e2 * n * s) / p);
        if (std::fabs(next - phi) <= 1e-9) {
            converged = true;
            break;
        }
        phi = next;
    }
    if (!converged) return false;
    lon = std::atan2(q.Y, q.X);
    lat = next;
    if (!std::isfinite(lat)) return false;
    // The height needs a cosine and a division. A caller that does not want it still
    // gets the same answer without them: a finite latitude from the arc tangent is
    // within pi/2 rounded down, whose cosine is above 6.1e-17, so with p below 1e290
    // and |n| below 1e300 the height is finite. Beyond those bounds it is worked out.
    if (h == nullptr && p < 1e290 && std::fabs(n) < 1e300) return true;
    // p / cos(lat) - N divides by a cosine that the rounding of a latitude near a pole
    // makes wrong by a large part: 132 km of height 4e-10 m off the axis, 3 m at 1 mm,
    // 1 mm at 1 m. Within about 6 km of the axis the height is taken along the normal
    // instead, p cos(lat) + Z sin(lat) - a^2 / N, which a small error of the latitude
    // does not move; elsewhere the quotient stays, so heights off the poles keep every bit.
    const double c = std::cos(next);
    const double height = c < kNearAxisCosine
        ? p * c + q.Z * std::sin(next) - ell.a * ell.a / ell.PrimeVerticalRadius(next)
        : p / c - n;
    if (h) *h = height;
    return std::isfinite(height);
}

Ecef HelmertForward(const EllDiffParams& t, const Ecef& p) {
    return Ecef{t.scale * (p.X + t.rz * p.Y - t.ry * p.Z) + t.dx,
                t.scale * (-t.rz * p.X + p.Y + t.rx * p.Z) + t.dy,
                t.scale * (t.ry * p.X - t.rx * p.Y + p.Z) + t.dz};
}

Ecef HelmertReverse(const EllDiffParams& t, const Ecef& p) {
    return Ecef{(p.X - t.rz * p.Y + t.ry * p.Z) / t.scale - t.dx,
                (t.rz * p.X + p.Y - t.rx * p.Z) / t.scale - t.dy,
                (-t.ry * p.X + t.rx * p.Y + p.Z) / t.scale - t.dz};
}

EllDiffParams ShiftFromGrid(int32_t count, const double* v, const Ellipsoid& project,
                            double lat, double lon, double h) {
    return ShiftFromGrid(count, v, project, AnglesOf(lat, lon), lat, lon, h);
}

EllDiffParams ShiftFromGrid(int32_t count, const double* v, const Ellipsoid& project,
                            const GeoAngles& at, double lat, double lon, double h) {
    EllDiffParams t = IdentityShift();
    if (count == 2) {
        const double lat2 = lat + v[0] * kArcSecond;
        const double lon2 = lon + v[1] * kArcSecond;
        const Ecef pr = GeoToEcef(project, at, h);
        const Ecef w = GeoToEcef(Wgs84Ellipsoid(), lat2, lon2, h);
        t.dx = pr.X - w.X;
        t.dy = pr.Y - w.Y;
        t.dz = pr.Z - w.Z;
    } else if (count >= 3) {
        t.dx = v[0];
        t.dy = v[1];
        t.dz = v[2];
    }
    return t;
}

namespace {

// Takes the point through ECEF on `from`, the given shift, and back to `to`.
// The caller's point is written only when the conversion succeeded.
bool ConvertThroughEcef(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                        Ecef (*shift)(const EllDiffParams&, const Ecef&), const GeoAngles& at,
                        double& lat, double& lon, double* h) {
    double height = h ? *h : 0.0;
    const Ecef p = shift(t, GeoToEcef(from, at, height));
    double la = 0.0, lo = 0.0;
    // Without a height to return, none is worked out.
    if (!EcefToGeo(to, p, la, lo, h ? &height : nullptr)) return false;
    lat = la;
    lon = lo;
    if (h) *h = height;
    return true;
}

}  // namespace

bool ConvertForward(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    const GeoAngles& at, double& lat, double& lon, double* h) {
    return ConvertThroughEcef(from, to, t, HelmertForward, at, lat, lon, h);
}

bool ConvertReverse(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    const GeoAngles& at, double& lat, double& lon, double* h) {
    return ConvertThroughEcef(from, to, t, HelmertReverse, at, lat, lon, h);
}

bool ConvertForward(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    double& lat, double& lon, double* h) {
    return ConvertForward(from, to, t, AnglesOf(lat, lon), lat, lon, h);
}

bool ConvertReverse(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    double& lat, double& lon, double* h) {
    return ConvertReverse(from, to, t, AnglesOf(lat, lon), lat, lon, h);
}
