// Mercator with a latitude of true scale (the published variant B example on
// Krassowsky and the WGS 84 equator grid) and the spherical Mercator on the
// International 1924 radius, against PROJ's merc.
#include "Mercator.h"
#include "ProjectionSweep.h"
#include "SMerc.h"

#include <gtest/gtest.h>

using namespace projection_sweep;

namespace {

// Angles in degrees.
GeodesyParams Merc(double a, double invF, double latTs, double lon0, double fe = 0, double fn = 0, double unit = 1) {
    return Params(a, invF, 2, 1.0, lon0 * kDeg, latTs * kDeg, fe, fn, unit);
}

GeodesyParams Wgs84Equator() { return Merc(6378137.0, 298.257223563, 0, 0); }
GeodesyParams Pulkovo() { return Merc(6378245.0, 298.3, 42, 51); }
const PublishedPoint kPulkovoPoint{53 * kDeg, 53 * kDeg, 165704.29, 5171848.07, 0.005, 1e-14, 1e-15};
const PublishedPoint kSphereAt45N5E{45 * kDeg, 5 * kDeg, 556619.358, 5621742.711, 0.0005, 1e-15, 1e-15};

std::string ProjMerc(const GeodesyParams& p) {
    return "+proj=merc +a=" + Digits(p.a) + " +rf=" + Digits(p.invFlattening) + " +lat_ts=" +
           Digits(p.refLatitude / kDeg) + " +lon_0=" + Digits(p.centralMeridian / kDeg) +
           " +x_0=" + Digits(p.falseEasting * p.unit) + " +y_0=" + Digits(p.falseNorthing * p.unit) +
           " +to_meter=" + Digits(p.unit) + " +no_defs";
}

// Steps of the inverse latitude's refinement as the defining formulas take
// them, until two latitudes differ by 5e-11 rad or less.
int ReferenceSteps(const Mercator& m, double y) {
    const double t = std::exp(-(y - m.FN) / m.R);
    double phi = kHalfPi - 2.0 * std::atan(t), delta;
    int steps = 0;
    do {
        const double s = std::sin(phi);
        const double next = kHalfPi - 2.0 * std::atan(t * std::pow((1 - m.e * s) / (1 + m.e * s), m.e / 2));
        delta = std::fabs(phi - next);
        phi = next;
        ++steps;
    } while (delta > 5e-11 && steps < 1000);
    return steps;
}

}  // namespace

TEST(MercatorExample, Wgs84TrueOnTheEquator) {
    const Mercator m(Wgs84Equator());
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(
        ExpectPublishedPoint(m, {45 * kDeg, 5 * kDeg, 556597.454, 5591295.919, 0.0005, 1e-14, 1e-15}, got));
    EXPECT_EQ(ReferenceSteps(m, got.y), 5);
    double k = 0;
    ASSERT_EQ(Code(m.PointScale(got.x, got.y, k)), 0u);
    EXPECT_NEAR(k, 1.41184476, 5e-9);
}

TEST(MercatorExample, TrueScaleParallelAndIgnoredFields) {
    const GeodesyParams p = Merc(6378137.0, 298.257223563, 60, 10, 1000, 2000);
    const Mercator m(p);
    double x, y, k;
    for (double lat : {60.0, -60.0}) {
        ASSERT_EQ(Code(m.Forward(x, y, lat * kDeg, 30 * kDeg)), 0u);
        ASSERT_EQ(Code(m.PointScale(x, y, k)), 0u);
        EXPECT_NEAR(k, 1.0, 1e-13) << lat;
    }
    GeodesyParams other = p;  // k0, the standard parallels and the skew change nothing
    other.scaleFactor = 0.5;
    other.northParallel = 0.3;
    other.southParallel = -0.2;
    other.skewAzimuth = 1.1;
    ExpectSameGrid<Mercator>(p, other, 12 * kDeg, -3 * kDeg, 3e5, 1e6);
}

