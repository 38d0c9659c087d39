// Lambert conformal conic against the published two-parallel example (NAD27
// Texas South Central in US survey feet), the one-parallel case, the cone's
// failure cases, and PROJ's lcc over the working area of four grids.
#include "Lambert.h"
#include "ProjOracle.h"
#include "ProjectionSweep.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string>

using namespace projection_sweep;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kHalfPi = std::numbers::pi / 2.0;
constexpr double kUsFoot = 0.3048006096012192;

double Dms(double d, double m, double s = 0.0) { return (std::fabs(d) + m / 60.0 + s / 3600.0) * (d < 0 ? -1 : 1); }

GeodesyParams Lcc(double a, double invF, double lat0, double lon0, double north, double south, double k0,
                  double fe, double fn, double unit = 1.0) {
    GeodesyParams p = Params(a, invF, 1, k0, lon0 * kDeg, lat0 * kDeg, fe, fn, unit);
    p.northParallel = north * kDeg;
    p.southParallel = south * kDeg;
    return p;
}

// NAD27 / Texas South Central, the published two-parallel example.
GeodesyParams Texas() {
    return Lcc(6378206.4, 294.9786982, Dms(27, 50), -99, Dms(28, 23), Dms(30, 17), 1.0, 2000000.0, 0.0, kUsFoot);
}

// The inverse latitude exactly as the defining formulas give it, with the
// number of refinement steps taken and whether the last met the tolerance.
struct Reference {
    double lat;
    int steps;
    bool met;
};
Reference ReferenceInverse(const Lambert& l, double x, double y) {
    const double dx = x - l.FE, dy = y - l.FN;
    double rho = std::hypot(dx, l.rho0 - dy);
    if (l.n < 0) rho = -rho;
    const double t = std::pow(rho / l.F, 1.0 / l.n);
    double phi = kHalfPi - 2.0 * std::atan(t);
    int i = 0;
    bool met = false;
    for (;;) {
        if (i >= 10) break;
        ++i;
        const double s = std::sin(phi);
        const double next = kHalfPi - 2.0 * std::atan(t * std::pow((1 - l.e * s) / (1 + l.e * s), l.e / 2));
        const double d = std::fabs(next - phi);
        phi = next;
        if (d <= 1e-10) {
            met = true;
            break;
        }
    }
    return {phi, i, met};
}

std::string ProjLccExact(const GeodesyParams& p) {
    return "+proj=lcc +a=" + Digits(p.a) + " +rf=" + Digits(p.invFlattening) +
           " +lat_0=" + Digits(p.refLatitude / kDeg) + " +lon_0=" + Digits(p.centralMeridian / kDeg) +
           " +lat_1=" + Digits(p.northParallel / kDeg) +
           " +lat_2=" + Digits(p.southParallel / kDeg) + " +k_0=" + Digits(p.scaleFactor) +
           " +x_0=" + Digits(p.falseEasting * p.unit) + " +y_0=" + Digits(p.falseNorthing * p.unit) +
           " +to_meter=" + Digits(p.unit) + " +no_defs";
}

}  // namespace

TEST(LambertExample, TexasSouthCentralTwoParallels) {
    const Lambert l(Texas());
    EXPECT_STREQ(l.ShortName(), "LCC");
    EXPECT_EQ(l.TypeId(), 1);
    const double lat = Dms(28, 30), lon = -96.0;
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(
        ExpectPublishedPoint(l, {lat * kDeg, lon * kDeg, 2963503.91, 254759.80, 0.005, 1e-11, 1e-12}, got));
    const Reference ref = ReferenceInverse(l, got.x, got.y);
    EXPECT_EQ(ref.steps, 5);
    EXPECT_TRUE(ref.met);
    EXPECT_NEAR(got.lat, ref.lat, 1e-12);

    double k = 0;
    ASSERT_EQ(l.PointScale(got.x, got.y, k).take(), 0u);
    EXPECT_NEAR(k, 0.99996856, 5e-9);
}

