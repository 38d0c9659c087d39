// The converter's project geodesy mode, case by case: a definition that vanishes
// and comes back, the test-open on every outcome, switching back to standard UTM,
// a definition edited between runs, the longest path. Whole files through a
// definition are converter cases (tests/data/converter/project_*).
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

}  // namespace
