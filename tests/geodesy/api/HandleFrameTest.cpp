// What the case files cannot say: a null handle or buffer for every exported
// function, buffers cut and terminated, null heights, per-thread error codes.
#include "GridWriter.h"
#include "ProjectionParams.h"
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

TEST(HandleFrame, NullHandleGivesCode2) {
    double a = 1, b = 2, c = 3;
    char buf[8] = "x";
    AdjustParams adj{};
    EllDiffParams diff{0, 0, 0, 1, 0, 0, 0};
    GeodesyParams p{};
    const auto code2 = [](int32_t r) { return r == 0 && GetGeodesyError() == 2; };
    EXPECT_TRUE(code2(DestroyGeodesy(nullptr)));
    EXPECT_TRUE(code2(GetGeodesyParams(nullptr, &p, buf, buf)));
    EXPECT_TRUE(code2(GeoXY(nullptr, &a, &b, 0, 0)));
    EXPECT_TRUE(code2(XYGeo(nullptr, 0, 0, &a, &b)));
    EXPECT_EQ(Scale(nullptr, 0, 0), 1.0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(GCircLL(nullptr, 0, 0, 0, 1, nullptr), 0.0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(RLineLL(nullptr, 0, 0, 0, 1, &a), 0.0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_TRUE(code2(GeoECEF(nullptr, &a, &b, &c, 0, 0, 0)));
    EXPECT_TRUE(code2(ECEFGeo(nullptr, 0, 0, 0, &a, &b, &c)));
    EXPECT_TRUE(code2(WGS84Conv(nullptr, &a, &b, nullptr)));
    EXPECT_TRUE(code2(InvWGS84Conv(nullptr, &a, &b, nullptr)));
    EXPECT_TRUE(code2(EllConv(nullptr, &a, &b, nullptr, 6378137, 0.003)));
    EXPECT_TRUE(code2(InvEllConv(nullptr, &a, &b, nullptr, 6378137, 0.003)));
    EXPECT_TRUE(code2(SetEllModel(nullptr, nullptr)));
    EXPECT_TRUE(code2(GetEllModel(nullptr, buf, sizeof buf)));
    EXPECT_TRUE(code2(SetEllDiff(nullptr, &diff)));
    EXPECT_TRUE(code2(GetEllDiff(nullptr, &diff)));
    EXPECT_TRUE(code2(SetAdjustment(nullptr, &adj)));
    EXPECT_TRUE(code2(GetAdjustment(nullptr, &adj)));
    EXPECT_TRUE(code2(SetGeoid(nullptr, nullptr, 0)));
    EXPECT_TRUE(code2(GetGeoid(nullptr, buf, sizeof buf, &a)));
    EXPECT_TRUE(code2(Undulation(nullptr, 0, 0, &a)));
    EXPECT_TRUE(code2(HConvert(nullptr, &a, 1)));
    EXPECT_TRUE(code2(VConvert(nullptr, &a, 1)));
    EXPECT_TRUE(code2(GetLocalName(nullptr, 1, "eng", buf, sizeof buf)));
    EXPECT_EQ(a, 1);  // nothing written
    EXPECT_EQ(GetGeodesyVersion(), 1302);
}

TEST(HandleFrame, NullArgumentsAndBuffersAreCode2AndCutBuffersTerminated) {
    const ScopedGeodesy h(Utm(31, 1852.0));
    ASSERT_NE(static_cast<GEODESY>(h), nullptr);
    const auto code2 = [](int32_t r) { return r == 0 && GetGeodesyError() == 2; };
    char buf[9];
    EXPECT_TRUE(code2(HConvert(h, nullptr, 1)));
    EXPECT_TRUE(code2(SetAdjustment(h, nullptr)));
    EXPECT_TRUE(code2(GetAdjustment(h, nullptr)));
    EXPECT_TRUE(code2(GetLocalName(h, 1, "eng", nullptr, 8)));
    EXPECT_TRUE(code2(GetLocalName(h, 1, "eng", buf, 0)));
    EXPECT_TRUE(code2(GetEllModel(h, buf, 0)));
    std::fill(std::begin(buf), std::end(buf), '#');
    ASSERT_EQ(GetLocalName(h, 2, "eng", buf, 6), 1);
    EXPECT_STREQ(buf, "nauti");
    EXPECT_EQ(buf[6], '#');
    ASSERT_EQ(GetLocalName(h, 3, "eng", buf, 1), 1);
    EXPECT_STREQ(buf, "");
    // A path one byte too long for the buffer: cut, terminated, nothing written past the size.
    TempDir dir;
    GridSpec g;
    g.cols = 30;  // records at least as long as the header
    for (const int32_t values : {1, 3}) {
        g.values = values;
        const std::string name = dir.write(values == 1 ? "g.geo" : "nad.grd", GridBytes(g));
        std::string cut(name.size() + 4, '#');
        const auto size = static_cast<int32_t>(name.size());
        if (values == 1) {
            ASSERT_EQ(SetGeoid(h, name.c_str(), 0), 1);
            ASSERT_EQ(GetGeoid(h, cut.data(), size, nullptr), 1);
        } else {
            ASSERT_EQ(SetEllModel(h, name.c_str()), 1);
            ASSERT_EQ(GetEllModel(h, cut.data(), size), 1);
        }
        EXPECT_EQ(std::string(cut.c_str()), name.substr(0, name.size() - 1));
        EXPECT_EQ(cut[name.size()], '#');
    }
}

TEST(HandleFrame, NullHeightIsAHeightOfZeroForAllFourConversions) {
    const ScopedGeodesy h(OnEllipsoid(6378206.4, 294.9786982, 3));
    const EllDiffParams t{8, -160, -176, 1.0, 0, 0, 0};
    ASSERT_EQ(SetEllDiff(h, &t), 1);
    double la1 = 0.57, lo1 = -2.05, la2 = la1, lo2 = lo1, h2 = 0.0;
    EXPECT_EQ(WGS84Conv(h, &la1, &lo1, nullptr), 1);
    EXPECT_EQ(WGS84Conv(h, &la2, &lo2, &h2), 1);
    EXPECT_EQ(la1, la2);
    EXPECT_EQ(lo1, lo2);
    EXPECT_EQ(InvWGS84Conv(h, &la1, &lo1, nullptr), 1);
    EXPECT_EQ(EllConv(h, &la1, &lo1, nullptr, 6378388.0, 1.0 / 297.0), 1);
    EXPECT_EQ(InvEllConv(h, &la1, &lo1, nullptr, 6378388.0, 1.0 / 297.0), 1);
    EXPECT_NEAR(la1, 0.57, 1e-9);
    EXPECT_NEAR(lo1, -2.05, 1e-9);
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
