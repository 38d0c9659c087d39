// The members a derived class may call but the record loop does not (the time and
// position decoders, the record parser and writer, the low-level file members); and what
// the converter reports besides the file: error texts with their tag, progress kept
// within 0..100, the log file, the ellipsoid rows.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

#include <limits>

using kit::Peer;

// Thin wrappers of the decoders the record loop uses (whose cases are times, positions
// and signs): each called once, the position text left as it was.
TEST(Members, DecodersOfTimeAndPosition) {
    Peer p;
    std::string t = "7:5:9.5", pos = "\"N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3\"";
    EXPECT_EQ(p.ConvertTime(t), 25509);
    EXPECT_EQ(t, "07:05:09");
    EXPECT_NEAR(p.ConvertPosString(pos), 32.758472222222224, 1e-12);
    EXPECT_EQ(pos, "\"N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3\"");
}

TEST(Members, ParseWriteAndOpenFiles) {
    TempDir dir;
    Peer p;
    sALL rec{}, blank{};
    std::string fields[ZELTO_OUTPUT_FIELDS], none[ZELTO_OUTPUT_FIELDS], line = kit::kRecord, empty;
    EXPECT_EQ(p.ParseCSVLine(line, rec, fields), S_OK);
    EXPECT_EQ(rec.TimeSec, 61083.0);
    EXPECT_EQ(rec.Count36, 7.0);
    p.ParseCSVLine(empty, blank, none);  // no position: no easting and northing made up
    std::string joined, joinedNone;
    for (int i = 0; i < ZELTO_OUTPUT_FIELDS; ++i) joined += fields[i], joinedNone += none[i];
    EXPECT_EQ(joined, std::string(",") + kit::kRecordText + ",");
    EXPECT_EQ(joinedNone, std::string(40, ','));
    // The record line with its signed checksum, as the .EDT holds it (a longer file of that
    // name is replaced).
    dir.write("record.EDT", std::string(500, 'x'));
    ASSERT_TRUE(p.m_OutFile.Create(dir.file("record.EDT")));
    EXPECT_EQ(p.WriteEDTLine(fields), S_OK);
    ASSERT_TRUE(p.m_OutFile.Close());
    const std::string body = kit::kRecordText;
    EXPECT_EQ(TempDir::read(dir.file("record.EDT")), body + std::to_string(kit::SignedSum(body)) + "\r\r\n");
    // The checksum of lines of every length up to 80, bytes above 0x7F counting negative.
    ASSERT_TRUE(p.m_OutFile.Create(dir.file("sums.EDT")));
    for (std::size_t n = 0; n <= 80; ++n) {
        std::string text;
        for (std::size_t i = 0; i < n; ++i) text += static_cast<char>(i * 37 + n * 11);
        EXPECT_EQ(static_cast<std::int32_t>(p.WriteFileLine(text, 0)), kit::SignedSum(text)) << n;
    }
    ASSERT_TRUE(p.m_OutFile.Close());
    // DoOpenFile creates (and logs the name), WriteFileLine writes a line.
    p.put_Logfile(dir.write("log.txt", ""));
    const ZeltoFileHandle fd = p.DoOpenFile(dir.file("raw.txt"), ZELTO_GENERIC_WRITE, ZELTO_CREATE_ALWAYS);
    ASSERT_NE(fd, ZELTO_INVALID_HANDLE);
    EXPECT_EQ(p.WriteFileLine(fd, "abc"), 1);
    ::close(fd);
    EXPECT_EQ(p.DoOpenFile(dir.file("raw.txt"), ZELTO_GENERIC_WRITE, ZELTO_CREATE_NEW), ZELTO_INVALID_HANDLE);
    EXPECT_EQ(p.DoOpenFile(dir.file("raw.txt"), ZELTO_GENERIC_READ, 99), ZELTO_INVALID_HANDLE);
    EXPECT_TRUE(TempDir::read(dir.file("raw.txt")).starts_with("abc"));
    EXPECT_EQ(TempDir::read(dir.file("log.txt")), dir.file("raw.txt") + "\r\n");
}

TEST(Reporting, ErrorTagsProgressAndMessageValues) {
    kit::Recorder rec;
    Peer p;
    p.put_AppMessageWnd(&rec);
    for (const auto& [tag, want] : {std::pair{5, "x  on Tag 5"}, {65535, "x  on Tag 65535"}, {0, "x"}}) {
        EXPECT_EQ(p.SetConverterErrorInfo("x", static_cast<std::uint16_t>(tag)), E_FAIL);
        EXPECT_EQ(p.LastError(), want);
        EXPECT_EQ(rec.messages.back().id, WM_CONVERTERERROR);
        EXPECT_EQ(rec.messages.back().w, static_cast<std::uintptr_t>(tag));
    }
    rec.messages.clear();
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double v : {99.97, 0.4, 100.0, 250.0, -3.0, nan, inf}) p.Fire_SendPercentDone(v);
    std::vector<std::intptr_t> got;
    for (const auto& m : rec.messages) got.push_back(m.id == WM_PERCENTDONE ? m.l : -1);
    EXPECT_EQ(got, (std::vector<std::intptr_t>{99, 0, 100, 100, 0, 0, 100}));
}

TEST(Reporting, LogFileTakesTheNameAfterTheLastBackslash) {
    TempDir dir;
    Peer p;
    EXPECT_TRUE(p.WriteLogFile("anything"));  // no log file set
    p.put_Logfile(dir.file("missing.log"));
    EXPECT_FALSE(p.WriteLogFile("a"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.log")));
    p.put_Logfile(dir.write("conv.log", "first\r\n"));
    EXPECT_TRUE(p.WriteLogFile("C:\\data\\a.EDT"));
    EXPECT_TRUE(p.WriteLogFile("\\b.EDT"));
    EXPECT_EQ(TempDir::read(dir.file("conv.log")), "first\r\na.EDT\r\n\\b.EDT\r\n");
}

// Rows 1 to 23 (their values are the utm_* cases); the placeholder row and rows past the table refused.
TEST(Reporting, EllipsoidRowsOutsideTheTableAreRefused) {
    CZeltoQvxConverter c;
    for (long bad : {0L, -1L, 24L}) EXPECT_EQ(c.put_EllipsoidToUse(bad), E_FAIL);
}
