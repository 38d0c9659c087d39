// Cassini-Soldner (type 11): the published Trinidad example in Clarke links,
// a WGS 84 example, the ignored fields, the handle route and PROJ's cass as
// an independent reference. Because PROJ evaluates the same fifth-order
// series, the truncation of the series itself is measured against a rigorous
// construction from geodesics (the geodesic through the point that meets the
// central meridian at right angles), and the accuracy stated in the notes is
// the one asserted here.
#include "Cassini.h"
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
using projection_sweep::ExpectPublishedPoint;
using projection_sweep::ExpectUnitScale;
using projection_sweep::Params;
using projection_sweep::Report;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kClarkeLink = 0.201166195164;  // metres per Clarke link

double Dms(double d, double m, double s) {
    const double sign = d < 0.0 ? -1.0 : 1.0;
    return sign * (std::fabs(d) + m / 60.0 + s / 3600.0) * kDeg;
}

// The scale factor, parallels and skew are left 0: the grid ignores them.
GeodesyParams CassParams(double a, double rf, double lat0, double lon0, double fe, double fn, double unit) {
    return Params(a, rf, 11, 0.0, lon0, lat0, fe, fn, unit);
}

// Trinidad 1903 grid: Clarke 1858 (20926348 Clarke feet), origin 10 26 30 N
// 61 20 W, false origin 430000 / 325000 links.
GeodesyParams Trinidad() {
    return CassParams(6378293.645208759, 294.2606764, Dms(10, 26, 30), -Dms(61, 20, 0), 430000.0, 325000.0,
                      kClarkeLink);
}

GeodesyParams Wgs84At10N61W() { return CassParams(6378137.0, 298.257223563, 10.0 * kDeg, -61.0 * kDeg, 0, 0, 1.0); }

}  // namespace

TEST(Cassini, NamesTypeAndRegistration) { ExpectRegistered<Cassini>(Trinidad(), 11, "CAS"); }

TEST(Cassini, OriginMeridianDistanceInLinks) {
    Cassini p(Trinidad());
    EXPECT_DOUBLE_EQ(p.M0, p.MeridianDistance(Dms(10, 26, 30)) / kClarkeLink);
    // About 1155 km of arc from the equator to 10 26 30 N.
    EXPECT_NEAR(p.M0 * kClarkeLink, 1155000.0, 1000.0);
}

TEST(Cassini, PublishedTrinidadExample) {
    Cassini p(Trinidad());
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 10.0 * kDeg, -62.0 * kDeg)), 0u);
    EXPECT_NEAR(x, 66644.94, 0.005);
    EXPECT_NEAR(y, 82536.22, 0.005);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(66644.94, 82536.22, lat, lon)), 0u);
    EXPECT_NEAR(lat / kDeg, 10.0, 1e-8);
    EXPECT_NEAR(lon / kDeg, -62.0, 1e-8);
}

TEST(Cassini, Wgs84Example) {
    // Back within 0.1 mm, about 9e-10 degrees of latitude.
    ExpectPublishedPoint(Cassini(Wgs84At10N61W()),
                         {10.5 * kDeg, -60.5 * kDeg, 54733.779, 55348.248, 0.0005, 9e-10, 9e-10, kDeg});
}

TEST(Cassini, OriginGivesFalseOrigin) {
    Cassini p(Trinidad());
    double x = 1, y = 1;
    ASSERT_EQ(Code(p.Forward(x, y, Dms(10, 26, 30), -Dms(61, 20, 0))), 0u);
    EXPECT_EQ(x, 430000.0);
    EXPECT_NEAR(y, 325000.0, 1e-9);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(430000.0, 325000.0, lat, lon)), 0u);
    // The footpoint series closes on the origin latitude to about 0.03 mm.
    EXPECT_NEAR(lat, Dms(10, 26, 30), 1e-11);
    EXPECT_EQ(lon, -Dms(61, 20, 0));
}

TEST(Cassini, ScaleFactorParallelsAndSkewAreIgnored) {
    GeodesyParams other = Wgs84At10N61W();
    other.scaleFactor = 0.9996;
    other.northParallel = 30.0 * kDeg;
    other.southParallel = 20.0 * kDeg;
    other.skewAzimuth = 1.0;
    ExpectSameGrid<Cassini>(Wgs84At10N61W(), other, 12.0 * kDeg, -59.0 * kDeg, 100000.0, -50000.0);
}

