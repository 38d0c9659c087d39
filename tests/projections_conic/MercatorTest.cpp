// Mercator with a latitude of true scale (the published variant B example on
// Krassowsky and the WGS 84 equator grid) and the spherical Mercator on the
// International 1924 radius, against PROJ's merc.
#include "Mercator.h"
#include "ProjOracle.h"
#include "ProjectionSweep.h"
#include "SMerc.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string>

using namespace projection_sweep;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kPi = std::numbers::pi;
constexpr double kHalfPi = kPi / 2.0;
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

GeodesyParams Merc(double a, double invF, double latTs, double lon0, double fe = 0, double fn = 0, double unit = 1) {
    return Params(a, invF, 2, 1.0, lon0 * kDeg, latTs * kDeg, fe, fn, unit);
}

GeodesyParams Wgs84Equator() { return Merc(6378137.0, 298.257223563, 0, 0); }
GeodesyParams Pulkovo() { return Merc(6378245.0, 298.3, 42, 51); }

std::string ProjMerc(const GeodesyParams& p) {
    return "+proj=merc +a=" + Digits(p.a) + " +rf=" + Digits(p.invFlattening) + " +lat_ts=" +
           Digits(p.refLatitude / kDeg) + " +lon_0=" + Digits(p.centralMeridian / kDeg) +
           " +x_0=" + Digits(p.falseEasting * p.unit) + " +y_0=" + Digits(p.falseNorthing * p.unit) +
           " +to_meter=" + Digits(p.unit) + " +no_defs";
}

// The inverse latitude's refinement as the defining formulas give it: the
// number of steps until two latitudes differ by 5e-11 rad or less.
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
    EXPECT_STREQ(m.ShortName(), "MER");
    EXPECT_EQ(m.TypeId(), 2);
    EXPECT_DOUBLE_EQ(m.R, 6378137.0);
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(
        ExpectPublishedPoint(m, {45 * kDeg, 5 * kDeg, 556597.454, 5591295.919, 0.0005, 1e-14, 1e-15}, got));
    EXPECT_EQ(ReferenceSteps(m, got.y), 5);
    double k = 0;
    ASSERT_EQ(m.PointScale(got.x, got.y, k).take(), 0u);
    EXPECT_NEAR(k, 1.41184476, 5e-9);
}

TEST(MercatorExample, VariantBOnKrassowsky) {
    const Mercator m(Pulkovo());
    ASSERT_NO_FATAL_FAILURE(
        ExpectPublishedPoint(m, {53 * kDeg, 53 * kDeg, 165704.29, 5171848.07, 0.005, 1e-14, 1e-15}));
    double x = 0, y = 0;
    // The origin is (FE, FN) on the equator of the central meridian.
    ASSERT_EQ(m.Forward(x, y, 0, 51 * kDeg).take(), 0u);
    EXPECT_NEAR(x, 0, 1e-9);
    EXPECT_NEAR(y, 0, 1e-9);
}

