// Built-in UTM against PROJ's exact transverse Mercator in every zone, on three
// ellipsoid rows, with the zone rules; longitudes outside -180..180 and far beyond
// a turn (found by fuzzing) are wrapped into a zone. The values themselves are
// pinned by the converter cases (tests/data/converter/utm_*).
#include "ConverterTestKit.h"
#include "ProjOracle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr double kDeg = 0.017453292519943295;

double Worst(int row, int zone, double lat, double lon) {
    char def[256];
    std::snprintf(def, sizeof def, "+proj=tmerc +lon_0=%d +k=0.9996 +x_0=500000 +y_0=%d +a=%.3f +es=%.12g", 6 * zone - 183,
                  lat < 0 ? 10000000 : 0, EllipsoidTable[row].SemiMajorAxis, EllipsoidTable[row].EccentricitySquared);
    double n = 0, e = 0, on = 0, oe = 0;
    LatLonToUTM(row, lat, lon, n, e);
    EXPECT_TRUE(ProjOracle(def).Forward(lat * kDeg, (lon >= 180 ? lon - 360 : lon) * kDeg, oe, on));
    return std::max(std::fabs(e - oe), std::fabs(n - on));
}

}  // namespace

// Within 3 degrees of the central meridian the series stays within 2 cm of PROJ; at a
// rule zone's far edge within 0.5 m (a wrong zone is hundreds of kilometres off).
TEST(Utm, AgreesWithProjInEveryZoneAndByTheZoneRules) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> dLon(-2.999, 2.999), dLat(-80, 80);
    double worst = 0;
    for (int row : {23, 14, 5})
        for (int zone = 1; zone <= 60; ++zone)
            for (int k = 0; k < 6; ++k) {
                const double lat = dLat(rng), lon = 6 * zone - 183 + dLon(rng);
                if ((lat < 56 || lat >= 64) && (lat < 72 || lat >= 84)) worst = std::max(worst, Worst(row, zone, lat, lon));
            }
    EXPECT_LT(worst, 0.02);
    const struct { double lat, lon; int zone; } rules[] = {
        {0, -180, 1}, {0, 180, 1}, {0, 179.99, 60}, {0, -174.0001, 1}, {0, -174, 2}, {56, 3, 32}, {63.99, 11.99, 32},
        {55.99, 3, 31}, {64, 5, 31}, {56, 2.99, 31}, {56, 12, 33}, {72, 0, 31}, {72, 8.99, 31}, {72, 9, 33},
        {83.99, 20.99, 33}, {72, 21, 35}, {72, 32.99, 35}, {72, 33, 37}, {72, 41.99, 37}, {72, 42, 38},
        {72, -0.01, 30}, {71.99, 10, 32}, {84, 10, 32}, {85, 30, 36}, {-45, 170, 59}, {-80, -60, 21}};
    for (const auto& r : rules) EXPECT_LT(Worst(23, r.zone, r.lat, r.lon), 0.5) << r.lat << " " << r.lon;
}

TEST(Utm, LongitudesBeyondATurnAreWrapped) {
    for (const auto& [lon, same] : {std::pair{-190.0, 170.0}, {-180.5, 179.5}, {-540.0, -180.0}, {725.0, 5.0}}) {
        double n1 = 0, e1 = 0, n2 = 0, e2 = 0;
        LatLonToUTM(23, 40, lon, n1, e1);
        LatLonToUTM(23, 40, same, n2, e2);
        EXPECT_NEAR(e1, e2, 1e-6) << lon;
        EXPECT_NEAR(n1, n2, 1e-6) << lon;
    }
    for (double lon : {2.8e111, -2.8e111, 1e17, -1.5269873238074154e34, 1.7976931348623157e308}) {
        double n = 0, e = 0;
        LatLonToUTM(1, 32.7, lon, n, e);
        EXPECT_TRUE(e > 0 && e < 1e6 && n > 3e6 && n < 4e6) << lon;
    }
    double n = 0, e = 0;
    LatLonToUTM(23, std::nan(""), 3, n, e);  // no crash
    EXPECT_TRUE(std::isnan(n));
}
