// Azimuthal equidistant (type 8): the published Clarke 1866 example, the
// meridian and polar rules, the ignored fields, the handle route and PROJ's
// aeqd, which measures distance and azimuth along the rigorous geodesic, as
// the independent reference. The series is exact only near the origin; how
// far it departs from the geodesic at growing distance is measured here and
// the accuracy stated in the notes is the one asserted.
#include "AzimuthEqDist.h"
#include "ConicTestUtil.h"
#include "vortan.h"

#include <gtest/gtest.h>

#ifdef ZELTO_HAVE_PROJ
#include "ProjOracle.h"

#include <geodesic.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

using namespace conic_test;
using projection_sweep::ExpectUnitScale;
using projection_sweep::Params;
using projection_sweep::Report;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kPi = std::numbers::pi;

// The scale factor, parallels and skew are left 0: the grid ignores them.
GeodesyParams AzdParams(double a, double rf, double lat0, double lon0, double fe = 0, double fn = 0,
                        double unit = 1.0) {
    return Params(a, rf, 8, 0.0, lon0, lat0, fe, fn, unit);
}

// Clarke 1866, origin 40 N 100 W.
GeodesyParams Clarke1866() { return AzdParams(6378206.4, 294.9786982, 40.0 * kDeg, -100.0 * kDeg); }
GeodesyParams Wgs84(double lat0Deg, double lon0Deg, double fe = 0, double fn = 0) {
    return AzdParams(6378137.0, 298.257223563, lat0Deg * kDeg, lon0Deg * kDeg, fe, fn);
}

// Ground distance of a latitude/longitude difference, metres (good enough
// for judging millimetres to metres).
double Ground(double lat1, double lon1, double lat2, double lon2) {
    const double dl = std::remainder(lon1 - lon2, 2.0 * kPi);
    return 6.371e6 * std::hypot(lat1 - lat2, dl * std::cos(lat2));
}

}  // namespace

TEST(AzimuthEqDist, NamesTypeAndRegistration) { ExpectRegistered<AzimuthEqDist>(Clarke1866(), 8, "AZD"); }

TEST(AzimuthEqDist, OriginConstants) {
    AzimuthEqDist p(AzdParams(6378206.4, 294.9786982, 40.0 * kDeg, -100.0 * kDeg, 0, 0, 0.3048));
    EXPECT_EQ(p.sinPhi0, std::sin(40.0 * kDeg));
    EXPECT_EQ(p.cosPhi0, std::cos(40.0 * kDeg));
    EXPECT_DOUBLE_EQ(p.N0, p.PrimeVerticalRadius(40.0 * kDeg) / 0.3048);
    EXPECT_DOUBLE_EQ(p.G, p.e * std::sin(40.0 * kDeg) / std::sqrt(1.0 - p.e2));
    EXPECT_FALSE(p.north);
    EXPECT_FALSE(p.south);
}

TEST(AzimuthEqDist, PoleFlagsWithinOneMicroradian) {
    EXPECT_TRUE(AzimuthEqDist(Wgs84(90.0, 0.0)).north);
    EXPECT_FALSE(AzimuthEqDist(Wgs84(90.0, 0.0)).south);
    EXPECT_TRUE(AzimuthEqDist(Wgs84(-90.0, 0.0)).south);
    EXPECT_FALSE(AzimuthEqDist(Wgs84(-90.0, 0.0)).north);
    EXPECT_TRUE(AzimuthEqDist(AzdParams(6378137.0, 298.257223563, kPi / 2 - 0.9e-6, 0.0)).north);
    EXPECT_FALSE(AzimuthEqDist(AzdParams(6378137.0, 298.257223563, kPi / 2 - 1.1e-6, 0.0)).north);
    EXPECT_TRUE(AzimuthEqDist(AzdParams(6378137.0, 298.257223563, -kPi / 2 + 0.9e-6, 0.0)).south);
    EXPECT_FALSE(AzimuthEqDist(AzdParams(6378137.0, 298.257223563, -kPi / 2 + 1.1e-6, 0.0)).south);
}

