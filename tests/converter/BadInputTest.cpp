// Hostile and broken inputs for whole conversions: binary garbage, a 5 MB line,
// 10,000 columns, position signs cut short, a disk that fills up, an output folder
// that cannot be written. Each ends in a clear error or a well-formed .EDT file,
// and nothing but the .EDT file appears beside the input.
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <set>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using kit::Listing;
using kit::Survey;

struct Outcome : kit::Outcome {
    kit::EdtImage edt;
};

// Writes `bytes` as `name`.csv and converts it with a fresh converter; the .EDT is
// read back and checked unless `readBack` is false.
Outcome Convert(const TempDir& dir, const std::string& name, const std::string& bytes, bool readBack = true) {
    kit::Wired<> w;
    const std::string csv = dir.write(name + ".csv", bytes);
    Outcome r;
    static_cast<kit::Outcome&>(r) = kit::Convert(w.c, csv);
    if (readBack) r.edt = kit::ReadEdt(TempDir::read(dir.file(name + ".EDT")));
    return r;
}

int LinesOf(const std::string& bytes) {
    int n = 0;
    for (char ch : bytes) n += ch == '\n';
    return n + (!bytes.empty() && bytes.back() != '\n');
}

}  // namespace

TEST(BadInput, BinaryGarbageGivesWellFormedRecords) {
    std::mt19937 rng(4711);
    const char favoured[] = {',', ',', ',', '\n', '\r', '"', ':', '\xC2', '\xE2', '\xB0', '\0', '5', '.', 'N'};
    std::string bytes;
    for (int i = 0; i < 200000; ++i) {
        const auto v = static_cast<unsigned>(rng());
        bytes += (v & 1) ? favoured[(v >> 1) % sizeof favoured] : static_cast<char>(v >> 8);
    }
    TempDir dir;
    Outcome r = Convert(dir, "garbage", bytes);
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.records + r.skipped, LinesOf(bytes) - 1);
    EXPECT_GT(r.skipped, 0);
    EXPECT_EQ(r.edt.problem, "");
    EXPECT_EQ(static_cast<int>(r.edt.records.size()), r.records);
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"garbage.csv", "garbage.EDT"}));
}

TEST(BadInput, FiveMegabyteLines) {
    TempDir dir;
    const std::string big(5u << 20, '9');
    // No comma at all: one record without a position, so nothing is decoded.
    Outcome r = Convert(dir, "plain", "titles\n" + std::string(5u << 20, 'x') + "\n");
    ASSERT_EQ(r.result, S_OK) << r.error;
    ASSERT_EQ(r.edt.records.size(), 1u);
    EXPECT_EQ(r.edt.records[0], std::string(38, ','));
    EXPECT_EQ(r.error, "Invalid position. " + dir.file("plain.csv") + " line 2: no position");
    // A 5 MB number reads as atof reads it: beyond a double, so infinite.
    r = Convert(dir, "number", "titles\n,," + big + ",1,\n");
    ASSERT_EQ(r.result, S_OK) << r.error;
    ASSERT_EQ(r.edt.records.size(), 1u);
    EXPECT_EQ(kit::Field(r.edt.records[0], 5), "inf");
    EXPECT_EQ(kit::Field(r.edt.records[0], 12), "-inf");
    // A 5 MB position and a 5 MB time: only their first characters count.
    std::string line(31, ',');
    line += "N " + big + "," + "E 1,," + big + "," + big + ",";
    r = Convert(dir, "position", "titles\n" + line + "\n" + kit::kRecord + "\n");
    ASSERT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.edt.problem, "");
    ASSERT_EQ(r.edt.records.size(), 2u);
    EXPECT_EQ(r.edt.records[1], kit::kRecordText);
    EXPECT_EQ(Listing(dir).size(), 6u);
}

