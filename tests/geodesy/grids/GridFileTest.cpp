// The grid-file reader's inside: header values, reopening, the code and count
// of a lookup outside, the row cache (the rest: grids/*.cases).
#include "GridWriter.h"
#include "InterpFile.h"
#include "ProjectionParams.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace {

// A temporary folder for the grids of one test.
class GridFiles : public ::testing::Test {
protected:
    // Writes the grid and gives its path.
    std::string Grid(const GridSpec& g = GridSpec{}, const std::string& name = "g.grd") {
        return dir.write(name, GridBytes(g));
    }
    TempDir dir;
};
using GridHeader = GridFiles;
using GridLookup = GridFiles;

}  // namespace

// ---- header --------------------------------------------------------------

TEST_F(GridHeader, TwoMinuteSpacingInSinglePrecisionIsExactly120ArcSeconds) {
    GridSpec g;
    g.latSpacing = 0.0333333f;
    g.lonSpacing = 0.0333333f;
    InterpFile f(Grid(g).c_str(), false);
    EXPECT_EQ(f.LatStep(), 120 / 3600.0 * kDeg);
    EXPECT_EQ(f.LonStep(), 120 / 3600.0 * kDeg);
    EXPECT_DOUBLE_EQ(f.North(), 50.0 * kDeg + 2 * f.LatStep());
    EXPECT_DOUBLE_EQ(f.East(), 10.0 * kDeg + 3 * f.LonStep());
}

TEST_F(GridHeader, LowerCaseSignatureGivesHeaderValuesAndShortDescription) {
    GridSpec g;
    g.signature = "quorvane";
    g.header1 = 12.5;
    g.header2 = -3.25;
    g.description = "EGM test model";
    InterpFile f(Grid(g).c_str(), false);
    EXPECT_EQ(f.HeaderValue1(), 12.5);
    EXPECT_EQ(f.HeaderValue2(), -3.25);
    EXPECT_STREQ(f.Description(), "EGM test model");
    EXPECT_EQ(f.RecordSize(), 100);
}

TEST_F(GridHeader, WithoutSignatureTheFirst56BytesAreDescriptionAndValuesZero) {
    GridSpec g;
    g.signature = "QUORVANX";
    g.header1 = 7.0;
    std::string bytes = GridBytes(g);
    for (int i = 30; i < 56; ++i) bytes[static_cast<size_t>(i)] = 'x';
    bytes[0] = 'A';
    for (int i = 1; i < 30; ++i) bytes[static_cast<size_t>(i)] = 'b';
    InterpFile f(dir.write("g.grd", bytes).c_str(), false);
    EXPECT_EQ(f.HeaderValue1(), 0.0);
    EXPECT_EQ(f.HeaderValue2(), 0.0);
    EXPECT_EQ(std::string(f.Description()).size(), 56u);
    EXPECT_EQ(f.Description()[55], 'x');
}

TEST_F(GridHeader, WestPositiveFlagMirrorsTheLongitudeRange) {
    InterpFile f(Grid().c_str(), true);
    EXPECT_DOUBLE_EQ(f.West(), -13.0 * kDeg);
    EXPECT_DOUBLE_EQ(f.East(), -10.0 * kDeg);
}

TEST_F(GridHeader, ReopenReplacesTheGrid) {
    GridSpec a;
    GridSpec b;
    b.rows = 5;
    InterpFile f(Grid(a, "a.grd").c_str(), false);
    EXPECT_EQ(f.Open(Grid(b, "b.grd").c_str(), false).take(), 0u);
    EXPECT_EQ(f.Rows(), 5);
    EXPECT_EQ(f.Path(), dir.file("b.grd"));
    EXPECT_EQ(f.Open(dir.file("missing.grd").c_str(), false).take(), 1u);
    double out[6];
    EXPECT_NE(f.Lookup(50.0 * kDeg, 10.0 * kDeg, nullptr, out).take(), 0u);
}

// ---- lookups ---------------------------------------------------------------

TEST_F(GridLookup, OutsideTheGridIsCode4WithCountZero) {
    InterpFile f(Grid().c_str(), false);
    double out[6];
    int32_t count = -1;
    EXPECT_EQ(f.Lookup(f.North() + 1e-9, 11.0 * kDeg, &count, out).take(), 4u);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(f.Lookup(49.0 * kDeg, 11.0 * kDeg, nullptr, out).take(), 4u);
    EXPECT_EQ(f.Lookup(51.0 * kDeg, 9.99 * kDeg, nullptr, out).take(), 4u);
    EXPECT_EQ(f.Lookup(51.0 * kDeg, 13.01 * kDeg, nullptr, out).take(), 4u);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(f.Lookup(nan, 11.0 * kDeg, &count, out).take(), 4u);
    EXPECT_EQ(f.Lookup(51.0 * kDeg, nan, &count, out).take(), 4u);
    EXPECT_EQ(count, 0);
}

TEST_F(GridLookup, TwoLookupsInOneCellReadTheFileOnce) {
    InterpFile f(Grid().c_str(), false);
    double out[6];
    ASSERT_EQ(f.Lookup(50.2 * kDeg, 10.3 * kDeg, nullptr, out).take(), 0u);
    EXPECT_EQ(f.RecordReads(), 2);
    ASSERT_EQ(f.Lookup(50.7 * kDeg, 10.9 * kDeg, nullptr, out).take(), 0u);
    EXPECT_EQ(f.RecordReads(), 2);
    // A new column alone is a new cell: one seek, two records.
    ASSERT_EQ(f.Lookup(50.7 * kDeg, 11.1 * kDeg, nullptr, out).take(), 0u);
    EXPECT_EQ(f.RecordReads(), 4);
}