TEST(MercatorExample, LongitudeReducedBothWays) {
    const Mercator m(Merc(6378137.0, 298.257223563, 0, 20));
    double x1, y1, x2, y2;
    ASSERT_EQ(Code(m.Forward(x1, y1, 10 * kDeg, (20 + 190) * kDeg)), 0u);
    ASSERT_EQ(Code(m.Forward(x2, y2, 10 * kDeg, (20 - 170) * kDeg)), 0u);
    EXPECT_NEAR(x1, x2, 1e-6);
    EXPECT_NEAR(x1, -170 * kDeg * m.R, 1e-6);
    EXPECT_EQ(y1, y2);
    for (double e : {-5e7, -2.1e7, 1.9e7, 4e7, 1e9}) {  // beyond half the equator
        double lat, lon;
        ASSERT_EQ(Code(m.Inverse(e, 1e6, lat, lon)), 0u);
        EXPECT_LE(std::fabs(lon), std::numbers::pi);
    }
}

TEST(MercatorFailures, PolesAndParameters) {
    const Mercator m(Wgs84Equator());
    ExpectForwardRefused(m, 6, {{kHalfPi, 0}, {-kHalfPi, 0}});
    ExpectForwardRefused(m, 10, {{1.6, 0}, {kNan, 0}, {0, kInf}});
    double x, y;  // very close to the pole the northing is large but finite
    ASSERT_EQ(Code(m.Forward(x, y, std::nextafter(kHalfPi, 0.0), 0)), 0u);
    EXPECT_TRUE(std::isfinite(y));

    ExpectEachRefused<Mercator>(Wgs84Equator(), {
        {"true scale at the north pole", [](GeodesyParams& q) { q.refLatitude = kHalfPi; }},
        {"true scale at the south pole", [](GeodesyParams& q) { q.refLatitude = -kHalfPi; }},
        {"true scale beyond the pole", [](GeodesyParams& q) { q.refLatitude = 2.0; }},
        {"true scale not a number", [](GeodesyParams& q) { q.refLatitude = kNan; }},
        {"false easting not a number", [](GeodesyParams& q) { q.falseEasting = kNan; }},
        {"central meridian infinite", [](GeodesyParams& q) { q.centralMeridian = kInf; }},
        {"negative unit", [](GeodesyParams& q) { q.unit = -0.3048; }},
    });
    GeodesyParams p = Wgs84Equator();
    p.refLatitude = 89.9 * kDeg;
    EXPECT_EQ(ConstructionCode<Mercator>(p), 0u);
}

TEST(MercatorFailures, InverseOfBadGridPoints) {
    const Mercator m(Wgs84Equator());
    ExpectInverseRefused(m, 10, {{kNan, 0}, {0, kInf}});
    double lat, lon;  // far beyond the map the latitude settles on the poles
    ASSERT_EQ(Code(m.Inverse(0, 1e12, lat, lon)), 0u);
    EXPECT_EQ(lat, kHalfPi);
    ASSERT_EQ(Code(m.Inverse(0, -1e12, lat, lon)), 0u);
    EXPECT_EQ(lat, -kHalfPi);
}

TEST(MercatorOracle, AgreesWithProjMercLatTs) {
    // 80 S..80 N every 8 degrees, 20 meridians within 179 degrees either side
    // of the central one; inverse longitudes may come back a turn apart.
    const auto around = [](const GeodesyParams& p) { return Area{-80, 80, 21, -179, 179, 20, p.centralMeridian}; };
    const GeodesyParams offset = Merc(6378137.0, 298.257222101, -33, 150, 500000, 10000000);
    const GeodesyParams feet = Merc(6378206.4, 294.9786982, 20, -80, 100000, 0, 0.3048006096012192);
    const GridCase cases[] = {
        {"WGS 84 equator", Wgs84Equator(), around(Wgs84Equator())},
        {"Krassowsky lat_ts 42", Pulkovo(), around(Pulkovo())},
        {"GRS 80 lat_ts -33, offset", offset, around(offset)},
        {"Clarke 1866 lat_ts 20 ft", feet, around(feet)},
    };
    ExpectGridsAgreeWithProj<Mercator>("merc", cases, ProjMerc, 1e-6, 1e-6, true);
}

