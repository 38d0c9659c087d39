// The definition-file reader and writer inside: defaults, writes that keep the
// rest of the file, refused text, special files, atof (what a definition
// reads: datum/definitions.cases).
#include "CommaDecimalLocale.h"
#include "Profile.h"
#include "SuiteFolderTest.h"
#include "vortan.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <cmath>

#include <sys/stat.h>

#include <unistd.h>

namespace {

TEST(Profile, AbsentFileReadsAsDefaults) {
    TempDir dir;
    Profile ini(dir.file("none.ini"));
    char buf[80];
    EXPECT_EQ(ini.ReadString(buf, sizeof buf, "Projection", "Geodesy", "dflt"), 4);
    EXPECT_STREQ(buf, "dflt");
    EXPECT_EQ(ini.ReadInt("AdjustType", "Geodesy", 7), 7);
    EXPECT_FALSE(ini.SectionExists("Geodesy"));
    EXPECT_EQ(ini.ReadKeyList(buf, sizeof buf, "Geodesy"), 0);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], '\0');
}

TEST(Profile, WriteKeepsTheRestOfTheFile) {
    TempDir dir;
    auto p = dir.write("g.ini", "; project Harbour\r\n[Geodesy]\r\nProjection=TME\r\n\r\n[Other]\r\nx=1\r\n");
    Profile ini(p);
    ASSERT_TRUE(ini.WriteString("FalseEasting", "500000", "geodesy"));
    ASSERT_TRUE(ini.WriteString("Projection", "LCC", "Geodesy"));
    ASSERT_TRUE(ini.WriteString("k", "v", "New"));
    EXPECT_EQ(TempDir::read(p),
              "; project Harbour\r\n[Geodesy]\r\nProjection=LCC\r\nFalseEasting=500000\r\n\r\n"
              "[Other]\r\nx=1\r\n\r\n[New]\r\nk=v\r\n");
    EXPECT_EQ(ini.Value("Geodesy", "FalseEasting").value(), "500000");
    ASSERT_TRUE(ini.WriteString("x", nullptr, "Other"));
    EXPECT_FALSE(ini.Value("Other", "x").has_value());
    ASSERT_TRUE(ini.WriteString(nullptr, nullptr, "New"));
    EXPECT_EQ(ini.Sections().size(), 2u);
}

TEST(Profile, WriteIntoUnwritableFolderFailsAndKeepsTheFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    auto p = dir.write("g.ini", "[Geodesy]\nProjection=TME\n");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    Profile ini(p);
    EXPECT_FALSE(ini.WriteString("Projection", "LCC", "Geodesy"));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(TempDir::read(p), "[Geodesy]\nProjection=TME\n");
}

TEST(Profile, CopySectionReplacesTheTarget) {
    TempDir dir;
    Profile src(dir.write("a.ini", "[Geodesy]\nProjection=TME\nUnit=1\n"));
    Profile dst(dir.write("b.ini", "[Geodesy]\nOld=1\n[Keep]\nk=2\n"));
    ASSERT_TRUE(dst.CopySection(src, "Geodesy", nullptr));
    EXPECT_FALSE(dst.Value("Geodesy", "Old").has_value());
    EXPECT_EQ(dst.Value("Geodesy", "Projection").value(), "TME");
    EXPECT_EQ(dst.Value("Keep", "k").value(), "2");
    ASSERT_TRUE(dst.CopySection(src, "Geodesy", "Backup"));
    EXPECT_EQ(dst.Value("Backup", "Unit").value(), "1");
    // Copying from a section that is not there empties the target.
    ASSERT_TRUE(dst.CopySection(src, "Absent", "Geodesy"));
    EXPECT_FALSE(dst.SectionExists("Geodesy"));
    // A target file not there yet is created.
    Profile fresh(dir.file("new.ini"));
    ASSERT_TRUE(fresh.CopySection(src, "Geodesy", nullptr));
    EXPECT_EQ(fresh.Value("Geodesy", "Unit").value(), "1");
}

TEST(Profile, KeyAndSectionLists) {
    TempDir dir;
    Profile ini(dir.write("g.ini", "[A]\nx=1\ny=2\n[B]\nz=3\n"));
    char buf[64];
    ASSERT_EQ(ini.ReadKeyList(buf, sizeof buf, "a"), 2);
    EXPECT_EQ(std::memcmp(buf, "x\0y\0\0", 5), 0);
    int n = ini.ReadSectionNames(buf, sizeof buf);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(std::memcmp(buf, "A\0B\0\0", 5), 0);
    EXPECT_TRUE(ini.SectionExists("b"));
    // A small buffer cuts the value, never overruns.
    char small[4];
    EXPECT_EQ(ini.ReadString(small, sizeof small, "x", "A", ""), 1);
    Profile longer(dir.write("h.ini", "[A]\nx=abcdefgh\n"));
    EXPECT_EQ(longer.ReadString(small, sizeof small, "x", "A", ""), 3);
    EXPECT_STREQ(small, "abc");
}

TEST(Profile, TextThatWouldNotReadBackIsRefusedAndTheFileKept) {
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

TEST(Profile, RemovingAKeyOrSectionRemovesEveryCopy) {
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

TEST(Profile, WhatIsNoRegularReadableFileIsNeverReplaced) {
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

TEST(Profile, WriteKeepsPermissionsAndSymbolicLinks) {
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

TEST(Profile, NumbersAsAtofReadsThemWhateverTheLocale) {
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
