// The cases a project's geodesy definition and its datum must get right:
// every key in its file unit, the projection values, the failure codes of a
// definition, the grids of the datum folder (missing, unreadable, refused),
// and the datum conversions against PROJ (the reverse formula, another
// ellipsoid, a grid of latitude and longitude shifts, a point off the grid).
#include "CommaDecimalLocale.h"
#include "DefinitionFile.h"
#include "GridFileWriter.h"
#include "InstallDir.h"
#include "LogLines.h"
#include "ProjOracle.h"
#include "SuiteFolderTest.h"
#include "Profile.h"
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using DefinitionCases = SuiteFolderTest;

std::string Name(GEODESY h, int32_t which) {
    char buf[64] = "?";
    GetLocalName(h, which, "eng", buf, sizeof buf);
    return buf;
}

// ---- keys, defaults and their units -------------------------------------

TEST_F(DefinitionCases, EveryKeyInItsFileUnit) {
    GEODESY h = Open(
        "[Geodesy]\nProjection=TransMerc\nSemiMajorAxis=6378388\nFlattening=297\nScaleFactor=0.9996\n"
        "RefLatitude=10.5\nCentralMeridian=-3.25\nNorthParallel=44\nSouthParallel=-38.5\nSkewAzimuth=12.25\n"
        "Unit=0.3048\nFalseEasting=1000.5\nFalseNorthing=-2000\nVertUnit=0.3048006096\n"
        "AdjustType=1\nAdjustRotation=30\nAdjustScale=1.0001\nAdjustX=10\nAdjustY=-20\n"
        "AdjustOrigX=100\nAdjustOrigY=200\nOrthoHCorr=2.5\n");
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    GeodesyParams p{};
    char ell[24] = "", prj[4] = "";
    ASSERT_EQ(GetGeodesyParams(h, &p, ell, prj), 1);
    EXPECT_EQ(p.projection, 3);
    EXPECT_STREQ(prj, "TME");
    EXPECT_STREQ(ell, "International");
    EXPECT_EQ(double(p.a), 6378388.0);
    EXPECT_NEAR(double(p.invFlattening), 297.0, 1e-9);
    EXPECT_EQ(double(p.scaleFactor), 0.9996);
    EXPECT_DOUBLE_EQ(double(p.refLatitude), 10.5 * kDeg);
    EXPECT_DOUBLE_EQ(double(p.centralMeridian), -3.25 * kDeg);
    EXPECT_DOUBLE_EQ(double(p.northParallel), 44 * kDeg);
    EXPECT_DOUBLE_EQ(double(p.southParallel), -38.5 * kDeg);
    EXPECT_DOUBLE_EQ(double(p.skewAzimuth), 12.25 * kDeg);
    EXPECT_EQ(double(p.unit), 0.3048);
    EXPECT_EQ(double(p.falseEasting), 1000.5);
    EXPECT_EQ(double(p.falseNorthing), -2000.0);

    // Grid unit international foot, heights in US survey feet.
    double v = 1.0;
    ASSERT_EQ(HConvert(h, &v, 1), 1);
    EXPECT_EQ(v, 0.3048);
    v = 1.0;
    ASSERT_EQ(VConvert(h, &v, 1), 1);
    EXPECT_EQ(v, 0.3048006096);
    EXPECT_FALSE(Name(h, 4).empty());
    EXPECT_NE(Name(h, 4), Name(h, 1));

    AdjustParams a{};
    ASSERT_EQ(GetAdjustment(h, &a), 1);
    EXPECT_EQ(uint32_t(a.typeWord), 1u);
    EXPECT_DOUBLE_EQ(double(a.rotation), 30 * kDeg);
    EXPECT_EQ(double(a.scale), 1.0001);
    EXPECT_EQ(double(a.shiftX), 10.0);
    EXPECT_EQ(double(a.shiftY), -20.0);
    EXPECT_EQ(double(a.originX), 100.0);
    EXPECT_EQ(double(a.originY), 200.0);

    // No geoid: the orthometric correction alone is the undulation.
    char geoid[16] = "x";
    double corr = 0.0;
    ASSERT_EQ(GetGeoid(h, geoid, sizeof geoid, &corr), 1);
    EXPECT_STREQ(geoid, "");
    EXPECT_EQ(corr, 2.5);
    double n = 0.0;
    ASSERT_EQ(Undulation(h, 0.5, 0.1, &n), 1);
    EXPECT_EQ(n, 2.5);
}

TEST_F(DefinitionCases, VerticalUnitDefaultsToTheGridUnit) {
    for (const char* vert : {"", "VertUnit=0\n"}) {  // VertUnit=0 is the same as none
        GEODESY h = Open(std::string("[Geodesy]\nProjection=UTM\nSemiMajorAxis=6378137\nFlattening=298.257223563\n"
                                     "Unit=0.3048\n") + vert);
        ASSERT_NE(h, nullptr) << vert;
        double v = 10.0;
        ASSERT_EQ(VConvert(h, &v, 1), 1);
        EXPECT_EQ(v, 3.048) << vert;
        EXPECT_EQ(Name(h, 4), Name(h, 1)) << vert;
    }
}

