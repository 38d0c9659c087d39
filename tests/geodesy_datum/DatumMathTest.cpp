// Geocentric coordinates and the seven-parameter shift, against PROJ.
#include "Datum.h"
#include "ProjOracle.h"
#include "ProjectionParams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct LatLon {
    double lat, lon, h;
};

// Points worldwide: both hemispheres, near the poles and the antimeridian.
std::vector<LatLon> Points() {
    return {{0, 0, 0},         {51.5, -0.12, 45},   {-33.9, 151.2, 10}, {89.9, 10, 0},
            {-89.5, -170, 2000}, {35.0, 179.99, -30}, {-45, -75, 4500},   {60.3, 5.3, 120},
            {12.3, 100.5, 1.5}, {-12, -38.5, 0},      {70, -150, 800}};
}

TEST(Ecef, MatchesProjCartesian) {
    struct Case {
        const char* proj;
        Ellipsoid ell;
    } cases[] = {{"+proj=cart +ellps=WGS84", Ellipsoid(6378137.0, 298.257223563)},
                 {"+proj=cart +ellps=intl", Ellipsoid(6378388.0, 297.0)},
                 {"+proj=cart +ellps=bessel", Ellipsoid(6377397.155, 299.1528128)}};
    double worst = 0;
    for (auto& c : cases) {
        ProjOracle cart(c.proj);
        for (auto p : Points()) {
            Ecef e = GeoToEcef(c.ell, p.lat * kDeg, p.lon * kDeg, p.h);
            PJ_COORD r = cart.Trans(PJ_FWD, p.lon * kDeg, p.lat * kDeg, p.h);
            double d = std::max({std::fabs(e.X - r.xyz.x), std::fabs(e.Y - r.xyz.y), std::fabs(e.Z - r.xyz.z)});
            worst = std::max(worst, d);
            EXPECT_LT(d, 1e-3) << c.proj << " at " << p.lat << "," << p.lon;
            double lat, lon, h;
            EcefToGeo(c.ell, e, lat, lon, h);
            EXPECT_NEAR(lat, p.lat * kDeg, 1e-9);
            EXPECT_NEAR(lon, p.lon * kDeg, 1e-12);
            EXPECT_NEAR(h, p.h, 1e-3);
        }
    }
    RecordProperty("worst_ecef_difference_m", std::to_string(worst));
}

TEST(Ecef, PolarAxis) {
    const Ellipsoid& w = Wgs84Ellipsoid();
    const double b = (1 - w.f) * w.a;
    double lat, lon, h;
    EcefToGeo(w, Ecef{0, 0, 6400000}, lat, lon, h);
    EXPECT_EQ(lat, M_PI / 2);
    EXPECT_EQ(lon, 0.0);
    EXPECT_NEAR(h, 6400000 - b, 1e-9);
    EcefToGeo(w, Ecef{0, 0, -6300000}, lat, lon, h);
    EXPECT_EQ(lat, -M_PI / 2);
    EXPECT_NEAR(h, 6300000 - b, 1e-9);
    EcefToGeo(w, Ecef{0, 0, 0}, lat, lon, h);
    EXPECT_EQ(lat, -M_PI / 2);
    EXPECT_NEAR(h, -b, 1e-9);
}