TEST(MercatorExample, TrueScaleParallelAndIgnoredFields) {
    GeodesyParams p = Merc(6378137.0, 298.257223563, 60, 10, 1000, 2000);
    const Mercator m(p);
    const double s = std::sin(60 * kDeg);
    EXPECT_NEAR(m.R, 6378137.0 * std::cos(60 * kDeg) / std::sqrt(1 - m.e2 * s * s), 1e-8);
    double x, y, k;
    ASSERT_EQ(m.Forward(x, y, 60 * kDeg, 30 * kDeg).take(), 0u);
    ASSERT_EQ(m.PointScale(x, y, k).take(), 0u);
    EXPECT_NEAR(k, 1.0, 1e-13);
    ASSERT_EQ(m.Forward(x, y, -60 * kDeg, 30 * kDeg).take(), 0u);
    ASSERT_EQ(m.PointScale(x, y, k).take(), 0u);
    EXPECT_NEAR(k, 1.0, 1e-13);

    // k0, the standard parallels and the skew azimuth change nothing.
    GeodesyParams other = p;
    other.scaleFactor = 0.5;
    other.northParallel = 0.3;
    other.southParallel = -0.2;
    other.skewAzimuth = 1.1;
    const Mercator m2(other);
    double x2, y2;
    ASSERT_EQ(m.Forward(x, y, 12 * kDeg, -3 * kDeg).take(), 0u);
    ASSERT_EQ(m2.Forward(x2, y2, 12 * kDeg, -3 * kDeg).take(), 0u);
    EXPECT_EQ(x, x2);
    EXPECT_EQ(y, y2);

    // Feet: the whole grid divided by the unit.
    GeodesyParams ft = p;
    ft.unit = 0.3048;
    ft.falseEasting = p.falseEasting / 0.3048;
    ft.falseNorthing = p.falseNorthing / 0.3048;
    ASSERT_EQ(Mercator(ft).Forward(x2, y2, 12 * kDeg, -3 * kDeg).take(), 0u);
    EXPECT_NEAR(x2 * 0.3048, x, 1e-7);
    EXPECT_NEAR(y2 * 0.3048, y, 1e-7);
}

TEST(MercatorExample, LongitudeReducedBothWays) {
    const Mercator m(Merc(6378137.0, 298.257223563, 0, 20));
    double x1, y1, x2, y2;
    ASSERT_EQ(m.Forward(x1, y1, 10 * kDeg, (20 + 190) * kDeg).take(), 0u);
    ASSERT_EQ(m.Forward(x2, y2, 10 * kDeg, (20 - 170) * kDeg).take(), 0u);
    EXPECT_NEAR(x1, x2, 1e-6);
    EXPECT_NEAR(x1, -170 * kDeg * m.R, 1e-6);
    EXPECT_EQ(y1, y2);
    // Eastings beyond half the equator come back within [-pi, pi].
    for (double e : {-5e7, -2.1e7, 1.9e7, 4e7, 1e9}) {
        double lat, lon;
        ASSERT_EQ(m.Inverse(e, 1e6, lat, lon).take(), 0u);
        EXPECT_LE(std::fabs(lon), kPi);
    }
}

TEST(MercatorFailures, PolesAndParameters) {
    const Mercator m(Wgs84Equator());
    double x = 5, y = 6;
    EXPECT_EQ(m.Forward(x, y, kHalfPi, 0).take(), 6u);
    EXPECT_EQ(m.Forward(x, y, -kHalfPi, 0).take(), 6u);
    EXPECT_EQ(m.Forward(x, y, 1.6, 0).take(), 10u);
    EXPECT_EQ(m.Forward(x, y, kNan, 0).take(), 10u);
    EXPECT_EQ(m.Forward(x, y, 0, kInf).take(), 10u);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    // Very close to the pole the northing is large but finite.
    ASSERT_EQ(m.Forward(x, y, std::nextafter(kHalfPi, 0.0), 0).take(), 0u);
    EXPECT_TRUE(std::isfinite(y));

    // A latitude of true scale at either pole, beyond it, or not a number.
    GeodesyParams p = Wgs84Equator();
    p.refLatitude = kHalfPi;
    EXPECT_EQ(ConstructionCode<Mercator>(p), 7u);
    p.refLatitude = -kHalfPi;
    EXPECT_EQ(ConstructionCode<Mercator>(p), 7u);
    p.refLatitude = 2.0;
    EXPECT_EQ(ConstructionCode<Mercator>(p), 7u);
    p.refLatitude = kNan;
    EXPECT_EQ(ConstructionCode<Mercator>(p), 7u);
    p.refLatitude = 89.9 * kDeg;
    EXPECT_EQ(ConstructionCode<Mercator>(p), 0u);
    // A false origin or central meridian that is not a number, a negative unit.
    ExpectEachRefused<Mercator>(Wgs84Equator(), {
        {"false easting not a number", [](GeodesyParams& q) { q.falseEasting = kNan; }},
        {"central meridian infinite", [](GeodesyParams& q) { q.centralMeridian = kInf; }},
        {"negative unit", [](GeodesyParams& q) { q.unit = -0.3048; }},
    });
}

