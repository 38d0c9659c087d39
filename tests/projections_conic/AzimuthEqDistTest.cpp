// Azimuthal equidistant (type 8): the published Clarke 1866 example, the
// meridian and polar rules, the ignored fields, the handle route and PROJ's
// aeqd (rigorous geodesic distance and azimuth) as the independent reference.
// The series is exact only near the origin; how far it departs from the
// geodesic at growing distance is measured here.
#include "AzimuthEqDist.h"
#include "ProjectionSweep.h"

#include <gtest/gtest.h>

#ifdef ZELTO_HAVE_PROJ
#include <geodesic.h>
#endif

using namespace projection_sweep;

namespace {

constexpr double kPi = std::numbers::pi;

// The scale factor, parallels and skew are left 0: the grid ignores them.
GeodesyParams AzdParams(double a, double rf, double lat0, double lon0, double fe = 0, double fn = 0,
                        double unit = 1.0) {
    return Params(a, rf, 8, 0.0, lon0, lat0, fe, fn, unit);
}

// Clarke 1866, origin 40 N 100 W.
GeodesyParams Clarke1866() { return AzdParams(6378206.4, 294.9786982, 40.0 * kDeg, -100.0 * kDeg); }
GeodesyParams Wgs84(double lat0Deg, double lon0Deg) {
    return AzdParams(6378137.0, 298.257223563, lat0Deg * kDeg, lon0Deg * kDeg);
}

// Ground distance of a latitude/longitude difference, metres (good enough
// for judging millimetres to metres).
double GroundDistance(double lat1, double lon1, double lat2, double lon2) {
    const double dl = std::remainder(lon1 - lon2, 2.0 * kPi);
    return 6.371e6 * std::hypot(lat1 - lat2, dl * std::cos(lat2));
}

}  // namespace

TEST(AzimuthEqDist, NamesTypeAndRegistration) { ExpectRegistered<AzimuthEqDist>(Clarke1866(), 8, "AZD"); }

TEST(AzimuthEqDist, PoleFlagsWithinOneMicroradian) {
    const struct {
        double lat0;
        bool north, south;
    } cases[] = {{kPi / 2, true, false},           {-kPi / 2, false, true},          {kPi / 2 - 0.9e-6, true, false},
                 {kPi / 2 - 1.1e-6, false, false}, {-kPi / 2 + 0.9e-6, false, true}, {-kPi / 2 + 1.1e-6, false, false},
                 {40 * kDeg, false, false}};
    for (const auto& c : cases) {
        const AzimuthEqDist p(AzdParams(6378137.0, 298.257223563, c.lat0, 0.0));
        EXPECT_EQ(p.north, c.north) << c.lat0;
        EXPECT_EQ(p.south, c.south) << c.lat0;
    }
}

TEST(AzimuthEqDist, SeventeenHundredKilometresRoundTripWithinAMetre) {
    AzimuthEqDist p(Clarke1866());
    double x = 0, y = 0, lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 43.0 * kDeg, -80.0 * kDeg)), 0u);
    EXPECT_NEAR(std::hypot(x, y), 1.7e6, 0.1e6);
    ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
    const double back = GroundDistance(lat, lon, 43.0 * kDeg, -80.0 * kDeg);
    Report("AZD Clarke 1866, 43N 80W (1700 km) round trip", back, "m");
    EXPECT_LT(back, 1.0);
}

TEST(AzimuthEqDist, OriginAndFalseOrigin) {
    AzimuthEqDist p(AzdParams(6378206.4, 294.9786982, 40.0 * kDeg, -100.0 * kDeg, 500000.0, 300000.0));
    double x = 0, y = 0, lat = 1, lon = 1;
    ASSERT_EQ(Code(p.Forward(x, y, 40.0 * kDeg, -100.0 * kDeg)), 0u);
    EXPECT_NEAR(x, 500000.0, 1e-6);
    EXPECT_NEAR(y, 300000.0, 1e-6);
    ASSERT_EQ(Code(p.Inverse(500000.0, 300000.0, lat, lon)), 0u);
    EXPECT_EQ(lat, 40.0 * kDeg);
    EXPECT_EQ(lon, -100.0 * kDeg);
}

