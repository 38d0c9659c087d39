// What the debug log says and what a definition that fails leaves behind: the
// last-instance line, no counted handle, a refused path instead of a cut one.
#include "LogLines.h"
#include "SuiteFolderTest.h"

#include <cstring>

namespace {

using DefinitionCases = SuiteFolderTest;

TEST_F(DefinitionCases, LastInstanceLineOnceAndEveryFailureReleasesThePartlyBuiltHandle) {
    LogLines log;
    const GeodesyParams p = Utm(31);
    GEODESY a = CreateGeodesy(&p), b = CreateGeodesy(&p);
    EXPECT_EQ(DestroyGeodesy(a), 1);
    EXPECT_TRUE(log.lines.empty());  // one of two: nothing
    EXPECT_EQ(DestroyGeodesy(b), 1);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("] VORTAN - last instance\n"), std::string::npos);
    // A handle built and then given up must not stay counted: the next one
    // to go is still the last instance.
    GridSpec beyondThePole;
    beyondThePole.south = 100.0f;
    Write("datum/bad.grd", GridBytes(beyondThePole));
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=bad.grd\n"), nullptr);
    log.lines.clear();
    GEODESY h = CreateFileGeodesy(Write("good.ini", kClarkeUtm11).c_str(), "Geodesy");
    ASSERT_NE(h, nullptr);
    DestroyGeodesy(h);
    EXPECT_TRUE(log.Has("VORTAN - last instance"));
}

// Failures of a definition leave a line in the library's debug log, so a
// project that will not open can be diagnosed without a debugger.
TEST_F(DefinitionCases, FailuresAreWrittenToTheDebugLog) {
    LogLines log;
    EXPECT_EQ(Open("[Geodesy]\nProjection=Gnomonic\nSemiMajorAxis=6378137\nFlattening=298.257223563\n"), nullptr);
    EXPECT_TRUE(log.Has("Error 5"));
    log.lines.clear();
    EXPECT_EQ(CreateFileGeodesy(("/tmp/" + std::string(260, 'a') + ".ini").c_str(), "Geodesy"), nullptr);
    EXPECT_TRUE(log.Has("refused"));
    log.lines.clear();
    ::setenv("QVO_BRAMIX", std::string(300, 'q').c_str(), 1);
    ResetInstallDirCache();
    EXPECT_NE(std::string(GetInstallDir()), std::string(300, 'q'));
    EXPECT_LE(std::strlen(GetInstallDir()), kMaxPathChars);
    EXPECT_TRUE(log.Has("QVO_BRAMIX"));
}

TEST_F(DefinitionCases, OverlongGridPathIsRefusedNotCut) {
    // A suite directory of 250 characters leaves no room for "/datum/nad.grd".
    LogLines log;
    const std::string longDir = "/" + std::string(249, 'd');
    ::setenv("QVO_BRAMIX", longDir.c_str(), 1);
    ResetInstallDirCache();
    ASSERT_EQ(std::string(GetInstallDir()), longDir);
    EXPECT_EQ(Open(std::string(kClarkeUtm11) + "DynDatum=nad.grd\n"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 1);
    EXPECT_TRUE(log.Has("DynDatum") && log.Has("refused"));
    GEODESY h = Open(std::string(kClarkeUtm11) + "Geoid=g.geo\nOrthoHCorr=2\n");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetGeodesyError(), 9);
    double corr = -1.0;
    char path[8];
    GetGeoid(h, path, sizeof path, &corr);
    EXPECT_EQ(corr, 0.0);
}

}  // namespace