TEST(MercatorFailures, InverseOfBadGridPoints) {
    const Mercator m(Wgs84Equator());
    double lat = 7, lon = 8, k = 9;
    EXPECT_EQ(m.Inverse(kNan, 0, lat, lon).take(), 10u);
    EXPECT_EQ(m.Inverse(0, kInf, lat, lon).take(), 10u);
    EXPECT_EQ(m.PointScale(0, kNan, k).take(), 10u);
    EXPECT_EQ(lat, 7);
    EXPECT_EQ(lon, 8);
    EXPECT_EQ(k, 9);
    // Far beyond the map the latitude settles on the poles.
    ASSERT_EQ(m.Inverse(0, 1e12, lat, lon).take(), 0u);
    EXPECT_EQ(lat, kHalfPi);
    ASSERT_EQ(m.Inverse(0, -1e12, lat, lon).take(), 0u);
    EXPECT_EQ(lat, -kHalfPi);
}

TEST(MercatorOracle, AgreesWithProjMercLatTs) {
    // 80 S..80 N every 8 degrees, 20 meridians within 179 degrees either side
    // of the central one; the inverse longitudes may come back a turn apart at
    // the edges.
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
    const GeodesyParams p = Pulkovo();
    const ProjScale proj(ProjMerc(p));
    ASSERT_TRUE(proj.Valid());
    // Along the meridian 60 E, 80 S..80 N every 5 degrees.
    double worst = 0;
    ASSERT_NO_FATAL_FAILURE(worst = SweepPointScale(Mercator(p), proj, {-80, 80, 33, 60, 60, 1},
                                                    ScaleDifference::Relative));
    EXPECT_LT(worst, 1e-12);
}

TEST(SMercExample, FixedSphereWhateverTheDefinition) {
    GeodesyParams p = Merc(6378137.0, 298.257223563, 30, 12, 1000, 2000, 0.3048);
    p.projection = 9;
    p.scaleFactor = 0.9;
    p.northParallel = 0.5;
    const SMerc s(p);
    EXPECT_STREQ(s.ShortName(), "CME");
    EXPECT_EQ(s.TypeId(), 9);
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(
        ExpectPublishedPoint(s, {45 * kDeg, 5 * kDeg, 556619.358, 5621742.711, 0.0005, 1e-15, 1e-15}, got));
    double x = got.x, y = got.y;

    const SMerc other(Merc(6378388.0, 297.0, 0, 0));
    double x2, y2;
    ASSERT_EQ(other.Forward(x2, y2, 45 * kDeg, 5 * kDeg).take(), 0u);
    EXPECT_EQ(x, x2);
    EXPECT_EQ(y, y2);

    // The longitude is not reduced.
    ASSERT_EQ(s.Forward(x, y, 0, 200 * kDeg).take(), 0u);
    EXPECT_NEAR(x, 200 * kDeg * SMerc::kRadius, 1e-6);
}

TEST(SMercExample, PointScaleIsTheSharedUnitScale) {
    const SMerc s(Merc(6378137.0, 298.257223563, 0, 0));
    for (double latDeg : {0.0, 30.0, 45.0, -60.0, 80.0}) {
        double x, y, k = 0;
        ASSERT_EQ(s.Forward(x, y, latDeg * kDeg, 3 * kDeg).take(), 0u);
        ASSERT_EQ(s.PointScale(x, y, k).take(), 0u);
        EXPECT_EQ(k, 1.0) << latDeg;
    }
}