TEST(LambertExample, OriginAndNorthIndependence) {
    GeodesyParams p = Texas();
    const Lambert l(p);
    double x = 1, y = 1, lat = 1, lon = 1;
    ASSERT_EQ(l.Forward(x, y, p.refLatitude, p.centralMeridian).take(), 0u);
    EXPECT_NEAR(x, p.falseEasting, 1e-6);
    EXPECT_NEAR(y, p.falseNorthing, 1e-6);
    ASSERT_EQ(l.Inverse(p.falseEasting, p.falseNorthing, lat, lon).take(), 0u);
    EXPECT_NEAR(lat, p.refLatitude, 1e-12);
    EXPECT_NEAR(lon, p.centralMeridian, 1e-15);

    // The parallels swapped give the same grid.
    const double north = p.northParallel;  // the record is packed: no references
    p.northParallel = p.southParallel;
    p.southParallel = north;
    const Lambert swapped(p);
    EXPECT_NEAR(swapped.n, l.n, 1e-13);
    double x2, y2;
    ASSERT_EQ(l.Forward(x, y, 29 * kDeg, -97 * kDeg).take(), 0u);
    ASSERT_EQ(swapped.Forward(x2, y2, 29 * kDeg, -97 * kDeg).take(), 0u);
    EXPECT_NEAR(x2, x, 1e-7);
    EXPECT_NEAR(y2, y, 1e-7);

    // The skew azimuth is ignored.
    GeodesyParams skew = Texas();
    skew.skewAzimuth = 0.7;
    double x3, y3;
    ASSERT_EQ(Lambert(skew).Forward(x3, y3, 29 * kDeg, -97 * kDeg).take(), 0u);
    EXPECT_EQ(x3, x);
    EXPECT_EQ(y3, y);
}

TEST(LambertExample, UnitsScaleTheWholeGrid) {
    GeodesyParams ft = Texas();
    GeodesyParams m = Texas();
    m.unit = 1.0;
    m.falseEasting = ft.falseEasting * kUsFoot;
    double xf, yf, xm, ym;
    ASSERT_EQ(Lambert(ft).Forward(xf, yf, 30 * kDeg, -100 * kDeg).take(), 0u);
    ASSERT_EQ(Lambert(m).Forward(xm, ym, 30 * kDeg, -100 * kDeg).take(), 0u);
    EXPECT_NEAR(xf * kUsFoot, xm, 1e-7);
    EXPECT_NEAR(yf * kUsFoot, ym, 1e-7);
}

TEST(LambertOneParallel, TangentConeScaledByK0) {
    // Equal parallels: n = sin(phi1); with phi0 = phi1 the grid touches phi1
    // with scale k0, and northings count from phi1.
    const GeodesyParams p = Lcc(6378137.0, 298.257223563, 46.8, 2.337, 46.8, 46.8, 0.9996, 600000, 200000);
    const Lambert l(p);
    EXPECT_DOUBLE_EQ(l.n, std::sin(46.8 * kDeg));
    double x, y, k;
    ASSERT_EQ(l.Forward(x, y, 46.8 * kDeg, 2.337 * kDeg).take(), 0u);
    EXPECT_NEAR(x, 600000, 1e-6);
    EXPECT_NEAR(y, 200000, 1e-6);
    ASSERT_EQ(l.Forward(x, y, 46.8 * kDeg, 5 * kDeg).take(), 0u);
    ASSERT_EQ(l.PointScale(x, y, k).take(), 0u);
    EXPECT_NEAR(k, 0.9996, 5e-10);  // three fixed refinement steps
    ASSERT_EQ(l.PointScale(600000, 350000, k).take(), 0u);
    EXPECT_GT(k, 0.9996);

    // The same tangent cone with k0 = 1 is the first grid scaled about the apex.
    GeodesyParams one = p;
    one.scaleFactor = 1.0;
    const Lambert l1(one);
    EXPECT_NEAR(l.F / l1.F, 0.9996, 1e-15);
    EXPECT_NEAR(l.rho0 / l1.rho0, 0.9996, 1e-15);

    // A scale factor of 0 is taken as 1.
    GeodesyParams zero = p;
    zero.scaleFactor = 0.0;
    EXPECT_EQ(Lambert(zero).k0, 1.0);
}

