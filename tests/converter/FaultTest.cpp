// Failure injection: a disk that fills up, folders and inputs that cannot be read or
// written, special files, read errors part-way, inputs that change under the
// converter, over-long lines, the fuzz corpus (folders as input, links to devices
// and over-long names: zelto2edt.cases). Each ends in a clear error or
// a well-formed .EDT, and nothing but the .EDT (or nothing at all) is left.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace zelto_detail {
extern std::FILE* (*g_openInputStream)(const char* path);
}

namespace {

namespace fs = std::filesystem;
using kit::Listing;
using kit::Survey;
using Names = std::set<std::string>;

[[noreturn]] void ConvertUnderSizeLimit(const std::string& csv, rlim_t limit) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(10);
    kit::ExitWhenConversionFails(csv, "Failed to write record to file. " + EdtPathForInput(csv) + ": File too large");
}

// A stream whose reads fail with EIO from byte `failAt` on, as a bad sector does.
struct FailingSource {
    std::string bytes;
    std::size_t pos = 0, failAt = 0;
} gSource;

std::FILE* OpenFailing(const char*) {
    auto read = [](void*, char* buf, std::size_t size) -> ssize_t {
        if (gSource.pos >= gSource.failAt) return errno = EIO, -1;
        const std::size_t n = std::min({size, std::size_t{512}, gSource.failAt - gSource.pos, gSource.bytes.size() - gSource.pos});
        gSource.pos += gSource.bytes.copy(buf, n, gSource.pos);
        return static_cast<ssize_t>(n);
    };
    auto seek = [](void*, off64_t* offset, int whence) {
        return whence != SEEK_SET || *offset < 0 ? -1 : (gSource.pos = static_cast<std::size_t>(*offset), 0);
    };
    gSource.pos = 0;
    return fopencookie(&gSource, "rb", cookie_io_functions_t{read, nullptr, seek, nullptr});
}

}  // namespace

