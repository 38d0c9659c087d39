// The converter with a project's geodesy definition: one conversion handle per
// definition, and a whole file against a PROJ pipeline of the same datum shift and
// projection (the live comparison; the test-open's messages are in the cases tests,
// the zelto2edt cases and the dialog tests).
#include "GeodesyHandle.h"
#include "ProjectModeSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Peer = ProjectModePeer;

// The harbour project: UTM 11 N on Clarke 1866, WGS-84 shifted by a mean
// translation before projecting; the file opens with a comment line.
const std::string kHarbour = std::string("; harbour\r\n") + kHarbourGeodesy;

// The same geodesy on another zone: a converter still holding the first
// handle would give zone 11 eastings.
const char kZone10[] =
    "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\nScaleFactor=0.9996\n"
    "CentralMeridian=-123\nFalseEasting=500000\nDeltaX=8\nDeltaY=-160\nDeltaZ=-176\n";

TEST(ProjectMode, OneHandleServesEveryRecordAndTheDestructorReleasesIt) {
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 20; ++i) points.emplace_back(32.70 + i * 1e-4, -117.18 + i * 1e-4);
    const std::string path = dir.write("s.csv", SurveyCsv(points));
    const int32_t before = LiveHandleCount();
    {
        MessageRecorder rec;
        Peer c;
        c.put_AppMessageWnd(&rec);
        ASSERT_NO_FATAL_FAILURE(ConvertWithDefinition(c, ini, path));
        EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 0);
        EXPECT_EQ(LiveHandleCount(), before + 1);
        GEODESY first = c.Handle();
        ASSERT_NE(first, nullptr);
        // A second run of the same object keeps the handle.
        ASSERT_EQ(c.ReadZeltoFile(path), S_OK);
        ASSERT_EQ(c.WriteQVXFile(""), S_OK);
        EXPECT_EQ(c.Handle(), first);
        EXPECT_EQ(LiveHandleCount(), before + 1);
        // Naming the file again (the dialog does so at every Convert) lets
        // the next run read it as it is now: one handle again, never two.
        ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
        EXPECT_EQ(c.Handle(), nullptr);
        EXPECT_EQ(LiveHandleCount(), before);
        ASSERT_EQ(c.ReadZeltoFile(path), S_OK);
        ASSERT_EQ(c.WriteQVXFile(""), S_OK);
        EXPECT_NE(c.Handle(), nullptr);
        EXPECT_EQ(LiveHandleCount(), before + 1);
    }
    EXPECT_EQ(LiveHandleCount(), before);
}

TEST(ProjectMode, AnotherDefinitionOpensANewHandle) {
    TempDir dir;
    const std::string zone11 = dir.write("z11.ini", kHarbour);
    const std::string zone10 = dir.write("z10.ini", kZone10);
    const int32_t before = LiveHandleCount();
    Peer c;
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(zone11), S_OK);
    Projected p = Project(c, 32.71, -117.17);
    ASSERT_EQ(p.status, S_OK);
    EXPECT_NEAR(p.easting, 484000, 3000);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(zone10), S_OK);
    EXPECT_EQ(LiveHandleCount(), before);  // the zone 11 handle is released
    p = Project(c, 32.71, -117.17);
    ASSERT_EQ(p.status, S_OK);
    EXPECT_GT(p.easting, 1000000);  // zone 10 is 6 degrees to the west
    EXPECT_EQ(LiveHandleCount(), before + 1);
    // Standard UTM and back: again a handle for the file named.
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(""), S_OK);
    EXPECT_EQ(LiveHandleCount(), before);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(zone11), S_OK);
    p = Project(c, 32.71, -117.17);
    ASSERT_EQ(p.status, S_OK);
    EXPECT_NEAR(p.easting, 484000, 3000);
}

TEST(ProjectMode, WholeFileMatchesProjPipeline) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 60; ++i) points.emplace_back(32.60 + (i % 10) * 0.02, -117.30 + (i / 10) * 0.05);
    // The CSV holds seconds to 4 decimals: what the converter read; the
    // record keeps 2 decimals.
    ExpectFileMatchesProj(
        kHarbour,
        "+proj=pipeline +step +proj=cart +ellps=WGS84 +step +proj=helmert +x=8 +y=-160 +z=-176 "
        "+convention=coordinate_frame +step +inv +proj=cart +a=6378206.4 +rf=294.9786982 "
        "+step +proj=tmerc +a=6378206.4 +rf=294.9786982 +lon_0=-117 +k=0.9996 +x_0=500000",
        points, 0.01 + 0.005, "worst_metres");
}

}  // namespace