TEST_F(DefinitionCases, EmptyValuesTakeTheirDefaults) {
    GEODESY h = Open("[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\n"
                     "Unit=\nScaleFactor=\nVertUnit=\nAdjustScale=\nDeltaX=\nReverseX=\nDynDatum=\nGeoid=\n");
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    EXPECT_EQ(GetGeodesyError(), 0);
    const GeodesyParams p = ParamsOf(h);
    EXPECT_EQ(double(p.unit), 1.0);
    EXPECT_EQ(double(p.scaleFactor), 1.0);
    const AdjustParams a = AdjustmentOf(h);
    EXPECT_EQ(double(a.scale), 1.0);
    EXPECT_EQ(uint32_t(a.typeWord), 0u);
    const EllDiffParams d = EllDiffOf(h);
    EXPECT_EQ(double(d.scale), 1.0);
    EXPECT_EQ(double(d.dx), 0.0);
    EXPECT_EQ(EllModel(h), "");
}

TEST_F(DefinitionCases, NumbersAreReadAsAtofReadsThemWhateverTheLocale) {
    GEODESY h = nullptr;
    {
        const CommaDecimalLocale german;
        ASSERT_TRUE(german.Active());
        h = Open("[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4 m\nFlattening=294.9786982\nScaleFactor= 0.9996 \n"
                 "CentralMeridian=-117.5deg\nFalseEasting=500000.25\nFalseNorthing=abc\nAdjustType=1.9\n");
    }
    ASSERT_NE(h, nullptr);
    const GeodesyParams p = ParamsOf(h);
    EXPECT_EQ(double(p.a), 6378206.4);
    EXPECT_EQ(double(p.scaleFactor), 0.9996);
    EXPECT_DOUBLE_EQ(double(p.centralMeridian), -117.5 * kDeg);
    EXPECT_EQ(double(p.falseEasting), 500000.25);
    EXPECT_EQ(double(p.falseNorthing), 0.0);
    const AdjustParams a = AdjustmentOf(h);
    EXPECT_EQ(uint32_t(a.typeWord), 1u);  // atoi: the leading integer
}

TEST(DefinitionNames, EveryProjectionValueOfTheTable) {
    const struct {
        const char* name;
        int32_t type;
    } table[] = {{"Lambert", 1}, {"LCC", 1}, {"LC1", 1},  {"Mercator", 2}, {"MER", 2},  {"TransMerc", 3},
                 {"TME", 3},     {"UTM", 3}, {"OST", 4},  {"OCY", 5},      {"HOM", 6},  {"RSO", 7},
                 {"AZD", 8},     {"SMERC", 9}, {"CME", 9}, {"ALA", 10},     {"CAS", 11}, {"PST", 12}};
    for (const auto& e : table) {
        std::string lower = e.name, upper = e.name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(ProjectionTypeFromName(e.name), e.type) << e.name;
        EXPECT_EQ(ProjectionTypeFromName(lower.c_str()), e.type) << lower;
        EXPECT_EQ(ProjectionTypeFromName(upper.c_str()), e.type) << upper;
    }
    EXPECT_EQ(ProjectionTypeFromName("UTM "), 0);  // the reader trims; the table does not
    EXPECT_EQ(ProjectionTypeFromName("TM"), 0);
    EXPECT_EQ(ProjectionTypeFromName(nullptr), 0);
}

TEST_F(DefinitionCases, ProjectionValueIsTrimmedAndUnquoted) {
    for (const char* value : {"  utm  ", "\"UTM\"", "'tme'", "TransMerc\r"}) {
        GEODESY h = Open(std::string("[Geodesy]\nProjection=") + value +
                         "\nSemiMajorAxis=6378137\nFlattening=298.257223563\n");
        ASSERT_NE(h, nullptr) << value;
        const GeodesyParams p = ParamsOf(h);
        EXPECT_EQ(p.projection, 3) << value;
    }
}

