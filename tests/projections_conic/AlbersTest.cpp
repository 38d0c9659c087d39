// Albers equal-area conic against the published Clarke 1866 example (the
// conterminous United States grid), its failure cases and PROJ's aea.
#include "Albers.h"
#include "ProjectionSweep.h"

#include <gtest/gtest.h>

using namespace projection_sweep;

namespace {

// Angles in degrees.
GeodesyParams Aea(double a, double invF, double lat0, double lon0, double north, double south, double fe = 0,
                  double fn = 0, double unit = 1) {
    GeodesyParams p = Params(a, invF, 10, 1.0, lon0 * kDeg, lat0 * kDeg, fe, fn, unit);
    p.northParallel = north * kDeg;
    p.southParallel = south * kDeg;
    return p;
}

// The published example: Clarke 1866, parallels 29.5 and 45.5 N, origin 23 N 96 W.
GeodesyParams Conus() { return Aea(6378206.4, 294.9786982, 23, -96, 29.5, 45.5); }
const PublishedPoint kConusPoint{35 * kDeg, -75 * kDeg, 1885472.7, 1535925.0, 0.05, 1e-13, 1e-14};

std::string ProjAea(const GeodesyParams& p) {
    return "+proj=aea +a=" + Digits(p.a) + " +rf=" + Digits(p.invFlattening) +
           " +lat_0=" + Digits(p.refLatitude / kDeg) + " +lon_0=" + Digits(p.centralMeridian / kDeg) +
           " +lat_1=" + Digits(p.northParallel / kDeg) + " +lat_2=" + Digits(p.southParallel / kDeg) +
           " +x_0=" + Digits(p.falseEasting * p.unit) + " +y_0=" + Digits(p.falseNorthing * p.unit) +
           " +to_meter=" + Digits(p.unit) + " +no_defs";
}

// The inverse latitude's counted refinement as the defining formulas give it.
struct Reference {
    double q;
    double lat;
    int steps;
    bool met;
};
Reference ReferenceInverse(const Albers& al, double x, double y) {
    const double aU = al.a / al.u;
    const double rho = std::hypot(x - al.FE, al.rho0 - (y - al.FN));
    const double q = (al.C - rho * rho * al.n * al.n / (aU * aU)) / al.n;
    double phi = std::asin(q / 2);
    for (int i = 1; i <= 10; ++i) {
        const double s = std::sin(phi), w = 1 - al.e2 * s * s;
        const double g = std::log((1 - al.e * s) / (1 + al.e * s)) / (2 * al.e);
        const double d = (w * w / (2 * std::cos(phi))) * (q / (1 - al.e2) - s / w + g);
        phi += d;
        if (std::fabs(d) <= 1e-7) return {q, phi, i, true};
    }
    return {q, phi, 10, false};
}

}  // namespace

TEST(AlbersExample, ConterminousUnitedStates) {
    const Albers al(Conus());
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(ExpectPublishedPoint(al, kConusPoint, got));
    const Reference ref = ReferenceInverse(al, got.x, got.y);
    EXPECT_EQ(ref.steps, 3);
    EXPECT_TRUE(ref.met);
    EXPECT_NEAR(got.lat, ref.lat, 1e-14);
    // The scale along the parallel of the point itself (0.9915546 at 35 N),
    // not that of the authalic latitude asin(q/2) (0.98901066).
    double k = 0;
    ASSERT_EQ(Code(al.PointScale(got.x, got.y, k)), 0u);
    EXPECT_NEAR(k, 0.9915546, 5e-8);
}

TEST(AlbersExample, OriginParallelsAndIgnoredFields) {
    GeodesyParams p = Conus();
    p.falseEasting = 1000000;
    p.falseNorthing = -500000;
    const Albers al(p);
    double x, y, k;
    for (double par : {29.5, 45.5}) {  // scale 1 along both standard parallels
        ASSERT_EQ(Code(al.Forward(x, y, par * kDeg, -80 * kDeg)), 0u);
        ASSERT_EQ(Code(al.PointScale(x, y, k)), 0u);
        EXPECT_NEAR(k, 1.0, 1e-12) << par;
    }
    // k0 and the skew azimuth change nothing; nor does which parallel is north.
    GeodesyParams other = p;
    other.scaleFactor = 0.5;
    other.skewAzimuth = 0.4;
    const double north = other.northParallel;  // the record is packed: no references
    other.northParallel = other.southParallel;
    other.southParallel = north;
    double x2, y2;
    ASSERT_EQ(Code(al.Forward(x, y, 40 * kDeg, -100 * kDeg)), 0u);
    ASSERT_EQ(Code(Albers(other).Forward(x2, y2, 40 * kDeg, -100 * kDeg)), 0u);
    EXPECT_NEAR(x, x2, 1e-6);
    EXPECT_NEAR(y, y2, 1e-6);
}