TEST(BadInput, TenThousandColumns) {
    TempDir dir;
    std::string line = kit::kRecord;
    for (int k = 40; k < 10000; ++k) {
        line += 'x';
        line += std::to_string(k);
        line += ',';
    }
    Outcome r = Convert(dir, "wide", "titles\n" + line + "\n" + line);
    ASSERT_EQ(r.result, S_OK) << r.error;
    ASSERT_EQ(r.edt.records.size(), 2u);
    EXPECT_EQ(r.edt.records[0], kit::kRecordText);
    EXPECT_EQ(r.edt.records[1], kit::kRecordText);
    EXPECT_EQ(r.edt.header[8], "TND 16:58:03 09/13/2011");
}

TEST(BadInput, PositionSignsCutShort) {
    const std::string full = "N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3";
    std::string bytes = "titles\n";
    int n = 0;
    for (std::size_t len = 0; len <= full.size(); ++len, ++n) {
        std::string cut = full.substr(0, len);
        bytes += std::string(31, ',') + cut + "," + cut + ",,,,,\n";
    }
    bytes += std::string(31, ',') + "\xE2\x80";  // the file ends inside a sign
    ++n;
    TempDir dir;
    Outcome r = Convert(dir, "cut", bytes);
    ASSERT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.records, n - 1);  // the line of empty texts is only commas: skipped
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(r.edt.problem, "");
}

// A position is written only when it is a place on Earth: finite parts, minutes and
// seconds below 60, latitude within 90 and longitude within 180 degrees. Any other
// record keeps its line but not a made-up position, and its error names the file, the
// line and the texts; the file still converts.
TEST(BadInput, PositionsThatAreNoPlaceOnEarthAreNotWritten) {
    const std::string n32 = "N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3";
    const std::string w117 = "W 117\xC2\xB0" "12\xE2\x80\xB2" "00.00\xE2\x80\xB3";
    auto dms = [](const std::string& h, const std::string& d, const std::string& m, const std::string& s) {
        return h + " " + d + "\xC2\xB0" + m + "\xE2\x80\xB2" + s + "\xE2\x80\xB3";
    };
    const struct { std::string lat, lon; bool place; } cases[] = {
        {n32, w117, true},
        {"\"" + n32 + "\"", w117, true},
        {dms("X", "99", "99", "96.29"), w117, false},  // minutes and seconds beyond 59
        {n32, "Einf\xC2\xB0", false},
        {dms("N", "90", "0", "0"), w117, true},
        {dms("S", "90", "0", "0.01"), w117, false},
        {n32, dms("E", "180", "0", "0"), true},
        {n32, dms("W", "180", "0", "0.01"), false},
        {dms("N", "32", "60", "0"), w117, false},
        {dms("N", "32", "59", "60"), w117, false},
        {dms("N", "32", "59", "59.99"), w117, true},
        {dms("N", "32", "-5", "0"), w117, false},
        {dms("N", "abc", "0", "0"), w117, false},
        {dms("N", "nan", "0", "0"), w117, false},
        {dms("N", "1e400", "0", "0"), w117, false},
        {"N 91", w117, false},
        {n32, "E 1", true},
        {"32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3", w117, false},  // no hemisphere letter
        {dms("n", "32", "45", "30.50"), w117, true},                      // a letter: south, as always
        {"", w117, false},
    };
    std::string bytes = "titles\n";
    for (const auto& k : cases) bytes += std::string(31, ',') + k.lat + "," + k.lon + ",\n";
    TempDir dir;
    kit::Wired<> w;
    const std::string csv = dir.write("p.csv", bytes);
    const kit::Outcome r = kit::Convert(w.c, csv);
    ASSERT_EQ(r.result, S_OK) << r.error;
    const kit::EdtImage edt = kit::ReadEdt(TempDir::read(dir.file("p.EDT")));
    ASSERT_EQ(edt.problem, "");
    ASSERT_EQ(edt.records.size(), std::size(cases));
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& k = cases[i];
        EXPECT_EQ(kit::Field(edt.records[i], 2).empty(), !k.place) << i;
        EXPECT_EQ(kit::Field(edt.records[i], 3).empty(), !k.place) << i;
        if (!k.place) expected.push_back("Invalid position. " + csv + " line " + std::to_string(i + 2) + ": " + k.lat + ", " + k.lon);
    }
    EXPECT_EQ(w.rec.errors, expected);

    // Past a hundred, the further errors of a file are counted in one last message.
    std::string many = "titles\n";
    for (int i = 0; i < 150; ++i) many += std::string(31, ',') + "N 95," + w117 + ",\n";
    kit::Wired<> w2;
    const kit::Outcome m = kit::Convert(w2.c, dir.write("m.csv", many));
    EXPECT_EQ(m.result, S_OK);
    EXPECT_EQ(m.records, 150);
    ASSERT_EQ(w2.rec.errors.size(), 101u);
    EXPECT_EQ(w2.rec.errors.back(), "Invalid position. " + dir.file("m.csv") +
                                        ": 50 further record(s) with a position that is invalid or that the projection refuses");
}