// The library's 29 named ellipsoids, as a definition file writes them: each
// one found by its own axis and inverse flattening.
TEST_F(DefinitionCases, EveryEllipsoidOfTheTableIsNamed) {
    const char* const table[][3] = {
        {"Airy", "6377563.396", "299.3249646"},
        {"ATS-77", "6378135.0", "298.257"},
        {"Airy Modified", "6377340.189", "299.3249646"},
        {"Bessel 1841", "6377397.155", "299.1528128"},
        {"Clarke 1866", "6378206.4", "294.9786982"},
        {"Clarke 1880", "6378249.145", "293.465"},
        {"Clarke-1880 (Arc)", "6378249.145", "293.4663077"},
        {"Clarke 1880 (IGN)", "6378249.2", "293.466021294"},
        {"Everest", "6377276.345", "300.8017"},
        {"Everest (Malay. & Sing)", "6377304.063", "300.8017"},
        {"Everest (India 1956)", "6377301.243", "300.8017"},
        {"Everest (Sabah Sarawak)", "6377298.556", "300.8017"},
        {"Everest (Malaysia 1969)", "6377295.664", "300.8017"},
        {"Everest (Pakistan)", "6377309.613", "300.8017"},
        {"Fischer 1960 (Mercury)", "6378166.0", "298.3"},
        {"Fischer 1960 Modified", "6378155.0", "298.3"},
        {"Fischer 1968", "6378150.0", "298.3"},
        {"GRS-1967", "6378160.0", "298.247167427"},
        {"GRS-1980", "6378137.0", "298.257222101"},
        {"Helmert 1906", "6378200.0", "298.3"},
        {"Hough", "6378270.0", "297.0"},
        {"Indonesian 1974", "6378160.0", "298.247"},
        {"International", "6378388.0", "297.0"},
        {"Krassovsky", "6378245.0", "298.3"},
        {"SA-1969 & Australian", "6378160.0", "298.25"},
        {"WGS-60", "6378165.0", "298.3"},
        {"WGS-66", "6378145.0", "298.25"},
        {"WGS-72", "6378135.0", "298.26"},
        {"WGS-84", "6378137.0", "298.257223563"},
    };
    GeodesyParams scratch{};
    for (const auto& row : table) {
        GEODESY h = Open(std::string("[Geodesy]\nProjection=TME\nSemiMajorAxis=") + row[1] + "\nFlattening=" + row[2] + "\n");
        ASSERT_NE(h, nullptr) << row[0];
        char ell[24] = "?";
        ASSERT_EQ(GetGeodesyParams(h, &scratch, ell, nullptr), 1);
        EXPECT_STREQ(ell, row[0]);
    }
    // A millimetre off the axis is another ellipsoid; 0.05 mm is the same.
    GEODESY h = Open("[Geodesy]\nProjection=TME\nSemiMajorAxis=6378388.00005\nFlattening=297\n");
    char ell[24] = "?";
    GetGeodesyParams(h, &scratch, ell, nullptr);
    EXPECT_STREQ(ell, "International");
    h = Open("[Geodesy]\nProjection=TME\nSemiMajorAxis=6378388.001\nFlattening=297\n");
    GetGeodesyParams(h, &scratch, ell, nullptr);
    EXPECT_STREQ(ell, "");
}

// ---- failures of a definition --------------------------------------------

// atof reads "nan" and "inf": a definition holding them, or an inverse
// flattening that is no ellipsoid's, must not give grids of NaN reported as
// success.
TEST_F(DefinitionCases, NumbersNoEllipsoidOrGridCanHaveAreRefused) {
    const std::string base = "[Geodesy]\nProjection=TME\nCentralMeridian=-117\n";
    const struct {
        const char* keys;
        int32_t code;
    } cases[] = {{"SemiMajorAxis=6378137\nFlattening=nan\n", 3},
                 {"SemiMajorAxis=6378137\nFlattening=-298.257\n", 3},
                 {"SemiMajorAxis=6378137\nFlattening=1\n", 3},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nUnit=nan\n", 4},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nUnit=-0.3048\n", 4},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nVertUnit=inf\n", 4},
                 {"SemiMajorAxis=inf\nFlattening=298.257223563\n", 7},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nScaleFactor=NaN\n", 7},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nRefLatitude=inf\n", 7},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nFalseEasting=1e999\n", 7},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nAdjustType=1\nAdjustX=nan\n", 7},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nAdjustRotation=inf\n", 7},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nOrthoHCorr=nan\n", 7},
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nDeltaX=nan\n", 7},
                 // -1000000 ppm is a scale of 0: the reverse would divide by it.
                 {"SemiMajorAxis=6378137\nFlattening=298.257223563\nDeltaX=1\nDeltaScale=-1000000\n", 7}};
    for (const auto& c : cases) {
        EXPECT_EQ(Open(base + c.keys), nullptr) << c.keys;
        EXPECT_EQ(GetGeodesyError(), c.code) << c.keys;
    }
    // An infinite inverse flattening is a sphere: a usable grid.
    GEODESY h = Open(base + "SemiMajorAxis=6371000\nFlattening=inf\n");
    ASSERT_NE(h, nullptr);
    double x = 0, y = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, 32.7 * kDeg, -117.2 * kDeg), 1);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
}

TEST_F(DefinitionCases, EveryFailureReleasesThePartlyBuiltHandle) {
    // A handle built and then given up must not stay counted: the next one
    // to go is still the last instance.
    LogLines log;
    WriteGridFile(DatumFolder("bad.grd"), 24, 7, 3, -120.0f, 0.25f, 100.0f, 1.0f, [](int, int, int) { return 1.0f; });
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=bad.grd\n"), nullptr);
    log.lines.clear();
    GEODESY h = CreateFileGeodesy(Write("good.ini", kClarkeUtm11).c_str(), "Geodesy");
    ASSERT_NE(h, nullptr);
    DestroyGeodesy(h);
    EXPECT_TRUE(log.Has("VORTAN - last instance"));
}

// ---- grids of the datum folder -------------------------------------------