TEST(LambertFailures, SymmetricOrEquatorialParallelsThrow7) {
    GeodesyParams p = Lcc(6378137.0, 298.257223563, 0, 0, 30, -30, 1, 0, 0);
    EXPECT_EQ(ConstructionCode<Lambert>(p), 7u) << "no cone for symmetric parallels";
    p.northParallel = p.southParallel = 0.0;
    EXPECT_EQ(ConstructionCode<Lambert>(p), 7u) << "no cone for equatorial parallels";
}

TEST(LambertFailures, ConesWithoutFiniteRadiusThrow7) {
    // Both parallels on the pole: n = 1 but t1 = 0, no finite radius factor.
    GeodesyParams p = Lcc(6378137.0, 298.257223563, 60, 0, 90, 90, 1, 0, 0);
    EXPECT_EQ(ConstructionCode<Lambert>(p), 7u);
    // Origin at the pole opposite the apex: infinite origin radius.
    p = Lcc(6378137.0, 298.257223563, -90, 0, 40, 50, 1, 0, 0);
    EXPECT_EQ(ConstructionCode<Lambert>(p), 7u);
    // A parallel that is not a number.
    p = Lcc(6378137.0, 298.257223563, 45, 0, 40, 50, 1, 0, 0);
    p.northParallel = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ConstructionCode<Lambert>(p), 7u);
    // A false origin or central meridian that is not a number, a negative unit.
    ExpectEachRefused<Lambert>(Lcc(6378137.0, 298.257223563, 45, 0, 40, 50, 1, 0, 0), {
        {"false easting infinite", [](GeodesyParams& q) { q.falseEasting = std::numeric_limits<double>::infinity(); }},
        {"false northing not a number",
         [](GeodesyParams& q) { q.falseNorthing = std::numeric_limits<double>::quiet_NaN(); }},
        {"central meridian not a number",
         [](GeodesyParams& q) { q.centralMeridian = std::numeric_limits<double>::quiet_NaN(); }},
        {"negative unit", [](GeodesyParams& q) { q.unit = -1.0; }},
    });
    // Origin at the apex pole is a usable grid: rho0 = 0.
    p = Lcc(6378137.0, 298.257223563, 90, 0, 40, 50, 1, 0, 0);
    const Lambert apex(p);
    EXPECT_EQ(apex.rho0, 0.0);
}

TEST(LambertFailures, Poles) {
    const Lambert north(Texas());
    double x = 5, y = 6;
    ASSERT_EQ(north.Forward(x, y, kHalfPi, -99 * kDeg).take(), 0u);
    EXPECT_NEAR(x, north.FE, 1e-9);
    EXPECT_NEAR(y, north.FN + north.rho0, 1e-6);
    // The apex goes back to the pole on the central meridian.
    double lat = 0, lon = 0;
    ASSERT_EQ(north.Inverse(x, y, lat, lon).take(), 0u);
    EXPECT_NEAR(lat, kHalfPi, 1e-12);
    EXPECT_NEAR(lon, -99 * kDeg, 1e-12);
    // The scale at the apex has no finite value.
    double k = 3;
    EXPECT_EQ(north.PointScale(x, y, k).take(), 6u);
    EXPECT_EQ(k, 3);
    // Any longitude at the apex pole is the same point.
    ASSERT_EQ(north.Forward(x, y, kHalfPi, 10 * kDeg).take(), 0u);
    EXPECT_NEAR(x, north.FE, 1e-9);
    x = 5;
    y = 6;
    EXPECT_EQ(north.Forward(x, y, -kHalfPi, 0).take(), 6u);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);

    // A southern cone (n < 0) has its apex at the south pole.
    const Lambert south(Lcc(6378137.0, 298.257223563, -32, 135, -28, -36, 1, 1000000, 2000000));
    ASSERT_LT(south.n, 0.0);
    ASSERT_EQ(south.Forward(x, y, -kHalfPi, 0).take(), 0u);
    EXPECT_NEAR(x, 1000000, 1e-9);
    EXPECT_NEAR(y, 2000000 + south.rho0, 1e-6);
    ASSERT_EQ(south.Inverse(x, y, lat, lon).take(), 0u);
    EXPECT_NEAR(lat, -kHalfPi, 1e-12);  // any longitude names the pole
    x = 5;
    EXPECT_EQ(south.Forward(x, y, kHalfPi, 0).take(), 6u);
    EXPECT_EQ(x, 5);
}

