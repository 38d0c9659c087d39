// The converter's per-field members, which the record loop does not call but a derived
// class may: the time and position decoders, the record parser and writer, and the two
// low-level file members, on the worked harbour record.
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using kit::Peer;

TEST(Members, DecodersOfTimeAndPosition) {
    // Without a colon the hour is read again as the seconds; no range test.
    const struct { const char* in; double sec; const char* out; } times[] = {
        {"16:58:03.25", 61083, "16:58:03"}, {"7:5:9", 25509, "07:05:09"}, {"5", 18005, "05:00:05"},
        {"25:61:99", 93759, "25:61:99"}, {"10:30", 36030, "10:00:30"}};
    Peer p;
    for (const auto& c : times) {
        std::string t = c.in;
        EXPECT_EQ(p.ConvertTime(t), c.sec) << c.in;
        EXPECT_EQ(t, c.out);
    }
    const std::string n = "N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3", w = "W 117\xC2\xB0" "12\xE2\x80\xB2" "00.00\xE2\x80\xB3";
    std::string text = "\"" + n + "\"";
    EXPECT_NEAR(p.ConvertPosString(text), 32.758472222222224, 1e-12);
    EXPECT_EQ(text, "\"" + n + "\"");  // left as it was
    text = w;
    EXPECT_DOUBLE_EQ(p.ConvertPosString(text), -117.2);
    text = "n" + n.substr(1);  // only capital N and E are positive
    EXPECT_LT(p.ConvertPosString(text), 0.0);
}

TEST(Members, ParseAndWriteTheWorkedRecord) {
    TempDir dir;
    Peer p;
    sALL rec{};
    std::string fields[ZELTO_OUTPUT_FIELDS];
    std::string line = kit::kRecord;
    EXPECT_EQ(p.ParseCSVLine(line, rec, fields), S_OK);
    std::string joined;
    for (const auto& f : fields) joined += f;
    EXPECT_EQ(joined, std::string(",") + kit::kRecordText + ",");
    EXPECT_EQ(rec.TimeSec, 61083.0);
    EXPECT_EQ(rec.Count36, 7.0);
    // No position: easting and northing stay empty, never a made-up point.
    std::string empty, none[ZELTO_OUTPUT_FIELDS];
    sALL blank{};
    p.ParseCSVLine(empty, blank, none);
    joined.clear();
    for (const auto& f : none) joined += f;
    EXPECT_EQ(joined, std::string(40, ','));

    // The record line with its signed checksum, as the .EDT holds it.
    const std::string path = dir.file("record.EDT");
    ASSERT_TRUE(p.m_OutFile.Create(path));
    EXPECT_EQ(p.WriteEDTLine(fields), S_OK);
    ASSERT_TRUE(p.m_OutFile.Close());
    std::ifstream in(path, std::ios::binary);
    std::stringstream got;
    got << in.rdbuf();
    const std::string body = kit::kRecordText;
    EXPECT_EQ(got.str(), body + std::to_string(kit::SignedSum(body)) + "\r\r\n");

    // DoOpenFile creates (and logs the name after the last backslash), WriteFileLine writes.
    const std::string log = dir.file("log.txt");
    std::ofstream(log).close();
    p.put_Logfile(log);
    const ZeltoFileHandle fd = p.DoOpenFile(dir.file("raw.txt"), ZELTO_GENERIC_WRITE, ZELTO_CREATE_ALWAYS);
    ASSERT_NE(fd, ZELTO_INVALID_HANDLE);
    EXPECT_EQ(p.WriteFileLine(fd, "abc"), 1);
    ::close(fd);
    EXPECT_EQ(p.DoOpenFile(dir.file("raw.txt"), ZELTO_GENERIC_WRITE, ZELTO_CREATE_NEW), ZELTO_INVALID_HANDLE);
    EXPECT_EQ(p.DoOpenFile(dir.file("raw.txt"), ZELTO_GENERIC_READ, 99), ZELTO_INVALID_HANDLE);
    std::ifstream raw(dir.file("raw.txt")), logged(log);
    std::string a, b;
    std::getline(raw, a);
    std::getline(logged, b);
    EXPECT_EQ(a, "abc");
    EXPECT_EQ(b, dir.file("raw.txt") + "\r");
}