TEST(Cassini, FeetGridScalesOffsetsOnly) {
    GeodesyParams feet = Wgs84At10N61W();
    feet.unit = 0.3048;
    feet.falseEasting = 1000.0;
    feet.falseNorthing = 2000.0;
    Cassini m(Wgs84At10N61W()), f(feet);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(Code(m.Forward(x1, y1, 11.0 * kDeg, -62.0 * kDeg)), 0u);
    ASSERT_EQ(Code(f.Forward(x2, y2, 11.0 * kDeg, -62.0 * kDeg)), 0u);
    EXPECT_NEAR(x2 - 1000.0, x1 / 0.3048, 1e-7);
    EXPECT_NEAR(y2 - 2000.0, y1 / 0.3048, 1e-7);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(f.Inverse(x2, y2, lat, lon)), 0u);
    EXPECT_NEAR(lat, 11.0 * kDeg, 1e-10);
    EXPECT_NEAR(lon, -62.0 * kDeg, 1e-10);
}

TEST(Cassini, SouthernPointsMirrorNorthern) {
    Cassini n(CassParams(6378137.0, 298.257223563, 30.0 * kDeg, 0.0, 0, 0, 1.0));
    Cassini s(CassParams(6378137.0, 298.257223563, -30.0 * kDeg, 0.0, 0, 0, 1.0));
    double xn = 0, yn = 0, xs = 0, ys = 0;
    ASSERT_EQ(Code(n.Forward(xn, yn, 31.0 * kDeg, 1.5 * kDeg)), 0u);
    ASSERT_EQ(Code(s.Forward(xs, ys, -31.0 * kDeg, 1.5 * kDeg)), 0u);
    EXPECT_NEAR(xn, xs, 1e-8);
    EXPECT_NEAR(yn, -ys, 1e-8);
}

TEST(Cassini, LongitudeDifferenceIsNotWrapped) {
    // The grid takes the longitude as given: a full turn added changes the
    // easting (the series sees a 360 degree difference), and the inverse
    // returns longitudes beyond 180 degrees unwrapped.
    Cassini p(CassParams(6378137.0, 298.257223563, 0.0, 179.0 * kDeg, 0, 0, 1.0));
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(Code(p.Forward(x1, y1, 1.0 * kDeg, 181.0 * kDeg)), 0u);
    ASSERT_EQ(Code(p.Forward(x2, y2, 1.0 * kDeg, -179.0 * kDeg)), 0u);
    EXPECT_GT(x1, 0.0);
    EXPECT_LT(x2, -1e7);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(x1, y1, lat, lon)), 0u);
    EXPECT_NEAR(lon, 181.0 * kDeg, 1e-9);
}

TEST(Cassini, SphereNeedsNoEccentricity) {
    Cassini p(CassParams(6371000.0, std::numeric_limits<double>::infinity(), 45.0 * kDeg, 0.0, 0, 0, 1.0));
    EXPECT_EQ(p.e2, 0.0);
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 45.0 * kDeg, 1.0 * kDeg)), 0u);
    // On the sphere the point 1 degree east lies sin^-1(cos 45 sin 1) from the meridian.
    EXPECT_NEAR(x, 6371000.0 * std::asin(std::cos(45.0 * kDeg) * std::sin(1.0 * kDeg)), 1e-3);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(x, y, lat, lon)), 0u);
    EXPECT_NEAR(lat, 45.0 * kDeg, 1e-11);
    EXPECT_NEAR(lon, 1.0 * kDeg, 1e-11);
}

TEST(Cassini, NonFiniteInputSucceedsWithoutNumbers) {
    // No point is refused; NaN and infinity run straight through the series.
    Cassini p(Trinidad());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    double x = 0, y = 0, lat = 0, lon = 0;
    EXPECT_EQ(Code(p.Forward(x, y, nan, 0.0)), 0u);
    EXPECT_TRUE(std::isnan(x) && std::isnan(y));
    EXPECT_EQ(Code(p.Forward(x, y, 0.2, inf)), 0u);
    EXPECT_FALSE(std::isfinite(x));
    EXPECT_EQ(Code(p.Inverse(nan, 325000.0, lat, lon)), 0u);
    EXPECT_TRUE(std::isnan(lat) && std::isnan(lon));
    EXPECT_EQ(Code(p.Inverse(430000.0, inf, lat, lon)), 0u);
    EXPECT_FALSE(std::isfinite(lat));
}

TEST(Cassini, PointScaleIsOne) {
    ExpectUnitScale(Cassini(Trinidad()), {{430000.0, 325000.0}, {0.0, 325000.0}, {1e7, 325000.0}});
}