TEST(MercatorOracle, PointScaleAgreesWithProjFactors) {
    const ProjScale proj(ProjMerc(Pulkovo()));
    ASSERT_TRUE(proj.Valid());
    double worst = 0;  // along the meridian 60 E, 80 S..80 N every 5 degrees
    ASSERT_NO_FATAL_FAILURE(worst = SweepPointScale(Mercator(Pulkovo()), proj, {-80, 80, 33, 60, 60, 1},
                                                    ScaleDifference::Relative));
    EXPECT_LT(worst, 1e-12);
}

TEST(SMercExample, FixedSphereWhateverTheDefinition) {
    GeodesyParams p = Merc(6378137.0, 298.257223563, 30, 12, 1000, 2000, 0.3048);
    p.projection = 9;
    p.scaleFactor = 0.9;
    p.northParallel = 0.5;
    const SMerc s(p);
    ASSERT_NO_FATAL_FAILURE(ExpectPublishedPoint(s, kSphereAt45N5E));
    ExpectSameGrid<SMerc>(p, Merc(6378388.0, 297.0, 0, 0), 45 * kDeg, 5 * kDeg, 556619.358, 5621742.711);
    ExpectUnitScale(s, {{0, 0}, {5e5, 5.6e6}, {-3e6, -1.5e7}});
    double x, y;  // the longitude is not reduced
    ASSERT_EQ(Code(s.Forward(x, y, 0, 200 * kDeg)), 0u);
    EXPECT_NEAR(x, 200 * kDeg * SMerc::kRadius, 1e-6);
}

TEST(SMercFailures, PolesAndBadInput) {
    const SMerc s(Merc(6378137.0, 298.257223563, 0, 0));
    ExpectForwardRefused(s, 6, {{kHalfPi, 0}, {-kHalfPi, 0}});
    ExpectForwardRefused(s, 10, {{-1.7, 0}, {kNan, 0}, {0, -kInf}});
    ExpectInverseRefused(s, 10, {{kInf, 0}, {0, kNan}}, false);
}

TEST(SMercOracle, AgreesWithProjMercOnTheSphere) {
    // 85 S..85 N every 8.5 degrees, 20 meridians from 179.5 W to 179.5 E.
    Differences d;
    ASSERT_NO_FATAL_FAILURE(d = Sweep(SMerc(Merc(6378137.0, 298.257223563, 0, 0)),
                                                 ProjOracle("+proj=merc +R=6378388 +no_defs"),
                                                 {-85, 85, 21, -179.5, 179.5, 20}, {.radius = 6378388.0}));
    d.Print("smerc", "sphere R 6378388");
    EXPECT_LT(d.forward, 1e-6);
    EXPECT_LT(d.inverse, 1e-6);
    RecordProperty("largest_forward_difference_m", std::to_string(d.forward));
    RecordProperty("largest_inverse_difference_m", std::to_string(d.inverse));
}

TEST(MercatorHandle, BothThroughCreateGeodesy) {
    // The published variant B example on Krassowsky and the sphere at 45 N 5 E.
    // Variant B scale at 53 N, true at 42 N: (cos 42 / cos 53) (w(53) / w(42)).
    const double e2 = 2 / 298.3 - 1 / (298.3 * 298.3), s42 = std::sin(42 * kDeg), s53 = std::sin(53 * kDeg);
    const double k53 = std::cos(42 * kDeg) / std::cos(53 * kDeg) * std::sqrt((1 - e2 * s53 * s53) / (1 - e2 * s42 * s42));
    ASSERT_NO_FATAL_FAILURE(ExpectThroughHandle(Pulkovo(), "MER", kPulkovoPoint, k53, 1e-12));
    GeodesyParams sphere = Pulkovo();
    sphere.projection = 9;
    ASSERT_NO_FATAL_FAILURE(ExpectThroughHandle(sphere, "CME", kSphereAt45N5E, 1.0, 0.0));
    ExpectHandleRefuses(Pulkovo(), {kHalfPi, 0}, 6);
    GeodesyParams p = Pulkovo();
    p.refLatitude = kHalfPi;
    ExpectCreationRefused(p);
}
