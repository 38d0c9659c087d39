// The converter's project geodesy mode, case by case: a record whose
// position cannot be projected, a definition that vanishes and comes back, the test-open on every outcome, switching
// back to standard UTM, a definition edited between runs, the longest path,
// and whole files with a full seven-parameter shift and a feet grid against
// a PROJ pipeline.
#include "GridFileWriter.h"
#include "GeodesyHandle.h"
#include "InstallDir.h"
#include "ProjectModeSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

using Peer = ProjectModePeer;

const char* const kHarbour = kHarbourGeodesy;

// Makes `folder` the installation folder (with its datum folder) for one test.
class InstallDirAt {
public:
    explicit InstallDirAt(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder / "datum");
        ::setenv("QVO_BRAMIX", folder.c_str(), 1);
        ResetInstallDirCache();
    }
    ~InstallDirAt() {
        ::unsetenv("QVO_BRAMIX");
        ResetInstallDirCache();
    }
    InstallDirAt(const InstallDirAt&) = delete;
    InstallDirAt& operator=(const InstallDirAt&) = delete;
};

TEST(ProjectModeCases, RecordThatCannotBeProjectedIsStillWrittenWithOneMessage) {
    TempDir dir;
    // A transverse Mercator grid has no point for the pole.
    const std::string ini = dir.write(
        "tm.ini", "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\nFlattening=298.257223563\nScaleFactor=0.9996\n"
                  "CentralMeridian=-117\nFalseEasting=500000\n");
    const std::string csv = dir.write("s.csv", SurveyCsv({{32.7, -117.2}, {32.71, -117.21}, {90.0, -117.0}, {32.72, -117.2}}));
    MessageRecorder rec;
    Peer c;
    c.put_AppMessageWnd(&rec);
    ASSERT_NO_FATAL_FAILURE(ConvertWithDefinition(c, ini, csv));
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 1);
    // The message names the file, the line and the position, then the library's reason.
    EXPECT_EQ(c.LastError().rfind("Failed GeoXY call. " + csv + " line 4: N 90\xC2\xB0", 0), 0u) << c.LastError();
    EXPECT_TRUE(c.LastError().ends_with(": Singularity")) << c.LastError();
    EXPECT_EQ(c.get_CSVRecords(), 4);
    const auto lines = EdtRecords(dir.file("s.EDT"));
    ASSERT_EQ(lines.size(), 4u);
    // Written without a made-up position: easting and northing empty.
    EXPECT_EQ(lines[2].substr(0, 3), ",,,");
    // The records around it are projected as usual.
    EXPECT_NEAR(std::strtod(kit::Field(lines[1], 2).c_str(), nullptr), 480000, 5000);
    EXPECT_NEAR(std::strtod(kit::Field(lines[3], 2).c_str(), nullptr), 481000, 5000);
}

TEST(ProjectModeCases, VanishedDefinitionIsTriedAgainAtTheNextPosition) {
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    MessageRecorder rec;
    Peer c;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    std::filesystem::rename(ini, ini + ".away");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Project(c, 32.7, -117.2).status, E_FAIL);
        EXPECT_EQ(c.LastError(), "Bad Bramix Geodesy.");
        EXPECT_EQ(c.Handle(), nullptr);
    }
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 2);
    std::filesystem::rename(ini + ".away", ini);
    const Projected p = Project(c, 32.7, -117.2);
    EXPECT_EQ(p.status, S_OK);
    EXPECT_NE(c.Handle(), nullptr);
    EXPECT_NEAR(p.easting, 481000, 3000);
}

TEST(ProjectModeCases, TestOpenLeavesNoHandleWhateverItsOutcome) {
    TempDir dir;
    const InstallDirAt install(dir.path());
    const std::string good = dir.write("good.ini", kHarbour);
    const std::string flat = dir.write("flat.ini", "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\n");
    const std::string geoid = dir.write("geoid.ini", std::string(kHarbour) + "Geoid=absent.geo\r\nOrthoHCorr=3\r\n");
    const std::string grid = dir.write("grid.ini", std::string(kHarbour) + "DynDatum=absent.grd\r\n");
    const int32_t before = LiveHandleCount();
    struct Case {
        std::string path;
        bool ok;
        const char* text;
    } cases[] = {{good, true, nullptr},
                 {flat, false, "Invalid ellipsoid flattening"},
                 // A missing geoid leaves a usable handle: the definition is accepted.
                 {geoid, true, nullptr},
                 {grid, false, "Unknown"},
                 {dir.file("absent.ini"), false, "No such file or directory"},
                 {dir.path(), false, "Is a directory"}};
    for (const Case& k : cases) {
        std::string text = k.path;
        EXPECT_EQ(Peer::TestBramixGeodesy(text), k.ok) << k.path;
        if (k.text) {
            EXPECT_EQ(text, k.text);
        }
        EXPECT_EQ(LiveHandleCount(), before) << k.path;
    }
    std::string empty;
    EXPECT_TRUE(Peer::TestBramixGeodesy(empty));
    // Naming a definition (or none) tests it and opens no handle either.
    Peer c;
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(good), S_OK);
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(""), S_OK);
    EXPECT_EQ(c.Handle(), nullptr);
    EXPECT_EQ(LiveHandleCount(), before);
}