TEST(SMercFailures, PolesAndBadInput) {
    const SMerc s(Merc(6378137.0, 298.257223563, 0, 0));
    double x = 5, y = 6;
    EXPECT_EQ(s.Forward(x, y, kHalfPi, 0).take(), 6u);
    EXPECT_EQ(s.Forward(x, y, -kHalfPi, 0).take(), 6u);
    EXPECT_EQ(s.Forward(x, y, -1.7, 0).take(), 10u);
    EXPECT_EQ(s.Forward(x, y, kNan, 0).take(), 10u);
    EXPECT_EQ(s.Forward(x, y, 0, -kInf).take(), 10u);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    double lat = 7, lon = 8;
    EXPECT_EQ(s.Inverse(kInf, 0, lat, lon).take(), 10u);
    EXPECT_EQ(s.Inverse(0, kNan, lat, lon).take(), 10u);
    EXPECT_EQ(lat, 7);
    EXPECT_EQ(lon, 8);
}

TEST(SMercOracle, AgreesWithProjMercOnTheSphere) {
    // 85 S..85 N every 8.5 degrees, 20 meridians from 179.5 W to 179.5 E.
    GroundDifferences d;
    ASSERT_NO_FATAL_FAILURE(d = SweepOnTheGround(SMerc(Merc(6378137.0, 298.257223563, 0, 0)),
                                                 ProjOracle("+proj=merc +R=6378388 +no_defs"),
                                                 {-85, 85, 21, -179.5, 179.5, 20}, {.radius = 6378388.0}));
    d.Print("smerc", "sphere R 6378388");
    EXPECT_LT(d.forward, 1e-6);
    EXPECT_LT(d.inverse, 1e-6);
    RecordProperty("largest_forward_difference_m", std::to_string(d.forward));
    RecordProperty("largest_inverse_difference_m", std::to_string(d.inverse));
}

TEST(MercatorHandle, BothThroughCreateGeodesy) {
    GeodesyParams p = Pulkovo();
    GEODESY h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr);
    char name[8] = {};
    GeodesyParams back{};
    ASSERT_EQ(GetGeodesyParams(h, &back, nullptr, name), 1);
    EXPECT_STREQ(name, "MER");
    double x = 0, y = 0, lat = 0, lon = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, 53 * kDeg, 53 * kDeg), 1);
    EXPECT_NEAR(x, 165704.29, 0.005);
    EXPECT_NEAR(y, 5171848.07, 0.005);
    ASSERT_EQ(XYGeo(h, x, y, &lat, &lon), 1);
    EXPECT_NEAR(lat, 53 * kDeg, 1e-14);
    EXPECT_NEAR(lon, 53 * kDeg, 1e-14);
    const double sp = std::sin(42 * kDeg), s = std::sin(53 * kDeg);
    const double e2 = 2 / 298.3 - 1 / (298.3 * 298.3);
    EXPECT_NEAR(Scale(h, x, y), std::cos(42 * kDeg) / std::cos(53 * kDeg) * std::sqrt((1 - e2 * s * s) / (1 - e2 * sp * sp)),
                1e-12);
    x = 1;
    y = 2;
    EXPECT_EQ(GeoXY(h, &x, &y, kHalfPi, 0), 0);
    EXPECT_EQ(GetGeodesyError(), 6);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(DestroyGeodesy(h), 1);

    p.refLatitude = kHalfPi;
    EXPECT_EQ(CreateGeodesy(&p), nullptr);
    EXPECT_EQ(GetGeodesyError(), 7);

    GeodesyParams sp9 = Pulkovo();
    sp9.projection = 9;
    GEODESY hs = CreateGeodesy(&sp9);
    ASSERT_NE(hs, nullptr);
    ASSERT_EQ(GetGeodesyParams(hs, &back, nullptr, name), 1);
    EXPECT_STREQ(name, "CME");
    ASSERT_EQ(GeoXY(hs, &x, &y, 45 * kDeg, 5 * kDeg), 1);
    EXPECT_NEAR(x, 556619.358, 0.0005);
    EXPECT_NEAR(y, 5621742.711, 0.0005);
    ASSERT_EQ(XYGeo(hs, x, y, &lat, &lon), 1);
    EXPECT_NEAR(lat, 45 * kDeg, 1e-15);
    EXPECT_EQ(Scale(hs, x, y), 1.0);
    EXPECT_EQ(GetGeodesyError(), 0);
    EXPECT_EQ(DestroyGeodesy(hs), 1);
}
