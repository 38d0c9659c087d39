// What a definition that fails leaves behind: no counted handle, a refused
// path instead of a cut one, a line in the debug log.
#include "InstallDir.h"
#include "LogLines.h"
#include "SuiteFolderTest.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using DefinitionCases = SuiteFolderTest;

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

}  // namespace
