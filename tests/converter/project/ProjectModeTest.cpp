// The converter with a project's geodesy definition: one conversion handle per
// definition, read again whenever it is named; the test-open on every outcome; a
// definition that vanishes, paths too long or holding a NUL, a shift that cannot be
// applied. Whole files through a definition, their values checked against PROJ
// pipelines, are converter cases (tests/data/converter/project_*).
#include "ConverterTestKit.h"
#include "GeodesyHandle.h"
#include "SuiteFolderTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

namespace fs = std::filesystem;

// UTM 11 N on Clarke 1866 with the mean NAD 27 translation; opens with a comment line.
const std::string kHarbour = TempDir::read(ZELTO_CONVERTER_CASES "/harbour.geodesy");

// Easting and northing of a position (degrees) through the converter; status of the call.
struct Projected {
    long status;
    double easting, northing;
};
Projected Project(kit::Peer& c, double lat = 32.7, double lon = -117.2) {
    double n = lat, e = lon;
    const long status = c.ConvertPosition(n, e);
    return {status, e, n};
}

// Each test in a fresh installation folder (with its datum folder), `dir`.
class ProjectMode : public SuiteFolderTest {};

TEST_F(ProjectMode, OneHandlePerDefinitionReadAgainWhenNamed) {
    const std::string ini = dir.write("h.ini", kHarbour), csv = dir.write("s.csv", kit::Survey(20));
    const int32_t before = LiveHandleCount();
    {
        kit::Wired<kit::Peer> w;
        ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), S_OK);
        EXPECT_EQ(w.c.Handle(), nullptr);  // the test-open keeps none
        ASSERT_EQ(kit::Convert(w.c, csv).records, 20);
        const GEODESY first = w.c.Handle();
        ASSERT_EQ(kit::Convert(w.c, csv).result, S_OK);
        EXPECT_EQ(w.c.Handle(), first);
        EXPECT_EQ(LiveHandleCount(), before + 1);
        const Projected p0 = Project(w.c);
        EXPECT_NEAR(p0.easting, 481000, 3000);
        // Corrected and named again (the dialog names it at every Convert): read again.
        std::string edited = kHarbour;
        dir.write("h.ini", edited.replace(edited.find("FalseEasting=500000"), 19, "FalseEasting=400000"));
        ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), S_OK);
        EXPECT_EQ(LiveHandleCount(), before);
        EXPECT_NEAR(p0.easting - Project(w.c).easting, 100000.0, 1e-6);
        EXPECT_EQ(w.rec.errors, (std::vector<std::string>{}));
        // A failed test keeps the definition and the handle in use.
        const GEODESY h = w.c.Handle();
        EXPECT_EQ(w.c.put_BraMixStatePlaneIniFile(dir.file("absent.ini")), E_FAIL);
        EXPECT_EQ(w.c.Handle(), h);
        EXPECT_NEAR(p0.easting - Project(w.c).easting, 100000.0, 1e-6);
        // No definition: standard UTM again, as a converter that never had one.
        ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(""), S_OK);
        EXPECT_EQ(w.c.Handle(), nullptr);
        EXPECT_EQ(LiveHandleCount(), before);
        kit::Peer standard;
        const Projected p1 = Project(w.c), p2 = Project(standard);
        EXPECT_EQ(p1.easting, p2.easting);
        EXPECT_EQ(p1.northing, p2.northing);
        EXPECT_GT(std::hypot(p0.easting - p1.easting, p0.northing - p1.northing), 50.0);  // WGS-84 vs NAD 27
        ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), S_OK);
        EXPECT_EQ(Project(w.c).status, S_OK);
    }
    EXPECT_EQ(LiveHandleCount(), before);
}