TEST(AzimuthEqDist, PublishedClarke1866Example) {
    AzimuthEqDist p(Clarke1866());
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 41.0 * kDeg, -98.0 * kDeg)), 0u);
    EXPECT_NEAR(x, 168269.027, 0.0005);
    EXPECT_NEAR(y, 112943.399, 0.0005);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
    EXPECT_LT(Ground(lat, lon, 41.0 * kDeg, -98.0 * kDeg), 1e-5);
}

TEST(AzimuthEqDist, SeventeenHundredKilometresRoundTripWithinAMetre) {
    AzimuthEqDist p(Clarke1866());
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 43.0 * kDeg, -80.0 * kDeg)), 0u);
    EXPECT_NEAR(std::hypot(x, y), 1.7e6, 0.1e6);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
    const double back = Ground(lat, lon, 43.0 * kDeg, -80.0 * kDeg);
    Report("AZD Clarke 1866, 43N 80W (1700 km) round trip", back, "m");
    EXPECT_LT(back, 1.0);
}

TEST(AzimuthEqDist, OriginAndFalseOrigin) {
    AzimuthEqDist p(AzdParams(6378206.4, 294.9786982, 40.0 * kDeg, -100.0 * kDeg, 500000.0, 300000.0));
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 40.0 * kDeg, -100.0 * kDeg)), 0u);
    EXPECT_NEAR(x, 500000.0, 1e-6);
    EXPECT_NEAR(y, 300000.0, 1e-6);
    double lat = 1, lon = 1;
    ASSERT_EQ(Code(p.Inverse(500000.0, 300000.0, lat, lon)), 0u);
    EXPECT_EQ(lat, 40.0 * kDeg);
    EXPECT_EQ(lon, -100.0 * kDeg);
}

TEST(AzimuthEqDist, DueNorthAndDueSouthUseTheMeridianForm) {
    AzimuthEqDist p(Clarke1866());
    double xn = 0, yn = 0, xs = 0, ys = 0;
    ASSERT_EQ(Code(p.Forward(xn, yn, 41.0 * kDeg, -100.0 * kDeg)), 0u);
    EXPECT_EQ(xn, 0.0);
    EXPECT_NEAR(yn, 111.04e3, 0.1e3);  // one degree of meridian at 40.5 N
    // Due south the bearing is pi, whose sine is not exactly 0: the station
    // must still lie a degree of meridian south, not on the origin.
    ASSERT_EQ(Code(p.Forward(xs, ys, 39.0 * kDeg, -100.0 * kDeg)), 0u);
    EXPECT_NEAR(xs, 0.0, 1e-9);
    EXPECT_NEAR(ys, -111.03e3, 0.1e3);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(xs, ys, lat, lon)), 0u);
    EXPECT_LT(Ground(lat, lon, 39.0 * kDeg, -100.0 * kDeg), 1e-5);
    ASSERT_EQ(Code(p.Inverse(xn, yn, lat, lon)), 0u);
    EXPECT_LT(Ground(lat, lon, 41.0 * kDeg, -100.0 * kDeg), 1e-5);
}

TEST(AzimuthEqDist, NorthPoleOriginLongitudeFromGridBearingUnwrapped) {
    AzimuthEqDist p(Wgs84(90.0, 3.0 / kDeg));
    ASSERT_TRUE(p.north);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(1000.0, 1000.0, lat, lon)), 0u);
    EXPECT_DOUBLE_EQ(lon, std::atan2(1000.0, -1000.0) + 3.0);
    EXPECT_GT(lon, kPi);  // not wrapped
    // Stations around the pole go there and back.
    for (double dl : {-170.0, -90.0, -30.0, 0.0, 45.0, 135.0, 179.0}) {
        const double want = 3.0 + dl * kDeg;
        double x = 0, y = 0;
        ASSERT_EQ(Code(p.Forward(x, y, 80.0 * kDeg, want)), 0u);
        EXPECT_NEAR(std::hypot(x, y), 1.1e6, 0.02e6) << dl;
        ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
        EXPECT_NEAR(std::remainder(lon - want, 2.0 * kPi), 0.0, 1e-9) << dl;
        EXPECT_NEAR(lat, 80.0 * kDeg, 1e-7) << dl;
    }
}

