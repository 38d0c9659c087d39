// Oblique cylindrical (type 5) on the Swiss CH1903 / LV03 definition, and
// PROJ's somerc as an independent reference.
#include "ObliqueCylindrical.h"
#include "ProjectionSweep.h"

#include <gtest/gtest.h>

using namespace projection_sweep;

namespace {

GeodesyParams Swiss(double k0 = 1.0, double unit = 1.0) {
    return Params(6377397.155, 299.1528128, 5, k0, Dms(7, 26, 22.50), Dms(46, 57, 8.66), 600000.0,
                  200000.0, unit);
}
const double kLat = Dms(46, 2, 38.87);
const double kLon = Dms(8, 43, 49.79);

}  // namespace

TEST(ObliqueCylindrical, NamesAndType) { ExpectRegistered<ObliqueCylindrical>(Swiss(), 5, "OCY"); }

TEST(ObliqueCylindrical, PublishedConstants) {
    ObliqueCylindrical p(Swiss());
    EXPECT_NEAR(p.alphaG, 1.000729138, 5e-10);
    EXPECT_NEAR(p.b0 / kDeg, 46.907731458, 5e-10);
    EXPECT_NEAR(p.K, 0.003066732, 5e-10);
    EXPECT_NEAR(p.Rg, 6378815.904, 0.0005);
}

TEST(ObliqueCylindrical, OriginMapsToFalseOriginInOneStep) {
    ObliqueCylindrical p(Swiss());
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, Dms(46, 57, 8.66), Dms(7, 26, 22.50))), 0u);
    EXPECT_NEAR(x, 600000.0, 1e-8);
    EXPECT_NEAR(y, 200000.0, 1e-8);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(600000.0, 200000.0, lat, lon)), 0u);
    EXPECT_EQ(ObliqueCylindrical::LastIterations(), 1);
    EXPECT_NEAR(lat, Dms(46, 57, 8.66), 1e-12);
    EXPECT_NEAR(lon, Dms(7, 26, 22.50), 1e-15);
}

TEST(ObliqueCylindrical, PublishedPoint) {
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(ExpectPublishedPoint(ObliqueCylindrical(Swiss()),
                                                 {kLat, kLon, 699914.740, 99864.921, 0.0005, 1e-8, 1e-9, kDeg}, got));
    // The inverse just taken needed four steps.
    EXPECT_EQ(ObliqueCylindrical::LastIterations(), 4);
    Report("OCY published point, inverse latitude", std::fabs(got.lat - kLat) / kDeg, "deg");
}

TEST(ObliqueCylindrical, PublishedPointThroughTheHandle) {
    ExpectThroughHandle(Swiss(), "OCY", {kLat, kLon, 699914.740, 99864.921, 0.0005, 1e-8, 1e-9, kDeg}, 1.0, 0.0);
}

TEST(ObliqueCylindrical, ScaleIsOneEverywhere) {
    ExpectUnitScale(ObliqueCylindrical(Swiss()), {{600000.0, 150000.0}, {700000.0, 150000.0}, {480000.0, 150000.0}});
}

TEST(ObliqueCylindrical, ScaleFactorAndFeetScaleOffsets) {
    ObliqueCylindrical m(Swiss()), f(Swiss(0.9996, 0.3048));
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(Code(m.Forward(x1, y1, kLat, kLon)), 0u);
    ASSERT_EQ(Code(f.Forward(x2, y2, kLat, kLon)), 0u);
    EXPECT_NEAR(x2 - 600000.0, (x1 - 600000.0) * 0.9996 / 0.3048, 1e-6);
    EXPECT_NEAR(y2 - 200000.0, (y1 - 200000.0) * 0.9996 / 0.3048, 1e-6);
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(f.Inverse(x2, y2, lat, lon)), 0u);
    EXPECT_NEAR(lat, kLat, 1e-9);
    EXPECT_NEAR(lon, kLon, 1e-12);
}

TEST(ObliqueCylindrical, FarSideOfPoleKeepsMeridian) {
    ObliqueCylindrical p(Params(6378137.0, 298.257223563, 5, 1.0, 0.0, 80.0 * kDeg, 0.0, 0.0));
    ExpectRoundTrip(p, 85.0 * kDeg, 170.0 * kDeg, 1e-8, 1e-10);
}

#ifdef ZELTO_HAVE_PROJ
TEST(ObliqueCylindricalOracle, AgreesWithProjSomerc) {
    ProjOracle proj("+proj=somerc +lat_0=46.95240555555556 +lon_0=7.439583333333333 +k_0=1 "
                    "+x_0=600000 +y_0=200000 +a=6377397.155 +rf=299.1528128");
    // 20 x 20 stations over 45.5..48.5 N, 5.5..11 E.
    Differences d;
    ASSERT_NO_FATAL_FAILURE(d = Sweep(ObliqueCylindrical(Swiss()), proj, {45.5, 48.5, 20, 5.5, 11.0, 20},
                                            {.projInverse = false}));
    Report("OCY vs somerc, forward, 400 points 45.5..48.5N 5.5..11E", d.forwardAxis, "m");
    Report("OCY round trip (iteration stops at 1e-7 rad change)", d.roundTrip, "rad");
    EXPECT_LT(d.forwardAxis, 1e-6);
    EXPECT_LT(d.roundTrip, 1e-9);
}
#endif