TEST(AzimuthEqDist, DueNorthAndDueSouthUseTheMeridianForm) {
    // Due south the bearing is pi, whose sine is not exactly 0: the station
    // must still lie a degree of meridian south, not on the origin.
    AzimuthEqDist p(Clarke1866());
    double xn = 0, yn = 0, xs = 0, ys = 0, lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Forward(xn, yn, 41.0 * kDeg, -100.0 * kDeg)), 0u);
    EXPECT_EQ(xn, 0.0);
    EXPECT_NEAR(yn, 111.04e3, 0.1e3);  // one degree of meridian at 40.5 N
    ASSERT_EQ(Code(p.Forward(xs, ys, 39.0 * kDeg, -100.0 * kDeg)), 0u);
    EXPECT_NEAR(xs, 0.0, 1e-9);
    EXPECT_NEAR(ys, -111.03e3, 0.1e3);
    ASSERT_EQ(Code(p.Inverse(xs, ys, lat, lon)), 0u);
    EXPECT_LT(GroundDistance(lat, lon, 39.0 * kDeg, -100.0 * kDeg), 1e-5);
    ASSERT_EQ(Code(p.Inverse(xn, yn, lat, lon)), 0u);
    EXPECT_LT(GroundDistance(lat, lon, 41.0 * kDeg, -100.0 * kDeg), 1e-5);
}

TEST(AzimuthEqDist, NorthPoleOriginLongitudeFromGridBearingUnwrapped) {
    AzimuthEqDist p(Wgs84(90.0, 3.0 / kDeg));
    ASSERT_TRUE(p.north);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(1000.0, 1000.0, lat, lon)), 0u);
    EXPECT_DOUBLE_EQ(lon, std::atan2(1000.0, -1000.0) + 3.0);
    EXPECT_GT(lon, kPi);  // not wrapped
    for (double dl : {-170.0, -90.0, 0.0, 135.0, 179.0})  // around the pole and back
        ExpectRoundTrip(p, 80.0 * kDeg, 3.0 + dl * kDeg, 1e-7, 1e-9, true);
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
    for (double dl : {-150.0, 10.0, 100.0}) ExpectRoundTrip(p, -75.0 * kDeg, 2.5 + dl * kDeg, 1e-6, 1e-9, true);
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
    // From 80 N a station at 80 N more than a right angle of longitude away
    // lies across the pole and must not fold back towards the central meridian.
    AzimuthEqDist p(Wgs84(80.0, 20.0));
    for (double dl : {95.0, 150.0, -150.0, -100.0}) {
        const double want = (20.0 + dl) * kDeg;
        double x = 0, y = 0, lat = 0, lon = 0;
        ASSERT_EQ(Code(p.Forward(x, y, 80.0 * kDeg, want)), 0u);
        ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
        EXPECT_LT(GroundDistance(lat, lon, 80.0 * kDeg, want), 5.0) << dl;
    }
}

TEST(AzimuthEqDist, FarHemisphereIsNotFoldedOntoTheNearOne) {
    // Beyond a quarter of the globe the far station maps farther out.
    AzimuthEqDist p(Wgs84(40.0, 0.0));
    double xn = 0, yn = 0, xf = 0, yf = 0, lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Forward(xn, yn, 0.0, 60.0 * kDeg)), 0u);
    ASSERT_EQ(Code(p.Forward(xf, yf, -40.0 * kDeg, 120.0 * kDeg)), 0u);
    EXPECT_GT(std::hypot(xf, yf), std::hypot(xn, yn));
    ASSERT_EQ(Code(p.Forward(xf, yf, -30.0 * kDeg, 0.0)), 0u);
    EXPECT_NEAR(yf, -7.76e6, 0.05e6);  // 70 degrees of meridian south
    ASSERT_EQ(Code(p.Forward(xf, yf, -60.0 * kDeg, 0.0)), 0u);
    EXPECT_NEAR(yf, -11.1e6, 0.1e6);  // 100 degrees of meridian south
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
    // A hair east of the false origin of an equatorial grid psi = 0 exactly.
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