TEST(AzimuthEqDist, SouthPoleOriginLongitudeIsBearingPlusMeridian) {
    AzimuthEqDist p(Wgs84(-90.0, 2.5 / kDeg));
    ASSERT_TRUE(p.south);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(-1000.0, -1000.0, lat, lon)), 0u);
    EXPECT_DOUBLE_EQ(lon, 2.5 + std::atan2(-1000.0, -1000.0));
    ASSERT_EQ(Code(p.Inverse(1000.0, 1000.0, lat, lon)), 0u);
    EXPECT_DOUBLE_EQ(lon, 2.5 + kPi / 4);
    EXPECT_GT(lon, kPi);  // not wrapped
    for (double dl : {-150.0, -60.0, 10.0, 100.0}) {
        const double want = 2.5 + dl * kDeg;
        double x = 0, y = 0;
        ASSERT_EQ(Code(p.Forward(x, y, -75.0 * kDeg, want)), 0u);
        ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
        EXPECT_NEAR(std::remainder(lon - want, 2.0 * kPi), 0.0, 1e-9) << dl;
        EXPECT_NEAR(lat, -75.0 * kDeg, 1e-6) << dl;
    }
}

TEST(AzimuthEqDist, ObliqueInverseLongitudeIsWrapped) {
    AzimuthEqDist p(Wgs84(10.0, 179.0));
    double x = 0, y = 0, lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 10.5 * kDeg, 181.0 * kDeg)), 0u);
    EXPECT_GT(x, 0.0);
    ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
    EXPECT_NEAR(lon, -179.0 * kDeg, 1e-9);
}

TEST(AzimuthEqDist, StationsAcrossThePoleKeepTheirSide) {
    // From an origin at 80 N a station at 80 N on the meridian 150 degrees
    // away lies 2000 km off across the pole; its longitude is more than a
    // right angle from the central meridian and must not fold back to 30.
    AzimuthEqDist p(Wgs84(80.0, 20.0));
    for (double dl : {95.0, 120.0, 150.0, -150.0, -100.0}) {
        const double want = (20.0 + dl) * kDeg;
        double x = 0, y = 0, lat = 0, lon = 0;
        ASSERT_EQ(Code(p.Forward(x, y, 80.0 * kDeg, want)), 0u);
        ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
        EXPECT_LT(Ground(lat, lon, 80.0 * kDeg, want), 5.0) << dl;
    }
}

TEST(AzimuthEqDist, FarHemisphereIsNotFoldedOntoTheNearOne) {
    // Beyond a quarter of the globe the angular distance exceeds a right
    // angle; the far station must map farther out than the near one.
    AzimuthEqDist p(Wgs84(40.0, 0.0));
    double xn = 0, yn = 0, xf = 0, yf = 0;
    ASSERT_EQ(Code(p.Forward(xn, yn, 0.0, 60.0 * kDeg)), 0u);
    ASSERT_EQ(Code(p.Forward(xf, yf, -40.0 * kDeg, 120.0 * kDeg)), 0u);
    EXPECT_GT(std::hypot(xf, yf), std::hypot(xn, yn));
    ASSERT_EQ(Code(p.Forward(xf, yf, -30.0 * kDeg, 0.0)), 0u);
    EXPECT_NEAR(yf, -7.76e6, 0.05e6);  // 70 degrees of meridian south
    ASSERT_EQ(Code(p.Forward(xf, yf, -60.0 * kDeg, 0.0)), 0u);
    EXPECT_NEAR(yf, -11.1e6, 0.1e6);  // 100 degrees of meridian south
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Forward(xf, yf, 10.0 * kDeg, 150.0 * kDeg)), 0u);
    ASSERT_EQ(Code(p.Inverse(xf, yf, lat, lon)), 0u);
    EXPECT_NEAR(lon / kDeg, 150.0, 1.0);
}

