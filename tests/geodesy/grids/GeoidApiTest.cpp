// SetGeoid, GetGeoid and Undulation through the exported functions, with
// geoid grids written by the tests.
#include "CommaDecimalLocale.h"
#include "GridWriter.h"
#include "ProjectionParams.h"
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <string>

namespace {

// A geoid of 30 x 11 nodes, 6 arc-minutes apart, south-west corner at
// 52 N 4 E; the undulation rises 1 cm per column and 10 cm per row.
GridSpec Geoid() {
    GridSpec g;
    g.cols = 30;
    g.rows = 11;
    g.values = 1;
    g.west = 4.0f;
    g.south = 52.0f;
    g.lonSpacing = 0.1f;
    g.latSpacing = 0.1f;
    g.value = [](int32_t r, int32_t c, int32_t) { return static_cast<float>(40.0 + 0.1 * r + 0.01 * c); };
    return g;
}

// The zone 31 handle and the geoid's file, not yet given to the handle.
class GeoidApi : public Utm31Handle {
protected:
    void SetUp() override {
        Utm31Handle::SetUp();
        path = dir.write("nl.geo", GridBytes(Geoid()));
    }
    TempDir dir;
    std::string path;
};

}  // namespace

TEST_F(GeoidApi, NodesAndCellsOfTheGridPlusTheCorrection) {
    ASSERT_EQ(SetGeoid(h, path.c_str(), -0.5), 1);
    EXPECT_EQ(GetGeodesyError(), 0);
    double n = 0.0;
    ASSERT_EQ(Undulation(h, 52.3 * kDeg, 4.7 * kDeg, &n), 1);
    EXPECT_NEAR(n, 40.0 + 0.3 + 0.07 - 0.5, 1e-5);  // float nodes
    ASSERT_EQ(Undulation(h, 52.35 * kDeg, 4.75 * kDeg, &n), 1);
    EXPECT_NEAR(n, 40.0 + 0.35 + 0.075 - 0.5, 1e-5);  // mean of the cell's corners
}

TEST_F(GeoidApi, OutsideTheGridIsError8WithTheCorrectionAlone) {
    ASSERT_EQ(SetGeoid(h, path.c_str(), 2.0), 1);
    double n = 0.0;
    EXPECT_EQ(Undulation(h, 51.9 * kDeg, 4.5 * kDeg, &n), 0);
    EXPECT_EQ(GetGeodesyError(), 8);
    EXPECT_EQ(n, 2.0);
}

TEST_F(GeoidApi, MissingFileIsError9WithoutGeoidButWithTheNewCorrection) {
    ASSERT_EQ(SetGeoid(h, path.c_str(), 1.0), 1);
    EXPECT_EQ(SetGeoid(h, dir.file("gone.geo").c_str(), 3.5), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
    char name[64] = "stale";
    double corr = 0.0;
    EXPECT_EQ(GetGeoid(h, name, sizeof name, &corr), 1);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(corr, 3.5);
    double n = 0.0;
    EXPECT_EQ(Undulation(h, 52.3 * kDeg, 4.7 * kDeg, &n), 1);
    EXPECT_EQ(n, 3.5);
}

TEST_F(GeoidApi, HostileGridFilesAreError9) {
    GridSpec zeroSpacing = Geoid();
    zeroSpacing.latSpacing = 0.0f;
    GridSpec cut = Geoid();
    cut.rowsWritten = 4;
    GridSpec huge = Geoid();
    huge.cols = 1 << 29;
    huge.rowsWritten = 0;
    for (const std::string& bytes : {GridBytes(zeroSpacing), GridBytes(cut), GridBytes(Geoid()).substr(0, 60)}) {
        const std::string p = dir.write("bad.geo", bytes);
        EXPECT_EQ(SetGeoid(h, p.c_str(), 0.0), 0);
        EXPECT_EQ(GetGeodesyError(), 9);
    }
    // The huge grid's header record is 2 GiB of which only the first 96 bytes
    // are not zero: written sparse, so the test costs neither the memory nor
    // the disk (the reader sees the same bytes as from GridBytes(huge)).
    const std::string p = dir.write("huge.geo", GridHeaderBytes(huge, 96));
    std::filesystem::resize_file(p, 4 + 4 * std::uintmax_t{1u << 29});
    EXPECT_EQ(SetGeoid(h, p.c_str(), 0.0), 0);
    EXPECT_EQ(GetGeodesyError(), 9);
}

TEST_F(GeoidApi, WithoutGeoidTheUndulationIsTheCorrection) {
    double n = -1.0;
    EXPECT_EQ(Undulation(h, 52.0 * kDeg, 4.0 * kDeg, &n), 1);
    EXPECT_EQ(GetGeodesyError(), 0);
    EXPECT_EQ(n, 0.0);
    // A null path removes the geoid, anywhere.
    ASSERT_EQ(SetGeoid(h, path.c_str(), 0.0), 1);
    EXPECT_EQ(SetGeoid(h, nullptr, 0.75), 1);
    EXPECT_EQ(GetGeodesyError(), 0);
    char name[8] = "x";
    EXPECT_EQ(GetGeoid(h, name, sizeof name, nullptr), 1);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(Undulation(h, 10.0 * kDeg, 4.0 * kDeg, &n), 1);
    EXPECT_EQ(n, 0.75);
}

TEST_F(GeoidApi, GetGeoidAlwaysTerminatesTheName) {
    ASSERT_EQ(SetGeoid(h, path.c_str(), 0.0), 1);
    char whole[512];
    ASSERT_EQ(GetGeoid(h, whole, sizeof whole, nullptr), 1);
    EXPECT_EQ(std::string(whole), path);
    const auto exact = static_cast<int32_t>(path.size());  // one byte short for the NUL
    std::string buffer(path.size() + 4, '#');
    ASSERT_EQ(GetGeoid(h, buffer.data(), exact, nullptr), 1);
    EXPECT_EQ(std::string(buffer.c_str()), path.substr(0, path.size() - 1));
    EXPECT_EQ(buffer[path.size()], '#');  // nothing written past size
}

TEST_F(GeoidApi, SameResultUnderACommaDecimalLocale) {
    ASSERT_EQ(SetGeoid(h, path.c_str(), 0.25), 1);
    double before = 0.0;
    ASSERT_EQ(Undulation(h, 52.41 * kDeg, 5.03 * kDeg, &before), 1);
    double after = 0.0;
    {
        const CommaDecimalLocale german;
        ASSERT_TRUE(german.Active());
        EXPECT_EQ(SetGeoid(h, path.c_str(), 0.25), 1);
        EXPECT_EQ(Undulation(h, 52.41 * kDeg, 5.03 * kDeg, &after), 1);
    }
    EXPECT_EQ(before, after);
}

TEST(GeoidApiNull, NullHandleIsError2) {
    double n = 5.0;
    char buffer[8];
    EXPECT_EQ(SetGeoid(nullptr, nullptr, 0.0), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(GetGeoid(nullptr, buffer, sizeof buffer, &n), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(Undulation(nullptr, 0.0, 0.0, &n), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
}