TEST_F(DefinitionCases, DynDatumThatCannotBeReadOrAcceptedGivesTheGridCode) {
    // Origin latitude beyond the pole: not accepted (2).
    WriteGridFile(DatumFolder("origin.grd"), 24, 7, 3, -120.0f, 0.25f, 95.0f, 1.0f,
                  [](int, int, int) { return 1.0f; });
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=origin.grd\n"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 2);
    // Header promising more rows than the file holds: cannot be read (3).
    WriteConstantGrid("short.grd", {1.0f, 2.0f, 3.0f});
    std::filesystem::resize_file(DatumFolder("short.grd"), 300);
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=short.grd\n"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 3);
    // A geoid model (one value per node) is no datum grid (3).
    WriteConstantGrid("geoid.geo", {-30.0f});
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=geoid.geo\n"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 3);
    // Not there at all (1), also when only the folder part names an existing one.
    WriteConstantGrid("there.grd", {1.0f, 2.0f, 3.0f});
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=there.grd\\missing.grd\n"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 1);
}

TEST_F(DefinitionCases, OverlongGridPathIsRefusedNotCut) {
    // A suite directory of 250 characters leaves no room for "/datum/nad.grd".
    const std::string longDir = "/" + std::string(249, 'd');
    ::setenv("QVO_BRAMIX", longDir.c_str(), 1);
    ResetInstallDirCache();
    ASSERT_EQ(std::string(GetInstallDir()), longDir);
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=nad.grd\n"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 1);
    GEODESY h = Open(std::string(kClarkeUtm11) + "Geoid=g.geo\nOrthoHCorr=2\n");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetGeodesyError(), 9);
    double corr = -1.0;
    char path[8];
    GetGeoid(h, path, sizeof path, &corr);
    EXPECT_EQ(corr, 0.0);
}

// Failures of a definition leave a line in the library's debug log, so a
// project that will not open can be diagnosed without a debugger.
TEST_F(DefinitionCases, FailuresAreWrittenToTheDebugLog) {
    {
        LogLines log;
        EXPECT_EQ(Open("[Geodesy]\nProjection=Gnomonic\nSemiMajorAxis=6378137\nFlattening=298.257223563\n"),
                  nullptr);
        EXPECT_TRUE(log.Has("Error 5")) << (log.lines.empty() ? "" : log.lines[0]);
    }
    {
        LogLines log;
        const std::string longPath = "/tmp/" + std::string(260, 'a') + ".ini";
        EXPECT_EQ(CreateFileGeodesy(longPath.c_str(), "Geodesy"), nullptr);
        EXPECT_TRUE(log.Has("refused"));
    }
    {
        LogLines log;
        ::setenv("QVO_BRAMIX", std::string(300, 'q').c_str(), 1);
        ResetInstallDirCache();
        EXPECT_NE(std::string(GetInstallDir()), std::string(300, 'q'));
        EXPECT_LE(std::strlen(GetInstallDir()), kMaxPathChars);
        EXPECT_TRUE(log.Has("QVO_BRAMIX"));
    }
    {
        LogLines log;
        ::setenv("QVO_BRAMIX", ("/" + std::string(249, 'd')).c_str(), 1);
        ResetInstallDirCache();
        EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=nad.grd\n"), nullptr);
        EXPECT_TRUE(log.Has("DynDatum")) << (log.lines.empty() ? "" : log.lines[0]);
        EXPECT_TRUE(log.Has("refused"));
    }
}

// ---- datum conversions ----------------------------------------------------

TEST_F(DefinitionCases, NullHeightIsAcceptedByAllFourTransformations) {
    GEODESY h = Open(std::string(kClarkeUtm11) + "DeltaX=8\nDeltaY=-160\nDeltaZ=-176\n");
    ASSERT_NE(h, nullptr);
    double lat = 32.7 * kDeg, lon = -117.2 * kDeg;
    EXPECT_EQ(WGS84Conv(h, &lat, &lon, nullptr), 1);
    EXPECT_EQ(InvWGS84Conv(h, &lat, &lon, nullptr), 1);
    EXPECT_NEAR(lat, 32.7 * kDeg, 1e-9);
    EXPECT_EQ(EllConv(h, &lat, &lon, nullptr, 6378388.0, 1.0 / 297.0), 1);
    EXPECT_EQ(InvEllConv(h, &lat, &lon, nullptr, 6378388.0, 1.0 / 297.0), 1);
    EXPECT_NEAR(lat, 32.7 * kDeg, 1e-9);
    EXPECT_NEAR(lon, -117.2 * kDeg, 1e-9);
    // A null height is a height of 0: the same latitude as with a height of 0.
    double la1 = 32.7 * kDeg, lo1 = -117.2 * kDeg, la2 = la1, lo2 = lo1, h2 = 0.0;
    WGS84Conv(h, &la1, &lo1, nullptr);
    WGS84Conv(h, &la2, &lo2, &h2);
    EXPECT_EQ(la1, la2);
    EXPECT_EQ(lo1, lo2);
}