TEST(AzimuthEqDist, NoFiniteStationGivesNotANumber) {
    // Bearings and longitudes at right angles, where rounding can push a
    // sine a hair beyond 1.
    for (double lat0 : {0.0, 30.0, 45.0, 60.0}) {
        AzimuthEqDist p(Wgs84(lat0, 0.0));
        for (int i = 0; i <= 200; ++i) {
            const double lat = (-80.0 + 0.8 * i) * kDeg;
            for (double dl : {89.999999, 90.0, 90.000001, -90.0, 180.0}) {
                double x = 0, y = 0, blat = 0, blon = 0;
                ASSERT_EQ(Code(p.Forward(x, y, lat, dl * kDeg)), 0u);
                ASSERT_TRUE(std::isfinite(x) && std::isfinite(y)) << lat0 << " " << lat / kDeg << " " << dl;
                ASSERT_EQ(Code(p.Inverse(x, y, blat, blon)), 0u);
                ASSERT_TRUE(std::isfinite(blat) && std::isfinite(blon)) << lat0 << " " << lat / kDeg << " " << dl;
            }
        }
    }
}

TEST(AzimuthEqDist, InverseOnTheSpheresEquatorHasNoZeroOverZero) {
    // From an origin on the equator a grid point a hair east of the false
    // origin has psi = 0 exactly; the latitude is still the equator.
    AzimuthEqDist p(Wgs84(0.0, 10.0));
    double lat = 1, lon = 1;
    ASSERT_EQ(Code(p.Inverse(1e-310, 0.0, lat, lon)), 0u);
    EXPECT_EQ(lat, 0.0);
    EXPECT_NEAR(lon, 10.0 * kDeg, 1e-15);
}

TEST(AzimuthEqDist, ScaleFactorParallelsAndSkewAreIgnored) {
    GeodesyParams other = Clarke1866();
    other.scaleFactor = 0.5;
    other.northParallel = 1.0;
    other.southParallel = 0.5;
    other.skewAzimuth = 0.3;
    ExpectSameGrid<AzimuthEqDist>(Clarke1866(), other, 42.0 * kDeg, -103.0 * kDeg, -200000.0, 70000.0);
}

TEST(AzimuthEqDist, FeetGridScalesOffsetsOnly) {
    AzimuthEqDist m(Clarke1866());
    AzimuthEqDist f(AzdParams(6378206.4, 294.9786982, 40.0 * kDeg, -100.0 * kDeg, 1000.0, 2000.0, 0.3048));
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(Code(m.Forward(x1, y1, 41.0 * kDeg, -98.0 * kDeg)), 0u);
    ASSERT_EQ(Code(f.Forward(x2, y2, 41.0 * kDeg, -98.0 * kDeg)), 0u);
    EXPECT_NEAR(x2 - 1000.0, x1 / 0.3048, 1e-6);
    EXPECT_NEAR(y2 - 2000.0, y1 / 0.3048, 1e-6);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(f.Inverse(x2, y2, lat, lon)), 0u);
    EXPECT_LT(Ground(lat, lon, 41.0 * kDeg, -98.0 * kDeg), 1e-5);
}

TEST(AzimuthEqDist, SphereGivesGreatCircleDistance) {
    AzimuthEqDist p(AzdParams(6371000.0, std::numeric_limits<double>::infinity(), 30.0 * kDeg, 0.0));
    EXPECT_EQ(p.e, 0.0);
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 50.0 * kDeg, 40.0 * kDeg)), 0u);
    const double cosd = std::sin(30.0 * kDeg) * std::sin(50.0 * kDeg) +
                        std::cos(30.0 * kDeg) * std::cos(50.0 * kDeg) * std::cos(40.0 * kDeg);
    EXPECT_NEAR(std::hypot(x, y), 6371000.0 * std::acos(cosd), 1e-6);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
    EXPECT_NEAR(lat, 50.0 * kDeg, 1e-12);
    EXPECT_NEAR(lon, 40.0 * kDeg, 1e-12);
}

