// Albers equal-area conic against the published Clarke 1866 example (the
// conterminous United States grid), its failure cases and PROJ's aea.
#include "Albers.h"
#include "ProjOracle.h"
#include "ProjectionSweep.h"
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
constexpr double kHalfPi = std::numbers::pi / 2.0;
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

GeodesyParams Aea(double a, double invF, double lat0, double lon0, double north, double south, double fe = 0,
                  double fn = 0, double unit = 1) {
    GeodesyParams p = Params(a, invF, 10, 1.0, lon0 * kDeg, lat0 * kDeg, fe, fn, unit);
    p.northParallel = north * kDeg;
    p.southParallel = south * kDeg;
    return p;
}

// The published example: Clarke 1866, parallels 29.5 and 45.5 N, origin 23 N 96 W.
GeodesyParams Conus() { return Aea(6378206.4, 294.9786982, 23, -96, 29.5, 45.5); }

std::string ProjAea(const GeodesyParams& p) {
    return "+proj=aea +a=" + Digits(p.a) + " +rf=" + Digits(p.invFlattening) +
           " +lat_0=" + Digits(p.refLatitude / kDeg) + " +lon_0=" + Digits(p.centralMeridian / kDeg) +
           " +lat_1=" + Digits(p.northParallel / kDeg) +
           " +lat_2=" + Digits(p.southParallel / kDeg) + " +x_0=" + Digits(p.falseEasting * p.unit) +
           " +y_0=" + Digits(p.falseNorthing * p.unit) + " +to_meter=" + Digits(p.unit) + " +no_defs";
}

// The inverse latitude exactly as the defining formulas give it.
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
    int i = 0;
    bool met = false;
    for (;;) {
        if (i >= 10) break;
        ++i;
        const double s = std::sin(phi), w = 1 - al.e2 * s * s;
        const double g = std::log((1 - al.e * s) / (1 + al.e * s)) / (2 * al.e);
        const double d = (w * w / (2 * std::cos(phi))) * (q / (1 - al.e2) - s / w + g);
        phi += d;
        if (std::fabs(d) <= 1e-7) {
            met = true;
            break;
        }
    }
    return {q, phi, i, met};
}

}  // namespace

TEST(AlbersExample, ConterminousUnitedStates) {
    const Albers al(Conus());
    EXPECT_STREQ(al.ShortName(), "ALA");
    EXPECT_EQ(al.TypeId(), 10);
    RoundTrip got;
    ASSERT_NO_FATAL_FAILURE(
        ExpectPublishedPoint(al, {35 * kDeg, -75 * kDeg, 1885472.7, 1535925.0, 0.05, 1e-13, 1e-14}, got));
    const double x = got.x, y = got.y;
    const Reference ref = ReferenceInverse(al, x, y);
    EXPECT_EQ(ref.steps, 3);
    EXPECT_TRUE(ref.met);
    EXPECT_NEAR(got.lat, ref.lat, 1e-14);

    // The scale along the parallel of the point itself (0.9915546 at 35 N),
    // not that of the authalic latitude asin(q/2) (0.98901066).
    double k = 0;
    ASSERT_EQ(al.PointScale(x, y, k).take(), 0u);
    EXPECT_NEAR(k, 0.9915546, 5e-8);
    const double s = std::sin(35 * kDeg);
    EXPECT_NEAR(k, std::sqrt(al.C - al.n * al.Q(35 * kDeg)) / (std::cos(35 * kDeg) / std::sqrt(1 - al.e2 * s * s)),
                1e-12);
}

