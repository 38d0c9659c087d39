// Whole files: line counts, progress and error messages, cancellation from
// another thread, settings, and numbers that ignore a comma-decimal locale.
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <thread>

namespace {

using kit::Survey;
using Wired = kit::Wired<>;

int Lines(const std::string& bytes) {
    int n = 0;
    for (char ch : bytes) n += ch == '\n';
    return n;
}

}  // namespace

TEST(WholeFile, RecordsLinesAndProgress) {
    TempDir dir;
    const std::string csv = dir.write("a.csv", Survey(25));
    Wired w;
    ASSERT_EQ(w.c.ReadZeltoFile(csv), S_OK);
    ASSERT_EQ(w.c.WriteQVXFile(""), S_OK);
    EXPECT_EQ(w.c.get_CSVRecords(), 25);
    EXPECT_EQ(Lines(TempDir::read(dir.file("a.EDT"))), 21 + 25);
    EXPECT_EQ(w.rec.Count(WM_PERCENTDONE), 25);
    EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 0);
    EXPECT_LT(w.rec.messages.back().l, 100);  // line ends are not counted
    // The same object on the next file counts that file alone.
    ASSERT_EQ(w.c.ReadZeltoFile(dir.write("b.csv", Survey(7))), S_OK);
    ASSERT_EQ(w.c.WriteQVXFile(""), S_OK);
    EXPECT_EQ(w.c.get_CSVRecords(), 7);
    EXPECT_EQ(w.rec.Count(WM_PERCENTDONE), 32);
    EXPECT_GT(w.rec.LastPercent(), 90);
}

TEST(WholeFile, TitleOnlyAndEmptyInputs) {
    TempDir dir;
    Wired w;
    auto& c = w.c;
    ASSERT_EQ(c.ReadZeltoFile(dir.write("t.csv", "titles\n")), S_OK);
    EXPECT_EQ(c.WriteQVXFile(""), S_OK);
    EXPECT_EQ(c.get_CSVRecords(), 0);
    // Without a first record there is nothing to fill the header from: the
    // .EDT file is created empty.
    EXPECT_TRUE(TempDir::read(dir.file("t.EDT")).empty());
    // An empty file: no first line to read; reported, not a crash, and no .EDT left.
    ASSERT_EQ(c.ReadZeltoFile(dir.write("e.csv", "")), S_OK);
    EXPECT_EQ(c.WriteQVXFile(""), E_FAIL);
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Failed to parse CSV file. " + dir.file("e.csv") + ": the file is empty");
    EXPECT_FALSE(std::filesystem::exists(dir.file("e.EDT")));
    EXPECT_TRUE(kit::NoTemporaryLeft(dir));
}

// Lines without content are no records: skipped and counted. The header takes the first
// record's time and date. Records in two UTM zones give a warning, not an error.
TEST(WholeFile, BlankLinesSkippedAndZoneChangeWarned) {
    TempDir dir;
    Wired w;
    std::string east = kit::kRecord;
    east.replace(east.find("W 117"), 5, "W 113");
    const std::string csv = dir.write("z.csv", "titles\r\n\r\n  \t\r\n,, ,\r\n" + std::string(kit::kRecord) + "\r\n" +
                                                  kit::kRecord + "\r\n\r\n" + east + "\r\n");
    const kit::Outcome r = kit::Convert(w.c, csv);
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 3);
    EXPECT_EQ(r.skipped, 4);
    EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 0);
    EXPECT_EQ(w.rec.Count(WM_PERCENTDONE), 3);
    EXPECT_EQ(r.warning, "Warning: the records fall in UTM zones 11, 12; the zone first changes at " + csv +
                             " line 8. Each record is in the grid of its own zone; a project geodesy definition "
                             "gives one fixed grid.");
    const kit::EdtImage img = kit::ReadEdt(TempDir::read(dir.file("z.EDT")));
    ASSERT_EQ(img.problem, "");
    EXPECT_EQ(img.header[8], "TND 16:58:03 09/13/2011");
    ASSERT_EQ(img.records.size(), 3u);
    EXPECT_EQ(img.records[0], kit::kRecordText);
    // One zone: no warning, and none is carried over from the file before.
    EXPECT_EQ(kit::Convert(w.c, dir.write("one.csv", Survey(3))).warning, "");
    EXPECT_EQ(w.c.get_SkippedLines(), 0);
}

TEST(WholeFile, MissingInputAndUnwritableOutputAreReported) {
    TempDir dir;
    Wired w;
    auto& c = w.c;
    std::string text;
    EXPECT_EQ(c.ReadZeltoFile(dir.file("nope.csv")), E_FAIL);
    c.GetLastError(text);
    EXPECT_EQ(text, "Failed to open CSV file. " + dir.file("nope.csv") + ": No such file or directory");
    EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 1);

    ASSERT_EQ(c.ReadZeltoFile(dir.write("a.csv", Survey(2))), S_OK);
    std::filesystem::create_directory(dir.file("a.EDT"));  // the output name is taken by a folder
    EXPECT_EQ(c.WriteQVXFile(""), E_FAIL);
    c.GetLastError(text);
    EXPECT_EQ(text, "Failed to open Bramix file. " + dir.file("a.EDT") + ": Is a directory");
}

TEST(WholeFile, CancelFromAnotherThreadEndsWithTheRecordsSoFar) {
    TempDir dir;
    const std::string csv = dir.write("big.csv", Survey(20000));
    Wired w;
    auto& c = w.c;
    c.put_Cancel();  // before the run: forgotten by it
    std::atomic<bool> asked{false}, cancelled{false};
    std::thread canceller;  // joined below, so it never outlives the converter
    w.rec.onProgress = [&] {
        if (asked.exchange(true)) return;
        canceller = std::thread([&] { c.put_Cancel(); cancelled = true; });
        // The run takes milliseconds: wait (bounded) for the request, so that it
        // falls inside the run however the threads are scheduled.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!cancelled && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    };
    ASSERT_EQ(c.ReadZeltoFile(csv), S_OK);
    EXPECT_EQ(c.WriteQVXFile(""), S_OK);
    ASSERT_TRUE(canceller.joinable());
    canceller.join();
    const int written = c.get_CSVRecords();
    EXPECT_GE(written, 1);
    EXPECT_LT(written, 20000);
    EXPECT_EQ(Lines(TempDir::read(dir.file("big.EDT"))), 21 + written);
}

TEST(WholeFile, EllipsoidRowsOutsideTheTableAreRefused) {
    CZeltoQvxConverter c;
    for (long bad : {0L, -1L, 24L}) EXPECT_EQ(c.put_EllipsoidToUse(bad), E_FAIL);
    EXPECT_EQ(c.put_EllipsoidToUse(1), S_OK);
    EXPECT_EQ(c.put_EllipsoidToUse(23), S_OK);
}

TEST(WholeFile, SameBytesUnderACommaDecimalLocale) {
    TempDir dir;
    Wired w;
    auto& c = w.c;
    ASSERT_EQ(c.ReadZeltoFile(dir.write("a.csv", Survey(3))), S_OK);
    ASSERT_EQ(c.WriteQVXFile(""), S_OK);
    const std::string plain = TempDir::read(dir.file("a.EDT"));
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 not installed";
    ASSERT_EQ(c.ReadZeltoFile(dir.file("a.csv")), S_OK);
    ASSERT_EQ(c.WriteQVXFile(""), S_OK);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(TempDir::read(dir.file("a.EDT")), plain);
    EXPECT_NE(plain.find(",12.30,"), std::string::npos);
}