TEST(Helmert, ForwardMatchesProjCoordinateFrame) {
    // A realistic WGS-84 -> local shift (magnitudes as in the EPSG guidance example).
    EllDiffParams t{-84.87, -96.49, -116.95, 1 + 1.24e-6, 0.0 * kSec, 0.0 * kSec, 0.554 * kSec};
    EllDiffParams t2{598.1, 73.7, 418.2, 1 + 6.7e-6, 0.202 * kSec, 0.045 * kSec, -2.455 * kSec};
    struct Case {
        EllDiffParams p;
        const char* proj;
    } cases[] = {
        {t, "+proj=helmert +convention=coordinate_frame +x=-84.87 +y=-96.49 +z=-116.95 +rx=0 +ry=0 +rz=0.554 +s=1.24"},
        {t2, "+proj=helmert +convention=coordinate_frame +x=598.1 +y=73.7 +z=418.2 +rx=0.202 +ry=0.045 +rz=-2.455 +s=6.7"},
    };
    double worst = 0, worstRoundTrip = 0;
    for (auto& c : cases) {
        ProjOracle helmert(c.proj);
        for (auto p : Points()) {
            Ecef e = GeoToEcef(Wgs84Ellipsoid(), p.lat * kDeg, p.lon * kDeg, p.h);
            Ecef f = HelmertForward(c.p, e);
            PJ_COORD r = helmert.Trans(PJ_FWD, e.X, e.Y, e.Z);
            double d = std::max({std::fabs(f.X - r.xyz.x), std::fabs(f.Y - r.xyz.y), std::fabs(f.Z - r.xyz.z)});
            worst = std::max(worst, d);
            EXPECT_LT(d, 1e-3) << p.lat << "," << p.lon;
            Ecef back = HelmertReverse(c.p, f);
            double rt = std::max({std::fabs(back.X - e.X), std::fabs(back.Y - e.Y), std::fabs(back.Z - e.Z)});
            worstRoundTrip = std::max(worstRoundTrip, rt);
        }
    }
    // The reverse is approximate: the translation is subtracted after the
    // division by the scale, which for these shifts leaves a few millimetres.
    EXPECT_LT(worstRoundTrip, 0.02);
    RecordProperty("worst_helmert_difference_m", std::to_string(worst));
    RecordProperty("worst_reverse_round_trip_m", std::to_string(worstRoundTrip));
}

TEST(Helmert, ReverseIsTheDocumentedApproximation) {
    // With a pure translation the reverse is exact; with scale alone X/s - d.
    EllDiffParams t{10, 20, 30, 1.0, 0, 0, 0};
    Ecef p{1000, 2000, 3000};
    Ecef b = HelmertReverse(t, HelmertForward(t, p));
    EXPECT_DOUBLE_EQ(b.X, 1000);
    EXPECT_DOUBLE_EQ(b.Z, 3000);
    EllDiffParams s{1, 0, 0, 2.0, 0, 0, 0};
    Ecef r = HelmertReverse(s, Ecef{10, 0, 0});
    EXPECT_DOUBLE_EQ(r.X, 4.0);  // (10)/2 - 1
}

TEST(Helmert, ActivityRule) {
    EllDiffParams t = IdentityShift();
    EXPECT_FALSE(ShiftIsActive(t));
    t.scale = 1.00001;
    EXPECT_FALSE(ShiftIsActive(t));
    t.rz = 1e-9;
    EXPECT_TRUE(ShiftIsActive(t));
}

TEST(DatumGrid, TwoValueNodesBecomeATranslation) {
    // A shift of +1" in latitude: applying the reverse translation at the
    // project point lands one arc-second north on WGS-84.
    const Ellipsoid intl(6378388.0, 297.0);
    double v[2] = {1.0, -2.0};
    const double lat = 50 * kDeg, lon = 8 * kDeg;
    EllDiffParams t = ShiftFromGrid(2, v, intl, lat, lon, 0);
    EXPECT_EQ(double(t.scale), 1.0);
    EXPECT_EQ(double(t.rx), 0.0);
    double la = lat, lo = lon, h = 0;
    ConvertReverse(intl, Wgs84Ellipsoid(), t, la, lo, &h);
    EXPECT_NEAR(la, lat + 1 * kSec, 1e-11);
    EXPECT_NEAR(lo, lon - 2 * kSec, 1e-11);
    EXPECT_NEAR(h, 0, 1e-6);
    double three[3] = {-87, -98, -121};
    EllDiffParams u = ShiftFromGrid(3, three, intl, lat, lon, 0);
    EXPECT_EQ(double(u.dx), -87);
    EXPECT_EQ(double(u.dz), -121);
}

}  // namespace
