// Oblique stereographic (type 4) on the Dutch RD definition, and PROJ's
// sterea as an independent reference over the working area.
#include "ProjectionSweep.h"
#include "Stereographic.h"

#include <gtest/gtest.h>

using namespace projection_sweep;

namespace {

GeodesyParams Rd(double unit = 1.0) {
    return Params(6377397.155, 299.1528128, 4, 0.9999079, Dms(5, 23, 15.500), Dms(52, 9, 22.178),
                  155000.0, 463000.0, unit);
}

}  // namespace

TEST(Stereographic, NamesAndType) { ExpectRegistered<Stereographic>(Rd(), 4, "OST"); }

TEST(Stereographic, PublishedRdPoint) {
    ExpectPublishedPoint(Stereographic(Rd()), {53.0 * kDeg, 6.0 * kDeg, 196105.283, 557057.739, 0.0005, 1e-12, 1e-12});
}

TEST(Stereographic, InverseOfFalseOriginIsOrigin) {
    Stereographic p(Rd());
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(155000.0, 463000.0, lat, lon)), 0u);
    EXPECT_NEAR(lat, Dms(52, 9, 22.178), 1e-11);
    EXPECT_NEAR(lon, Dms(5, 23, 15.500), 1e-12);
}

TEST(Stereographic, UnitFactorIsIgnored) {
    // The published station forward, its published grid point back.
    ASSERT_NO_FATAL_FAILURE(
        ExpectSameGrid<Stereographic>(Rd(1.0), Rd(0.3048), 53.0 * kDeg, 6.0 * kDeg, 196105.283, 557057.739));
    Stereographic metres(Rd(1.0)), feet(Rd(0.3048));
    double x = 0, y = 0;
    ASSERT_EQ(Code(metres.Forward(x, y, 53.0 * kDeg, 6.0 * kDeg)), 0u);
    double k1 = 0, k2 = 0;
    ASSERT_EQ(Code(metres.PointScale(x, y, k1)), 0u);
    ASSERT_EQ(Code(feet.PointScale(x, y, k2)), 0u);
    EXPECT_EQ(k1, k2);
}

TEST(Stereographic, PointScaleGrowsFromOrigin) {
    Stereographic p(Rd());
    double k = 0;
    ASSERT_EQ(Code(p.PointScale(155000.0, 463000.0, k)), 0u);
    EXPECT_DOUBLE_EQ(k, 0.9999079);
    ASSERT_EQ(Code(p.PointScale(155000.0 + 100000.0, 463000.0, k)), 0u);
    const double r = 100000.0 / (2.0 * p.R);
    EXPECT_DOUBLE_EQ(k, 0.9999079 + r * r / 0.9999079);
}

TEST(Stereographic, ResultsDoNotDependOnLocale) {
    Stereographic p(Rd());
    double x = 0, y = 0;
    {
        GermanLocale de;
        ASSERT_EQ(Code(p.Forward(x, y, 53.0 * kDeg, 6.0 * kDeg)), 0u);
    }
    EXPECT_NEAR(x, 196105.283, 0.0005);
}

// A high-latitude origin: points across the pole have a sphere longitude more
// than 90 degrees from the centre and must still come back on their meridian.
TEST(Stereographic, InverseAcrossThePoleKeepsTheMeridian) {
    Stereographic p(Params(6378137.0, 298.257223563, 4, 1.0, 0.0, 85.0 * kDeg, 0.0, 0.0));
    for (double lon : {100.0, 135.0, 179.0, -120.0}) ExpectRoundTrip(p, 86.0 * kDeg, lon * kDeg, 1e-11, 1e-11);
}

TEST(Stereographic, HostileInputFailsInsteadOfSpinning) {
    Stereographic p(Rd());
    double lat = 7.0, lon = 8.0;
    // Infinite grid values: the iteration meets NaN and stops, either with a
    // result or with code 11 and nothing written.
    const uint32_t code = Code(p.Inverse(kInf, 0.0, lat, lon));
    EXPECT_TRUE(code == 0u || code == 11u);
    if (code == 11u) {
        EXPECT_EQ(lat, 7.0);
        EXPECT_EQ(lon, 8.0);
    }
}

#ifdef ZELTO_HAVE_PROJ
TEST(StereographicOracle, AgreesWithProjSterea) {
    ProjOracle proj("+proj=sterea +lat_0=52.15616055555555 +lon_0=5.38763888888889 +k=0.9999079 "
                    "+x_0=155000 +y_0=463000 +a=6377397.155 +rf=299.1528128");
    // 20 x 20 stations over 49..56 N, 1..10 E.
    Differences d;
    ASSERT_NO_FATAL_FAILURE(d = Sweep(Stereographic(Rd()), proj, {49.0, 56.0, 20, 1.0, 10.0, 20}));
    Report("OST vs sterea, forward, 400 points 49..56N 1..10E", d.forwardAxis, "m");
    Report("OST round trip", d.roundTrip, "rad");
    Report("OST vs sterea, inverse", d.inverseAngle, "rad");
    EXPECT_EQ(d.points, 400);
    EXPECT_LT(d.forwardAxis, 1e-6);
    EXPECT_LT(d.roundTrip, 1e-11);
    EXPECT_LT(d.inverseAngle, 1e-11);
}
#endif