// InvWGS84Conv is cart on the project ellipsoid, the reverse formula and the
// inverse cart on WGS-84. PROJ gives both carts; the formula is applied here.
// PROJ's exact inverse Helmert differs from it by second-order terms only.
TEST_F(DefinitionCases, InvWgs84ConvIsTheReverseFormulaAndNearTheExactInverse) {
    GEODESY h = Open(
        "[Geodesy]\nProjection=TME\nSemiMajorAxis=6377397.155\nFlattening=299.1528128\nScaleFactor=0.9996\n"
        "DeltaX=-598.1\nDeltaY=-73.7\nDeltaZ=-418.2\nDeltaScale=6.7\nDeltaRX=0.202\nDeltaRY=0.045\nDeltaRZ=-2.455\n");
    ASSERT_NE(h, nullptr);
    const double dx = -598.1, dy = -73.7, dz = -418.2, s = 1 + 6.7e-6;
    const double rx = 0.202 * kSec, ry = 0.045 * kSec, rz = -2.455 * kSec;
    ProjOracle projectCart("+proj=cart +a=6377397.155 +rf=299.1528128");
    ProjOracle wgsCart("+proj=cart +ellps=WGS84");
    ProjOracle exact(
        "+proj=pipeline +step +inv +proj=helmert +x=-598.1 +y=-73.7 +z=-418.2 +rx=0.202 +ry=0.045 +rz=-2.455 "
        "+s=6.7 +convention=coordinate_frame");
    double worstFormula = 0, worstExact = 0;
    for (double latDeg = -80; latDeg <= 80; latDeg += 20)
        for (double lonDeg = -170; lonDeg <= 180; lonDeg += 35) {
            double lat = latDeg * kDeg, lon = lonDeg * kDeg, height = 50.0;
            ASSERT_EQ(InvWGS84Conv(h, &lat, &lon, &height), 1);
            const PJ_COORD p = projectCart.Trans(PJ_FWD, lonDeg * kDeg, latDeg * kDeg, 50.0);
            const double X = p.xyz.x, Y = p.xyz.y, Z = p.xyz.z;
            const double x = (X - rz * Y + ry * Z) / s - dx;
            const double y = (rz * X + Y - rx * Z) / s - dy;
            const double z = (-ry * X + rx * Y + Z) / s - dz;
            const PJ_COORD w = wgsCart.Trans(PJ_INV, x, y, z);
            const double dN = std::fabs(lat - w.lpz.phi), dE = std::fabs(lon - w.lpz.lam) * std::cos(lat);
            worstFormula = std::max({worstFormula, dN, dE});
            EXPECT_LT(dN, kMmAngle) << latDeg << " " << lonDeg;
            EXPECT_LT(dE, kMmAngle) << latDeg << " " << lonDeg;
            EXPECT_NEAR(height, w.lpz.z, 1e-3);
            // Against the exact inverse: within a few centimetres.
            const PJ_COORD e = exact.Trans(PJ_FWD, X, Y, Z);
            const PJ_COORD ours = wgsCart.Trans(PJ_FWD, lon, lat, height);
            worstExact = std::max({worstExact, std::fabs(e.xyz.x - ours.xyz.x), std::fabs(e.xyz.y - ours.xyz.y),
                                   std::fabs(e.xyz.z - ours.xyz.z)});
        }
    EXPECT_LT(worstExact, 0.05);
    RecordProperty("worst_reverse_formula_rad", std::to_string(worstFormula));
    RecordProperty("worst_against_exact_inverse_m", std::to_string(worstExact));
}

// EllConv: cart on the caller's ellipsoid, the stored forward Helmert, the
// inverse cart on the project ellipsoid; a PROJ pipeline of the same steps.
TEST_F(DefinitionCases, EllConvMatchesProjPipeline) {
    GEODESY h = Open(
        "[Geodesy]\nProjection=TME\nSemiMajorAxis=6377563.396\nFlattening=299.3249646\nScaleFactor=0.9996012717\n"
        "DeltaX=-446.448\nDeltaY=125.157\nDeltaZ=-542.06\nDeltaScale=20.4894\nDeltaRX=-0.1502\nDeltaRY=-0.247\n"
        "DeltaRZ=-0.8421\n");
    ASSERT_NE(h, nullptr);
    ProjOracle proj(
        "+proj=pipeline +step +proj=cart +ellps=intl +step +proj=helmert +x=-446.448 +y=125.157 +z=-542.06 "
        "+rx=-0.1502 +ry=-0.247 +rz=-0.8421 +s=20.4894 +convention=coordinate_frame "
        "+step +inv +proj=cart +a=6377563.396 +rf=299.3249646");
    for (double latDeg = -75; latDeg <= 75; latDeg += 25)
        for (double lonDeg = -160; lonDeg <= 180; lonDeg += 40) {
            double lat = latDeg * kDeg, lon = lonDeg * kDeg, height = 300.0;
            ASSERT_EQ(EllConv(h, &lat, &lon, &height, 6378388.0, 1.0 / 297.0), 1);
            const PJ_COORD r = proj.Trans(PJ_FWD, lonDeg * kDeg, latDeg * kDeg, 300.0);
            EXPECT_LT(std::fabs(lat - r.lpz.phi), kMmAngle) << latDeg << " " << lonDeg;
            EXPECT_LT(std::fabs(lon - r.lpz.lam) * std::cos(lat), kMmAngle) << latDeg << " " << lonDeg;
            EXPECT_NEAR(height, r.lpz.z, 1e-3);
            // And back by the reverse formula: second-order terms only.
            ASSERT_EQ(InvEllConv(h, &lat, &lon, &height, 6378388.0, 1.0 / 297.0), 1);
            EXPECT_NEAR(lat, latDeg * kDeg, 0.05 / 6.4e6);
            EXPECT_NEAR(height, 300.0, 0.05);
        }
}