TEST(BadInput, InputThatIsAFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.csv"));
    kit::Wired<> w;
    EXPECT_EQ(w.c.ReadZeltoFile(dir.file("folder.csv")), E_FAIL);
    std::string text;
    w.c.GetLastError(text);
    EXPECT_EQ(text, "Failed to open CSV file. " + dir.file("folder.csv") + ": Is a directory");
    EXPECT_EQ(w.c.WriteQVXFile(""), E_FAIL);
    EXPECT_FALSE(std::filesystem::exists(dir.file("folder.EDT")));
}

namespace {
// Converts `csv` with the file size limited to `limit` bytes; exits 0 when the
// conversion failed with the write error.
[[noreturn]] void ConvertUnderSizeLimit(const std::string& csv, rlim_t limit) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit rl{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(10);
    kit::ExitWhenConversionFails(csv, "Failed to write record to file. " + kit::EdtPathFor(csv) + ": File too large");
}
}  // namespace

TEST(BadInputDeathTest, FullDiskFailsTheConversion) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child converts in this test's folder
    TempDir dir;
    const std::string csv = dir.write("full.csv", Survey(2000, "\n"));
    // Mid-file, inside the header, and a single record that only fails when the file is
    // closed: each fails, and a failed conversion leaves no part of an .EDT, nor its
    // temporary. An existing .EDT stays as it was.
    dir.write("full.EDT", "earlier conversion");
    EXPECT_EXIT(ConvertUnderSizeLimit(csv, 64 * 1024), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(ConvertUnderSizeLimit(csv, 200), testing::ExitedWithCode(0), "");
    EXPECT_EQ(TempDir::read(dir.file("full.EDT")), "earlier conversion");
    const std::string one = dir.write("one.csv", Survey(1, "\n"));
    EXPECT_EXIT(ConvertUnderSizeLimit(one, 650), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"full.csv", "full.EDT", "one.csv"}));
}

// An .EDT name that is a link to a device is refused before anything is written.
TEST(BadInput, OutputNameLinkedToADeviceIsRefused) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    std::filesystem::create_symlink("/dev/full", dir.file("r.EDT"));
    Outcome r = Convert(dir, "r", Survey(3, "\n"), false);  // /dev/full reads as endless zeros
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_EQ(r.error, "Failed to open Bramix file. " + dir.file("r.EDT") + ": Not a regular file");
    EXPECT_TRUE(kit::NoTemporaryLeft(dir));
}

TEST(BadInputDeathTest, UnwritableOutputFolder) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child converts in this test's folder
    TempDir dir;
    const std::string csv = dir.write("ro.csv", Survey(1, "\n"));
    namespace fs = std::filesystem;
    fs::permissions(csv, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    // The message names the .EDT that could not be made and the system's reason.
    EXPECT_EXIT((kit::BecomeOtherUser(),
                 kit::ExitWhenConversionFails(csv, "Failed to open Bramix file. " + dir.file("ro.EDT") + ": Permission denied")),
                testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"ro.csv"}));
}
