// Geocentric coordinates and the seven-parameter shift, against PROJ.
#include "Datum.h"
#include "ProjOracle.h"
#include "ProjectionParams.h"
#include "SuiteFolderTest.h"
#include "vortan.h"

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
            {12.3, 100.5, 1.5}, {-12, -38.5, 0},      {70, -150, 800},  {90, 0, 250}, {-90, 0, 250}};
}

// Through GeoECEF and ECEFGeo, on three ellipsoids.
TEST(Ecef, MatchesProjCartesian) {
    const struct {
        const char* proj;
        double a, rf;
    } cases[] = {{"+proj=cart +ellps=WGS84", 6378137.0, 298.257223563},
                 {"+proj=cart +ellps=intl", 6378388.0, 297.0},
                 {"+proj=cart +ellps=bessel", 6377397.155, 299.1528128}};
    double worst = 0;
    for (const auto& c : cases) {
        const ProjOracle cart(c.proj);
        const GeodesyParams params = OnEllipsoid(c.a, c.rf, 3);
        GEODESY h = CreateGeodesy(&params);
        ASSERT_NE(h, nullptr);
        for (auto p : Points()) {
            Ecef e{};
            ASSERT_EQ(GeoECEF(h, &e.X, &e.Y, &e.Z, p.lat * kDeg, p.lon * kDeg, p.h), 1);
            PJ_COORD r = cart.Trans(PJ_FWD, p.lon * kDeg, p.lat * kDeg, p.h);
            double d = std::max({std::fabs(e.X - r.xyz.x), std::fabs(e.Y - r.xyz.y), std::fabs(e.Z - r.xyz.z)});
            worst = std::max(worst, d);
            EXPECT_LT(d, 1e-3) << c.proj << " at " << p.lat << "," << p.lon;
            double lat, lon, height;
            ASSERT_EQ(ECEFGeo(h, e.X, e.Y, e.Z, &lat, &lon, &height), 1);
            EXPECT_NEAR(lat, p.lat * kDeg, kMmAngle);
            EXPECT_NEAR(lon, p.lon * kDeg, 1e-12);
            EXPECT_NEAR(height, p.h, 1e-3);
        }
        DestroyGeodesy(h);
    }
    RecordProperty("worst_ecef_difference_m", std::to_string(worst));
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

}  // namespace