TEST(ProjectModeCases, EmptyPathSwitchesBackToStandardUtm) {
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    Peer project, standard;
    ASSERT_EQ(project.put_EllipsoidToUse(23), S_OK);
    ASSERT_EQ(standard.put_EllipsoidToUse(23), S_OK);
    ASSERT_EQ(project.put_BraMixStatePlaneIniFile(ini), S_OK);
    const Projected p1 = Project(project, 32.7, -117.2);
    ASSERT_EQ(p1.status, S_OK);
    ASSERT_EQ(project.put_BraMixStatePlaneIniFile(""), S_OK);
    EXPECT_EQ(project.Handle(), nullptr);
    const Projected p2 = Project(project, 32.7, -117.2);
    ASSERT_EQ(p2.status, S_OK);
    const Projected p3 = Project(standard, 32.7, -117.2);
    ASSERT_EQ(p3.status, S_OK);
    EXPECT_EQ(p2.northing, p3.northing);
    EXPECT_EQ(p2.easting, p3.easting);
    // WGS-84 UTM and the NAD 27 grid differ by tens of metres here.
    EXPECT_GT(std::hypot(p1.northing - p2.northing, p1.easting - p2.easting), 50.0);
}

TEST(ProjectModeCases, DefinitionEditedBetweenRunsIsReadAgain) {
    // The dialog names the definition at every Convert: a project whose false
    // easting was corrected must not go on converting with the old one.
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    const int32_t before = LiveHandleCount();
    Peer c;
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    const Projected first = Project(c, 32.7, -117.2);
    ASSERT_EQ(first.status, S_OK);
    std::string edited = kHarbour;
    edited.replace(edited.find("FalseEasting=500000"), 19, "FalseEasting=400000");
    dir.write("h.ini", edited);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    Projected p = Project(c, 32.7, -117.2);
    ASSERT_EQ(p.status, S_OK);
    EXPECT_NEAR(first.easting - p.easting, 100000.0, 1e-6);
    EXPECT_EQ(LiveHandleCount(), before + 1);
    // A failed test keeps the file and the handle in use.
    const GEODESY h = c.Handle();
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(dir.file("absent.ini")), E_FAIL);
    EXPECT_EQ(c.Handle(), h);
    p = Project(c, 32.7, -117.2);
    ASSERT_EQ(p.status, S_OK);
    EXPECT_NEAR(first.easting - p.easting, 100000.0, 1e-6);
}

TEST(ProjectModeCases, PathOf255CharactersWorksAnd256IsRefused) {
    TempDir dir;
    std::filesystem::path folder = dir.path();
    const std::string leaf = "/h.ini";
    while (folder.string().size() + leaf.size() < 255) {
        const size_t remaining = 255 - leaf.size() - folder.string().size();
        folder /= std::string(remaining <= 61 ? remaining - 1 : 50, 'f');
    }
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    const std::string path = folder.string() + leaf;
    ASSERT_EQ(path.size(), 255u);
    std::ofstream(path, std::ios::binary) << kHarbour;
    const std::string longer = path.substr(0, path.size() - 4) + "x.ini";
    std::ofstream(longer, std::ios::binary) << kHarbour;
    ASSERT_EQ(longer.size(), 256u);
    Peer c;
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(path), S_OK);
    EXPECT_EQ(Project(c, 32.7, -117.2).status, S_OK);
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(longer), E_FAIL);
    EXPECT_EQ(c.LastError(), "Trying to open file:" + longer + "\nPath longer than 255 characters.");
}