TEST(CassiniHandle, CreateGeoXYXYGeoScale) {
    double lat = 0, lon = 0;
    GeodesyParams back{};
    ASSERT_NO_FATAL_FAILURE(ExpectHandleRoute(Trinidad(), 10.0 * kDeg, -62.0 * kDeg, 66644.94, 82536.22, 0.005, 11,
                                              "CAS", lat, lon, back));
    EXPECT_NEAR(lat / kDeg, 10.0, 1e-9);
    EXPECT_NEAR(lon / kDeg, -62.0, 1e-9);
    EXPECT_EQ(double(back.scaleFactor), 1.0);
}

TEST(CassiniHandle, SameBitsUnderGermanLocale) {
    ExpectHandleSameBitsUnderGermanLocale(Trinidad(), 10.0 * kDeg, -62.0 * kDeg);
}

#ifdef ZELTO_HAVE_PROJ
namespace {

// Rigorous Cassini-Soldner from geodesics, metres from the origin: the
// geodesic between the point and its mirror image across the central meridian
// crosses the meridian at right angles half-way; x is half its length, y the
// meridian arc from the origin to the crossing.
void GeodesicCassini(const geod_geodesic& g, double lat0Deg, double latDeg, double dlonDeg, double& X, double& Y) {
    geod_geodesicline line;
    geod_inverseline(&line, &g, latDeg, -std::fabs(dlonDeg), latDeg, std::fabs(dlonDeg), GEOD_ALL);
    double latC = 0, lonC = 0, azi = 0;
    geod_position(&line, line.s13 / 2.0, &latC, &lonC, &azi);
    X = std::copysign(line.s13 / 2.0, dlonDeg);
    double s = 0, a1 = 0, a2 = 0;
    geod_inverse(&g, lat0Deg, 0.0, latC, 0.0, &s, &a1, &a2);
    Y = latC >= lat0Deg ? s : -s;
}

// Largest differences by east-west distance from the central meridian.
struct Bins {
    static constexpr double kEdgesKm[] = {50, 100, 200, 300, 400, 600};
    static constexpr int kCount = 6;
    double worst[kCount] = {};
    void Add(double eastWestKm, double diff) {
        for (int i = 0; i < kCount; ++i) {
            if (std::fabs(eastWestKm) <= kEdgesKm[i]) {
                worst[i] = std::max(worst[i], diff);
                return;
            }
        }
    }
    void Print(const char* what) const {
        for (int i = 0; i < kCount; ++i)
            std::printf("[accuracy] %s, up to %g km east-west: %.3g m\n", what, kEdgesKm[i], worst[i]);
    }
    // Largest difference over all bins up to and including the edge.
    double UpTo(double km) const {
        double w = 0;
        for (int i = 0; i < kCount && kEdgesKm[i] <= km; ++i) w = std::max(w, worst[i]);
        return w;
    }
};

struct CassiniCase {
    const char* name;
    GeodesyParams params;
    const char* proj;
    double lat0Deg, lon0Deg;
};

// Points on a grid of latitudes within 3 degrees of the origin and longitude
// offsets reaching about 600 km east and west; 21 x 21 = 441 points.
void CompareWithOracles(const CassiniCase& c, double& fwdProj200, double& invProj200, double& series200) {
    Cassini p(c.params);
    ProjOracle proj(c.proj);
    geod_geodesic g;
    geod_init(&g, c.params.a, 1.0 / c.params.invFlattening);
    const double u = c.params.unit;
    Bins fwd, inv, series;
    for (int i = 0; i <= 20; ++i) {
        const double latDeg = c.lat0Deg - 3.0 + 0.3 * i;
        const double spanDeg = 600.0 / (111.32 * std::cos(latDeg * kDeg));
        for (int j = 0; j <= 20; ++j) {
            const double dlonDeg = spanDeg * (j - 10) / 10.0;
            const double lat = latDeg * kDeg, lon = (c.lon0Deg + dlonDeg) * kDeg;
            double x = 0, y = 0, px = 0, py = 0;
            ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
            ASSERT_TRUE(proj.Forward(lat, lon, px, py));
            const double eastWestKm = (x - c.params.falseEasting) * u / 1000.0;
            fwd.Add(eastWestKm, std::hypot(x - px, y - py) * u);
            // Inverse of the same grid point by both; the difference on the
            // ground in metres.
            double blat = 0, blon = 0, plat = 0, plon = 0;
            ASSERT_EQ(Code(p.Inverse(x, y, blat, blon)), 0u);
            ASSERT_TRUE(proj.Inverse(x, y, plat, plon));
            const double R = c.params.a;
            inv.Add(eastWestKm, std::hypot((blat - plat) * R, (blon - plon) * R * std::cos(plat)));
            double gx = 0, gy = 0;
            GeodesicCassini(g, c.lat0Deg, latDeg, dlonDeg, gx, gy);
            series.Add(eastWestKm, std::hypot((x - c.params.falseEasting) * u - gx, (y - c.params.falseNorthing) * u - gy));
        }
    }
    std::printf("[accuracy] Cassini %s, 441 points within 3 deg of latitude and 600 km east-west\n", c.name);
    fwd.Print("  forward vs PROJ cass");
    inv.Print("  inverse vs PROJ cass");
    series.Print("  forward vs geodesic Cassini-Soldner");
    fwdProj200 = fwd.UpTo(200);
    invProj200 = inv.UpTo(200);
    series200 = series.UpTo(200);
    // PROJ's forward evaluates the same series with a longer meridian-arc
    // series: the two agree to a fraction of a millimetre out to 600 km.
    EXPECT_LT(fwd.UpTo(600), 1e-3);
    // PROJ's inverse undoes its forward more closely than the footpoint
    // series does; the gap is the inverse series' own truncation, which grows
    // with about the fifth power of the east-west distance.
    EXPECT_LT(inv.UpTo(100), 2e-3);
    EXPECT_LT(inv.UpTo(200), 0.03);
    EXPECT_LT(inv.UpTo(300), 0.1);
    // Truncation of the forward series against the rigorous projection.
    EXPECT_LT(series.UpTo(100), 1e-3);
    EXPECT_LT(series.UpTo(200), 3e-3);
    EXPECT_LT(series.UpTo(300), 0.01);
}

}  // namespace

