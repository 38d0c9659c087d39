// Definition files that are not what they should be: a folder, binary junk,
// over-long paths, and a disk that fills up while the file is rewritten.
#include "Profile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace {

TEST(HostileDefinition, FolderInsteadOfFileReadsAsDefaults) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "geodesy.ini");
    Profile ini(dir.file("geodesy.ini"));
    char buf[32];
    EXPECT_EQ(ini.ReadString(buf, sizeof buf, "Projection", "Geodesy", "none"), 4);
    EXPECT_STREQ(buf, "none");
    EXPECT_FALSE(ini.SectionExists("Geodesy"));
    // Writing over a folder must fail and leave the folder there.
    EXPECT_FALSE(ini.WriteString("Projection", "utm", "Geodesy"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "geodesy.ini"));
}

TEST(HostileDefinition, TinyBuffersStayTerminated) {
    TempDir dir;
    Profile ini(dir.write("g.ini", "[Geodesy]\nProjection=utm\nZone=11\n"));
    char one[1] = {'X'};
    EXPECT_EQ(ini.ReadString(one, 1, "Projection", "Geodesy", ""), 0);
    EXPECT_EQ(one[0], '\0');
    char guard[4] = {'A', 'B', 'C', 'D'};
    (void)ini.ReadString(guard, 0, "Projection", "Geodesy", "");
    EXPECT_EQ(guard[0], 'A');  // size 0: nothing may be written
}

TEST(HostileDefinition, OverlongPathsAreErrorsNotFaults) {
    TempDir dir;
    for (size_t len : {255u, 256u, 4096u, 5000u}) {
        std::string name = dir.path().string() + "/" + std::string(len, 'a');
        Profile ini(name);
        char buf[16];
        EXPECT_EQ(ini.ReadString(buf, sizeof buf, "k", "s", "d"), 1) << len;
        EXPECT_FALSE(ini.WriteString("k", "v", "s")) << len;
    }
}

// A write that runs out of room (file size limit in a child process) must be
// reported as a failure and must keep the old file as it was.
TEST(HostileDefinition, DiskFullKeepsTheOldFile) {
    TempDir dir;
    const std::string original = "[Geodesy]\nProjection=utm\n";
    const std::string path = dir.write("g.ini", original);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        Profile ini(path);
        const bool ok = ini.WriteString("Comment", std::string(4000, 'c').c_str(), "Geodesy");
        ::_exit(ok ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "child crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a write that hit the size limit was reported as success";
    EXPECT_EQ(TempDir::read(path), original);
    // nothing else left in the folder (no stray temporary files)
    int count = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++count;
    EXPECT_EQ(count, 1);
}

}  // namespace