TEST(AzimuthEqDist, NonFiniteInputSucceedsWithoutHanging) {
    AzimuthEqDist p(Clarke1866());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    double x = 0, y = 0, lat = 0, lon = 0;
    EXPECT_EQ(Code(p.Forward(x, y, nan, 0.0)), 0u);
    EXPECT_TRUE(std::isnan(x) && std::isnan(y));
    EXPECT_EQ(Code(p.Forward(x, y, 0.5, inf)), 0u);
    EXPECT_TRUE(std::isnan(x));
    EXPECT_EQ(Code(p.Inverse(nan, 0.0, lat, lon)), 0u);
    EXPECT_TRUE(std::isnan(lat));
    EXPECT_EQ(Code(p.Inverse(inf, 1e300, lat, lon)), 0u);
    EXPECT_EQ(Code(p.Inverse(1e300, -1e300, lat, lon)), 0u);  // wraps a huge longitude, bounded
}

TEST(AzimuthEqDist, PointScaleIsOne) { ExpectUnitScale(AzimuthEqDist(Clarke1866()), {{1e6, -2e6}}); }

TEST(AzimuthEqDistHandle, CreateGeoXYXYGeoScale) {
    double lat = 0, lon = 0;
    GeodesyParams back{};
    ASSERT_NO_FATAL_FAILURE(ExpectHandleRoute(Clarke1866(), 41.0 * kDeg, -98.0 * kDeg, 168269.027, 112943.399,
                                              0.0005, 8, "AZD", lat, lon, back));
    EXPECT_LT(Ground(lat, lon, 41.0 * kDeg, -98.0 * kDeg), 1e-5);
}

TEST(AzimuthEqDistHandle, SameBitsUnderGermanLocale) {
    ExpectHandleSameBitsUnderGermanLocale(Clarke1866(), 41.0 * kDeg, -98.0 * kDeg);
}

#ifdef ZELTO_HAVE_PROJ
namespace {

constexpr double kRingsKm[] = {10, 25, 50, 100, 150, 200, 300, 400, 500, 600, 800, 1000, 1500, 2000};
constexpr int kRings = 14;
constexpr int kBearings = 32;

struct AzdResult {
    double fwd[kRings] = {};  // largest forward difference to PROJ on each ring, m
    double inv[kRings] = {};  // largest inverse difference to PROJ, m on the ground
    double radial[kRings] = {};  // largest difference of the distance alone, m
    double UpTo(const double* w, double km) const {
        double r = 0;
        for (int i = 0; i < kRings && kRingsKm[i] <= km; ++i) r = std::max(r, w[i]);
        return r;
    }
};

// Stations on rings around the origin, placed along rigorous geodesics:
// 14 rings x 32 bearings = 448 points, forward and inverse against PROJ.
AzdResult CompareWithProj(const char* name, const GeodesyParams& params, const char* definition) {
    AzimuthEqDist p(params);
    ProjOracle proj(definition);
    geod_geodesic g;
    geod_init(&g, params.a, 1.0 / params.invFlattening);
    AzdResult r;
    for (int i = 0; i < kRings; ++i) {
        for (int j = 0; j < kBearings; ++j) {
            double latDeg = 0, lonDeg = 0, azi2 = 0;
            geod_direct(&g, params.refLatitude / kDeg, params.centralMeridian / kDeg, 360.0 * j / kBearings - 180.0,
                        kRingsKm[i] * 1000.0, &latDeg, &lonDeg, &azi2);
            const double lat = latDeg * kDeg, lon = lonDeg * kDeg;
            double x = 0, y = 0, px = 0, py = 0;
            EXPECT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
            EXPECT_TRUE(proj.Forward(lat, lon, px, py));
            r.fwd[i] = std::max(r.fwd[i], std::hypot(x - px, y - py) * params.unit);
            const double fe = params.falseEasting, fn = params.falseNorthing;
            r.radial[i] = std::max(r.radial[i], std::fabs(std::hypot(x - fe, y - fn) - std::hypot(px - fe, py - fn)) *
                                                    params.unit);
            double blat = 0, blon = 0, plat = 0, plon = 0;
            EXPECT_EQ(Code(p.Inverse(px, py, blat, blon)), 0u);
            EXPECT_TRUE(proj.Inverse(px, py, plat, plon));
            r.inv[i] = std::max(r.inv[i], Ground(blat, blon, plat, plon));
        }
    }
    std::printf("[accuracy] AZD %s, %d points on rings 10..2000 km, largest difference to PROJ aeqd\n", name,
                kRings * kBearings);
    for (int i = 0; i < kRings; ++i)
        std::printf("[accuracy]   %5g km: forward %.3g m, inverse %.3g m, distance alone %.3g m\n", kRingsKm[i],
                    r.fwd[i], r.inv[i], r.radial[i]);
    return r;
}

// The series measures the normal section from the origin, PROJ the
// geodesic. Their bearings part by about e'^2 s^2 cos^2(phi0) / 12, so the
// station moves sideways with the cube of the distance: about a centimetre at
// 100 km, a decimetre at 200 km, metres at 600 km (worst on the equator),
// while the distance itself stays within millimetres far out. The bounds are
// the measured figures with a margin.
void ExpectSeriesAccuracy(const AzdResult& r) {
    EXPECT_LT(r.UpTo(r.fwd, 50), 2.5e-3);
    EXPECT_LT(r.UpTo(r.inv, 50), 2.5e-3);
    EXPECT_LT(r.UpTo(r.fwd, 100), 0.02);
    EXPECT_LT(r.UpTo(r.inv, 100), 0.02);
    EXPECT_LT(r.UpTo(r.fwd, 200), 0.15);
    EXPECT_LT(r.UpTo(r.inv, 200), 0.15);
    EXPECT_LT(r.UpTo(r.fwd, 600), 4.0);
    EXPECT_LT(r.UpTo(r.inv, 600), 4.0);
    EXPECT_LT(r.UpTo(r.fwd, 2000), 150.0);
    EXPECT_LT(r.UpTo(r.inv, 2000), 150.0);
    EXPECT_LT(r.UpTo(r.radial, 600), 0.01);
}

}  // namespace

