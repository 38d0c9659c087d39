// Lambert conformal conic against the published two-parallel example (NAD27
// Texas South Central in US survey feet), the one-parallel case, the cone's
// failure cases, and PROJ's lcc over the working area of five grids.
#include "Lambert.h"
#include "ProjectionSweep.h"

#include <gtest/gtest.h>

using namespace projection_sweep;

namespace {

constexpr double kUsFoot = 0.3048006096012192;

// Angles in degrees.
GeodesyParams Lcc(double a, double invF, double lat0, double lon0, double north, double south, double k0,
                  double fe, double fn, double unit = 1.0) {
    GeodesyParams p = Params(a, invF, 1, k0, lon0 * kDeg, lat0 * kDeg, fe, fn, unit);
    p.northParallel = north * kDeg;
    p.southParallel = south * kDeg;
    return p;
}

// NAD27 / Texas South Central, the published two-parallel example.
GeodesyParams Texas() {
    return Lcc(6378206.4, 294.9786982, 27 + 50 / 60.0, -99, 28 + 23 / 60.0, 30 + 17 / 60.0, 1.0, 2000000.0, 0.0,
               kUsFoot);
}
const PublishedPoint kTexasPoint{Dms(28, 30), -96 * kDeg, 2963503.91, 254759.80, 0.005, 1e-11, 1e-12};

// The inverse latitude's counted refinement as the defining formulas give it:
// the latitude, the steps taken and whether the last met the tolerance.
struct Reference {
    double lat;
    int steps;
    bool met;
};
Reference ReferenceInverse(const Lambert& l, double x, double y) {
    double rho = std::hypot(x - l.FE, l.rho0 - (y - l.FN));
    if (l.n < 0) rho = -rho;
    const double t = std::pow(rho / l.F, 1.0 / l.n);
    double phi = kHalfPi - 2.0 * std::atan(t);
    for (int i = 1; i <= 10; ++i) {
        const double s = std::sin(phi);
        const double next = kHalfPi - 2.0 * std::atan(t * std::pow((1 - l.e * s) / (1 + l.e * s), l.e / 2));
        const double d = std::fabs(next - phi);
        phi = next;
        if (d <= 1e-10) return {phi, i, true};
    }
    return {phi, 10, false};
}

std::string ProjLccExact(const GeodesyParams& p) {
    return "+proj=lcc +a=" + Digits(p.a) + " +rf=" + Digits(p.invFlattening) +
           " +lat_0=" + Digits(p.refLatitude / kDeg) + " +lon_0=" + Digits(p.centralMeridian / kDeg) +
           " +lat_1=" + Digits(p.northParallel / kDeg) + " +lat_2=" + Digits(p.southParallel / kDeg) +
           " +k_0=" + Digits(p.scaleFactor) + " +x_0=" + Digits(p.falseEasting * p.unit) +
           " +y_0=" + Digits(p.falseNorthing * p.unit) + " +to_meter=" + Digits(p.unit) + " +no_defs";
}

}  // namespace

TEST(LambertExample, TexasSouthCentralTwoParallels) {
    const Lambert l(Texas());
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(ExpectPublishedPoint(l, kTexasPoint, got));
    const Reference ref = ReferenceInverse(l, got.x, got.y);
    EXPECT_EQ(ref.steps, 5);
    EXPECT_TRUE(ref.met);
    EXPECT_NEAR(got.lat, ref.lat, 1e-12);
    double k = 0;
    ASSERT_EQ(Code(l.PointScale(got.x, got.y, k)), 0u);
    EXPECT_NEAR(k, 0.99996856, 5e-9);
}

TEST(LambertExample, OriginAndNorthIndependence) {
    // The parallels swapped give the same grid; the skew azimuth is ignored.
    GeodesyParams p = Texas();
    const Lambert l(p);
    const double north = p.northParallel;  // the record is packed: no references
    p.northParallel = p.southParallel;
    p.southParallel = north;
    const Lambert swapped(p);
    double x, y, x2, y2;
    ASSERT_EQ(Code(l.Forward(x, y, 29 * kDeg, -97 * kDeg)), 0u);
    ASSERT_EQ(Code(swapped.Forward(x2, y2, 29 * kDeg, -97 * kDeg)), 0u);
    EXPECT_NEAR(x2, x, 1e-7);
    EXPECT_NEAR(y2, y, 1e-7);

    GeodesyParams skew = Texas();
    skew.skewAzimuth = 0.7;
    ExpectSameGrid<Lambert>(Texas(), skew, 29 * kDeg, -97 * kDeg, 2.9e6, 3e5);
}