TEST(AlbersFailures, SymmetricOrEquatorialParallelsThrow7) {
    ExpectEachRefused<Albers>(Conus(), {
        {"symmetric parallels", [](GeodesyParams& q) { q.northParallel = -q.southParallel; }},
        {"equatorial parallels", [](GeodesyParams& q) { q.northParallel = q.southParallel = 0.0; }},
        {"south parallel not a number", [](GeodesyParams& q) { q.southParallel = kNan; }},
        {"false northing infinite", [](GeodesyParams& q) { q.falseNorthing = kInf; }},
        {"central meridian not a number", [](GeodesyParams& q) { q.centralMeridian = kNan; }},
        {"negative unit", [](GeodesyParams& q) { q.unit = -1.0; }},
    });
    EXPECT_EQ(ConstructionCode<Albers>(Conus()), 0u);
}

TEST(AlbersFailures, BeyondAnyLatitudeIsCode10WithLongitudeWritten) {
    // Near the apex of the cone, beyond the north pole's arc, |q| > 2.
    const Albers al(Conus());
    double lat = 7, lon = 8, k = 9;
    const double apexY = al.rho0 + al.FN;
    ASSERT_GT(std::fabs(ReferenceInverse(al, 1000, apexY).q), 2.0);
    EXPECT_EQ(Code(al.Inverse(1000, apexY - 1000, lat, lon)), 10u);
    EXPECT_EQ(lat, 7);
    EXPECT_NEAR(lon, std::atan(1.0) / al.n + al.lambda0, 1e-12);
    lon = 8;  // |q| > 2 also far beyond the south
    EXPECT_EQ(Code(al.Inverse(0, -4e7, lat, lon)), 10u);
    EXPECT_NE(lon, 8);
    EXPECT_EQ(Code(al.PointScale(1000, apexY - 1000, k)), 10u);
    EXPECT_EQ(k, 9);
}

TEST(AlbersFailures, PolesDoNotSettle) {
    // The poles project (onto an arc around the apex), but the inverse
    // refinement crawls there: code 11 with a latitude written, while 0.1
    // degree from the pole still settles.
    const Albers al(Conus());
    double x, y, lat = 0, lon = 0, k = 0;
    ASSERT_EQ(Code(al.Forward(x, y, kHalfPi, -96 * kDeg)), 0u);
    EXPECT_TRUE(std::isfinite(y));
    EXPECT_EQ(Code(al.Inverse(x, y, lat, lon)), 11u);
    EXPECT_NEAR(lat, kHalfPi, 1e-3);
    ASSERT_EQ(Code(al.Forward(x, y, -kHalfPi, -96 * kDeg)), 0u);
    EXPECT_EQ(Code(al.Inverse(x, y, lat, lon)), 11u);
    EXPECT_EQ(Code(al.PointScale(x, y, k)), 11u);
    ASSERT_EQ(Code(al.Forward(x, y, 89.9 * kDeg, -96 * kDeg)), 0u);
    ASSERT_EQ(Code(al.Inverse(x, y, lat, lon)), 0u);
    EXPECT_NEAR(lat, 89.9 * kDeg, 1e-11);
    // Both poles at any longitude are finite points (no not-a-number).
    for (double pole : {kHalfPi, -kHalfPi}) {
        ASSERT_EQ(Code(al.Forward(x, y, pole, 3.0)), 0u);
        EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
    }
}