TEST(CassiniOracle, TrinidadAgainstProjAndGeodesics) {
    CassiniCase c{"Trinidad (Clarke 1858, links)", Trinidad(),
                  "+proj=cass +lat_0=10.441666666666666 +lon_0=-61.333333333333336 +x_0=86501.46392052 "
                  "+y_0=65379.0134283 +a=6378293.645208759 +rf=294.2606764 +to_meter=0.201166195164",
                  10.441666666666666, -61.333333333333336};
    double f = 0, i = 0, s = 0;
    CompareWithOracles(c, f, i, s);
    Report("Cassini Trinidad, within 200 km: forward vs PROJ", f, "m");
    Report("Cassini Trinidad, within 200 km: inverse vs PROJ", i, "m");
}

TEST(CassiniOracle, MidLatitudeWgs84AgainstProjAndGeodesics) {
    CassiniCase c{"52N 13E (WGS 84, metres)",
                  CassParams(6378137.0, 298.257223563, 52.0 * kDeg, 13.0 * kDeg, 40000.0, 10000.0, 1.0),
                  "+proj=cass +lat_0=52 +lon_0=13 +x_0=40000 +y_0=10000 +ellps=WGS84", 52.0, 13.0};
    double f = 0, i = 0, s = 0;
    CompareWithOracles(c, f, i, s);
    Report("Cassini 52N, within 200 km: forward vs PROJ", f, "m");
    Report("Cassini 52N, within 200 km: inverse vs PROJ", i, "m");
}

TEST(CassiniOracle, RoundTripWithinTwoHundredKilometres) {
    // Forward then inverse: the two series are not exact inverses of each
    // other; the loss is a few centimetres at 200 km from the meridian.
    Cassini p(CassParams(6378137.0, 298.257223563, 52.0 * kDeg, 13.0 * kDeg, 0, 0, 1.0));
    double worst = 0;
    for (int i = 0; i <= 20; ++i) {
        for (int j = 0; j <= 20; ++j) {
            const double lat = (50.0 + 0.2 * i) * kDeg;
            const double lon = (13.0 + (j - 10) * 0.29) * kDeg;  // about +-200 km at 50-54 N
            double x = 0, y = 0, blat = 0, blon = 0;
            ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
            ASSERT_EQ(Code(p.Inverse(x, y, blat, blon)), 0u);
            worst = std::max(worst, std::hypot((blat - lat) * 6.37e6, (blon - lon) * 6.37e6 * std::cos(lat)));
        }
    }
    Report("Cassini 52N round trip, 441 points within 200 km", worst, "m");
    EXPECT_LT(worst, 0.03);
}
#endif
