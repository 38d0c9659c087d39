// Handle creation, the error codes it reports, per-thread error codes, and a
// projection reached through the exported functions only.
#include "ProjectionParams.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

namespace {

// The Netherlands national grid (EPSG coordinate operation 19914): oblique
// stereographic on Bessel 1841; the origin maps to the false origin.
GeodesyParams DutchGrid() {
    GeodesyParams p = OnEllipsoid(6377397.155, 299.1528128, 4);
    p.scaleFactor = 0.9999079;
    p.centralMeridian = (5.0 + 23.0 / 60 + 15.5 / 3600) * kDeg;
    p.refLatitude = (52.0 + 9.0 / 60 + 22.178 / 3600) * kDeg;
    p.falseEasting = 155000.0;
    p.falseNorthing = 463000.0;
    return p;
}

}  // namespace

TEST(HandleFrame, CreationFailuresInTheirOrder) {
    GeodesyParams p = Wgs84(4);
    p.invFlattening = 0;
    p.unit = 0;
    EXPECT_EQ(CreateGeodesy(&p), nullptr);
    EXPECT_EQ(GetGeodesyError(), 3);  // flattening is tested before the unit
    p.invFlattening = 298.257223563;
    EXPECT_EQ(CreateGeodesy(&p), nullptr);
    EXPECT_EQ(GetGeodesyError(), 4);
    for (int32_t type : {0, 13, -1}) {
        p = Wgs84(type);
        EXPECT_EQ(CreateGeodesy(&p), nullptr);
        EXPECT_EQ(GetGeodesyError(), 5) << type;
    }
}

TEST(HandleFrame, NullHandleGivesCode2) {
    double x = 1, y = 2, lat = 0, lon = 0;
    EXPECT_EQ(DestroyGeodesy(nullptr), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(GeoXY(nullptr, &x, &y, 0, 0), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(XYGeo(nullptr, 0, 0, &lat, &lon), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(Scale(nullptr, 0, 0), 1.0);
    EXPECT_EQ(GetGeodesyVersion(), 1302);
}

TEST(HandleFrame, ErrorCodesArePerThread) {
    GeodesyParams p = Wgs84(13);
    EXPECT_EQ(CreateGeodesy(&p), nullptr);
    ASSERT_EQ(GetGeodesyError(), 5);
    int other = -1, afterFailure = -1;
    std::thread t([&] {
        other = GetGeodesyError();  // a thread that never called reads 0
        GeodesyParams q = Wgs84(4);
        q.unit = 0;
        CreateGeodesy(&q);
        afterFailure = GetGeodesyError();
    });
    t.join();
    EXPECT_EQ(other, 0);
    EXPECT_EQ(afterFailure, 4);
    EXPECT_EQ(GetGeodesyError(), 5);  // untouched by the other thread's failure
}

TEST(HandleFrame, ObliqueStereographicThroughTheInterface) {
    const GeodesyParams p = DutchGrid();
    GEODESY h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    double x = 0, y = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, p.refLatitude, p.centralMeridian), 1);
    EXPECT_NEAR(x, 155000.0, 1e-6);
    EXPECT_NEAR(y, 463000.0, 1e-6);
    // A point 1 degree away and back.
    ASSERT_EQ(GeoXY(h, &x, &y, 53.0 * kDeg, 6.0 * kDeg), 1);
    double lat = 0, lon = 0;
    ASSERT_EQ(XYGeo(h, x, y, &lat, &lon), 1);
    EXPECT_NEAR(lat, 53.0 * kDeg, 1e-11);
    EXPECT_NEAR(lon, 6.0 * kDeg, 1e-11);
    EXPECT_EQ(GetGeodesyError(), 0);

    GeodesyParams back{};
    char ellipsoid[24] = "x", projection[4] = "x";
    ASSERT_EQ(GetGeodesyParams(h, &back, ellipsoid, projection), 1);
    EXPECT_STREQ(projection, "OST");
    EXPECT_EQ(back.projection, 4);
    EXPECT_NEAR(back.invFlattening, 299.1528128, 1e-9);
    EXPECT_EQ(DestroyGeodesy(h), 1);
}

TEST(HandleFrame, LinesInGridUnits) {
    GeodesyParams p = Wgs84(4);
    p.refLatitude = 10 * kDeg;
    GEODESY metres = CreateGeodesy(&p);
    p.unit = 0.3048006096;  // US survey foot
    GEODESY feet = CreateGeodesy(&p);
    ASSERT_NE(metres, nullptr);
    ASSERT_NE(feet, nullptr);
    // One degree along the equator: a*pi/180 due east.
    double az = 0;
    const double rhumb = RLineLL(metres, 0, 0, 0, 1 * kDeg, &az);
    EXPECT_NEAR(rhumb, 6378137.0 * std::numbers::pi / 180.0, 1e-6);
    EXPECT_NEAR(az, std::numbers::pi / 2, 1e-12);
    EXPECT_EQ(GetGeodesyError(), 0);
    EXPECT_NEAR(GCircLL(metres, 0, 0, 0, 1 * kDeg, nullptr), rhumb, 1.0);
    EXPECT_NEAR(RLineLL(feet, 0, 0, 0, 1 * kDeg, nullptr), rhumb / 0.3048006096, 1e-6);
    EXPECT_EQ(GCircLL(nullptr, 0, 0, 0, 1, nullptr), 0.0);
    EXPECT_EQ(GetGeodesyError(), 2);
    DestroyGeodesy(metres);
    DestroyGeodesy(feet);
}

TEST(HandleFrame, UtmThroughTheInterface) {
    GeodesyParams p = Utm(31);
    p.scaleFactor = 0;  // taken as 1.0 and reported back as 1.0
    GEODESY h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    GeodesyParams back{};
    ASSERT_EQ(GetGeodesyParams(h, &back, nullptr, nullptr), 1);
    EXPECT_EQ(double(back.scaleFactor), 1.0);
    DestroyGeodesy(h);

    p.scaleFactor = 0.9996;
    h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr);
    double x = 0, y = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, 45 * kDeg, 5 * kDeg), 1);
    EXPECT_NEAR(x, 657630.641, 0.0005);
    EXPECT_NEAR(y, 4984896.171, 0.0005);
    EXPECT_NEAR(Scale(h, x, y), 0.99990554, 5e-9);
    x = 1, y = 2;
    EXPECT_EQ(GeoXY(h, &x, &y, std::numbers::pi / 2, 0), 0);  // the pole is singular
    EXPECT_EQ(GetGeodesyError(), 6);
    EXPECT_EQ(x, 1);  // untouched on failure
    DestroyGeodesy(h);
}

