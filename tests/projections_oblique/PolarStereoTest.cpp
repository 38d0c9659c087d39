// Polar stereographic (type 12), variants A and B, against the published
// EPSG examples and PROJ's stere.
#include "PolarStereo.h"
#include "ProjectionSweep.h"

#include <gtest/gtest.h>

using namespace projection_sweep;

namespace {

constexpr double kA = 6378137.0, kRf = 298.257223563;

GeodesyParams VariantA(double unit = 1.0) {
    return Params(kA, kRf, 12, 0.994, 0.0, 90.0 * kDeg, 2000000.0, 2000000.0, unit);
}
GeodesyParams VariantB(double unit = 1.0) {
    return Params(kA, kRf, 12, 0.0, 70.0 * kDeg, -71.0 * kDeg, 6000000.0, 6000000.0, unit);
}

}  // namespace

TEST(PolarStereo, NamesAndType) { ExpectRegistered<PolarStereo>(VariantA(), 12, "PST"); }

TEST(PolarStereo, VariantAPublishedPoint) {
    PolarStereo p(VariantA());
    EXPECT_EQ(p.k0, 0.994);
    ExpectPublishedPoint(p, {73.0 * kDeg, 44.0 * kDeg, 3320416.75, 632668.43, 0.005, 1e-11, 1e-12});
}

TEST(PolarStereo, VariantBDerivesScaleAndPublishedPoint) {
    PolarStereo p(VariantB());
    EXPECT_NEAR(p.k0, 0.972769013, 5e-10);
    ExpectPublishedPoint(p, {-75.0 * kDeg, 120.0 * kDeg, 7255380.79, 7053389.56, 0.005, 1e-11, 1e-12});
}

TEST(PolarStereo, PublishedPointsThroughTheHandle) {
    const auto scaleAt = [](const GeodesyParams& g, double x, double y) {
        double k = 0.0;
        EXPECT_TRUE(PolarStereo(g).PointScale(x, y, k).ok());
        return k;
    };
    ExpectThroughHandle(VariantA(), "PST", {73.0 * kDeg, 44.0 * kDeg, 3320416.75, 632668.43, 0.005, 1e-11, 1e-12},
                        scaleAt(VariantA(), 3320416.75, 632668.43), 1e-9);
    ExpectThroughHandle(VariantB(), "PST", {-75.0 * kDeg, 120.0 * kDeg, 7255380.79, 7053389.56, 0.005, 1e-11, 1e-12},
                        scaleAt(VariantB(), 7255380.79, 7053389.56), 1e-9);
}

TEST(PolarStereo, ScaleAtThePoleIsTheScaleFactor) {
    PolarStereo a(VariantA());
    double k = 0;
    ASSERT_EQ(Code(a.PointScale(2000000.0, 2000000.0, k)), 0u);
    EXPECT_EQ(k, 0.994);
    // A metre off the pole the formula itself gives nearly the same value.
    ASSERT_EQ(Code(a.PointScale(2000000.0 + 1.0, 2000000.0, k)), 0u);
    EXPECT_NEAR(k, 0.994, 1e-8);
    PolarStereo b(VariantB());
    ASSERT_EQ(Code(b.PointScale(6000000.0, 6000000.0, k)), 0u);
    EXPECT_NEAR(k, 0.972769013, 5e-10);
}

TEST(PolarStereo, VariantChosenByDistanceFromPole) {
    GeodesyParams near = VariantA();
    near.refLatitude = 89.9995 * kDeg;  // 8.7e-6 rad from the pole
    EXPECT_EQ(PolarStereo(near).k0, 0.994);
    GeodesyParams off = VariantA();
    off.refLatitude = 89.99 * kDeg;
    EXPECT_NE(PolarStereo(off).k0, 0.994);
    EXPECT_NEAR(PolarStereo(off).k0, 1.0, 1e-6);
}

