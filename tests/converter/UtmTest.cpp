// Built-in UTM against PROJ's exact transverse Mercator in every zone on three ellipsoid
// rows (the live comparison; the zone rules and values are pinned by the converter cases
// tests/data/converter/utm_*); longitudes outside -180..180 and far beyond a turn (found
// by fuzzing) are wrapped into a zone.
#include "ConverterTestKit.h"
#include "ProjOracle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

// Within 3 degrees of the central meridian the series stays within 2 cm of PROJ.
TEST(Utm, AgreesWithProjInEveryZone) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> dLon(-2.999, 2.999), dLat(-80, 80);
    double worst = 0;
    for (int row : {23, 14, 5})
        for (int zone = 1; zone <= 60; ++zone) {
            char def[128];
            std::snprintf(def, sizeof def, "+proj=tmerc +k=0.9996 +x_0=500000 +lon_0=%d +a=%.3f +es=%.12g", 6 * zone - 183,
                          EllipsoidTable[row].SemiMajorAxis, EllipsoidTable[row].EccentricitySquared);
            const ProjOracle proj(def);
            for (int k = 0; k < 6; ++k) {
                const double lat = dLat(rng), lon = 6 * zone - 183 + dLon(rng);
                if ((lat >= 56 && lat < 64) || (lat >= 72 && lat < 84)) continue;  // rule zones
                double n = 0, e = 0, on = 0, oe = 0;
                LatLonToUTM(row, lat, lon, n, e);
                EXPECT_TRUE(proj.Forward(lat * 0.017453292519943295, lon * 0.017453292519943295, oe, on));
                worst = std::max({worst, std::fabs(e - oe), std::fabs(n - (lat < 0 ? on + 10000000 : on))});
            }
        }
    EXPECT_LT(worst, 0.02);
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
