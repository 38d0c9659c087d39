// The fixture of the definition-file tests: the suite's directory
// (QVO_BRAMIX) is a temporary folder with a "datum" folder in it, where
// the tests write definition and grid files.
#ifndef VORTAN_TESTS_SUITEFOLDERTEST_H
#define VORTAN_TESTS_SUITEFOLDERTEST_H

#include "GridWriter.h"
#include "InstallDir.h"
#include "ProjectionParams.h"
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

inline const char* const kClarkeUtm11 =
    "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\n"
    "ScaleFactor=0.9996\nCentralMeridian=-117\nFalseEasting=500000\n";

class SuiteFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.path() / "datum");
        ::setenv("QVO_BRAMIX", dir.path().c_str(), 1);
        ResetInstallDirCache();
    }
    void TearDown() override {
        for (GEODESY h : opened) DestroyGeodesy(h);
        ::unsetenv("QVO_BRAMIX");
        ResetInstallDirCache();
    }
    std::string Write(const std::string& name, const std::string& text) { return dir.write(name, text); }
    // The handle of the [Geodesy] section of a definition file of this text,
    // destroyed after the test.
    GEODESY Open(const std::string& text, const std::string& name = "case.ini") {
        GEODESY h = CreateFileGeodesy(Write(name, text).c_str(), "Geodesy");
        if (h != nullptr) opened.push_back(h);
        return h;
    }
    std::string DatumFolder(const std::string& name) const { return (dir.path() / "datum" / name).string(); }
    // A grid over 30..36 N, 120..114 W with the same values at every node.
    void WriteConstantGrid(const std::string& name, std::vector<float> values) {
        GridSpec g;
        g.cols = 24, g.rows = 7, g.values = static_cast<int32_t>(values.size()), g.west = -120.0f, g.lonSpacing = 0.25f;
        g.south = 30.0f, g.value = [values](int32_t, int32_t, int32_t k) { return values[static_cast<size_t>(k)]; };
        Write("datum/" + name, GridBytes(g));
    }
    TempDir dir;
    std::vector<GEODESY> opened;
};

#endif
