// Checks shared by the azimuthal equidistant and Cassini-Soldner tests: the
// handle route through the C interface.
#ifndef ZELTO_TESTS_CONICTESTUTIL_H
#define ZELTO_TESTS_CONICTESTUTIL_H

#include "Projection.h"
#include "ProjectionSweep.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace conic_test {

using projection_sweep::Code;
using projection_sweep::ExpectRegistered;
using projection_sweep::ExpectSameGrid;
using projection_sweep::GermanLocale;

// A published station (radians) through a handle: GeoXY to the published
// grid point within tol, a scale of 1, the type and short name given back.
// The station XYGeo returns is left in lat, lon for the caller to judge;
// GetGeodesyParams' record in back.
inline void ExpectHandleRoute(const GeodesyParams& params, double lat, double lon, double xWant, double yWant,
                              double tol, int32_t type, const char* name, double& latBack, double& lonBack,
                              GeodesyParams& back) {
    GEODESY h = CreateGeodesy(&params);
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    double x = 0, y = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, lat, lon), 1);
    EXPECT_EQ(GetGeodesyError(), 0);
    EXPECT_NEAR(x, xWant, tol);
    EXPECT_NEAR(y, yWant, tol);
    ASSERT_EQ(XYGeo(h, x, y, &latBack, &lonBack), 1);
    EXPECT_EQ(Scale(h, x, y), 1.0);
    EXPECT_EQ(GetGeodesyError(), 0);
    char ellipsoid[64] = {}, projection[8] = {};
    ASSERT_EQ(GetGeodesyParams(h, &back, ellipsoid, projection), 1);
    EXPECT_EQ(back.projection, type);
    EXPECT_STREQ(projection, name);
    EXPECT_EQ(DestroyGeodesy(h), 1);
}

// A station forward and back through a handle gives the same bits under a
// German locale (decimal comma) as under the one the test started with.
inline void ExpectHandleSameBitsUnderGermanLocale(const GeodesyParams& params, double lat, double lon) {
    GEODESY h = CreateGeodesy(&params);
    ASSERT_NE(h, nullptr);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    ASSERT_EQ(GeoXY(h, &x1, &y1, lat, lon), 1);
    ASSERT_EQ(XYGeo(h, x1, y1, &lat1, &lon1), 1);
    {
        GermanLocale de;
        ASSERT_EQ(GeoXY(h, &x2, &y2, lat, lon), 1);
        ASSERT_EQ(XYGeo(h, x2, y2, &lat2, &lon2), 1);
    }
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    EXPECT_EQ(lat1, lat2);
    EXPECT_EQ(lon1, lon2);
    EXPECT_EQ(DestroyGeodesy(h), 1);
}

}  // namespace conic_test

#endif
