// Where the suite's grid files are looked up.
#include "InstallDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(InstallDir, EnvironmentVariableFirstAndCachedElseTheProgramFolder) {
    const char* saved = std::getenv("QVO_BRAMIX");
    const std::string was = saved ? saved : "";
    ::setenv("QVO_BRAMIX", "/opt/bramix", 1);
    ResetInstallDirCache();
    char buf[256];
    EXPECT_STREQ(GetInstallDir(buf), "/opt/bramix");
    EXPECT_STREQ(buf, "/opt/bramix");
    ::setenv("QVO_BRAMIX", "/elsewhere", 1);
    EXPECT_STREQ(GetInstallDir(), "/opt/bramix");
    ::unsetenv("QVO_BRAMIX");
    ResetInstallDirCache();
    EXPECT_NE(std::string(GetInstallDir()).find("tests/geodesy"), std::string::npos) << GetInstallDir();
    if (saved) ::setenv("QVO_BRAMIX", was.c_str(), 1);
    ResetInstallDirCache();
}

TEST(InstallDir, DatumFolderOfATrailingSlashTheRootNoneAndOverlongPaths) {
    // (a grid named with a Windows or POSIX folder: datum/shifts.cases)
    EXPECT_EQ(DatumFilePath("/opt/b/", "nad.grd").value(), "/opt/b/datum/nad.grd");
    EXPECT_EQ(DatumFilePath("/", "nad.grd").value(), "/datum/nad.grd");
    // Not "/datum/nad.grd": a folder the suite never installed.
    EXPECT_FALSE(DatumFilePath("", "nad.grd").has_value());
    const std::string dir = "/" + std::string(240, 'd');
    EXPECT_TRUE(DatumFilePath(dir, "a.grd").has_value());  // 241 + 7 + 5 = 253
    EXPECT_FALSE(DatumFilePath(dir, "abcdefgh.grd").has_value());
    EXPECT_EQ(DatumFilePath(dir, "abcdefg").value().size(), 255u);
}