TEST(LambertFailures, BadInputIsRefusedUntouched) {
    const Lambert l(Texas());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    double x = 5, y = 6;
    EXPECT_EQ(l.Forward(x, y, 91 * kDeg, 0).take(), 10u);
    EXPECT_EQ(l.Forward(x, y, -91 * kDeg, 0).take(), 10u);
    EXPECT_EQ(l.Forward(x, y, nan, 0).take(), 10u);
    EXPECT_EQ(l.Forward(x, y, 0.5, nan).take(), 10u);
    EXPECT_EQ(l.Forward(x, y, 0.5, inf).take(), 10u);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    // Grid coordinates that are not finite numbers: code 10, nothing written.
    double lat = 7, lon = 8, k = 9;
    EXPECT_EQ(l.Inverse(nan, 0, lat, lon).take(), 10u);
    EXPECT_EQ(l.Inverse(0, inf, lat, lon).take(), 10u);
    EXPECT_EQ(l.Inverse(-inf, 0, lat, lon).take(), 10u);
    EXPECT_EQ(l.PointScale(0, nan, k).take(), 10u);
    EXPECT_EQ(lat, 7);
    EXPECT_EQ(lon, 8);
    EXPECT_EQ(k, 9);
}

TEST(LambertFailures, TenthStepReportsNonConvergence) {
    // On a very flat figure (1/f = 3) the refinement is slow: a latitude that
    // settles on the tenth step still reports code 11, with the latitude of
    // that step written; one that does not settle at all reports 11 too.
    const Lambert l(Lcc(6378137.0, 3.0, 45, 0, 30, 60, 1, 0, 0));
    bool seenTenth = false, seenNever = false, seenEarly = false;
    for (double latDeg = 1; latDeg < 90; latDeg += 0.5) {
        double x, y, lat = 0, lon = 0;
        ASSERT_EQ(l.Forward(x, y, latDeg * kDeg, 3 * kDeg).take(), 0u);
        const Reference ref = ReferenceInverse(l, x, y);
        const uint32_t code = l.Inverse(x, y, lat, lon).take();
        EXPECT_NEAR(lon, 3 * kDeg, 1e-12);
        // Settled runs take one more step past the tolerance; others keep the
        // latitude of the tenth step.
        if (ref.met)
            EXPECT_NEAR(lat, ref.lat, 1e-9) << latDeg;
        else
            EXPECT_NEAR(lat, ref.lat, 1e-12) << latDeg;
        if (ref.steps < 10) {
            EXPECT_EQ(code, 0u) << latDeg;
            seenEarly = true;
        } else {
            EXPECT_EQ(code, 11u) << latDeg;
            if (ref.met) {
                seenTenth = true;
                EXPECT_NEAR(lat, latDeg * kDeg, 1e-9);
            } else {
                seenNever = true;
            }
        }
    }
    EXPECT_TRUE(seenTenth);
    EXPECT_TRUE(seenNever);
    EXPECT_TRUE(seenEarly);
}