TEST(AlbersExample, OriginParallelsAndIgnoredFields) {
    GeodesyParams p = Conus();
    p.falseEasting = 1000000;
    p.falseNorthing = -500000;
    const Albers al(p);
    double x, y, lat, lon, k;
    ASSERT_EQ(al.Forward(x, y, 23 * kDeg, -96 * kDeg).take(), 0u);
    EXPECT_NEAR(x, 1000000, 1e-6);
    EXPECT_NEAR(y, -500000, 1e-6);
    ASSERT_EQ(al.Inverse(1000000, -500000, lat, lon).take(), 0u);
    EXPECT_NEAR(lat, 23 * kDeg, 1e-13);
    EXPECT_NEAR(lon, -96 * kDeg, 1e-15);
    // Scale 1 along both standard parallels.
    for (double par : {29.5, 45.5}) {
        ASSERT_EQ(al.Forward(x, y, par * kDeg, -80 * kDeg).take(), 0u);
        ASSERT_EQ(al.PointScale(x, y, k).take(), 0u);
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
    ASSERT_EQ(al.Forward(x, y, 40 * kDeg, -100 * kDeg).take(), 0u);
    ASSERT_EQ(Albers(other).Forward(x2, y2, 40 * kDeg, -100 * kDeg).take(), 0u);
    EXPECT_NEAR(x, x2, 1e-6);
    EXPECT_NEAR(y, y2, 1e-6);

    // Equal parallels: n = sin(phi1).
    const Albers one(Aea(6378137.0, 298.257223563, 50, 10, 50, 50));
    EXPECT_DOUBLE_EQ(one.n, std::sin(50 * kDeg));
    ASSERT_EQ(one.Forward(x, y, 50 * kDeg, 14 * kDeg).take(), 0u);
    ASSERT_EQ(one.PointScale(x, y, k).take(), 0u);
    EXPECT_NEAR(k, 1.0, 1e-12);

    // Feet: the whole grid divided by the unit.
    GeodesyParams ft = Conus();
    ft.unit = 0.3048;
    ASSERT_EQ(Albers(Conus()).Forward(x, y, 35 * kDeg, -75 * kDeg).take(), 0u);
    ASSERT_EQ(Albers(ft).Forward(x2, y2, 35 * kDeg, -75 * kDeg).take(), 0u);
    EXPECT_NEAR(x2 * 0.3048, x, 1e-7);
    EXPECT_NEAR(y2 * 0.3048, y, 1e-7);
}

TEST(AlbersExample, EqualArea) {
    // A quadrangle of 5 by 7 degrees is an annular sector on the grid whose
    // area is that of the quadrangle on the ellipsoid, a^2 (q2 - q1) dlon / 2.
    const Albers al(Conus());
    const double lat1 = 38 * kDeg, lat2 = 43 * kDeg, lon1 = -104 * kDeg, lon2 = -97 * kDeg;
    const auto radius = [&](double lat) {
        double x, y;
        EXPECT_EQ(al.Forward(x, y, lat, lon1).take(), 0u);
        return std::hypot(x - al.FE, al.rho0 + al.FN - y);
    };
    const double r1 = radius(lat1), r2 = radius(lat2);
    const double gridArea = 0.5 * al.n * (lon2 - lon1) * (r1 * r1 - r2 * r2);
    const double ground = 0.5 * al.a * al.a * (al.Q(lat2) - al.Q(lat1)) * (lon2 - lon1);
    EXPECT_NEAR(gridArea / ground, 1.0, 1e-12);
    EXPECT_GT(ground, 2.5e11);  // about 250 000 km2
}

TEST(AlbersFailures, SymmetricOrEquatorialParallelsThrow7) {
    GeodesyParams p = Aea(6378137.0, 298.257223563, 0, 0, 30, -30);
    EXPECT_EQ(ConstructionCode<Albers>(p), 7u);
    p.northParallel = p.southParallel = 0.0;
    EXPECT_EQ(ConstructionCode<Albers>(p), 7u);
    ExpectEachRefused<Albers>(Conus(), {
        {"south parallel not a number", [](GeodesyParams& q) { q.southParallel = kNan; }},
        {"false northing infinite", [](GeodesyParams& q) { q.falseNorthing = kInf; }},
        {"central meridian not a number", [](GeodesyParams& q) { q.centralMeridian = kNan; }},
        {"negative unit", [](GeodesyParams& q) { q.unit = -1.0; }},
    });
    EXPECT_EQ(ConstructionCode<Albers>(Conus()), 0u);
}

TEST(AlbersFailures, BeyondAnyLatitudeIsCode10WithLongitudeWritten) {
    const Albers al(Conus());
    // The apex of the cone lies beyond the north pole's arc: |q| > 2 there.
    double lat = 7, lon = 8;
    const double apexY = al.rho0 + al.FN;
    ASSERT_GT(std::fabs(ReferenceInverse(al, 1000, apexY).q), 2.0);
    EXPECT_EQ(al.Inverse(1000, apexY - 1000, lat, lon).take(), 10u);
    EXPECT_EQ(lat, 7);
    EXPECT_NEAR(lon, std::atan(1.0) / al.n + al.lambda0, 1e-12);
    // |q| > 2 also far beyond the south.
    lon = 8;
    EXPECT_EQ(al.Inverse(0, -4e7, lat, lon).take(), 10u);
    EXPECT_NE(lon, 8);
    double k = 9;
    EXPECT_EQ(al.PointScale(1000, apexY - 1000, k).take(), 10u);
    EXPECT_EQ(k, 9);
}

TEST(AlbersFailures, PolesDoNotSettle) {
    // The pole projects (onto an arc around the apex), but its inverse
    // refinement crawls: the north pole reports code 11 with a latitude
    // written, while 0.1 degree from the pole still settles.
    const Albers al(Conus());
    double x, y, lat = 0, lon = 0;
    ASSERT_EQ(al.Forward(x, y, kHalfPi, -96 * kDeg).take(), 0u);
    EXPECT_TRUE(std::isfinite(y));
    EXPECT_EQ(al.Inverse(x, y, lat, lon).take(), 11u);
    EXPECT_NEAR(lat, kHalfPi, 1e-3);
    ASSERT_EQ(al.Forward(x, y, -kHalfPi, -96 * kDeg).take(), 0u);
    EXPECT_EQ(al.Inverse(x, y, lat, lon).take(), 11u);
    double k = 0;
    EXPECT_EQ(al.PointScale(x, y, k).take(), 11u);
    ASSERT_EQ(al.Forward(x, y, 89.9 * kDeg, -96 * kDeg).take(), 0u);
    ASSERT_EQ(al.Inverse(x, y, lat, lon).take(), 0u);
    EXPECT_NEAR(lat, 89.9 * kDeg, 1e-11);
}

TEST(AlbersFailures, TenthStepReportsNonConvergence) {
    // Near the pole the refinement needs more and more steps: one that meets
    // the tolerance on its tenth step still reports code 11.
    const Albers al(Conus());
    bool seenTenth = false, seenNever = false, seenNine = false;
    for (double d = 0.2; d > 0.02; d *= 0.995) {
        double x, y, lat = 0, lon = 0;
        ASSERT_EQ(al.Forward(x, y, (90 - d) * kDeg, -96 * kDeg).take(), 0u);
        const Reference ref = ReferenceInverse(al, x, y);
        const uint32_t code = al.Inverse(x, y, lat, lon).take();
        EXPECT_NEAR(lat, ref.lat, 1e-11) << d;  // near the pole the steps magnify rounding
        if (ref.steps < 10) {
            EXPECT_EQ(code, 0u) << d;
            if (ref.steps == 9) seenNine = true;
        } else {
            EXPECT_EQ(code, 11u) << d;
            (ref.met ? seenTenth : seenNever) = true;
        }
    }
    EXPECT_TRUE(seenNine);
    EXPECT_TRUE(seenTenth);
    EXPECT_TRUE(seenNever);
}

TEST(AlbersFailures, BadInputIsRefusedUntouched) {
    const Albers al(Conus());
    double x = 5, y = 6;
    EXPECT_EQ(al.Forward(x, y, 1.6, 0).take(), 10u);
    EXPECT_EQ(al.Forward(x, y, kNan, 0).take(), 10u);
    EXPECT_EQ(al.Forward(x, y, 0.5, kInf).take(), 10u);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    double lat = 7, lon = 8, k = 9;
    EXPECT_EQ(al.Inverse(kNan, 0, lat, lon).take(), 10u);
    EXPECT_EQ(al.Inverse(0, -kInf, lat, lon).take(), 10u);
    EXPECT_EQ(al.PointScale(kInf, 0, k).take(), 10u);
    EXPECT_EQ(lat, 7);
    EXPECT_EQ(lon, 8);
    EXPECT_EQ(k, 9);
    // Both poles project to finite points (no not-a-number from rounding).
    ASSERT_EQ(al.Forward(x, y, kHalfPi, 3.0).take(), 0u);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
    ASSERT_EQ(al.Forward(x, y, -kHalfPi, 3.0).take(), 0u);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
}

TEST(AlbersExample, SteepConeKeepsItsQuadrant) {
    // Parallels at 60 and 75 N: n ~ 0.92, so 150 degrees from the central
    // meridian is more than a quarter turn around the apex.
    const Albers al(Aea(6378137.0, 298.257223563, 65, 0, 60, 75));
    ASSERT_GT(al.n * 150 * kDeg, kHalfPi);
    for (double dl : {100.0, 150.0, 179.0, -120.0}) {
        double x, y, lat, lon;
        ASSERT_EQ(al.Forward(x, y, 70 * kDeg, dl * kDeg).take(), 0u);
        ASSERT_EQ(al.Inverse(x, y, lat, lon).take(), 0u);
        EXPECT_NEAR(lat, 70 * kDeg, 1e-12) << dl;
        EXPECT_NEAR(lon, dl * kDeg, 1e-12) << dl;
    }
    const Albers south(Aea(6378137.0, 298.257223563, -65, 0, -60, -75));
    double x, y, lat, lon;
    ASSERT_EQ(south.Forward(x, y, -70 * kDeg, 160 * kDeg).take(), 0u);
    ASSERT_EQ(south.Inverse(x, y, lat, lon).take(), 0u);
    EXPECT_NEAR(lat, -70 * kDeg, 1e-12);
    EXPECT_NEAR(lon, 160 * kDeg, 1e-12);
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
    const GeodesyParams p = Conus();
    const ProjScale proj(ProjAea(p));
    ASSERT_TRUE(proj.Valid());
    // 20..55 N every 2.5 degrees, 125..65 W every 15.
    double worst = 0;
    ASSERT_NO_FATAL_FAILURE(worst = SweepPointScale(Albers(p), proj, {20, 55, 15, -125, -65, 5}));
    EXPECT_LT(worst, 1e-10);
}

TEST(AlbersHandle, ThroughCreateGeodesy) {
    GeodesyParams p = Conus();
    GEODESY h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr);
    char name[8] = {};
    GeodesyParams back{};
    ASSERT_EQ(GetGeodesyParams(h, &back, nullptr, name), 1);
    EXPECT_STREQ(name, "ALA");
    EXPECT_EQ(back.projection, 10);
    double x = 0, y = 0, lat = 0, lon = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, 35 * kDeg, -75 * kDeg), 1);
    EXPECT_NEAR(x, 1885472.7, 0.05);
    EXPECT_NEAR(y, 1535925.0, 0.05);
    ASSERT_EQ(XYGeo(h, x, y, &lat, &lon), 1);
    EXPECT_NEAR(lat, 35 * kDeg, 1e-13);
    EXPECT_NEAR(lon, -75 * kDeg, 1e-14);
    EXPECT_NEAR(Scale(h, x, y), 0.9915546, 5e-8);
    EXPECT_EQ(GetGeodesyError(), 0);
    // Beyond any latitude: XYGeo fails with 10, Scale gives 1.0 and code 10.
    EXPECT_EQ(XYGeo(h, 0, p.falseNorthing + Albers(p).rho0 - 10, &lat, &lon), 0);
    EXPECT_EQ(GetGeodesyError(), 10);
    EXPECT_EQ(Scale(h, 0, Albers(p).rho0 - 10), 1.0);
    EXPECT_EQ(GetGeodesyError(), 10);
    EXPECT_EQ(DestroyGeodesy(h), 1);

    p.northParallel = -p.southParallel;
    EXPECT_EQ(CreateGeodesy(&p), nullptr);
    EXPECT_EQ(GetGeodesyError(), 7);
}