TEST_F(ProjectMode, TestOpenLeavesNoHandleWhateverItsOutcome) {
    const int32_t before = LiveHandleCount();
    const struct { std::string path; bool ok; std::string text; } cases[] = {
        {dir.write("good.ini", kHarbour), true, ""},
        {dir.write("flat.ini", "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\n"), false, "Invalid ellipsoid flattening"},
        {dir.write("geoid.ini", kHarbour + "Geoid=absent.geo\r\nOrthoHCorr=3\r\n"), true, ""},  // a usable handle
        {dir.write("grid.ini", kHarbour + "DynDatum=absent.grd\r\n"), false, "Unknown"},
        {dir.file("absent.ini"), false, "No such file or directory"},
        {dir.path(), false, "Is a directory"},
        {"", true, ""}};
    for (const auto& k : cases) {
        std::string text = k.path;
        EXPECT_EQ(kit::Peer::TestBramixGeodesy(text), k.ok) << k.path;
        if (!k.ok) {
            EXPECT_EQ(text, k.text);
        }
        EXPECT_EQ(LiveHandleCount(), before) << k.path;
    }
}

// Each record reports it with the file, the line and the reason; it is opened again when back.
TEST_F(ProjectMode, VanishedDefinitionIsTriedAgainAtEveryPosition) {
    const std::string ini = dir.write("h.ini", kHarbour);
    kit::Wired<kit::Peer> w;
    ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), S_OK);
    fs::rename(ini, ini + ".away");
    const std::string csv = dir.write("s.csv", kit::Survey(3));
    EXPECT_EQ(kit::Convert(w.c, csv).records, 3);  // every record written, without a position
    EXPECT_EQ(kit::ReadEdt(TempDir::read(dir.file("s.EDT"))).records[2].substr(0, 3), ",,,");
    ASSERT_EQ(w.rec.errors.size(), 3u);
    EXPECT_TRUE(w.rec.errors[2].starts_with("Bad Bramix Geodesy. " + csv + " line 4: N 32")) << w.rec.errors[2];
    EXPECT_TRUE(w.rec.errors[2].ends_with(": " + ini + ": No such file or directory")) << w.rec.errors[2];
    EXPECT_EQ(Project(w.c).status, E_FAIL);
    EXPECT_EQ(w.c.LastError(), "Bad Bramix Geodesy.");
    EXPECT_EQ(w.c.Handle(), nullptr);
    fs::rename(ini + ".away", ini);
    EXPECT_NEAR(Project(w.c).easting, 481000, 3000);
    EXPECT_NE(w.c.Handle(), nullptr);
}

// Paths of more than 255 characters: zelto2edt.cases.
TEST_F(ProjectMode, PathWithANulIsRefused) {
    // Read up to the NUL, the path would name another file: the one before it.
    kit::Peer n;
    const std::string ini = dir.write("h.ini", kHarbour);
    EXPECT_EQ(n.put_BraMixStatePlaneIniFile(ini + std::string(1, '\0') + ".old"), E_FAIL);
    EXPECT_EQ(n.LastError(), "Trying to open file:" + ini + "\\0.old\nPath holds a NUL character.");
    EXPECT_EQ(Project(n).status, S_OK);  // still standard UTM
    EXPECT_EQ(n.Handle(), nullptr);
}

TEST_F(ProjectMode, DatumShiftThatCannotBeAppliedIsReported) {
    // Nodes that hold no number: the position would otherwise be projected unshifted.
    WriteConstantGrid("nan.grd", std::vector<float>(3, std::numeric_limits<float>::quiet_NaN()));
    kit::Wired<kit::Peer> w;
    ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(dir.write("nan.ini", kHarbour + "DynDatum=nan.grd\r\n")), S_OK);
    EXPECT_EQ(Project(w.c).status, E_FAIL);
    EXPECT_EQ(w.rec.errors, (std::vector<std::string>{"Failed WGS84Conv call."}));
    EXPECT_EQ(Project(w.c, 40.0).status, S_OK);  // off the grid the stored (no) shift applies
}

}  // namespace