TEST(AzimuthEqDist, SphereGivesGreatCircleDistance) {
    AzimuthEqDist p(AzdParams(6371000.0, kInf, 30.0 * kDeg, 0.0));
    EXPECT_EQ(p.e, 0.0);
    double x = 0, y = 0, lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 50.0 * kDeg, 40.0 * kDeg)), 0u);
    const double cosd = std::sin(30.0 * kDeg) * std::sin(50.0 * kDeg) +
                        std::cos(30.0 * kDeg) * std::cos(50.0 * kDeg) * std::cos(40.0 * kDeg);
    EXPECT_NEAR(std::hypot(x, y), 6371000.0 * std::acos(cosd), 1e-6);
    ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
    EXPECT_NEAR(lat, 50.0 * kDeg, 1e-12);
    EXPECT_NEAR(lon, 40.0 * kDeg, 1e-12);
}

TEST(AzimuthEqDist, NonFiniteInputSucceedsWithoutHanging) {
    AzimuthEqDist p(Clarke1866());
    double x = 0, y = 0, lat = 0, lon = 0;
    EXPECT_EQ(Code(p.Forward(x, y, kNan, 0.0)), 0u);
    EXPECT_TRUE(std::isnan(x) && std::isnan(y));
    EXPECT_EQ(Code(p.Forward(x, y, 0.5, kInf)), 0u);
    EXPECT_TRUE(std::isnan(x));
    EXPECT_EQ(Code(p.Inverse(kNan, 0.0, lat, lon)), 0u);
    EXPECT_TRUE(std::isnan(lat));
    EXPECT_EQ(Code(p.Inverse(kInf, 1e300, lat, lon)), 0u);
    EXPECT_EQ(Code(p.Inverse(1e300, -1e300, lat, lon)), 0u);  // wraps a huge longitude, bounded
}

TEST(AzimuthEqDist, PointScaleIsOne) { ExpectUnitScale(AzimuthEqDist(Clarke1866()), {{1e6, -2e6}}); }

TEST(AzimuthEqDistHandle, CreateGeoXYXYGeoScale) {
    // The published Clarke 1866 example, back within 1e-12 rad of latitude and 1.5e-12 of longitude: together
    // under 1e-5 m on the ground at 41 N.
    ExpectThroughHandle(Clarke1866(), "AZD", {41.0 * kDeg, -98.0 * kDeg, 168269.027, 112943.399, 0.0005, 1e-12, 1.5e-12},
                        1.0, 0.0);
}

TEST(AzimuthEqDistHandle, SameBitsUnderGermanLocale) {
    ExpectHandleSameBitsUnderGermanLocale(Clarke1866(), 41.0 * kDeg, -98.0 * kDeg);
}