TEST(AlbersFailures, TenthStepReportsNonConvergence) {
    // Near the pole the refinement needs more and more steps: one that meets
    // the tolerance on its tenth step still reports code 11.
    const Albers al(Conus());
    bool seenTenth = false, seenNever = false, seenNine = false;
    for (double d = 0.2; d > 0.02; d *= 0.995) {
        double x, y, lat = 0, lon = 0;
        ASSERT_EQ(Code(al.Forward(x, y, (90 - d) * kDeg, -96 * kDeg)), 0u);
        const Reference ref = ReferenceInverse(al, x, y);
        const uint32_t code = Code(al.Inverse(x, y, lat, lon));
        EXPECT_NEAR(lat, ref.lat, 1e-11) << d;  // near the pole the steps magnify rounding
        EXPECT_EQ(code, ref.steps < 10 ? 0u : 11u) << d;
        if (ref.steps == 9) seenNine = true;
        if (ref.steps == 10) (ref.met ? seenTenth : seenNever) = true;
    }
    EXPECT_TRUE(seenNine);
    EXPECT_TRUE(seenTenth);
    EXPECT_TRUE(seenNever);
}

TEST(AlbersFailures, BadInputIsRefusedUntouched) {
    const Albers al(Conus());
    ExpectForwardRefused(al, 10, {{1.6, 0}, {kNan, 0}, {0.5, kInf}});
    ExpectInverseRefused(al, 10, {{kNan, 0}, {0, -kInf}, {kInf, 0}});
}

TEST(AlbersExample, SteepConeKeepsItsQuadrant) {
    // n ~ 0.92: 150 degrees from the central meridian is more than a quarter
    // turn around the apex.
    const Albers north(Aea(6378137.0, 298.257223563, 65, 0, 60, 75));
    const Albers south(Aea(6378137.0, 298.257223563, -65, 0, -60, -75));
    ASSERT_GT(north.n * 150 * kDeg, kHalfPi);
    struct Case {
        const Albers& grid;
        double lat, lon;
    };
    for (const Case& c : {Case{north, 70, 100}, Case{north, 70, 150}, Case{north, 70, 179}, Case{north, 70, -120},
                          Case{south, -70, 160}})
        ExpectRoundTrip(c.grid, c.lat * kDeg, c.lon * kDeg, 1e-12, 1e-12);
}

TEST(AlbersOracle, AgreesWithProjAea) {
    // Each grid over its working area, 20 x 20 stations.
    const GridCase cases[] = {
        {"conterminous US (Clarke 1866)", Conus(), {20, 52, 20, -128, -64, 20}},
        {"Australia (GRS 80)", Aea(6378137.0, 298.257222101, 0, 132, -18, -36), {-45, -9, 20, 110, 156, 20}},
        {"Europe one parallel", Aea(6378137.0, 298.257223563, 52, 10, 52, 52, 4321000, 3210000),
         {34, 72, 20, -25, 45, 20}},
        {"Alaska ft", Aea(6378137.0, 298.257222101, 50, -154, 55, 65, 1000000, 0, 0.3048006096012192),
         {51, 72, 20, -180, -128, 20}},
    };
    ExpectGridsAgreeWithProj<Albers>("aea", cases, ProjAea, 1e-6, 1e-6);
}

TEST(AlbersOracle, PointScaleAgreesWithProjFactors) {
    const ProjScale proj(ProjAea(Conus()));
    ASSERT_TRUE(proj.Valid());
    double worst = 0;  // 20..55 N every 2.5 degrees, 125..65 W every 15
    ASSERT_NO_FATAL_FAILURE(worst = SweepPointScale(Albers(Conus()), proj, {20, 55, 15, -125, -65, 5}));
    EXPECT_LT(worst, 1e-10);
}

TEST(AlbersHandle, ThroughCreateGeodesy) {
    GeodesyParams p = Conus();
    ASSERT_NO_FATAL_FAILURE(ExpectThroughHandle(p, "ALA", kConusPoint, 0.9915546, 5e-8));
    // Beyond any latitude: XYGeo fails with 10, Scale gives 1.0 and code 10.
    GEODESY h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr);
    const double rho0 = Albers(p).rho0;
    double lat = 0, lon = 0;
    EXPECT_EQ(XYGeo(h, 0, p.falseNorthing + rho0 - 10, &lat, &lon), 0);
    EXPECT_EQ(GetGeodesyError(), 10);
    EXPECT_EQ(Scale(h, 0, rho0 - 10), 1.0);
    EXPECT_EQ(GetGeodesyError(), 10);
    EXPECT_EQ(DestroyGeodesy(h), 1);
    p.northParallel = -p.southParallel;
    ExpectCreationRefused(p);
}