TEST(PolarStereo, ZeroReferenceLatitudeIsNorthVariantB) {
    GeodesyParams p0 = Params(kA, kRf, 12, 0.5, 0.0, 0.0, 0.0, 0.0);
    PolarStereo p(p0);
    EXPECT_FALSE(p.South());
    EXPECT_NE(p.k0, 0.5);  // derived, not the given value
    double x = 0, y = 0;
    ASSERT_EQ(Code(p.Forward(x, y, 80.0 * kDeg, 0.0)), 0u);
    EXPECT_LT(y, 0.0);  // north aspect: the central meridian runs down from the pole
}

TEST(PolarStereo, OppositeMeridianAndPoleLongitudes) {
    PolarStereo p(VariantA());
    double lat = 0, lon = 0;
    ASSERT_EQ(Code(p.Inverse(2000000.0, 2500000.0, lat, lon)), 0u);
    EXPECT_NEAR(lon, std::numbers::pi, 1e-15);
    ASSERT_EQ(Code(p.Inverse(2000000.0, 2000000.0, lat, lon)), 0u);
    EXPECT_EQ(lon, 0.0);
    EXPECT_NEAR(lat, kHalfPi, 1e-15);
    PolarStereo s(VariantB());
    ASSERT_EQ(Code(s.Inverse(6000000.0, 6000000.0, lat, lon)), 0u);
    EXPECT_EQ(lon, 70.0 * kDeg);
    EXPECT_NEAR(lat, -kHalfPi, 1e-15);
}

TEST(PolarStereo, UnitFactorIsIgnored) {
    // The published station forward, its published grid point back.
    ExpectSameGrid<PolarStereo>(VariantB(1.0), VariantB(0.3048), -75.0 * kDeg, 120.0 * kDeg, 7255380.79, 7053389.56);
}

#ifdef ZELTO_HAVE_PROJ
namespace {
// 15 parallels from latFrom to latTo, 24 meridians 15 degrees apart from 180 W.
void CompareWithProj(const PolarStereo& p, const ProjOracle& proj, double latFrom, double latTo,
                     const char* label) {
    const Area area{latFrom, latTo, 15, -180.0, 165.0, 24};
    Differences d;
    ASSERT_NO_FATAL_FAILURE(d = Sweep(p, proj, area, {.wrapLongitude = true, .projInverse = false}));
    // Scale against the closed form on the ellipsoid at the station.
    double worstK = 0;
    ASSERT_NO_FATAL_FAILURE(ForEachStation(area, [&](double lat, double lon) {
        double x = 0, y = 0, k = 0;
        ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
        ASSERT_EQ(Code(p.PointScale(x, y, k)), 0u);
        const double s = std::sin(lat);
        const double m = std::cos(lat) / std::sqrt(1.0 - p.e2 * s * s);
        worstK = std::max(worstK, std::fabs(k - std::hypot(x - p.FE, y - p.FN) / (p.a * m)));
    }));
    Report((std::string(label) + " vs stere, forward, 360 points").c_str(), d.forwardAxis, "m");
    Report((std::string(label) + " round trip").c_str(), d.roundTrip, "rad");
    Report((std::string(label) + " scale vs closed form").c_str(), worstK, "");
    EXPECT_LT(d.forwardAxis, 1e-6);
    EXPECT_LT(d.roundTrip, 1e-10);
    EXPECT_LT(worstK, 1e-9);
}
}  // namespace

TEST(PolarStereoOracle, VariantAAgreesWithProj) {
    CompareWithProj(PolarStereo(VariantA()),
                    ProjOracle("+proj=stere +lat_0=90 +lon_0=0 +k_0=0.994 +x_0=2000000 +y_0=2000000 "
                               "+ellps=WGS84"),
                    60.0, 89.5, "PST variant A");
}

TEST(PolarStereoOracle, VariantBAgreesWithProj) {
    CompareWithProj(PolarStereo(VariantB()),
                    ProjOracle("+proj=stere +lat_0=-90 +lat_ts=-71 +lon_0=70 +x_0=6000000 +y_0=6000000 "
                               "+ellps=WGS84"),
                    -89.5, -60.0, "PST variant B");
}
#endif