TEST_F(DefinitionCases, EllConvChangesNothingWithAGridOrWithoutDatum) {
    WriteConstantGrid("nad.grd", {8.0f, -160.0f, -176.0f});
    for (const char* extra : {"DynDatum=nad.grd\n", "", "DeltaScale=3\n"}) {
        GEODESY h = Open(std::string(kClarkeUtm11) + extra);
        ASSERT_NE(h, nullptr) << extra;
        double lat = 32.7 * kDeg, lon = -117.2 * kDeg, height = 4.0;
        EXPECT_EQ(EllConv(h, &lat, &lon, &height, 6378388.0, 1.0 / 297.0), 1);
        EXPECT_EQ(InvEllConv(h, &lat, &lon, &height, 6378388.0, 1.0 / 297.0), 1);
        EXPECT_EQ(lat, 32.7 * kDeg) << extra;
        EXPECT_EQ(lon, -117.2 * kDeg) << extra;
        EXPECT_EQ(height, 4.0) << extra;
    }
}

// A grid of latitude and longitude shifts (project datum + shift = WGS-84):
// back to WGS-84 a project point moves by exactly the shift. Forward, the
// shift is taken as a translation at the WGS-84 point, which differs from the
// exact opposite by the change of curvature between the two ellipsoids over
// the shift: about 2 mm here.
TEST_F(DefinitionCases, TwoValueGridShiftsLatitudeAndLongitude) {
    WriteConstantGrid("ll.grd", {1.5f, -2.0f});
    GEODESY h = Open(std::string(kClarkeUtm11) + "DynDatum=ll.grd\nDeltaX=500\n");
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    const EllDiffParams d = EllDiffOf(h);
    EXPECT_EQ(double(d.scale), -1.0);
    const double lat0 = 32.5 * kDeg, lon0 = -117.25 * kDeg;
    double lat = lat0, lon = lon0, height = 25.0;
    ASSERT_EQ(InvWGS84Conv(h, &lat, &lon, &height), 1);
    EXPECT_NEAR(lat, lat0 + 1.5 * kSec, 1e-11);
    EXPECT_NEAR(lon, lon0 - 2.0 * kSec, 1e-11);
    EXPECT_NEAR(height, 25.0, 1e-6);
    ASSERT_EQ(WGS84Conv(h, &lat, &lon, &height), 1);
    EXPECT_NEAR(lat, lat0, 5e-10);
    EXPECT_NEAR(lon, lon0, 5e-10);
    EXPECT_NEAR(height, 25.0, 1e-3);
}

// Off the grid the stored values serve, which loading the grid reset to
// none: only the change of ellipsoid remains, as PROJ's pair of carts gives.
TEST_F(DefinitionCases, PointOffTheGridFallsBackSilently) {
    WriteConstantGrid("nad.grd", {8.0f, -160.0f, -176.0f});
    GEODESY h = Open(std::string(kClarkeUtm11) + "DynDatum=nad.grd\n");
    ASSERT_NE(h, nullptr);
    ProjOracle proj("+proj=pipeline +step +proj=cart +ellps=WGS84 +step +inv +proj=cart +a=6378206.4 +rf=294.9786982");
    for (double latDeg : {10.0, 29.9, 36.1, 60.0}) {
        double lat = latDeg * kDeg, lon = -117.2 * kDeg, height = 0.0;
        ASSERT_EQ(WGS84Conv(h, &lat, &lon, &height), 1);
        EXPECT_EQ(GetGeodesyError(), 0);
        const PJ_COORD r = proj.Trans(PJ_FWD, -117.2 * kDeg, latDeg * kDeg, 0.0);
        EXPECT_LT(std::fabs(lat - r.lpz.phi), kMmAngle) << latDeg;
        EXPECT_LT(std::fabs(lon - r.lpz.lam), kMmAngle) << latDeg;
        EXPECT_NEAR(height, r.lpz.z, 1e-3) << latDeg;
    }
    // Inside, the grid's translation applies.
    ProjOracle shifted(
        "+proj=pipeline +step +proj=cart +ellps=WGS84 +step +proj=helmert +x=8 +y=-160 +z=-176 "
        "+convention=coordinate_frame +step +inv +proj=cart +a=6378206.4 +rf=294.9786982");
    double lat = 32.6 * kDeg, lon = -117.2 * kDeg, height = 0.0;
    ASSERT_EQ(WGS84Conv(h, &lat, &lon, &height), 1);
    const PJ_COORD r = shifted.Trans(PJ_FWD, -117.2 * kDeg, 32.6 * kDeg, 0.0);
    EXPECT_LT(std::fabs(lat - r.lpz.phi), kMmAngle);
    EXPECT_LT(std::fabs(lon - r.lpz.lam), kMmAngle);
}

