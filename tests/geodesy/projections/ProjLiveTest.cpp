// One grid of each projection family beside the PROJ installed now, through
// the exported functions: every station forward by both, PROJ's grid point
// back by both. The other grids' PROJ figures are case lines
// (tests/data/geodesy/generate.py writes them).
#include "ProjOracle.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

struct Family {
    const char* name;
    GeodesyParams p;  // angles in degrees here, radians when used
    const char* proj;
    double latFrom, latTo, lonFrom, lonTo;  // degrees, 12 x 12 stations
    double forwardTol;                      // metres
    double inverseTol;                      // metres on the ground; 0: our round trip within 1e-9 rad instead
};

const Family kFamilies[] = {
    {"lcc France Lambert-93", {6378137, 298.257222101, 1, 1, 1, 3, 46.5, 49, 44, 0, 700000, 6600000},
     "+proj=lcc +ellps=GRS80 +lat_0=46.5 +lon_0=3 +lat_1=49 +lat_2=44 +x_0=700000 +y_0=6600000", 41, 51.5, -5.5, 10,
     1e-6, 1e-6},
    {"aea conterminous US", {6378206.4, 294.9786982, 10, 1, 1, -96, 23, 29.5, 45.5, 0, 0, 0},
     "+proj=aea +a=6378206.4 +rf=294.9786982 +lat_0=23 +lon_0=-96 +lat_1=29.5 +lat_2=45.5", 20, 52, -128, -64, 1e-6, 1e-6},
    {"merc WGS 84", {6378137, 298.257223563, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0}, "+proj=merc +ellps=WGS84", -80, 80, -179,
     179, 1e-6, 1e-6},
    {"tmerc UTM 31", {6378137, 298.257223563, 3, 1, 0.9996, 3, 0, 0, 0, 0, 500000, 0},
     "+proj=tmerc +ellps=WGS84 +k=0.9996 +lon_0=3 +x_0=500000", -80, 84, -0.5, 6.5, 1e-3, 1e-3},
    {"sterea RD", {6377397.155, 299.1528128, 4, 1, 0.9999079, 5.38763888888889, 52.15616055555555, 0, 0, 0, 155000, 463000},
     "+proj=sterea +lat_0=52.15616055555555 +lon_0=5.38763888888889 +k=0.9999079 +x_0=155000 +y_0=463000 +ellps=bessel",
     49, 56, 1, 10, 1e-6, 1e-11 * 6.4e6},
    {"somerc LV03", {6377397.155, 299.1528128, 5, 1, 1, 7.439583333333333, 46.95240555555556, 0, 0, 0, 600000, 200000},
     "+proj=somerc +lat_0=46.95240555555556 +lon_0=7.439583333333333 +k_0=1 +x_0=600000 +y_0=200000 +ellps=bessel",
     45.5, 48.5, 5.5, 11, 1e-6, 0},
    {"omerc Hotine Borneo", {6377298.556, 300.8017, 6, 1, 0.99984, 115, 4, 0, 0, 53.31582047222222, 590476.87, 442857.65},
     "+proj=omerc +no_uoff +lat_0=4 +lonc=115 +alpha=53.31582047222222 +gamma=53.31582047222222 +k=0.99984 "
     "+x_0=590476.87 +y_0=442857.65 +a=6377298.556 +rf=300.8017",
     -1, 9, 108, 120, 1e-6, 1e-10 * 6.4e6},
    {"stere polar variant A", {6378137, 298.257223563, 12, 1, 0.994, 0, 90, 0, 0, 0, 2000000, 2000000},
     "+proj=stere +lat_0=90 +lon_0=0 +k_0=0.994 +x_0=2000000 +y_0=2000000 +ellps=WGS84", 60, 89.5, -180, 165, 1e-6, 0},
    {"aeqd within 50 km", {6378206.4, 294.9786982, 8, 1, 0, -100, 40, 0, 0, 0, 0, 0},
     "+proj=aeqd +lat_0=40 +lon_0=-100 +a=6378206.4 +rf=294.9786982", 39.7, 40.3, -100.4, -99.6, 2.5e-3, 2.5e-3},
    {"cass within 100 km", {6378137, 298.257223563, 11, 1, 0, 13, 52, 0, 0, 0, 40000, 10000},
     "+proj=cass +lat_0=52 +lon_0=13 +x_0=40000 +y_0=10000 +ellps=WGS84", 49, 55, 11.6, 14.4, 1e-3, 2e-3},
};

TEST(ProjLive, OneGridOfEachFamilyAgreesWithProj) {
    for (const Family& f : kFamilies) {
        GeodesyParams p = f.p;  // member by member: the record is packed
        p.centralMeridian *= kDeg, p.refLatitude *= kDeg, p.northParallel *= kDeg, p.southParallel *= kDeg, p.skewAzimuth *= kDeg;
        GEODESY h = CreateGeodesy(&p);
        ASSERT_NE(h, nullptr) << f.name << " error " << GetGeodesyError();
        const ProjOracle proj(f.proj);
        for (int i = 0; i < 144; ++i) {
            const double lat = (f.latFrom + (f.latTo - f.latFrom) * (i / 12) / 11) * kDeg,
                         lon = (f.lonFrom + (f.lonTo - f.lonFrom) * (i % 12) / 11) * kDeg;
            double x = 0, y = 0, px = 0, py = 0, blat = 0, blon = 0, plat = lat, plon = lon;
            ASSERT_TRUE(GeoXY(h, &x, &y, lat, lon) && proj.Forward(lat, lon, px, py)) << f.name;
            EXPECT_LT(std::hypot(x - px, y - py), f.forwardTol) << f.name << " " << i;
            // PROJ's grid point back by both, or where no PROJ inverse is needed, ours back within 1e-9 rad
            const bool ours = f.inverseTol == 0;
            ASSERT_TRUE(XYGeo(h, ours ? x : px, ours ? y : py, &blat, &blon) && (ours || proj.Inverse(px, py, plat, plon))) << f.name;
            const double dlat = blat - plat, dlon = std::remainder(blon - plon, 2 * std::numbers::pi);
            EXPECT_TRUE(ours ? std::fabs(dlat) < 1e-9 && std::fabs(dlon) < 1e-9 : 6.4e6 * std::hypot(dlat, dlon * std::cos(plat)) < f.inverseTol)
                << f.name << " " << i << ": " << dlat << " " << dlon;
        }
        DestroyGeodesy(h);
    }
}

}  // namespace
