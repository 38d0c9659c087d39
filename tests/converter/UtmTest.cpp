// Built-in UTM: the reference table, the zone from the longitude with the Norway
// and Svalbard rules, longitudes out of range, and PROJ's transverse Mercator on
// the same ellipsoid as an independent check of every zone.
#include "ConverterTestKit.h"
#include "ProjOracle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr double kDeg = 0.017453292519943295;

std::string Cm(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

// PROJ's exact transverse Mercator for zone z on ellipsoid row `row`.
void Oracle(int row, int zone, double lat, double lon, double& n, double& e) {
    char def[256];
    std::snprintf(def, sizeof def,
                  "+proj=tmerc +lat_0=0 +lon_0=%d +k=0.9996 +x_0=500000 +y_0=%d +a=%.3f +es=%.12g",
                  6 * zone - 183, lat < 0 ? 10000000 : 0, EllipsoidTable[row].SemiMajorAxis,
                  EllipsoidTable[row].EccentricitySquared);
    ProjOracle pj(def);
    ASSERT_TRUE(pj.Forward(lat * kDeg, lon * kDeg, e, n));
}

struct Ref { int row; double lat, lon; const char* e; const char* n; };

}  // namespace

TEST(Utm, PublishedTableToTheCentimetre) {
    const Ref refs[] = {
        {23, 0, 0, "166021.44", "0.00"},
        {23, 32.758472222222224, -117.2, "481266.08", "3624529.36"},
        {23, -33.9, 18.4, "259583.22", "6245888.05"},
        {23, 60, 5, "276979.93", "6658157.20"},
        {23, 75, 10, "355706.57", "8329692.65"},
        {14, 45, 9, "500000.00", "4983043.12"},
        {5, 30, -90, "210584.52", "3322395.75"},
    };
    for (const auto& r : refs) {
        double n = 0, e = 0;
        LatLonToUTM(r.row, r.lat, r.lon, n, e);
        EXPECT_EQ(Cm(e), r.e) << r.lat << " " << r.lon;
        EXPECT_EQ(Cm(n), r.n) << r.lat << " " << r.lon;
    }
}

// Each case: the zone the rules give; the position must land where PROJ puts it
// in that zone (a wrong zone is hundreds of kilometres off).
TEST(Utm, ZoneRules) {
    struct Z { double lat, lon; int zone; int row = 23; };
    const Z cases[] = {
        {0, 0, 31}, {32.758472222222224, -117.2, 11}, {-33.9, 18.4, 34}, {60, 5, 32}, {75, 10, 33},
        {45, 9, 32, 14}, {30, -90, 16, 5},
        {0, -180, 1}, {0, 180, 1}, {0, 179.99, 60}, {0, -174.0001, 1}, {0, -174, 2},
        // Norway: 56 <= lat < 64 and 3 <= lon < 12.
        {56, 3, 32}, {63.99, 11.99, 32}, {55.99, 3, 31}, {64, 5, 31}, {56, 2.99, 31}, {56, 12, 33},
        // Svalbard: 72 <= lat < 84.
        {72, 0, 31}, {72, 8.99, 31}, {72, 9, 33}, {83.99, 20.99, 33}, {72, 21, 35}, {72, 32.99, 35},
        {72, 33, 37}, {72, 41.99, 37}, {72, 42, 38}, {72, -0.01, 30}, {71.99, 10, 32},
        {84, 10, 32}, {85, 30, 36},
        // Southern hemisphere and the poles of the series: no latitude band test.
        {-45, 170, 59}, {-80, -60, 21},
    };
    for (const auto& c : cases) {
        double n = 0, e = 0, on = 0, oe = 0;
        LatLonToUTM(c.row, c.lat, c.lon, n, e);
        const double lon = c.lon >= 180 ? c.lon - 360 : c.lon;
        Oracle(c.row, c.zone, c.lat, lon, on, oe);
        // The series is Snyder's; far from the central meridian it drifts from the
        // exact projection by centimetres, nowhere near a zone's width.
        EXPECT_NEAR(e, oe, 0.5) << c.lat << " " << c.lon << " zone " << c.zone;
        EXPECT_NEAR(n, on, 0.5) << c.lat << " " << c.lon << " zone " << c.zone;
    }
}

// Longitudes outside -180..180 are brought into range; none lands in zone 0.
TEST(Utm, LongitudesOutOfRangeWrap) {
    struct W { double lon, same; };
    const W cases[] = {{-190, 170}, {-180.5, 179.5}, {-540, -180}, {540, -180}, {725, 5}, {-725, -5}};
    for (const auto& w : cases) {
        double n1 = 0, e1 = 0, n2 = 0, e2 = 0;
        LatLonToUTM(23, 40, w.lon, n1, e1);
        LatLonToUTM(23, 40, w.same, n2, e2);
        EXPECT_NEAR(e1, e2, 1e-6) << w.lon;
        EXPECT_NEAR(n1, n2, 1e-6) << w.lon;
    }
    double n = 0, e = 0;
    LatLonToUTM(23, 40, -190, n, e);  // zone 59: near the central meridian 171
    EXPECT_GT(e, 300000);
    EXPECT_LT(e, 700000);
}

TEST(Utm, SouthernOffsetOnlyBelowTheEquator) {
    double n = 0, e = 0;
    LatLonToUTM(23, 0.0, 3, n, e);
    EXPECT_EQ(Cm(n), "0.00");
    LatLonToUTM(23, -0.0, 3, n, e);
    EXPECT_EQ(Cm(n), "0.00");
    LatLonToUTM(23, -1e-7, 3, n, e);
    EXPECT_EQ(Cm(n), "9999999.99");
}

TEST(Utm, NonFiniteInputDoesNotCrash) {
    double n = 0, e = 0;
    LatLonToUTM(23, std::nan(""), 3, n, e);
    EXPECT_TRUE(std::isnan(n));
    LatLonToUTM(23, 10, std::numeric_limits<double>::infinity(), n, e);
    LatLonToUTM(23, 10, -1e308, n, e);
    SUCCEED();
}

// Every zone, points within 3 degrees of the central meridian up to 80 degrees of
// latitude, on WGS-84 and on two other rows: the series stays within 2 cm of the
// exact projection.
TEST(Utm, AgreesWithProjInEveryZone) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> dLon(-2.999, 2.999), dLat(-80, 80);
    double worst = 0;
    for (int row : {23, 14, 5}) {
        for (int zone = 1; zone <= 60; ++zone) {
            for (int k = 0; k < 6; ++k) {
                const double lat = dLat(rng), lon = 6 * zone - 183 + dLon(rng);
                if ((lat >= 56 && lat < 64) || (lat >= 72 && lat < 84)) continue;  // rule zones elsewhere
                double n = 0, e = 0, on = 0, oe = 0;
                LatLonToUTM(row, lat, lon, n, e);
                Oracle(row, zone, lat, lon, on, oe);
                worst = std::max({worst, std::fabs(e - oe), std::fabs(n - on)});
            }
        }
    }
    RecordProperty("largest_difference_m", std::to_string(worst));
    EXPECT_LT(worst, 0.02);
}