TEST(ProjectModeCases, PathWithANulCharacterIsRefused) {
    // Read up to the NUL, the path would name another file: the one before it.
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    const std::string path = ini + std::string(1, '\0') + ".old";
    Peer c;
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(path), E_FAIL);
    EXPECT_EQ(c.LastError(), "Trying to open file:" + ini + "\\0.old\nPath holds a NUL character.");
    ASSERT_EQ(c.put_EllipsoidToUse(23), S_OK);
    EXPECT_EQ(Project(c, 32.7, -117.2).status, S_OK);  // still standard UTM
    EXPECT_EQ(c.Handle(), nullptr);
}

TEST(ProjectModeCases, DatumShiftThatCannotBeAppliedIsReported) {
    // A shift grid whose nodes hold no number: the position would otherwise
    // be projected on WGS-84, off by the whole datum shift, as if all were well.
    TempDir dir;
    const InstallDirAt install(dir.path());
    WriteGridFile((dir.path() / "datum" / "nan.grd").string(), 24, 7, 3, -120.0f, 0.25f, 30.0f, 1.0f,
                  [](int, int, int) { return std::numeric_limits<float>::quiet_NaN(); });
    const std::string ini = dir.write("nan.ini", std::string(kHarbour) + "DynDatum=nan.grd\r\n");
    MessageRecorder rec;
    Peer c;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    EXPECT_EQ(Project(c, 32.7, -117.2).status, E_FAIL);
    EXPECT_EQ(c.LastError(), "Failed WGS84Conv call.");
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 1);
    // Off the grid the stored (no) shift applies and the position converts.
    EXPECT_EQ(Project(c, 40.0, -117.2).status, S_OK);
}

// Points over a survey area from (lat0, lon0): 8 latitudes 0.03 degrees apart
// by 5 longitudes 0.06 degrees apart.
std::vector<std::pair<double, double>> SurveyArea(double lat0, double lon0) {
    std::vector<std::pair<double, double>> points;
    for (int i = 0; i < 40; ++i) points.emplace_back(lat0 + (i % 8) * 0.03, lon0 + (i / 8) * 0.06);
    return points;
}

TEST(ProjectModeCases, SevenParameterDefinitionMatchesProjPipeline) {
    // Ordnance Survey style: Airy 1830 with the EPSG WGS 84 -> OSGB 36 shift
    // (coordinate frame), national grid origin and false origin.
    ExpectFileMatchesProj(
        "[Geodesy]\nProjection=TransMerc\nSemiMajorAxis=6377563.396\nFlattening=299.3249646\n"
        "ScaleFactor=0.9996012717\nRefLatitude=49\nCentralMeridian=-2\nFalseEasting=400000\nFalseNorthing=-100000\n"
        "DeltaX=-446.448\nDeltaY=125.157\nDeltaZ=-542.06\nDeltaScale=20.4894\nDeltaRX=-0.1502\nDeltaRY=-0.247\n"
        "DeltaRZ=-0.8421\n",
        "+proj=pipeline +step +proj=cart +ellps=WGS84 +step +proj=helmert +x=-446.448 +y=125.157 +z=-542.06 "
        "+rx=-0.1502 +ry=-0.247 +rz=-0.8421 +s=20.4894 +convention=coordinate_frame "
        "+step +inv +proj=cart +a=6377563.396 +rf=299.3249646 "
        "+step +proj=tmerc +a=6377563.396 +rf=299.3249646 +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 "
        "+y_0=-100000",
        SurveyArea(51.2, -1.4), 0.015, "worst_grid_units");
}

TEST(ProjectModeCases, FeetGridWithDeltaValuesMatchesProjPipeline) {
    // A grid in international feet: false easting in feet (1640416.6667 ft,
    // 499999.00001016 m), positions in feet.
    ExpectFileMatchesProj(
        "[Geodesy]\nProjection=UTM\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\nScaleFactor=0.9999\n"
        "RefLatitude=31\nCentralMeridian=-118\nUnit=0.3048\nFalseEasting=1640416.6667\nFalseNorthing=0\n"
        "DeltaX=8\nDeltaY=-160\nDeltaZ=-176\nDeltaScale=-0.5\nDeltaRZ=0.3\n",
        "+proj=pipeline +step +proj=cart +ellps=WGS84 +step +proj=helmert +x=8 +y=-160 +z=-176 +rz=0.3 +s=-0.5 "
        "+convention=coordinate_frame +step +inv +proj=cart +a=6378206.4 +rf=294.9786982 "
        "+step +proj=tmerc +a=6378206.4 +rf=294.9786982 +lat_0=31 +lon_0=-118 +k=0.9999 "
        "+x_0=499999.00001016 +units=ft",
        SurveyArea(32.6, -117.4), 0.015, "worst_grid_units");
}

}  // namespace
