// Geodesy definition files that are not what a project's folder should hold,
// opened through CreateFileGeodesy: binary junk, junk section names, and paths
// of 255, 256 and 4096 characters. Each is refused with a code (or gives a
// usable handle); none faults, and nothing is written beside the definition
// (a folder under the definition's name and a file changed under a handle:
// platform/definition_files.cases).
#include "SuiteFolderTest.h"

#include <random>

namespace fs = std::filesystem;

namespace {

size_t Entries(const fs::path& dir) { return size_t(std::distance(fs::recursive_directory_iterator(dir), {})); }

// A handle that came out of a hostile file must still behave: a point either
// projects to finite numbers or is refused with a code; then it goes.
void ExpectUsable(GEODESY h) {
    double x = 0, y = 0;
    if (GeoXY(h, &x, &y, 32.7 * kDeg, -117.2 * kDeg) == 1) EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
    else EXPECT_NE(GetGeodesyError(), 0);
    DestroyGeodesy(h);
}

}  // namespace

TEST(HostileDefinitionFile, BinaryJunkAndJunkSectionNamesAreRefusedOrUsableNeverAFault) {
    TempDir dir;
    std::mt19937 rng(20261207);
    const char favoured[] = {'[', ']', '=', '\n', '\r', ';', '\0', '-', '.', 'e', '9', ' '};
    for (int round = 0; round < 40; ++round) {
        // Every other file starts as a good definition, so the reader gets
        // past the section header into junk keys and values.
        std::string junk = round % 2 == 1 ? kClarkeUtm11 : "";
        for (size_t i = 0; i < (64u << (round % 8)); ++i) {
            const auto v = static_cast<unsigned>(rng());
            junk += (v & 1) ? favoured[(v >> 1) % sizeof favoured] : static_cast<char>(v >> 8);
        }
        GEODESY h = CreateFileGeodesy(dir.write("junk" + std::to_string(round) + ".ini", junk).c_str(), "Geodesy");
        if (h == nullptr) EXPECT_NE(GetGeodesyError(), 0) << round;
        else ExpectUsable(h);
    }
    const std::string file = dir.write("harbour.ini", kClarkeUtm11);
    for (const std::string& name : {std::string(), std::string(5000, 'G'), std::string("Geo\0desy", 8),
                                   std::string("\xff\xfe[]=\n"), std::string("Geodesy]\n[Geodesy")}) {
        // a name that reads as "Geodesy" up to a NUL is that section
        if (GEODESY h = CreateFileGeodesy(file.c_str(), name.c_str())) ExpectUsable(h);
        else EXPECT_EQ(GetGeodesyError(), 5) << name.size();
    }
    EXPECT_EQ(TempDir::read(file), kClarkeUtm11);
    EXPECT_EQ(Entries(dir.path()), 41u);  // only the files the test wrote
}

TEST(HostileDefinitionFile, PathsOf255CharactersOpenLongerOnesAreRefusedNotCut) {
    TempDir dir;
    const std::string base = dir.path().string() + "/";
    ASSERT_LT(base.size() + 5, 255u) << "temporary folder too deep for the test";
    // 255 characters: the longest path the library keeps; it opens. 256, and
    // the file exists: refused with code 5 rather than opened under a name cut
    // to 255 (which would be another file).
    const std::string p255 = dir.write(std::string(255 - base.size() - 4, 'a') + ".ini", kClarkeUtm11);
    const std::string p256 = dir.write(std::string(256 - base.size() - 4, 'b') + ".ini", kClarkeUtm11);
    (void)dir.write(p256.substr(base.size(), 255 - base.size()), kClarkeUtm11);  // the cut name, also a definition
    ASSERT_EQ(p255.size(), 255u);
    GEODESY h = CreateFileGeodesy(p255.c_str(), "Geodesy");
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    ExpectUsable(h);
    // 4096 characters (and far beyond): refused, no fault.
    for (size_t len : {256u, 4095u, 4096u, 4097u, 70000u}) {
        std::string deep = len == 256 ? p256 : base;
        while (deep.size() < len) deep += std::string(std::min<size_t>(200, len - deep.size()), 'd') + "/";
        deep.resize(len);
        EXPECT_EQ(CreateFileGeodesy(deep.c_str(), "Geodesy"), nullptr) << len;
        EXPECT_EQ(GetGeodesyError(), 5) << len;
    }
    EXPECT_EQ(Entries(dir.path()), 3u);
}