TEST_F(DefinitionCases, FailedSetEllModelLeavesNoDatum) {
    GEODESY h = Open(std::string(kClarkeUtm11) + "DeltaX=8\nDeltaY=-160\nDeltaZ=-176\n");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(SetEllModel(h, DatumFolder("absent.grd").c_str()), 0);
    EXPECT_EQ(GetGeodesyError(), 1);
    WriteConstantGrid("one.geo", {1.0f});  // a geoid (one value a node) is no datum grid
    EXPECT_EQ(SetEllModel(h, DatumFolder("one.geo").c_str()), 0);
    EXPECT_EQ(GetGeodesyError(), 3);
    EllDiffParams d{};
    ASSERT_EQ(GetEllDiff(h, &d), 1);
    EXPECT_EQ(double(d.dx), 0.0);
    EXPECT_EQ(double(d.dz), 0.0);
    EXPECT_EQ(double(d.scale), 1.0);
    EXPECT_EQ(EllModel(h), "");
    double lat = 32.7 * kDeg, lon = -117.2 * kDeg;
    ASSERT_EQ(WGS84Conv(h, &lat, &lon, nullptr), 1);
    EXPECT_EQ(lat, 32.7 * kDeg);
    // A valid grid then marks itself with the scale -1.0, and SetEllDiff
    // removes it again.
    WriteConstantGrid("nad.grd", {8.0f, -160.0f, -176.0f});
    ASSERT_EQ(SetEllModel(h, DatumFolder("nad.grd").c_str()), 1);
    GetEllDiff(h, &d);
    EXPECT_EQ(double(d.scale), -1.0);
    const EllDiffParams t{1, 2, 3, 1.0, 0, 0, 0};
    ASSERT_EQ(SetEllDiff(h, &t), 1);
    EXPECT_EQ(EllModel(h), "");
    GetEllDiff(h, &d);
    EXPECT_EQ(double(d.dz), 3.0);
}

// ---- the definition reader -----------------------------------------------

TEST(DefinitionReader, ValuesBeforeAnySectionAndLinesWithoutEqualsAreIgnored) {
    TempDir dir;
    const Profile ini(dir.write("g.ini",
                                "Projection=LCC\nnonsense line\n[Geodesy]\nProjection=UTM\njunk\n"
                                "Projection=LCC\n[Next]\nProjection=PST\n"));
    const Definition d = ReadDefinition(ini, "Geodesy");
    EXPECT_EQ(d.params.projection, 3);  // the first key of the section wins
    EXPECT_EQ(ReadDefinition(ini, "next").params.projection, 12);
}

// ---- the definition file's reader and writer -----------------------------

TEST(ProfileCases, ByteOrderMarkOfAUtf8EditorIsSkipped) {
    TempDir dir;
    const Profile ini(dir.write("bom.ini", "\xEF\xBB\xBF[Geodesy]\r\nProjection=TME\r\n"));
    EXPECT_EQ(ini.Value("Geodesy", "Projection").value_or(""), "TME");
    EXPECT_EQ(ReadDefinition(ini, "Geodesy").params.projection, 3);
}

TEST(ProfileCases, TextThatWouldNotReadBackIsRefusedAndTheFileKept) {
    TempDir dir;
    const std::string before = "[Geodesy]\r\nProjection=TME\r\n";
    const std::string path = dir.write("g.ini", before);
    Profile ini(path);
    // A value with a line end would add a key of its own.
    EXPECT_FALSE(ini.WriteString("Geoid", "g.geo\r\nDeltaX=999", "Geodesy"));
    EXPECT_FALSE(ini.WriteString("Geoid", "g.geo\nDeltaX=999", "Geodesy"));
    EXPECT_FALSE(ini.WriteString("Delta\nX", "1", "Geodesy"));
    EXPECT_FALSE(ini.WriteString("Delta=X", "1", "Geodesy"));
    EXPECT_FALSE(ini.WriteString("[Other]", "1", "Geodesy"));
    EXPECT_FALSE(ini.WriteString(";x", "1", "Geodesy"));
    EXPECT_FALSE(ini.WriteString("  ", "1", "Geodesy"));
    EXPECT_FALSE(ini.WriteString("k", "1", "Geo]desy"));
    EXPECT_FALSE(ini.WriteString("k", "1", ""));
    EXPECT_FALSE(ini.WriteString("k", "1", "Geo\ndesy"));
    EXPECT_FALSE(ini.CopySection(ini, "Geodesy", "Bad]Name"));
    EXPECT_EQ(TempDir::read(path), before);
    EXPECT_FALSE(ini.Value("Geodesy", "DeltaX").has_value());
    // Blanks, quotes and '=' inside a value are fine.
    ASSERT_TRUE(ini.WriteString("Note", "a = b", "Geodesy"));
    EXPECT_EQ(ini.Value("Geodesy", "Note").value_or(""), "a = b");
}

