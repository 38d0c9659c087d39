// What the case files cannot say: a null handle or buffer for every exported
// function, buffers cut and terminated.
#include "GridWriter.h"
#include "ProjectionParams.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

TEST(HandleFrame, NullHandleGivesCode2) {
    double a = 1, b = 2, c = 3;
    char buf[8] = "x";
    AdjustParams adj{};
    EllDiffParams diff{0, 0, 0, 1, 0, 0, 0};
    GeodesyParams p{};
    const auto code2 = [](int32_t r) { return r == 0 && GetGeodesyError() == 2; };
    const bool results[] = {code2(DestroyGeodesy(nullptr)), code2(GetGeodesyParams(nullptr, &p, buf, buf)),
                            code2(GeoXY(nullptr, &a, &b, 0, 0)), code2(XYGeo(nullptr, 0, 0, &a, &b)),
                            code2(GeoECEF(nullptr, &a, &b, &c, 0, 0, 0)), code2(ECEFGeo(nullptr, 0, 0, 0, &a, &b, &c)),
                            code2(WGS84Conv(nullptr, &a, &b, nullptr)), code2(InvWGS84Conv(nullptr, &a, &b, nullptr)),
                            code2(EllConv(nullptr, &a, &b, nullptr, 6378137, 0.003)),
                            code2(InvEllConv(nullptr, &a, &b, nullptr, 6378137, 0.003)),
                            code2(SetEllModel(nullptr, nullptr)), code2(GetEllModel(nullptr, buf, sizeof buf)),
                            code2(SetEllDiff(nullptr, &diff)), code2(GetEllDiff(nullptr, &diff)),
                            code2(SetAdjustment(nullptr, &adj)), code2(GetAdjustment(nullptr, &adj)),
                            code2(SetGeoid(nullptr, nullptr, 0)), code2(GetGeoid(nullptr, buf, sizeof buf, &a)),
                            code2(Undulation(nullptr, 0, 0, &a)), code2(HConvert(nullptr, &a, 1)),
                            code2(VConvert(nullptr, &a, 1)), code2(GetLocalName(nullptr, 1, "eng", buf, sizeof buf))};
    for (size_t i = 0; i < std::size(results); ++i) EXPECT_TRUE(results[i]) << "call " << i;
    EXPECT_EQ(Scale(nullptr, 0, 0), 1.0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(GCircLL(nullptr, 0, 0, 0, 1, nullptr), 0.0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(RLineLL(nullptr, 0, 0, 0, 1, &a), 0.0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(a, 1);  // nothing written
    EXPECT_EQ(GetGeodesyVersion(), 1302);
}

TEST(HandleFrame, NullArgumentsAndBuffersAreCode2AndCutBuffersTerminated) {
    const ScopedGeodesy h(Utm(31, 1852.0));
    ASSERT_NE(static_cast<GEODESY>(h), nullptr);
    char buf[9];
    for (const int32_t r : {HConvert(h, nullptr, 1), SetAdjustment(h, nullptr), GetAdjustment(h, nullptr),
                            GetLocalName(h, 1, "eng", nullptr, 8), GetLocalName(h, 1, "eng", buf, 0), GetEllModel(h, buf, 0)}) {
        EXPECT_EQ(r, 0);
        EXPECT_EQ(GetGeodesyError(), 2);
    }
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
        ASSERT_EQ(values == 1 ? SetGeoid(h, name.c_str(), 0) : SetEllModel(h, name.c_str()), 1);
        ASSERT_EQ(values == 1 ? GetGeoid(h, cut.data(), size, nullptr) : GetEllModel(h, cut.data(), size), 1);
        EXPECT_EQ(std::string(cut.c_str()), name.substr(0, name.size() - 1));
        EXPECT_EQ(cut[name.size()], '#');
    }
}