#ifdef ZELTO_HAVE_PROJ
namespace {

constexpr double kRingsKm[] = {10, 25, 50, 100, 150, 200, 300, 400, 500, 600, 800, 1000, 1500, 2000};
constexpr int kRings = 14;
constexpr int kBearings = 32;

// Largest differences to PROJ on each ring, metres: forward, inverse on the
// ground, and of the distance from the origin alone.
struct AzdResult {
    double fwd[kRings] = {}, inv[kRings] = {}, radial[kRings] = {};
    double UpTo(const double* w, double km) const {
        double r = 0;
        for (int i = 0; i < kRings && kRingsKm[i] <= km; ++i) r = std::max(r, w[i]);
        return r;
    }
};

// Stations on rings around the origin placed along rigorous geodesics, 14
// rings x 32 bearings = 448 points, forward and inverse against PROJ's aeqd.
// The series measures the normal section, PROJ the geodesic; their bearings
// part by about e'^2 s^2 cos^2(phi0) / 12, so the station moves sideways with
// the cube of the distance while the distance itself stays within
// millimetres. The bounds are the measured figures with a margin.
void ExpectSeriesAccuracy(const char* name, const char* label, const GeodesyParams& params, const char* definition) {
    AzimuthEqDist p(params);
    ProjOracle proj(definition);
    geod_geodesic g;
    geod_init(&g, params.a, 1.0 / params.invFlattening);
    const double fe = params.falseEasting, fn = params.falseNorthing;
    AzdResult r;
    for (int i = 0; i < kRings; ++i) {
        for (int j = 0; j < kBearings; ++j) {
            double latDeg = 0, lonDeg = 0, azi2 = 0;
            geod_direct(&g, params.refLatitude / kDeg, params.centralMeridian / kDeg, 360.0 * j / kBearings - 180.0,
                        kRingsKm[i] * 1000.0, &latDeg, &lonDeg, &azi2);
            const double lat = latDeg * kDeg, lon = lonDeg * kDeg;
            double x = 0, y = 0, px = 0, py = 0, blat = 0, blon = 0, plat = 0, plon = 0;
            EXPECT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
            EXPECT_TRUE(proj.Forward(lat, lon, px, py));
            r.fwd[i] = std::max(r.fwd[i], std::hypot(x - px, y - py) * params.unit);
            r.radial[i] = std::max(
                r.radial[i], std::fabs(std::hypot(x - fe, y - fn) - std::hypot(px - fe, py - fn)) * params.unit);
            EXPECT_EQ(Code(p.Inverse(px, py, blat, blon)), 0u);
            EXPECT_TRUE(proj.Inverse(px, py, plat, plon));
            r.inv[i] = std::max(r.inv[i], GroundDistance(blat, blon, plat, plon));
        }
    }
    std::printf("[accuracy] AZD %s, %d points on rings 10..2000 km, largest difference to PROJ aeqd\n", name,
                kRings * kBearings);
    for (int i = 0; i < kRings; ++i)
        std::printf("[accuracy]   %5g km: forward %.3g m, inverse %.3g m, distance alone %.3g m\n", kRingsKm[i],
                    r.fwd[i], r.inv[i], r.radial[i]);
    Report((std::string("AZD ") + label + ", within 200 km: forward vs PROJ").c_str(), r.UpTo(r.fwd, 200), "m");
    Report((std::string("AZD ") + label + ", within 200 km: inverse vs PROJ").c_str(), r.UpTo(r.inv, 200), "m");
    const struct {
        double km, bound;
    } bounds[] = {{50, 2.5e-3}, {100, 0.02}, {200, 0.15}, {600, 4.0}, {2000, 150.0}};
    for (const auto& b : bounds) {
        EXPECT_LT(r.UpTo(r.fwd, b.km), b.bound) << b.km;
        EXPECT_LT(r.UpTo(r.inv, b.km), b.bound) << b.km;
    }
    EXPECT_LT(r.UpTo(r.radial, 600), 0.01);
}

}  // namespace

TEST(AzimuthEqDistOracle, Clarke1866At40NAgainstProj) {
    ExpectSeriesAccuracy("Clarke 1866, 40N 100W", "40N", Clarke1866(),
                         "+proj=aeqd +lat_0=40 +lon_0=-100 +a=6378206.4 +rf=294.9786982");
}

TEST(AzimuthEqDistOracle, Wgs84At60NFeetAgainstProj) {
    ExpectSeriesAccuracy("WGS 84, 60N 25E, feet", "60N",
                         AzdParams(6378137.0, 298.257223563, 60.0 * kDeg, 25.0 * kDeg, 100000.0, 200000.0, 0.3048),
                         "+proj=aeqd +lat_0=60 +lon_0=25 +x_0=30480 +y_0=60960 +ellps=WGS84 +units=ft");
}

TEST(AzimuthEqDistOracle, Wgs84SouthernAndEquatorialAgainstProj) {
    ExpectSeriesAccuracy("WGS 84, 35S 150E", "35S", Wgs84(-35.0, 150.0), "+proj=aeqd +lat_0=-35 +lon_0=150 +ellps=WGS84");
    ExpectSeriesAccuracy("WGS 84, equator 0E", "equator", Wgs84(0.0, 0.0), "+proj=aeqd +lat_0=0 +lon_0=0 +ellps=WGS84");
}

TEST(AzimuthEqDistOracle, NorthPoleAgainstProj) {
    // PROJ uses the exact polar form (meridian arc from the pole) here.
    ExpectSeriesAccuracy("WGS 84, north pole", "north pole", Wgs84(90.0, 0.0),
                         "+proj=aeqd +lat_0=90 +lon_0=0 +ellps=WGS84");
}
#endif