TEST(LambertOneParallel, TangentConeScaledByK0) {
    // Equal parallels: scale k0 along phi1, growing off it, northings from phi1.
    GeodesyParams p = Lcc(6378137.0, 298.257223563, 46.8, 2.337, 46.8, 46.8, 0.9996, 600000, 200000);
    const Lambert l(p);
    double x, y, k;
    ASSERT_EQ(Code(l.Forward(x, y, 46.8 * kDeg, 2.337 * kDeg)), 0u);
    EXPECT_NEAR(x, 600000, 1e-6);
    EXPECT_NEAR(y, 200000, 1e-6);
    ASSERT_EQ(Code(l.Forward(x, y, 46.8 * kDeg, 5 * kDeg)), 0u);
    ASSERT_EQ(Code(l.PointScale(x, y, k)), 0u);
    EXPECT_NEAR(k, 0.9996, 5e-10);  // three fixed refinement steps
    ASSERT_EQ(Code(l.PointScale(600000, 350000, k)), 0u);
    EXPECT_GT(k, 0.9996);
    p.scaleFactor = 0.0;  // taken as 1
    EXPECT_EQ(Lambert(p).k0, 1.0);
}

TEST(LambertFailures, SymmetricOrEquatorialParallelsThrow7) {
    ExpectEachRefused<Lambert>(Lcc(6378137.0, 298.257223563, 0, 0, 30, -30, 1, 0, 0), {
        {"symmetric parallels", [](GeodesyParams&) {}},
        {"equatorial parallels", [](GeodesyParams& q) { q.northParallel = q.southParallel = 0.0; }},
    });
}

TEST(LambertFailures, ConesWithoutFiniteRadiusThrow7) {
    ExpectEachRefused<Lambert>(Lcc(6378137.0, 298.257223563, 45, 0, 40, 50, 1, 0, 0), {
        {"both parallels on the pole (t1 = 0)",
         [](GeodesyParams& q) { q.northParallel = q.southParallel = kHalfPi; q.refLatitude = 60 * kDeg; }},
        {"origin at the pole opposite the apex", [](GeodesyParams& q) { q.refLatitude = -kHalfPi; }},
        {"parallel not a number", [](GeodesyParams& q) { q.northParallel = kNan; }},
        {"false easting infinite", [](GeodesyParams& q) { q.falseEasting = kInf; }},
        {"false northing not a number", [](GeodesyParams& q) { q.falseNorthing = kNan; }},
        {"central meridian not a number", [](GeodesyParams& q) { q.centralMeridian = kNan; }},
        {"negative unit", [](GeodesyParams& q) { q.unit = -1.0; }},
    });
    // Origin at the apex pole is a usable grid: rho0 = 0.
    EXPECT_EQ(Lambert(Lcc(6378137.0, 298.257223563, 90, 0, 40, 50, 1, 0, 0)).rho0, 0.0);
}

TEST(LambertFailures, Poles) {
    const Lambert north(Texas());
    double x = 5, y = 6, lat = 0, lon = 0, k = 3;
    ASSERT_EQ(Code(north.Forward(x, y, kHalfPi, -99 * kDeg)), 0u);
    EXPECT_NEAR(x, north.FE, 1e-9);
    EXPECT_NEAR(y, north.FN + north.rho0, 1e-6);
    // The apex goes back to the pole on the central meridian; its scale has
    // no finite value (code 6, k untouched).
    ASSERT_EQ(Code(north.Inverse(x, y, lat, lon)), 0u);
    EXPECT_NEAR(lat, kHalfPi, 1e-12);
    EXPECT_NEAR(lon, -99 * kDeg, 1e-12);
    EXPECT_EQ(Code(north.PointScale(x, y, k)), 6u);
    EXPECT_EQ(k, 3);
    // Any longitude at the apex pole is the same point.
    ASSERT_EQ(Code(north.Forward(x, y, kHalfPi, 10 * kDeg)), 0u);
    EXPECT_NEAR(x, north.FE, 1e-9);
    ExpectForwardRefused(north, 6, {{-kHalfPi, 0}});

    // A southern cone (n < 0) has its apex at the south pole.
    const Lambert south(Lcc(6378137.0, 298.257223563, -32, 135, -28, -36, 1, 1000000, 2000000));
    ASSERT_LT(south.n, 0.0);
    ASSERT_EQ(Code(south.Forward(x, y, -kHalfPi, 0)), 0u);
    EXPECT_NEAR(x, 1000000, 1e-9);
    EXPECT_NEAR(y, 2000000 + south.rho0, 1e-6);
    ASSERT_EQ(Code(south.Inverse(x, y, lat, lon)), 0u);
    EXPECT_NEAR(lat, -kHalfPi, 1e-12);
    ExpectForwardRefused(south, 6, {{kHalfPi, 0}});
}