TEST(ProfileCases, RemovingAKeyOrSectionRemovesEveryCopy) {
    // The first copy wins while it stands; removing only it would bring the
    // ignored second one into force.
    TempDir dir;
    Profile ini(dir.write("g.ini", "[Geodesy]\nDeltaX=8\nUnit=1\nDeltaX=999\n[Geodesy]\nProjection=LCC\n[Keep]\nk=1\n"));
    EXPECT_EQ(ini.Value("Geodesy", "DeltaX").value_or(""), "8");
    ASSERT_TRUE(ini.WriteString("deltax", nullptr, "Geodesy"));
    EXPECT_FALSE(ini.Value("Geodesy", "DeltaX").has_value());
    EXPECT_EQ(ini.Value("Geodesy", "Unit").value_or(""), "1");
    ASSERT_TRUE(ini.WriteString(nullptr, nullptr, "GEODESY"));
    EXPECT_FALSE(ini.SectionExists("Geodesy"));
    EXPECT_FALSE(ini.Value("Geodesy", "Projection").has_value());
    EXPECT_EQ(ini.Value("Keep", "k").value_or(""), "1");
    EXPECT_EQ(TempDir::read(ini.Path()), "[Keep]\nk=1\n");
}

TEST(ProfileCases, WhatIsNoRegularReadableFileIsNeverReplaced) {
    TempDir dir;
    // A FIFO would block the reader, a device never end: read as absent.
    const std::string fifo = dir.file("pipe.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(CreateFileGeodesy(fifo.c_str(), "Geodesy"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 5);
    EXPECT_EQ(CreateFileGeodesy("/dev/zero", "Geodesy"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 5);
    Profile pipe(fifo);
    EXPECT_FALSE(pipe.WriteString("Unit", "1", "Geodesy"));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    // A file far larger than any definition is not read, and a write would
    // lose it: refused, the file kept as it is.
    const std::string big = dir.write("big.ini", kClarkeUtm11);
    std::filesystem::resize_file(big, 65u << 20);
    Profile huge(big);
    EXPECT_FALSE(huge.HasKey("Projection", "Geodesy"));
    EXPECT_FALSE(huge.WriteString("Unit", "1", "Geodesy"));
    Profile target(dir.write("t.ini", "[Geodesy]\nProjection=TME\n"));
    EXPECT_FALSE(target.CopySection(huge, "Geodesy", nullptr));
    EXPECT_EQ(std::filesystem::file_size(big), std::uintmax_t{65u << 20});
    EXPECT_EQ(TempDir::read(target.Path()), "[Geodesy]\nProjection=TME\n");
    // A file not there yet is created by a write.
    Profile fresh(dir.file("new.ini"));
    EXPECT_TRUE(fresh.WriteString("Unit", "1", "Geodesy"));
    EXPECT_EQ(TempDir::read(fresh.Path()), "[Geodesy]\r\nUnit=1\r\n");
}

TEST(ProfileCases, WriteKeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    const std::string real = dir.write("real.ini", "[Geodesy]\nProjection=TME\n");
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    const std::string link = dir.file("link.ini");
    std::filesystem::create_symlink(real, link);
    Profile ini(link);
    ASSERT_TRUE(ini.WriteString("Unit", "1", "Geodesy"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::read(real), "[Geodesy]\nProjection=TME\nUnit=1\n");
    EXPECT_EQ(std::filesystem::status(real).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) files += !e.is_symlink() && e.is_regular_file();
    EXPECT_EQ(files, 1);  // no temporary file left beside it
}

TEST(ProfileCases, NumbersAsAtofReadsThemWhateverTheLocale) {
    const CommaDecimalLocale german;
    ASSERT_TRUE(german.Active());
    const struct {
        const char* text;
        double value;
    } reals[] = {{"12.5m", 12.5}, {"abc", 0.0},  {" -3e2", -300.0}, {"+0.25", 0.25}, {"1e", 1.0},
                 {"", 0.0},       {"--1", 0.0},  {"1,5", 1.0},  // a decimal comma is not a number part
                 {"1E-400", 0.0},  // underflow, whatever the letter case
                 {"1e-400", 0.0}, {"1E400", HUGE_VAL}, {"-1e+400", -HUGE_VAL}, {"0x1A", 26.0}, {"-0X10", -16.0},
                 {"0x1.8p1", 3.0}, {"0x", 0.0},  // "0" and a letter
                 {"0xg", 0.0},    {"  .5", 0.5}, {"5.", 5.0}};
    for (const auto& r : reals) EXPECT_EQ(ProfileAtof(r.text), r.value) << r.text;
    const struct {
        const char* text;
        int value;
    } integers[] = {{"7.9", 7}, {"-42x", -42}, {"0x1A", 0},  // atoi reads decimal digits only
                    {" +12abc", 12}, {"99999999999", 2147483647}};
    for (const auto& i : integers) EXPECT_EQ(ProfileAtoi(i.text), i.value) << i.text;
}

}  // namespace