TEST(AzimuthEqDistOracle, Clarke1866At40NAgainstProj) {
    const AzdResult r = CompareWithProj("Clarke 1866, 40N 100W", Clarke1866(),
                                        "+proj=aeqd +lat_0=40 +lon_0=-100 +a=6378206.4 +rf=294.9786982");
    Report("AZD 40N, within 200 km: forward vs PROJ", r.UpTo(r.fwd, 200), "m");
    Report("AZD 40N, within 200 km: inverse vs PROJ", r.UpTo(r.inv, 200), "m");
    ExpectSeriesAccuracy(r);
}

TEST(AzimuthEqDistOracle, Wgs84At60NFeetAgainstProj) {
    const GeodesyParams params =
        AzdParams(6378137.0, 298.257223563, 60.0 * kDeg, 25.0 * kDeg, 100000.0, 200000.0, 0.3048);
    const AzdResult r = CompareWithProj("WGS 84, 60N 25E, feet", params,
                                        "+proj=aeqd +lat_0=60 +lon_0=25 +x_0=30480 +y_0=60960 +ellps=WGS84 "
                                        "+units=ft");
    Report("AZD 60N, within 200 km: forward vs PROJ", r.UpTo(r.fwd, 200), "m");
    Report("AZD 60N, within 200 km: inverse vs PROJ", r.UpTo(r.inv, 200), "m");
    ExpectSeriesAccuracy(r);
}

TEST(AzimuthEqDistOracle, Wgs84SouthernAndEquatorialAgainstProj) {
    const AzdResult s = CompareWithProj("WGS 84, 35S 150E", Wgs84(-35.0, 150.0),
                                        "+proj=aeqd +lat_0=-35 +lon_0=150 +ellps=WGS84");
    ExpectSeriesAccuracy(s);
    const AzdResult q = CompareWithProj("WGS 84, equator 0E", Wgs84(0.0, 0.0),
                                        "+proj=aeqd +lat_0=0 +lon_0=0 +ellps=WGS84");
    ExpectSeriesAccuracy(q);
}

TEST(AzimuthEqDistOracle, NorthPoleAgainstProj) {
    // PROJ uses the exact polar form (meridian arc from the pole) here.
    const AzdResult r = CompareWithProj("WGS 84, north pole", Wgs84(90.0, 0.0),
                                        "+proj=aeqd +lat_0=90 +lon_0=0 +ellps=WGS84");
    ExpectSeriesAccuracy(r);
}
#endif
