// The definition-file reader: the INI behaviour users of survey projects rely on.
#include "Profile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include <unistd.h>

namespace {

TEST(Profile, NamesMatchWithoutCaseAndBlanksAreTrimmed) {
    TempDir dir;
    auto p = dir.write("g.ini", "[ Geodesy ]\n  projection =  TME  \nSemiMajorAxis=6378137\n");
    Profile ini(p);
    char buf[80];
    EXPECT_EQ(ini.ReadString(buf, sizeof buf, "PROJECTION", "geodesy", "x"), 3);
    EXPECT_STREQ(buf, "TME");
    EXPECT_DOUBLE_EQ(ini.ReadDouble("semimajoraxis", "GEODESY", 0), 6378137.0);
}

TEST(Profile, QuotesCommentsFirstOccurrenceAndCrLf) {
    TempDir dir;
    auto p = dir.write("g.ini",
                       "; a comment\r\n[Geodesy]\r\nGeoid=\"my geoid.grd\"\r\n;Unit=3\r\n"
                       "Unit=0.3048\r\nUnit=2\r\nOdd='half\"\r\n[geodesy]\r\nFalseEasting=9\r\n");
    Profile ini(p);
    EXPECT_EQ(ini.Value("Geodesy", "Geoid").value(), "my geoid.grd");
    EXPECT_DOUBLE_EQ(ini.ReadDouble("Unit", "Geodesy", 0), 0.3048);
    EXPECT_EQ(ini.Value("Geodesy", "Odd").value(), "'half\"");  // quotes do not match
    // The second section of the same name is ignored, as the first one wins.
    EXPECT_FALSE(ini.HasKey("FalseEasting", "Geodesy"));
    EXPECT_EQ(ini.Keys("Geodesy").size(), 3u);
}

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

TEST(Profile, FlagWords) {
    TempDir dir;
    Profile ini(dir.write("g.ini", "[G]\na=Yes\nb=1\nc=2\nd=no\ne=ON\nf=true\ng=1.0\nh=x\n"));
    for (const char* key : {"a", "b", "e", "f", "g"}) EXPECT_TRUE(ini.ReadFlag(key, "G", false)) << key;
    for (const char* key : {"c", "d", "h"}) EXPECT_FALSE(ini.ReadFlag(key, "G", true)) << key;
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

}  // namespace
