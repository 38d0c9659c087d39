// A geoid grid that changes after the handle opened it: cut short, emptied,
// deleted, or overwritten with junk. Undulation must fail with a code (or go
// on from the still-open file), never read beyond the file or hand out the
// numbers of rows that are no longer there.
#include "GridWriter.h"
#include "ProjectionParams.h"
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>

namespace {

constexpr size_t kRecord = 4 + 4 * 24;  // 100 bytes a row

// A one-value grid of 24 x 9 nodes from 50 N 4 E at 0.5 degree spacing;
// node (r, c) holds 40 + r + c / 10.
std::string GeoidBytes() {
    GridSpec g;
    g.cols = 24, g.rows = 9, g.values = 1, g.west = 4.0f, g.lonSpacing = 0.5f, g.south = 50.0f, g.latSpacing = 0.5f;
    g.value = [](int32_t r, int32_t c, int32_t) { return static_cast<float>(40.0 + r + c / 10.0); };
    return GridBytes(g);
}

class GridFault : public ::testing::Test {
protected:
    void SetUp() override {
        const GeodesyParams p = Utm(31);
        h = CreateGeodesy(&p);
        ASSERT_NE(h, nullptr);
        path = dir.write("g.geo", GeoidBytes());
        ASSERT_EQ(SetGeoid(h, path.c_str(), 0.0), 1) << GetGeodesyError();
        double n = 0;
        ASSERT_EQ(Undulation(h, 50.0 * kDeg, 4.0 * kDeg, &n), 1);
        ASSERT_NEAR(n, 40.0, 1e-6);
    }
    void TearDown() override { DestroyGeodesy(h); }
    TempDir dir;
    GEODESY h = nullptr;
    std::string path;
};

}  // namespace

TEST_F(GridFault, CutShortOrEmptiedAfterOpeningIsError9ForTheLostRows) {
    std::filesystem::resize_file(path, kRecord * 4 + 7);  // header, three rows and a bit
    double n = 123;
    // A cell whose rows are gone: refused.
    EXPECT_EQ(Undulation(h, 53.2 * kDeg, 5.0 * kDeg, &n), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
    // Asking again must not answer from what a failed read left behind.
    EXPECT_EQ(Undulation(h, 53.2 * kDeg, 5.0 * kDeg, &n), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
    // The rows still in the file are read as before.
    n = 0;
    if (Undulation(h, 50.2 * kDeg, 4.2 * kDeg, &n) == 1) {
        EXPECT_GT(n, 40.0);
        EXPECT_LT(n, 41.0);
    } else {
        EXPECT_EQ(GetGeodesyError(), 9);
    }
    // Emptied: every lookup is refused.
    std::filesystem::resize_file(path, 0);
    for (double lat : {50.1, 53.9}) {
        EXPECT_EQ(Undulation(h, lat * kDeg, 5.1 * kDeg, &n), 0) << lat;
        EXPECT_EQ(GetGeodesyError(), 9) << lat;
    }
}

TEST_F(GridFault, DeletedAfterOpeningIsStillReadFromTheOpenFile) {
    std::filesystem::remove(path);
    double n = 0;
    ASSERT_EQ(Undulation(h, 52.0 * kDeg, 5.0 * kDeg, &n), 1) << GetGeodesyError();
    EXPECT_NEAR(n, 44.2, 1e-4);
}

TEST_F(GridFault, OverwrittenWithJunkGivesNumbersOrError9ButNoFault) {
    std::string junk(kRecord * 10, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 151 + 3) & 0xff);
    dir.write("g.geo", junk);  // same name, same size, new bytes
    for (int i = 0; i < 50; ++i) {
        double n = 0;
        const int32_t ok = Undulation(h, (50.0 + 0.08 * i) * kDeg, (4.0 + 0.08 * i) * kDeg, &n);
        if (ok == 0) {
            EXPECT_EQ(GetGeodesyError(), 9);
        }
    }
}

TEST_F(GridFault, NonFinitePositionsAreRefused) {
    const double bad[] = {std::nan(""), INFINITY, -INFINITY, 1e308, -1e308};
    for (double v : bad) {
        double n = 0;
        EXPECT_EQ(Undulation(h, v, 5.0 * kDeg, &n), 0) << v;
        EXPECT_EQ(Undulation(h, 51.0 * kDeg, v, &n), 0) << v;
    }
}