TEST(LambertFailures, EarthFiguresSettleEarlyEverywhere) {
    // On figures up to e^2 = 0.01 the counted refinement settles within a few
    // steps for every grid point, near the apex, far off the map and across
    // the pole at infinity alike, and the inverse gives its limit.
    for (double invF : {298.257223563, 294.9786982, 200.0}) {
        const Lambert l(Lcc(6378137.0, invF, 45, 0, 30, 60, 1, 0, 0));
        for (double r = 1e-3; r < 1e9; r *= 1.37) {
            for (double ang : {0.0, 0.3, -1.0}) {
                const double x = r * std::sin(ang), y = l.rho0 - r * std::cos(ang);
                const Reference ref = ReferenceInverse(l, x, y);
                double lat, lon;
                ASSERT_LT(ref.steps, 10) << invF << " " << r;
                ASSERT_EQ(l.Inverse(x, y, lat, lon).take(), 0u);
                EXPECT_NEAR(lat, ref.lat, 2e-12) << invF << " " << r;
                EXPECT_NEAR(lon, ang / l.n, 1e-13 + 1e-8 / r);  // y rounded beside rho0
            }
        }
    }
}

TEST(LambertExample, ForwardMatchesTheDefiningFormulas) {
    // rho = F t(phi)^n, x = FE + rho sin(theta), y = FN + rho0 - rho cos(theta),
    // over every latitude, near the poles and at cone angles beyond a
    // quarter turn, on a northern and a southern cone.
    for (const GeodesyParams& p : {Texas(), Lcc(6378137.0, 298.257223563, -32, 135, -28, -36, 0.9999, 1e6, 2e6)}) {
        const Lambert l(p);
        for (double latDeg = -89.0; latDeg <= 89.0; latDeg += 0.73) {
            for (double dl : {0.0, 0.01, -3.0, 40.0, -95.0, 179.0, 350.0, -719.0}) {
                const double lat = latDeg * kDeg, lon = p.centralMeridian + dl * kDeg;
                const double es = l.e * std::sin(lat);
                const double t = std::tan(std::numbers::pi / 4 - lat / 2) * std::pow((1 + es) / (1 - es), l.e / 2);
                const double rho = l.F * std::pow(t, l.n);
                const double theta = l.n * (lon - p.centralMeridian);
                double x, y;
                ASSERT_EQ(l.Forward(x, y, lat, lon).take(), 0u);
                // The reference itself loses digits towards the poles.
                const double tol = 1e-13 * std::fabs(rho) + 1e-8;
                EXPECT_NEAR(x, p.falseEasting + rho * std::sin(theta), tol) << latDeg << " " << dl;
                EXPECT_NEAR(y, p.falseNorthing + l.rho0 - rho * std::cos(theta), tol) << latDeg << " " << dl;
            }
        }
    }
}

TEST(LambertExample, LongitudeIsNotWrapped) {
    const Lambert l(Texas());
    double x1, y1, x2, y2;
    ASSERT_EQ(l.Forward(x1, y1, 30 * kDeg, (-99 + 350) * kDeg).take(), 0u);
    const double theta = l.n * 350 * kDeg;
    double rho = 0, dummy;
    ASSERT_EQ(l.Forward(dummy, rho, 30 * kDeg, -99 * kDeg).take(), 0u);
    rho = l.rho0 + l.FN - rho;  // radius of 30 N
    EXPECT_NEAR(x1, l.FE + rho * std::sin(theta), 1e-5);
    EXPECT_NEAR(y1, l.rho0 + l.FN - rho * std::cos(theta), 1e-5);
    ASSERT_EQ(l.Forward(x2, y2, 30 * kDeg, (-99 - 10) * kDeg).take(), 0u);
    EXPECT_GT(std::fabs(x1 - x2), 1.0);  // 350 E is not 10 W on this grid
}

