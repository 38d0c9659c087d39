// Where the suite's grid files are looked up.
#include "InstallDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct EnvGuard {
    std::string saved;
    bool had;
    EnvGuard() {
        const char* v = std::getenv("QVO_BRAMIX");
        had = v != nullptr;
        if (v) saved = v;
    }
    ~EnvGuard() {
        if (had) ::setenv("QVO_BRAMIX", saved.c_str(), 1);
        else ::unsetenv("QVO_BRAMIX");
        ResetInstallDirCache();
    }
};

TEST(InstallDir, EnvironmentVariableFirstAndCached) {
    EnvGuard g;
    ::setenv("QVO_BRAMIX", "/opt/bramix", 1);
    ResetInstallDirCache();
    char buf[256];
    EXPECT_STREQ(GetInstallDir(buf), "/opt/bramix");
    EXPECT_STREQ(buf, "/opt/bramix");
    ::setenv("QVO_BRAMIX", "/elsewhere", 1);
    EXPECT_STREQ(GetInstallDir(), "/opt/bramix");
}

TEST(InstallDir, ProgramFolderWhenUnset) {
    EnvGuard g;
    ::unsetenv("QVO_BRAMIX");
    ResetInstallDirCache();
    std::string dir = GetInstallDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.find("tests/geodesy"), std::string::npos) << dir;
}

TEST(InstallDir, DatumFolderRule) {
    EXPECT_EQ(GridFileName("C:\\Bramix\\datum\\nad.grd"), "nad.grd");
    EXPECT_EQ(GridFileName("some/where/nad.grd"), "nad.grd");
    EXPECT_EQ(GridFileName("nad.grd"), "nad.grd");
    EXPECT_EQ(DatumFilePath("/opt/b", "D:\\x\\nad.grd").value(), "/opt/b/datum/nad.grd");
    EXPECT_EQ(DatumFilePath("/opt/b/", "nad.grd").value(), "/opt/b/datum/nad.grd");
    EXPECT_EQ(DatumFilePath("/", "nad.grd").value(), "/datum/nad.grd");
    // Not "/datum/nad.grd": a folder the suite never installed.
    EXPECT_FALSE(DatumFilePath("", "nad.grd").has_value());
}

TEST(InstallDir, OverlongComposedPathIsRefused) {
    std::string dir = "/" + std::string(240, 'd');
    EXPECT_TRUE(DatumFilePath(dir, "a.grd").has_value());  // 241 + 7 + 5 = 253
    EXPECT_FALSE(DatumFilePath(dir, "abcdefgh.grd").has_value());
    std::string exact = DatumFilePath(dir, "abcdefg").value();
    EXPECT_EQ(exact.size(), 255u);
}

}  // namespace
