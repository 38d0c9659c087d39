// The grid-file reader's inside: header values and description, the west-
// positive flag, reopening, the code and count of a lookup outside, the row
// cache; a geoid overwritten with junk while open (the rest, through the C
// interface: grids/*.cases).
#include "GridWriter.h"
#include "InterpFile.h"
#include "ProjectionParams.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(GridFile, HeaderValuesDescriptionAndTheWestPositiveFlag) {
    TempDir dir;
    GridSpec g;
    g.signature = "quorvane";  // any letter case
    g.header1 = 12.5, g.header2 = -3.25, g.description = "EGM test model";
    InterpFile f(dir.write("g.grd", GridBytes(g)).c_str(), true);
    EXPECT_EQ(f.HeaderValue1(), 12.5);
    EXPECT_EQ(f.HeaderValue2(), -3.25);
    EXPECT_STREQ(f.Description(), "EGM test model");
    EXPECT_EQ(f.RecordSize(), 100);
    EXPECT_DOUBLE_EQ(f.West(), -13.0 * kDeg);  // west positive: the longitude range mirrored
    EXPECT_DOUBLE_EQ(f.East(), -10.0 * kDeg);
    // Without the signature the first 56 bytes are the description, the values 0.
    g.signature = "QUORVANX";
    std::string bytes = GridBytes(g);
    bytes.replace(0, 56, "A" + std::string(29, 'b') + std::string(26, 'x'));
    InterpFile plain(dir.write("p.grd", bytes).c_str(), false);
    EXPECT_EQ(plain.HeaderValue1(), 0.0);
    EXPECT_EQ(std::string(plain.Description()), bytes.substr(0, 56));
}

TEST(GridFile, ReopenOutsideLookupsAndTheRowCache) {
    TempDir dir;
    GridSpec g;
    InterpFile f(dir.write("a.grd", GridBytes(g)).c_str(), false);
    double out[6];
    int32_t count = -1;
    for (const auto& [lat, lon] : {std::pair{f.North() + 1e-9, 11.0 * kDeg}, {49.0 * kDeg, 11.0 * kDeg}, {51.0 * kDeg, 9.99 * kDeg},
                                   {51.0 * kDeg, 13.01 * kDeg}, {NAN, 11.0 * kDeg}, {51.0 * kDeg, NAN}}) {
        EXPECT_EQ(f.Lookup(lat, lon, &count, out).take(), 4u) << lat << " " << lon;
        EXPECT_EQ(count, 0);
    }
    // Two lookups in one cell read the file once; a new column alone is a new
    // cell: one seek, two records.
    ASSERT_EQ(f.Lookup(50.2 * kDeg, 10.3 * kDeg, nullptr, out).take(), 0u);
    ASSERT_EQ(f.Lookup(50.7 * kDeg, 10.9 * kDeg, nullptr, out).take(), 0u);
    EXPECT_EQ(f.RecordReads(), 2);
    ASSERT_EQ(f.Lookup(50.7 * kDeg, 11.1 * kDeg, nullptr, out).take(), 0u);
    EXPECT_EQ(f.RecordReads(), 4);
    g.rows = 5;
    EXPECT_EQ(f.Open(dir.write("b.grd", GridBytes(g)).c_str(), false).take(), 0u);
    EXPECT_EQ(f.Rows(), 5);
    EXPECT_EQ(f.Path(), dir.file("b.grd"));
    EXPECT_EQ(f.Open(dir.file("missing.grd").c_str(), false).take(), 1u);
    EXPECT_NE(f.Lookup(50.0 * kDeg, 10.0 * kDeg, nullptr, out).take(), 0u);
}

TEST(GridFault, OverwrittenWithJunkGivesNumbersOrError9ButNoFault) {
    TempDir dir;
    GridSpec g;
    g.cols = 24, g.rows = 9, g.values = 1, g.west = 4.0f, g.lonSpacing = 0.5f, g.latSpacing = 0.5f;
    const ScopedGeodesy h(Utm(31));
    ASSERT_EQ(SetGeoid(h, dir.write("g.geo", GridBytes(g)).c_str(), 0.0), 1) << GetGeodesyError();
    std::string junk(100 * 10, '\0');  // same name, same size, new bytes
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 151 + 3) & 0xff);
    dir.write("g.geo", junk);
    for (int i = 0; i < 50; ++i) {
        double n = 0;
        const int32_t ok = Undulation(h, (50.0 + 0.08 * i) * kDeg, (4.0 + 0.08 * i) * kDeg, &n);
        EXPECT_TRUE(ok == 1 || GetGeodesyError() == 9) << i;
    }
}
