// The grid-file reader: header rules, node and cell interpolation, edges,
// 0-360 degree grids, the row cache, and files that do not describe a grid.
#include "GridWriter.h"
#include "InterpFile.h"
#include "ProjectionParams.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>
#include <utility>

namespace {

uint32_t OpenCode(const std::string& path) {
    try {
        InterpFile g(path.c_str(), false);
    } catch (errcode& e) {
        return e.take();
    }
    return 0;
}

// Node value k at row r, column c, as the default writer stores it.
double Node(int32_t r, int32_t c, int32_t k) { return 100.0 * r + 10.0 * c + k; }

// A temporary folder for the grids of one test.
class GridFiles : public ::testing::Test {
protected:
    // Writes the grid and gives its path.
    std::string Grid(const GridSpec& g = GridSpec{}, const std::string& name = "g.grd") {
        return dir.write(name, GridBytes(g));
    }
    // The code of opening the default grid once edit(bytes) has changed it.
    template <typename Edit>
    uint32_t OpenEdited(Edit edit) {
        std::string bytes = GridBytes(GridSpec{});
        edit(bytes);
        return OpenCode(dir.write("h.grd", bytes));
    }
    TempDir dir;
};
using GridHeader = GridFiles;
using GridLookup = GridFiles;
using GridHostile = GridFiles;

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

TEST_F(GridLookup, OnANodeEveryValueIsThatNodes) {
    InterpFile f(Grid().c_str(), false);
    double out[6];
    int32_t count = -1;
    ASSERT_EQ(f.Lookup(51.0 * kDeg, 12.0 * kDeg, &count, out).take(), 0u);
    EXPECT_EQ(count, 6);
    for (int32_t k = 0; k < 6; ++k) EXPECT_NEAR(out[k], Node(1, 2, k), 1e-9) << k;
}

TEST_F(GridLookup, InsideACellTheFractionsPassThroughTheCubicStep) {
    GridSpec g;
    g.value = [](int32_t r, int32_t c, int32_t) { return (r == 0 && c == 0) ? 1.0f : 0.0f; };
    InterpFile f(Grid(g).c_str(), false);
    double out[6];
    // A quarter of the way east: weight of the south-west node s(0.75) = 0.84375.
    ASSERT_EQ(f.Lookup(50.0 * kDeg, 10.25 * kDeg, nullptr, out).take(), 0u);
    EXPECT_NEAR(out[0], 0.84375, 1e-9);
}

TEST_F(GridLookup, NorthAndEastEdgesAreInsideAndReadNothingBeyond) {
    // Exactly rows records: a read beyond the north edge would fail.
    InterpFile f(Grid().c_str(), false);
    double out[6];
    ASSERT_EQ(f.Lookup(f.North(), 11.0 * kDeg, nullptr, out).take(), 0u);
    EXPECT_NEAR(out[3], Node(2, 1, 3), 1e-9);
    ASSERT_EQ(f.Lookup(51.0 * kDeg, f.East(), nullptr, out).take(), 0u);
    EXPECT_NEAR(out[5], Node(1, 3, 5), 1e-9);
    ASSERT_EQ(f.Lookup(f.North(), f.East(), nullptr, out).take(), 0u);
    EXPECT_NEAR(out[0], Node(2, 3, 0), 1e-9);
}

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

TEST_F(GridLookup, MinusTenDegreesIsLookedUpAt350OnA0To360Grid) {
    GridSpec g;
    g.cols = 37;  // 0, 10, .., 360 degrees
    g.values = 1;
    g.west = 0.0f;
    g.lonSpacing = 10.0f;
    g.south = -10.0f;
    g.latSpacing = 10.0f;
    g.rows = 3;
    g.value = [](int32_t r, int32_t c, int32_t) { return static_cast<float>(c + 1000 * r); };
    InterpFile f(Grid(g).c_str(), false);
    ASSERT_GT(f.East(), std::numbers::pi);
    double out[1];
    ASSERT_EQ(f.Lookup(0.0, -10.0 * kDeg, nullptr, out).take(), 0u);
    EXPECT_NEAR(out[0], 1035.0, 1e-9);
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

TEST_F(GridLookup, FileCutShortAfterOpeningFailsAndNeverYieldsStaleRows) {
    const std::string path = Grid();
    InterpFile f(path.c_str(), false);
    double out[6];
    ASSERT_EQ(f.Lookup(50.5 * kDeg, 10.5 * kDeg, nullptr, out).take(), 0u);
    std::filesystem::resize_file(path, 96 + 100 + 10);  // header and one row left
    EXPECT_EQ(f.Lookup(51.5 * kDeg, 10.5 * kDeg, nullptr, out).take(), 3u);
    EXPECT_EQ(f.Lookup(51.5 * kDeg, 10.5 * kDeg, nullptr, out).take(), 3u);
    // The lowest row is whole, the one above it is not: still refused.
    ASSERT_EQ(f.Lookup(50.0 * kDeg, 10.0 * kDeg, nullptr, out).take(), 3u);
}

// ---- files that do not describe a grid --------------------------------------

TEST_F(GridHostile, MissingFileAndDirectoryAreCode1) {
    EXPECT_EQ(OpenCode(dir.file("none.grd")), 1u);
    EXPECT_EQ(OpenCode(dir.path().string()), 1u);
}

TEST_F(GridHostile, TruncatedHeadersAreCode3) {
    const std::string whole = GridBytes(GridSpec{});
    for (size_t n : {size_t{0}, size_t{1}, size_t{50}, size_t{95}})
        EXPECT_EQ(OpenCode(dir.write("t.grd", whole.substr(0, n))), 3u) << n;
}

TEST_F(GridHostile, OriginOutOfRangeIsCode2) {
    GridSpec g;
    g.south = 90.5f;
    EXPECT_EQ(OpenCode(Grid(g, "a.grd")), 2u);
    g.south = 50.0f;
    g.west = -180.5f;
    EXPECT_EQ(OpenCode(Grid(g, "b.grd")), 2u);
    g.west = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(OpenCode(Grid(g, "c.grd")), 2u);
}

TEST_F(GridHostile, ZeroAndNegativeCountsAreCode3) {
    // Offsets 64, 68, 72: columns, rows, values a node.
    for (const auto& [at, count] : {std::pair{64, 0}, {68, 0}, {72, 0}, {64, -4}, {68, -1}})
        EXPECT_EQ(OpenEdited([&](std::string& b) { PutLE(b, static_cast<size_t>(at), int32_t{count}); }), 3u) << at;
    // Two negative factors make a positive record size: still refused.
    EXPECT_EQ(OpenEdited([](std::string& b) {
                  PutLE(b, 64, int32_t{-4});
                  PutLE(b, 72, int32_t{-6});
              }),
              3u);
}

TEST_F(GridHostile, ZeroNegativeTinyAndNonFiniteSpacingsAreCode3) {
    for (float s : {0.0f, -1.0f, 0.0001f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN(), 1e30f}) {
        GridSpec g;
        g.latSpacing = s;
        EXPECT_EQ(OpenCode(Grid(g, "a.grd")), 3u) << s;
        g.latSpacing = 1.0f;
        g.lonSpacing = s;
        EXPECT_EQ(OpenCode(Grid(g, "b.grd")), 3u) << s;
    }
}

TEST_F(GridHostile, RecordsShorterThanTheHeaderAreCode3) {
    GridSpec g;
    g.cols = 22;  // 22 values a row: 92-byte records
    g.values = 1;
    // The header needs a 96-byte record 0: written by hand.
    std::string bytes = GridHeaderBytes(g, 96) + std::string(static_cast<size_t>(3 * 92), '\0');
    EXPECT_EQ(OpenCode(dir.write("g.grd", bytes)), 3u);
    g.cols = 23;
    EXPECT_EQ(OpenCode(Grid(g, "ok.grd")), 0u);
}

TEST_F(GridHostile, TwoGibibyteClaimedSizesAreCode3) {
    const auto withCounts = [&](int32_t cols, int32_t rows, int32_t values) {
        return OpenEdited([&](std::string& b) {
            PutLE(b, 64, cols);
            PutLE(b, 68, rows);
            PutLE(b, 72, values);
        });
    };
    EXPECT_EQ(withCounts(1 << 29, 3, 1), 3u);           // a 2 GiB record
    EXPECT_EQ(withCounts(65536, 3, 65536), 3u);         // product overflows 32 bits
    EXPECT_EQ(withCounts(2147483647, 3, 2147483647), 3u);
    EXPECT_EQ(withCounts(4, 2147483647, 6), 3u);        // rows far beyond the file
}

TEST_F(GridHostile, FilesCutShortAfterTheHeaderAreCode3) {
    GridSpec g;
    const std::string whole = GridBytes(g);
    EXPECT_EQ(OpenCode(dir.write("h.grd", whole.substr(0, 96))), 3u);
    EXPECT_EQ(OpenCode(dir.write("r.grd", whole.substr(0, 100 * 3))), 3u);  // header + 2 rows
    EXPECT_EQ(OpenCode(dir.write("s.grd", whole.substr(0, whole.size() - 1))), 3u);
    EXPECT_EQ(OpenCode(dir.write("w.grd", whole)), 0u);
}
