// The converter with a project's geodesy definition: the test-open and its
// messages, one conversion handle per definition, and whole files against a
// PROJ pipeline of the same datum shift and projection.
#include "GeodesyHandle.h"
#include "ProjOracle.h"
#include "TempDir.h"
#include "ProjectModeSupport.h"
#include "ZeltoQvxConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kDeg = 0.017453292519943295;

class Peer : public CZeltoQvxConverter {
public:
    using CZeltoQvxConverter::ConvertPosition;
    using CZeltoQvxConverter::TestBramixGeodesy;
    GEODESY Handle() const { return m_hGeodesy; }
};

// The harbour project: UTM 11 N on Clarke 1866, WGS-84 shifted by a mean
// translation before projecting.
const char kHarbour[] =
    "; harbour\r\n[Geodesy]\r\nProjection=UTM\r\nSemiMajorAxis=6378206.4\r\nFlattening=294.9786982\r\n"
    "ScaleFactor=0.9996\r\nCentralMeridian=-117\r\nFalseEasting=500000\r\nDeltaX=8\r\nDeltaY=-160\r\n"
    "DeltaZ=-176\r\n";

// The same geodesy on another zone: a converter still holding the first
// handle would give zone 11 eastings.
const char kZone10[] =
    "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\nScaleFactor=0.9996\n"
    "CentralMeridian=-123\nFalseEasting=500000\nDeltaX=8\nDeltaY=-160\nDeltaZ=-176\n";

TEST(ProjectMode, EmptyPathSelectsUtmWithoutTheLibrary) {
    Peer c;
    const int32_t before = LiveHandleCount();
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(""), S_OK);
    EXPECT_EQ(LiveHandleCount(), before);
    EXPECT_EQ(c.Handle(), nullptr);
}

TEST(ProjectMode, MissingFileGivesTryingToOpenAndTheLibraryText) {
    TempDir dir;
    MessageRecorder rec;
    Peer c;
    c.put_AppMessageWnd(&rec);
    const std::string path = dir.file("absent.ini");
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(path), E_FAIL);
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Trying to open file:" + path + "\nInvalid projection");
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 1);
}

TEST(ProjectMode, FlatteningFailureTextAndPreviousFileKept) {
    TempDir dir;
    Peer c;
    const std::string good = dir.write("good.ini", kHarbour);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(good), S_OK);
    const std::string bad = dir.write("bad.ini", "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\n");
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(bad), E_FAIL);
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Trying to open file:" + bad + "\nInvalid ellipsoid flattening");
    // The previous definition still converts.
    double n = 32.71, e = -117.17;
    EXPECT_EQ(c.ConvertPosition(n, e), S_OK);
    EXPECT_NEAR(e, 484000, 3000);
}

TEST(ProjectMode, OverlongPathIsRefusedWithAClearText) {
    Peer c;
    const std::string path = "/tmp/" + std::string(300, 'p') + ".ini";
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(path), E_FAIL);
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Trying to open file:" + path + "\nPath longer than 255 characters.");
}

TEST(ProjectMode, TestOpenLeavesNoHandle) {
    TempDir dir;
    const std::string good = dir.write("good.ini", kHarbour);
    const int32_t before = LiveHandleCount();
    std::string text = good;
    EXPECT_TRUE(Peer::TestBramixGeodesy(text));
    EXPECT_EQ(LiveHandleCount(), before);
    Peer c;
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(good), S_OK);
    EXPECT_EQ(LiveHandleCount(), before);
    EXPECT_EQ(c.Handle(), nullptr);
}