TEST(FaultDeathTest, FullDiskFailsTheConversionAndKeepsTheEarlierEdt) {
    GTEST_FLAG_SET(death_test_style, "fast");
    TempDir dir;
    const std::string csv = dir.write("full.csv", Survey(2000, "\n"));
    dir.write("full.EDT", "earlier conversion");
    // Mid-file, inside the header, and a record that only fails when the file is closed.
    EXPECT_EXIT(ConvertUnderSizeLimit(csv, 64 * 1024), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(ConvertUnderSizeLimit(csv, 200), testing::ExitedWithCode(0), "");
    EXPECT_EQ(TempDir::read(dir.file("full.EDT")), "earlier conversion");
    const std::string one = dir.write("one.csv", Survey(1, "\n"));
    EXPECT_EXIT(ConvertUnderSizeLimit(one, 650), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (Names{"full.csv", "full.EDT", "one.csv"}));
}

TEST(FaultDeathTest, UnwritableFolderUnreadableInputAndSpecialFiles) {
    GTEST_FLAG_SET(death_test_style, "fast");
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);  // anyone may enter and write; only ro/ is shut
    fs::create_directory(dir.file("ro"));
    const std::string ro = dir.write("ro/ro.csv", Survey(1, "\n"));
    fs::permissions(dir.file("ro"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    EXPECT_EXIT((kit::BecomeOtherUser(), kit::ExitWhenConversionFails(ro, "Failed to open Bramix file. " +
                                                                              dir.file("ro/ro.EDT") + ": Permission denied")),
                testing::ExitedWithCode(0), "");
    const std::string locked = dir.write("locked.csv", Survey(3));
    fs::permissions(locked, fs::perms::none);
    EXPECT_EXIT((kit::BecomeOtherUser(), kit::ExitWhenConversionFails(locked, "Failed to open CSV file.")),
                testing::ExitedWithCode(0), "");
    // A FIFO would block the open, a device never ends: both refused (a 10 s alarm ends a hang).
    ASSERT_EQ(::mkfifo(dir.file("pipe.csv").c_str(), 0600), 0);
    for (const std::string& special : {dir.file("pipe.csv"), std::string("/dev/zero")})
        EXPECT_EXIT((::alarm(10), kit::ExitWhenConversionFails(special, "Failed to open CSV file.")),
                    testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (Names{"locked.csv", "pipe.csv", "ro"}));
}

TEST(Fault, ReadErrorAnywhereFailsTheConversion) {
    const std::string bytes = Survey(40);
    const std::size_t secondRecord = bytes.find('\n', bytes.find('\n') + 1) + 1;
    for (const auto& [failAt, most] : {std::pair{bytes.size() + 1, 40}, {std::size_t{0}, 0}, {secondRecord, 1},
                                       {bytes.size() / 2, 39}}) {
        TempDir dir;
        const std::string csv = dir.write("cut.csv", bytes);
        gSource = FailingSource{bytes, 0, failAt};
        zelto_detail::g_openInputStream = OpenFailing;
        kit::Wired<> w;
        const kit::Outcome o = kit::Convert(w.c, csv);
        zelto_detail::g_openInputStream = nullptr;
        EXPECT_EQ(o.result, most == 40 ? S_OK : E_FAIL) << failAt;
        EXPECT_EQ(w.rec.errors, std::vector<std::string>(most != 40, "Failed to parse CSV file. " + csv + ": Input/output error"));
        EXPECT_LE(o.records, most);
        EXPECT_GE(o.records, std::min(most, 1));
        EXPECT_TRUE(kit::NoTemporaryLeft(dir));
    }
}

TEST(Fault, InputChangedUnderTheConverter) {
    // Cut short while read: a shorter survey. Deleted while read: read to its end.
    for (const bool del : {false, true}) {
        TempDir dir;
        const std::string csv = dir.write("c.csv", Survey(20000));
        const auto half = static_cast<off_t>(fs::file_size(csv) / 2);
        kit::Wired<> w;
        bool done = false;
        w.rec.onProgress = [&] {
            if (!done) done = (del ? ::unlink(csv.c_str()) : ::truncate(csv.c_str(), half)) == 0;
        };
        const kit::Outcome r = kit::Convert(w.c, csv);
        ASSERT_TRUE(done);
        EXPECT_EQ(r.result, S_OK) << r.error;
        EXPECT_EQ(r.records == 20000, del);
        EXPECT_EQ(kit::ReadEdt(TempDir::read(dir.file("c.EDT"))).records.size(), static_cast<std::size_t>(r.records));
        EXPECT_EQ(Listing(dir).size(), del ? 1u : 2u);
    }
    // Deleted, replaced by a folder or emptied between the check and the run.
    const char* expected[] = {"Failed to open CSV file. %s: No such file or directory",
                              "Failed to open CSV file. %s: Is a directory", "Failed to parse CSV file. %s: the file is empty"};
    for (int change = 0; change < 3; ++change) {
        TempDir dir;
        kit::Wired<> w;
        const std::string csv = dir.write("late.csv", Survey(2));
        ASSERT_EQ(w.c.ReadZeltoFile(csv), S_OK);
        change == 2 ? ::truncate(csv.c_str(), 0) : ::unlink(csv.c_str());
        if (change == 1) fs::create_directory(csv);
        EXPECT_EQ(w.c.WriteQVXFile(""), E_FAIL);
        std::string text, want = expected[change];
        w.c.GetLastError(text);
        EXPECT_EQ(text, want.replace(want.find("%s"), 2, csv));
        EXPECT_FALSE(fs::exists(dir.file("late.EDT")));
        EXPECT_TRUE(kit::NoTemporaryLeft(dir));
    }
}

// Lines of 5 MB, which a case file should not hold (binary garbage is the garbage case).
TEST(Fault, HugeLinesGiveWellFormedRecords) {
    TempDir dir;
    const std::string big(5u << 20, '9');
    kit::Wired<> w;
    const std::string line = std::string(31, ',') + "N " + big + ",E 1,," + big + "," + big + ",";
    kit::Convert(w.c, dir.write("big.csv", "titles\n,," + big + ",1,\n" + line + "\n" + kit::kRecord + "\n"));
    const kit::EdtImage e = kit::ReadEdt(TempDir::read(dir.file("big.EDT")));
    ASSERT_EQ(e.records.size(), 3u);
    EXPECT_TRUE(e.records[0].starts_with(",,,,inf,")) << e.records[0].substr(0, 40);
    EXPECT_EQ(e.records[2], kit::kRecordText);
}

// The fuzz corpora's inputs (whole files, and single lines after a title line) convert
// to well-formed files, whatever they hold.
TEST(Fault, FuzzCorpusInputsGiveWellFormedFiles) {
    TempDir dir;
    int n = 0;
    for (const char* corpus : {"csv_file", "csv_line"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(ZELTO_FUZZ_CORPUS) / corpus)) {
            const std::string bytes = TempDir::read(entry.path().string());
            const std::string name = std::string(corpus) + "_" + entry.path().filename().string();
            kit::Wired<> w;
            const kit::Outcome r = kit::Convert(w.c, dir.write(name + ".csv", corpus[4] == 'l' ? "titles\n" + bytes : bytes));
            EXPECT_EQ(r.result, S_OK) << name << ": " << r.error;
            EXPECT_EQ(kit::ReadEdt(TempDir::read(dir.file(name + ".EDT"))).problem, "") << name;
            ++n;
        }
    }
    EXPECT_GE(n, 7);
}