TEST(LambertFailures, BadInputIsRefusedUntouched) {
    const Lambert l(Texas());
    ExpectForwardRefused(l, 10, {{91 * kDeg, 0}, {-91 * kDeg, 0}, {kNan, 0}, {0.5, kNan}, {0.5, kInf}});
    ExpectInverseRefused(l, 10, {{kNan, 0}, {0, kInf}, {-kInf, 0}});
}

TEST(LambertFailures, TenthStepReportsNonConvergence) {
    // On a very flat figure (1/f = 3) the refinement is slow: a latitude that
    // settles on the tenth step still reports code 11 with that latitude
    // written; one that does not settle at all reports 11 too.
    const Lambert l(Lcc(6378137.0, 3.0, 45, 0, 30, 60, 1, 0, 0));
    bool seenTenth = false, seenNever = false, seenEarly = false;
    for (double latDeg = 1; latDeg < 90; latDeg += 0.5) {
        double x, y, lat = 0, lon = 0;
        ASSERT_EQ(Code(l.Forward(x, y, latDeg * kDeg, 3 * kDeg)), 0u);
        const Reference ref = ReferenceInverse(l, x, y);
        const uint32_t code = Code(l.Inverse(x, y, lat, lon));
        EXPECT_NEAR(lon, 3 * kDeg, 1e-12);
        // Settled runs take one more step past the tolerance.
        EXPECT_NEAR(lat, ref.lat, ref.met ? 1e-9 : 1e-12) << latDeg;
        EXPECT_EQ(code, ref.steps < 10 ? 0u : 11u) << latDeg;
        if (ref.steps < 10) {
            seenEarly = true;
        } else if (ref.met) {
            seenTenth = true;
            EXPECT_NEAR(lat, latDeg * kDeg, 1e-9);
        } else {
            seenNever = true;
        }
    }
    EXPECT_TRUE(seenTenth);
    EXPECT_TRUE(seenNever);
    EXPECT_TRUE(seenEarly);
}

TEST(LambertFailures, EarthFiguresSettleEarlyEverywhere) {
    // Up to e^2 = 0.01 the counted refinement settles within a few steps for
    // every grid point, near the apex and far off the map alike, and the
    // inverse gives its limit.
    for (double invF : {298.257223563, 294.9786982, 200.0}) {
        const Lambert l(Lcc(6378137.0, invF, 45, 0, 30, 60, 1, 0, 0));
        for (double r = 1e-3; r < 1e9; r *= 1.37) {
            for (double ang : {0.0, 0.3, -1.0}) {
                const double x = r * std::sin(ang), y = l.rho0 - r * std::cos(ang);
                const Reference ref = ReferenceInverse(l, x, y);
                double lat, lon;
                ASSERT_LT(ref.steps, 10) << invF << " " << r;
                ASSERT_EQ(Code(l.Inverse(x, y, lat, lon)), 0u);
                EXPECT_NEAR(lat, ref.lat, 2e-12) << invF << " " << r;
                EXPECT_NEAR(lon, ang / l.n, 1e-13 + 1e-8 / r);  // y rounded beside rho0
            }
        }
    }
}