TEST(ProjectMode, OneHandleServesEveryRecordAndTheDestructorReleasesIt) {
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    std::string csv = "titles\r\n";
    for (int i = 0; i < 20; ++i) csv += SurveyRecord(32.70 + i * 1e-4, -117.18 + i * 1e-4) + "\r\n";
    const std::string path = dir.write("s.csv", csv);
    const int32_t before = LiveHandleCount();
    {
        MessageRecorder rec;
        Peer c;
        c.put_AppMessageWnd(&rec);
        ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
        ASSERT_EQ(c.ReadZeltoFile(path), S_OK);
        ASSERT_EQ(c.WriteQVXFile(""), S_OK);
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
    double n = 32.71, e = -117.17;
    ASSERT_EQ(c.ConvertPosition(n, e), S_OK);
    EXPECT_NEAR(e, 484000, 3000);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(zone10), S_OK);
    EXPECT_EQ(LiveHandleCount(), before);  // the zone 11 handle is released
    n = 32.71;
    e = -117.17;
    ASSERT_EQ(c.ConvertPosition(n, e), S_OK);
    EXPECT_GT(e, 1000000);  // zone 10 is 6 degrees to the west
    EXPECT_EQ(LiveHandleCount(), before + 1);
    // Standard UTM and back: again a handle for the file named.
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(""), S_OK);
    EXPECT_EQ(LiveHandleCount(), before);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(zone11), S_OK);
    n = 32.71;
    e = -117.17;
    ASSERT_EQ(c.ConvertPosition(n, e), S_OK);
    EXPECT_NEAR(e, 484000, 3000);
}

TEST(ProjectMode, BadGeodesyAndFailedGeoXYStillGiveRecords) {
    TempDir dir;
    // Valid when tested, gone when the first record needs it.
    const std::string ini = dir.write("gone.ini", kHarbour);
    MessageRecorder rec;
    Peer c;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    std::remove(ini.c_str());
    double n = 32.7, e = -117.2;
    EXPECT_EQ(c.ConvertPosition(n, e), E_FAIL);
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Bad Bramix Geodesy.");
    EXPECT_EQ(c.Handle(), nullptr);

    // The projection refuses the pole: a failed GeoXY reports once.
    const std::string pole = dir.write(
        "pole.ini", "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\nFlattening=298.257223563\n");
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(pole), S_OK);
    rec.Clear();
    n = 90.0;
    e = 20.0;
    EXPECT_EQ(c.ConvertPosition(n, e), E_FAIL);
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 1);
    c.GetLastError(text);
    EXPECT_EQ(text, "Failed GeoXY call.");
}

TEST(ProjectMode, WholeFileMatchesProjPipeline) {
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    std::vector<std::pair<double, double>> points;
    std::string csv = "titles\r\n";
    for (int i = 0; i < 60; ++i) {
        const double lat = 32.60 + (i % 10) * 0.02, lon = -117.30 + (i / 10) * 0.05;
        points.emplace_back(lat, lon);
        csv += SurveyRecord(lat, lon) + "\r\n";
    }
    const std::string path = dir.write("w.csv", csv);
    Peer c;
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    ASSERT_EQ(c.ReadZeltoFile(path), S_OK);
    ASSERT_EQ(c.WriteQVXFile(""), S_OK);
    const auto lines = EdtRecordLines(TempDir::read(dir.file("w.EDT")));
    ASSERT_EQ(lines.size(), points.size());
    ProjOracle proj(
        "+proj=pipeline +step +proj=cart +ellps=WGS84 +step +proj=helmert +x=8 +y=-160 +z=-176 "
        "+convention=coordinate_frame +step +inv +proj=cart +a=6378206.4 +rf=294.9786982 "
        "+step +proj=tmerc +a=6378206.4 +rf=294.9786982 +lon_0=-117 +k=0.9996 +x_0=500000");
    double worst = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto f = SplitFields(lines[i]);
        ASSERT_GT(f.size(), 4u);
        const double e = std::strtod(f[1].c_str(), nullptr);
        const double n = std::strtod(f[2].c_str(), nullptr);
        // The CSV holds seconds to 4 decimals: what the converter read.
        PJ_COORD r = proj.Trans(PJ_FWD, points[i].second * kDeg, points[i].first * kDeg, 0.0);
        worst = std::max({worst, std::fabs(e - r.xy.x), std::fabs(n - r.xy.y)});
        EXPECT_NEAR(e, r.xy.x, 0.01 + 0.005) << i;  // the record keeps 2 decimals
        EXPECT_NEAR(n, r.xy.y, 0.01 + 0.005) << i;
    }
    RecordProperty("worst_metres", std::to_string(worst));
}

}  // namespace
