// The definition-file reader and writer inside: defaults, writes that keep the
// rest of the file, refused text, files that are no regular readable file, a
// disk that fills up (the numbers a definition reads, as atof and atoi read
// them under a decimal-comma locale: datum/definitions.cases).
#include "Profile.h"
#include "SuiteFolderTest.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace fs = std::filesystem;

namespace {

size_t Files(const fs::path& dir) { return size_t(std::distance(fs::directory_iterator(dir), {})); }

TEST(Profile, AbsentFileOrAFolderReadsAsDefaultsListsAndCutValuesStayTerminated) {
    TempDir dir;
    fs::create_directory(dir.path() / "folder.ini");
    for (const char* name : {"none.ini", "folder.ini"}) {
        Profile ini(dir.file(name));
        char buf[80];
        EXPECT_EQ(ini.ReadString(buf, sizeof buf, "Projection", "Geodesy", "dflt"), 4);
        EXPECT_STREQ(buf, "dflt");
        EXPECT_EQ(ini.ReadInt("AdjustType", "Geodesy", 7), 7);
        EXPECT_FALSE(ini.SectionExists("Geodesy"));
        EXPECT_EQ(ini.ReadKeyList(buf, sizeof buf, "Geodesy"), 0);
        EXPECT_EQ(std::memcmp(buf, "\0\0", 2), 0);
    }
    EXPECT_FALSE(Profile(dir.file("folder.ini")).WriteString("Projection", "utm", "Geodesy"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.ini"));
    // Lists, and values cut to the buffer and terminated, never overrun.
    Profile ini(dir.write("g.ini", "[A]\nx=abcdefgh\ny=2\n[B]\nz=3\n"));
    char list[64], small[4], guard[2] = {'A', 'B'};
    ASSERT_EQ(ini.ReadKeyList(list, sizeof list, "a"), 2);
    EXPECT_EQ(std::memcmp(list, "x\0y\0\0", 5), 0);
    EXPECT_EQ(ini.ReadSectionNames(list, sizeof list), 4);
    EXPECT_EQ(std::memcmp(list, "A\0B\0\0", 5), 0);
    EXPECT_TRUE(ini.SectionExists("b"));
    EXPECT_EQ(ini.ReadString(small, sizeof small, "y", "A", ""), 1);
    EXPECT_EQ(ini.ReadString(small, sizeof small, "x", "A", ""), 3);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(ini.ReadString(small, 1, "x", "A", ""), 0);
    EXPECT_EQ(small[0], '\0');
    (void)ini.ReadString(guard, 0, "x", "A", "");
    EXPECT_EQ(guard[0], 'A');  // size 0: nothing may be written
    for (size_t len : {255u, 256u, 4096u, 5000u}) {  // over-long paths are errors, not faults
        Profile longer(dir.path().string() + "/" + std::string(len, 'a'));
        char buf[16];
        EXPECT_EQ(longer.ReadString(buf, sizeof buf, "k", "s", "d"), 1) << len;
        EXPECT_FALSE(longer.WriteString("k", "v", "s")) << len;
    }
}

TEST(Profile, WriteKeepsTheRestOfTheFile) {
    TempDir dir;
    auto p = dir.write("g.ini", "; project Harbour\r\n[Geodesy]\r\nProjection=TME\r\n\r\n[Other]\r\nx=1\r\n");
    Profile ini(p);
    ASSERT_TRUE(ini.WriteString("FalseEasting", "500000", "geodesy"));
    ASSERT_TRUE(ini.WriteString("Projection", "LCC", "Geodesy"));
    ASSERT_TRUE(ini.WriteString("k", "v", "New"));
    EXPECT_EQ(TempDir::read(p), "; project Harbour\r\n[Geodesy]\r\nProjection=LCC\r\nFalseEasting=500000\r\n\r\n"
                                "[Other]\r\nx=1\r\n\r\n[New]\r\nk=v\r\n");
    // Blanks, quotes and '=' inside a value are fine.
    ASSERT_TRUE(ini.WriteString("Note", "a = b", "Geodesy"));
    EXPECT_EQ(ini.Value("Geodesy", "Note").value_or(""), "a = b");
    // A file not there yet is created by a write.
    Profile fresh(dir.file("new.ini"));
    EXPECT_TRUE(fresh.WriteString("Unit", "1", "Geodesy"));
    EXPECT_EQ(TempDir::read(fresh.Path()), "[Geodesy]\r\nUnit=1\r\n");
}

TEST(Profile, WriteIntoUnwritableFolderFailsAndKeepsTheFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    auto p = dir.write("g.ini", "[Geodesy]\nProjection=TME\n");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(Profile(p).WriteString("Projection", "LCC", "Geodesy"));
    fs::permissions(dir.path(), fs::perms::owner_all);
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

TEST(Profile, TextThatWouldNotReadBackIsRefusedAndTheFileKept) {
    TempDir dir;
    const std::string before = "[Geodesy]\r\nProjection=TME\r\n";
    Profile ini(dir.write("g.ini", before));
    // A value with a line end would add a key of its own; so would keys and
    // section names that hold line ends, '=', brackets, a comment sign or nothing.
    const char* const refused[][3] = {{"Geoid", "g.geo\r\nDeltaX=999", "Geodesy"}, {"Geoid", "g.geo\nDeltaX=999", "Geodesy"},
                                      {"Delta\nX", "1", "Geodesy"}, {"Delta=X", "1", "Geodesy"}, {"[Other]", "1", "Geodesy"},
                                      {";x", "1", "Geodesy"}, {"  ", "1", "Geodesy"}, {"k", "1", "Geo]desy"},
                                      {"k", "1", ""}, {"k", "1", "Geo\ndesy"}};
    for (const auto& r : refused) EXPECT_FALSE(ini.WriteString(r[0], r[1], r[2])) << r[0] << " " << r[2];
    EXPECT_FALSE(ini.CopySection(ini, "Geodesy", "Bad]Name"));
    EXPECT_EQ(TempDir::read(ini.Path()), before);
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
    EXPECT_EQ(TempDir::read(ini.Path()), "[Keep]\nk=1\n");
}

TEST(Profile, WhatIsNoRegularReadableFileIsNeverReplaced) {
    TempDir dir;
    // A FIFO would block the reader, a device never end: read as absent.
    const std::string fifo = dir.file("pipe.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        EXPECT_EQ(CreateFileGeodesy(path.c_str(), "Geodesy"), nullptr);
        EXPECT_EQ(GetGeodesyError(), 5);
    }
    EXPECT_FALSE(Profile(fifo).WriteString("Unit", "1", "Geodesy"));
    EXPECT_TRUE(fs::is_fifo(fifo));
    // A file far larger than any definition is not read, and a write would
    // lose it: refused, the file kept as it is.
    const std::string big = dir.write("big.ini", kClarkeUtm11);
    fs::resize_file(big, 65u << 20);
    Profile huge(big), target(dir.write("t.ini", "[Geodesy]\nProjection=TME\n"));
    EXPECT_FALSE(huge.HasKey("Projection", "Geodesy"));
    EXPECT_FALSE(huge.WriteString("Unit", "1", "Geodesy"));
    EXPECT_FALSE(target.CopySection(huge, "Geodesy", nullptr));
    EXPECT_EQ(fs::file_size(big), std::uintmax_t{65u << 20});
    EXPECT_EQ(TempDir::read(target.Path()), "[Geodesy]\nProjection=TME\n");
}

TEST(Profile, WriteKeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    const std::string real = dir.write("real.ini", "[Geodesy]\nProjection=TME\n"), link = dir.file("link.ini");
    fs::permissions(real, perms);
    fs::create_symlink(real, link);
    ASSERT_TRUE(Profile(link).WriteString("Unit", "1", "Geodesy"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TempDir::read(real), "[Geodesy]\nProjection=TME\nUnit=1\n");
    EXPECT_EQ(fs::status(real).permissions(), perms);
    EXPECT_EQ(Files(dir.path()), 2u);  // no temporary file left beside it
}

// A write that runs out of room (file size limit in a child process) must be
// reported as a failure and must keep the old file as it was.
TEST(Profile, DiskFullKeepsTheOldFile) {
    TempDir dir;
    const std::string original = "[Geodesy]\nProjection=utm\n", path = dir.write("g.ini", original);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        ::_exit(Profile(path).WriteString("Comment", std::string(4000, 'c').c_str(), "Geodesy") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "child crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a write that hit the size limit was reported as success";
    EXPECT_EQ(TempDir::read(path), original);
    EXPECT_EQ(Files(dir.path()), 1u);  // no stray temporary file
}

}  // namespace
