// A geoid grid that changes after the handle opened it: cut short, emptied,
// deleted, or overwritten with junk. Undulation must fail with a code (or go
// on from the still-open file), never read beyond the file or hand out the
// numbers of rows that are no longer there.
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr int32_t kCols = 24;
constexpr size_t kRecord = 4 + 4 * kCols;  // 100 bytes

template <typename T>
void Put(std::string& b, size_t at, T v) {
    std::memcpy(b.data() + at, &v, sizeof v);  // the test hosts are little-endian
}

// A one-value grid of cols x rows nodes from 50 N 4 E at 0.5 degree spacing;
// node (r, c) holds 40 + r + c / 10. Record 0 is the header, padded to the
// record size (records must hold at least the 96 header bytes).
std::string GeoidBytes(int32_t cols, int32_t rows) {
    const size_t record = static_cast<size_t>(4 + 4 * cols);
    std::string b(std::max<size_t>(record, 96), '\0');
    std::memcpy(b.data(), "hostile geoid", 13);
    std::memcpy(b.data() + 56, "QUORVANE", 8);
    Put(b, 64, cols);
    Put(b, 68, rows);
    Put(b, 72, int32_t{1});
    Put(b, 76, 4.0f);
    Put(b, 80, 0.5f);
    Put(b, 84, 50.0f);
    Put(b, 88, 0.5f);
    for (int32_t r = 0; r < rows; ++r) {
        std::string rec(record, '\0');
        for (int32_t c = 0; c < cols; ++c) Put(rec, static_cast<size_t>(4 + 4 * c), static_cast<float>(40.0 + r + c / 10.0));
        b += rec;
    }
    return b;
}

class GridFault : public ::testing::Test {
protected:
    void SetUp() override {
        GeodesyParams p{};  // WGS-84, transverse Mercator in metres
        p.a = 6378137.0;
        p.invFlattening = 298.257223563;
        p.projection = 3;
        p.unit = 1.0;
        p.scaleFactor = 0.9996;
        p.centralMeridian = 3 * kDeg;
        p.falseEasting = 500000;
        h = CreateGeodesy(&p);
        ASSERT_NE(h, nullptr);
        path = dir.write("g.geo", GeoidBytes(kCols, 9));
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
// The same handle, asked to open grids that are none.
using GridFaultOpen = GridFault;

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

TEST_F(GridFaultOpen, DefinitionOfAGridThatIsAFolderOrJunk) {
    std::filesystem::create_directory(dir.file("folder.geo"));
    EXPECT_EQ(SetGeoid(h, dir.file("folder.geo").c_str(), 1.5), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
    std::string junk(5000, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 97 + 11) & 0xff);
    EXPECT_EQ(SetGeoid(h, dir.write("junk.geo", junk).c_str(), 1.5), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
    EXPECT_EQ(SetGeoid(h, std::string(5000, 'p').c_str(), 1.5), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
    double n = 0;
    EXPECT_EQ(Undulation(h, 0.9, 0.1, &n), 1);
    EXPECT_DOUBLE_EQ(n, 1.5);  // no geoid: the correction alone
}

TEST_F(GridFaultOpen, HugeNegativeCountsAreRefusedWithoutOverflow) {
    // Found by fuzzing the grid reader: two large negative counts made the
    // record size product overflow before the counts were checked.
    std::string b = GeoidBytes(kCols, 2);
    Put(b, 64, int32_t{-2071690108});
    Put(b, 72, int32_t{-2071690108});
    EXPECT_EQ(SetGeoid(h, dir.write("neg.geo", b).c_str(), 0.0), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
    Put(b, 64, int32_t{2147483647});
    Put(b, 72, int32_t{2147483647});
    EXPECT_EQ(SetGeoid(h, dir.write("big.geo", b).c_str(), 0.0), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
}
