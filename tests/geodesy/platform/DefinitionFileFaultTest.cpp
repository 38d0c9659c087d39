// Geodesy definition files that are not what a project's folder should hold,
// opened through CreateFileGeodesy: a folder under the definition's name,
// binary junk, junk after a good section, and paths of 255, 256 and 4096
// characters. Each is refused with a code (or gives a usable handle); none
// faults, and nothing is written beside the definition.
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr double kDeg = 0.017453292519943295;

// UTM zone 11 north on Clarke 1866 with a mean translation from WGS-84.
const char kHarbour[] =
    "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\nScaleFactor=0.9996\n"
    "CentralMeridian=-117\nFalseEasting=500000\nDeltaX=8\nDeltaY=-160\nDeltaZ=-176\n";

std::set<std::string> Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) names.insert(e.path().lexically_relative(dir).string());
    return names;
}

// A handle that came out of a hostile file must still behave: a point either
// projects to finite numbers or is refused with a code.
void ExpectUsable(GEODESY h) {
    double x = 0, y = 0;
    if (GeoXY(h, &x, &y, 32.7 * kDeg, -117.2 * kDeg) == 1) {
        EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
    } else {
        EXPECT_NE(GetGeodesyError(), 0);
    }
}

}  // namespace

TEST(HostileDefinitionFile, FolderUnderTheDefinitionsNameIsCode5AndLeftAlone) {
    TempDir dir;
    fs::create_directory(dir.file("harbour.ini"));
    const auto before = Listing(dir.path());
    EXPECT_EQ(CreateFileGeodesy(dir.file("harbour.ini").c_str(), "Geodesy"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 5);
    EXPECT_EQ(CreateFileGeodesy(dir.file("harbour.ini").c_str(), nullptr), nullptr);
    EXPECT_EQ(GetGeodesyError(), 5);
    EXPECT_TRUE(fs::is_directory(dir.file("harbour.ini")));
    EXPECT_EQ(Listing(dir.path()), before);
}

TEST(HostileDefinitionFile, BinaryJunkIsRefusedOrUsableNeverAFault) {
    TempDir dir;
    std::mt19937 rng(20261207);
    const char favoured[] = {'[', ']', '=', '\n', '\r', ';', '\0', '-', '.', 'e', '9', ' '};
    for (int round = 0; round < 40; ++round) {
        std::string junk;
        // Every other file starts as a good definition, so the reader gets
        // past the section header into junk keys and values.
        if (round % 2 == 1) junk = kHarbour;
        const size_t n = 64u << (round % 8);
        for (size_t i = 0; i < n; ++i) {
            const auto v = static_cast<unsigned>(rng());
            junk += (v & 1) ? favoured[(v >> 1) % sizeof favoured] : static_cast<char>(v >> 8);
        }
        const std::string file = dir.write("junk" + std::to_string(round) + ".ini", junk);
        GEODESY h = CreateFileGeodesy(file.c_str(), "Geodesy");
        if (h == nullptr) {
            EXPECT_NE(GetGeodesyError(), 0) << round;
        } else {
            ExpectUsable(h);
            DestroyGeodesy(h);
        }
    }
    EXPECT_EQ(Listing(dir.path()).size(), 40u);  // only the 40 files the test wrote
}

TEST(HostileDefinitionFile, JunkSectionNamesAreRefused) {
    TempDir dir;
    const std::string file = dir.write("harbour.ini", kHarbour);
    const std::string names[] = {"", std::string(5000, 'G'), std::string("Geo\0desy", 8), "\xff\xfe[]=\n",
                                 "Geodesy]\n[Geodesy"};
    for (const std::string& name : names) {
        GEODESY h = CreateFileGeodesy(file.c_str(), name.c_str());
        if (h != nullptr) {  // a name that reads as "Geodesy" up to a NUL is that section
            ExpectUsable(h);
            DestroyGeodesy(h);
        } else {
            EXPECT_EQ(GetGeodesyError(), 5) << name.size();
        }
    }
    EXPECT_EQ(TempDir::read(file), kHarbour);
}

TEST(HostileDefinitionFile, PathsOf255CharactersOpenLongerOnesAreRefusedNotCut) {
    TempDir dir;
    const std::string base = dir.path().string() + "/";
    ASSERT_LT(base.size() + 5, 255u) << "temporary folder too deep for the test";
    // 255 characters: the longest path the library keeps; it opens.
    const std::string p255 = base + std::string(255 - base.size() - 4, 'a') + ".ini";
    ASSERT_EQ(p255.size(), 255u);
    (void)dir.write(p255.substr(base.size()), kHarbour);
    GEODESY h = CreateFileGeodesy(p255.c_str(), "Geodesy");
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    ExpectUsable(h);
    DestroyGeodesy(h);

    // 256 characters, and the file exists: refused with code 5 rather than
    // opened under a name cut to 255 (which would be another file).
    const std::string p256 = base + std::string(256 - base.size() - 4, 'b') + ".ini";
    ASSERT_EQ(p256.size(), 256u);
    (void)dir.write(p256.substr(base.size()), kHarbour);
    (void)dir.write(p256.substr(base.size(), 255 - base.size()), kHarbour);  // the cut name, also a definition
    EXPECT_EQ(CreateFileGeodesy(p256.c_str(), "Geodesy"), nullptr);
    EXPECT_EQ(GetGeodesyError(), 5);

    // 4096 characters (and far beyond): refused, no fault.
    for (size_t len : {4095u, 4096u, 4097u, 70000u}) {
        std::string deep = base;
        while (deep.size() < len) deep += std::string(std::min<size_t>(200, len - deep.size()), 'd') + "/";
        deep.resize(len);
        EXPECT_EQ(CreateFileGeodesy(deep.c_str(), "Geodesy"), nullptr) << len;
        EXPECT_EQ(GetGeodesyError(), 5) << len;
    }
    EXPECT_EQ(Listing(dir.path()).size(), 3u);
}

TEST(HostileDefinitionFile, DefinitionThatChangesAfterAHandleWasMadeDoesNotReachIt) {
    // A handle holds its geodesy: the file emptied, replaced by junk or by a
    // folder afterwards changes nothing in a handle already made.
    TempDir dir;
    const std::string file = dir.write("harbour.ini", kHarbour);
    GEODESY h = CreateFileGeodesy(file.c_str(), "Geodesy");
    ASSERT_NE(h, nullptr);
    double x0 = 0, y0 = 0;
    ASSERT_EQ(GeoXY(h, &x0, &y0, 32.7 * kDeg, -117.2 * kDeg), 1);
    (void)dir.write("harbour.ini", std::string(300, '\x9c'));
    double x = 0, y = 0;
    ASSERT_EQ(GeoXY(h, &x, &y, 32.7 * kDeg, -117.2 * kDeg), 1);
    EXPECT_EQ(x, x0);
    EXPECT_EQ(y, y0);
    fs::remove(file);
    fs::create_directory(file);
    ASSERT_EQ(GeoXY(h, &x, &y, 32.7 * kDeg, -117.2 * kDeg), 1);
    EXPECT_EQ(x, x0);
    EXPECT_EQ(y, y0);
    EXPECT_EQ(CreateFileGeodesy(file.c_str(), "Geodesy"), nullptr);  // a new handle sees the folder
    EXPECT_EQ(GetGeodesyError(), 5);
    DestroyGeodesy(h);
}