// A latitude beyond a pole or a coordinate that is no number names no place: every
// projection refuses it with error 10 and leaves the outputs as they were.
TEST(HandleFrame, NoPlaceOnEarthIsRefusedByEveryProjection) {
    const double nan = std::nan(""), inf = HUGE_VAL;
    const double badGeographic[][2] = {{95 * kDeg, 0}, {-90.000001 * kDeg, 0}, {nan, 0}, {0, nan}, {inf, 0}, {0, -inf}};
    const double badGrid[][2] = {{nan, 0}, {0, inf}, {-inf, nan}};
    for (int32_t type = 1; type <= 12; ++type) {
        GeodesyParams p = Wgs84(type);
        p.scaleFactor = 1.0;
        p.refLatitude = 45 * kDeg;
        p.northParallel = 40 * kDeg;
        p.southParallel = 50 * kDeg;
        p.skewAzimuth = 30 * kDeg;
        ScopedGeodesy h(p);
        ASSERT_NE(static_cast<GEODESY>(h), nullptr) << "type " << type << " error " << GetGeodesyError();
        for (const auto& pt : badGeographic) {
            double x = 7, y = 8;
            EXPECT_EQ(GeoXY(h, &x, &y, pt[0], pt[1]), 0) << type;
            EXPECT_EQ(GetGeodesyError(), 10) << type;
            EXPECT_EQ(x, 7);
            EXPECT_EQ(y, 8);
        }
        for (const auto& pt : badGrid) {
            double lat = 7, lon = 8;
            EXPECT_EQ(XYGeo(h, pt[0], pt[1], &lat, &lon), 0) << type;
            EXPECT_EQ(GetGeodesyError(), 10) << type;
            EXPECT_EQ(lat, 7);
        }
    }
    // The pole itself is each projection's to take: the polar stereographic grid has it.
    GeodesyParams p = Wgs84(12);
    p.scaleFactor = 0.994;
    p.refLatitude = 90 * kDeg;
    ScopedGeodesy polar(p);
    double x = 0, y = 0;
    EXPECT_EQ(GeoXY(polar, &x, &y, 90 * kDeg, 0), 1) << GetGeodesyError();
}