TEST(LambertExample, SteepConeKeepsItsQuadrant) {
    // Parallels near 70 N: n ~ 0.94, so 120 degrees from the central meridian
    // is more than a quarter turn around the apex. The inverse must give the
    // longitude back, not the mirror image across the apex.
    const Lambert l(Lcc(6378137.0, 298.257223563, 70, -40, 65, 75, 1, 0, 0));
    ASSERT_GT(l.n * 120 * kDeg, kHalfPi);
    for (double dl : {100.0, 120.0, 150.0, 179.0, -100.0, -150.0}) {
        double x, y, lat, lon;
        ASSERT_EQ(l.Forward(x, y, 60 * kDeg, (-40 + dl) * kDeg).take(), 0u);
        ASSERT_EQ(l.Inverse(x, y, lat, lon).take(), 0u);
        EXPECT_NEAR(lat, 60 * kDeg, 1e-11) << dl;
        EXPECT_NEAR(lon, (-40 + dl) * kDeg, 1e-11) << dl;
    }
    // The same on a southern cone.
    const Lambert s(Lcc(6378137.0, 298.257223563, -70, 20, -65, -75, 1, 0, 0));
    for (double dl : {120.0, -160.0}) {
        double x, y, lat, lon;
        ASSERT_EQ(s.Forward(x, y, -60 * kDeg, (20 + dl) * kDeg).take(), 0u);
        ASSERT_EQ(s.Inverse(x, y, lat, lon).take(), 0u);
        EXPECT_NEAR(lat, -60 * kDeg, 1e-11) << dl;
        EXPECT_NEAR(lon, (20 + dl) * kDeg, 1e-11) << dl;
    }
}

TEST(LambertExample, SameBytesUnderAGermanLocale) {
    const Lambert l(Texas());
    double x0, y0, x1, y1;
    ASSERT_EQ(l.Forward(x0, y0, 29.1 * kDeg, -97.3 * kDeg).take(), 0u);
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 not installed";
    const Lambert de(Texas());
    const uint32_t code = de.Forward(x1, y1, 29.1 * kDeg, -97.3 * kDeg).take();
    std::setlocale(LC_ALL, saved.c_str());
    ASSERT_EQ(code, 0u);
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
    // 41..52 N every degree, 5 W..10 E every 3 degrees.
    double worst = 0;
    ASSERT_NO_FATAL_FAILURE(worst = SweepPointScale(Lambert(p), proj, {41, 52, 12, -5, 10, 6}));
    EXPECT_LT(worst, 5e-10);  // three fixed refinement steps
}

TEST(LambertHandle, ThroughCreateGeodesy) {
    const GeodesyParams p = Texas();
    GEODESY h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetGeodesyError(), 0);
    GeodesyParams back{};
    char name[8] = {};
    ASSERT_EQ(GetGeodesyParams(h, &back, nullptr, name), 1);
    EXPECT_STREQ(name, "LCC");
    EXPECT_EQ(back.projection, 1);
    double x = 0, y = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, Dms(28, 30) * kDeg, -96 * kDeg), 1);
    EXPECT_NEAR(x, 2963503.91, 0.005);
    EXPECT_NEAR(y, 254759.80, 0.005);
    double lat = 0, lon = 0;
    ASSERT_EQ(XYGeo(h, x, y, &lat, &lon), 1);
    EXPECT_NEAR(lat, Dms(28, 30) * kDeg, 1e-11);
    EXPECT_NEAR(lon, -96 * kDeg, 1e-12);
    EXPECT_NEAR(Scale(h, x, y), 0.99996856, 5e-9);
    EXPECT_EQ(GetGeodesyError(), 0);
    // The pole away from the apex: code 6, x and y as they were.
    x = 1;
    y = 2;
    EXPECT_EQ(GeoXY(h, &x, &y, -kHalfPi, 0), 0);
    EXPECT_EQ(GetGeodesyError(), 6);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(DestroyGeodesy(h), 1);

    GeodesyParams bad = p;
    bad.northParallel = -bad.southParallel;
    EXPECT_EQ(CreateGeodesy(&bad), nullptr);
    EXPECT_EQ(GetGeodesyError(), 7);
}