TEST(LambertExample, LongitudeIsNotWrapped) {
    // 350 degrees east of the central meridian is a cone angle of n * 350
    // degrees on this grid, not 10 degrees west, and comes back as given.
    const Lambert l(Texas());
    double x1, y1, x2, y2;
    ASSERT_EQ(Code(l.Forward(x1, y1, 30 * kDeg, (-99 + 350) * kDeg)), 0u);
    ASSERT_EQ(Code(l.Forward(x2, y2, 30 * kDeg, (-99 - 10) * kDeg)), 0u);
    EXPECT_GT(std::fabs(x1 - x2), 1.0);
    ExpectRoundTrip(l, 30 * kDeg, (-99 + 350) * kDeg, 1e-11, 1e-11);
}

TEST(LambertExample, SteepConeKeepsItsQuadrant) {
    // n ~ 0.94: more than 96 degrees from the central meridian is more than a
    // quarter turn around the apex, and must not come back mirrored.
    const Lambert l(Lcc(6378137.0, 298.257223563, 70, -40, 65, 75, 1, 0, 0));
    const Lambert s(Lcc(6378137.0, 298.257223563, -70, 20, -65, -75, 1, 0, 0));
    ASSERT_GT(l.n * 120 * kDeg, kHalfPi);
    struct Case {
        const Lambert& grid;
        double lat, lon;
    };
    for (const Case& c : {Case{l, 60, 60}, Case{l, 60, 139}, Case{l, 60, -190}, Case{s, -60, 140}, Case{s, -60, -140}})
        ExpectRoundTrip(c.grid, c.lat * kDeg, c.lon * kDeg, 1e-11, 1e-11);
}

TEST(LambertExample, SameBytesUnderAGermanLocale) {
    double x0, y0, x1 = 0, y1 = 0;
    ASSERT_EQ(Code(Lambert(Texas()).Forward(x0, y0, 29.1 * kDeg, -97.3 * kDeg)), 0u);
    {
        GermanLocale de;
        EXPECT_EQ(Code(Lambert(Texas()).Forward(x1, y1, 29.1 * kDeg, -97.3 * kDeg)), 0u);
    }
    EXPECT_EQ(x0, x1);
    EXPECT_EQ(y0, y1);
}

TEST(LambertOracle, AgreesWithProjLcc) {
    // Each grid over its working area, 20 x 20 stations.
    const GridCase cases[] = {
        {"Texas South Central (US ft)", Texas(), {25.5, 32.5, 20, -105, -93, 20}},
        {"France Lambert-93", Lcc(6378137.0, 298.257222101, 46.5, 3, 49, 44, 1, 700000, 6600000),
         {41, 51.5, 20, -5.5, 10, 20}},
        {"southern cone", Lcc(6378160.0, 298.25, -32, 135, -28, -36, 1, 1000000, 2000000),
         {-45, -10, 20, 110, 160, 20}},
        {"one parallel k0 0.99987742",
         Lcc(6378249.2, 293.4660212936269, 46.8, 2.337229167, 46.8, 46.8, 0.99987742, 600000, 2200000),
         {42, 51, 20, -5, 9, 20}},
        {"high cone", Lcc(6378137.0, 298.257223563, 70, -40, 65, 75, 1, 0, 0), {58, 84, 20, -100, 20, 20}},
    };
    ExpectGridsAgreeWithProj<Lambert>("lcc", cases, ProjLccExact, 1e-6, 1e-6);
}

TEST(LambertOracle, PointScaleAgreesWithProjFactors) {
    const GeodesyParams p = Lcc(6378137.0, 298.257222101, 46.5, 3, 49, 44, 1, 700000, 6600000);
    const ProjScale proj(ProjLccExact(p));
    ASSERT_TRUE(proj.Valid());
    double worst = 0;  // 41..52 N every degree, 5 W..10 E every 3 degrees
    ASSERT_NO_FATAL_FAILURE(worst = SweepPointScale(Lambert(p), proj, {41, 52, 12, -5, 10, 6}));
    EXPECT_LT(worst, 5e-10);  // three fixed refinement steps
}

TEST(LambertHandle, ThroughCreateGeodesy) {
    ASSERT_NO_FATAL_FAILURE(ExpectThroughHandle(Texas(), "LCC", kTexasPoint, 0.99996856, 5e-9));
    ExpectHandleRefuses(Texas(), {-kHalfPi, 0}, 6);  // the pole away from the apex
    GeodesyParams bad = Texas();
    bad.northParallel = -bad.southParallel;
    ExpectCreationRefused(bad);
}
