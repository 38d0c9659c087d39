// Field decoders and the record parser: times, positions with their degree,
// prime and double-prime signs, the columns read, and the converter's own
// reporting members (error text, progress values, log file).
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

using kit::Peer;

namespace {
const std::string kDeg = "\xC2\xB0", kMin = "\xE2\x80\xB2", kSec = "\xE2\x80\xB3";
std::string Dms(const std::string& hemi, const std::string& d, const std::string& m, const std::string& s) {
    return hemi + " " + d + kDeg + m + kMin + s + kSec;
}
// A line with `text` in the given columns and `commas` commas in all.
std::string Line(std::initializer_list<std::pair<int, std::string>> cols, int commas = 40) {
    std::vector<std::string> c(static_cast<std::size_t>(commas) + 1);
    for (const auto& [k, t] : cols) c[static_cast<std::size_t>(k)] = t;
    std::string s;
    for (std::size_t i = 0; i < c.size(); ++i) s += (i ? "," : "") + c[i];
    return s;
}
}  // namespace

TEST(ConvertTime, WorkedValuesAndPadding) {
    // Without a colon the hour is read again as the seconds; one colon leaves the
    // minutes without their closing colon, so 0; no range test.
    const struct { const char* in; double sec; const char* out; } cases[] = {
        {"16:58:03.25", 61083, "16:58:03"}, {"7:5:9", 25509, "07:05:09"}, {"5", 18005, "05:00:05"},
        {"", 0, "00:00:00"}, {"25:61:99", 93759, "25:61:99"}, {"10:30", 36030, "10:00:30"}};
    Peer p;
    for (const auto& c : cases) {
        std::string t = c.in;
        EXPECT_EQ(p.ConvertTime(t), c.sec) << c.in;
        EXPECT_EQ(t, c.out);
    }
}

TEST(ConvertPosString, WorkedPositions) {
    Peer p;
    EXPECT_NEAR(p.Pos(Dms("N", "32", "45", "30.50")), 32.758472222222224, 1e-12);
    EXPECT_DOUBLE_EQ(p.Pos(Dms("W", "117", "12", "00.00")), -117.2);
    EXPECT_DOUBLE_EQ(p.Pos(Dms("E", "117", "12", "00.00")), 117.2);
    EXPECT_DOUBLE_EQ(p.Pos(Dms("S", "33", "54", "00")), -33.9);
    EXPECT_LT(p.Pos(Dms("n", "32", "45", "30.50")), 0.0);  // only capital N and E are positive
    EXPECT_DOUBLE_EQ(p.Pos(Dms("N", "10", "45.9", "0")), 10.75);  // minutes are whole
    EXPECT_NEAR(p.Pos("\"\"" + Dms("N", "32", "45", "30.50") + "\""), 32.758472222222224, 1e-12);
    std::string text = Dms("N", "1", "2", "3");
    const std::string copy = text;
    p.ConvertPosString(text);
    EXPECT_EQ(text, copy);  // the text is left as it was
    EXPECT_EQ(p.Pos(""), 0.0);
}

TEST(ConvertPosString, OnlyTheLeadBytesOfTheSignsAreLookedFor) {
    Peer p;
    // C2 and E2 followed by other bytes still end the parts.
    EXPECT_DOUBLE_EQ(p.Pos("N 10\xC2x30\xE2yy36\xE2z"), 10.51);
}

// Texts that lack a marker or hold an over-long part: the scan stops at the end
// of the text and a part keeps only its first 15 characters.
TEST(ConvertPosString, TruncatedAndOverlongTextsHaveDefinedValues) {
    const struct { std::string in; double deg; bool exact = true; } cases[] = {
        {"\"\"\"", 0}, {"N", 0}, {"N 32", 32}, {"S 32" + kDeg, -32},
        {"N 32\xC2", 32},                                        // degree sign cut after its lead byte
        {"N 32" + kDeg + "30", 32.5},                             // no prime
        {"N 32" + kDeg + "30\xE2\x80", 32.5},                     // prime cut short
        {"N 32" + kDeg + "30" + kMin + "36", 32.51, false},       // no double prime
        {"N 32" + kDeg + "30" + kMin + "36\xE2", 32.51, false},
        {"N 12345678901234567.5" + kDeg + "0" + kMin + "0" + kSec, 12345678901234.0},  // " 12345678901234"
        {"N 1" + kDeg + "000000000000000000030" + kMin + "0" + kSec, 1.0},
        {"N 1" + kDeg + "0" + kMin + "00000000000000360000" + kSec, 1.0 + 3.0 / 3600.0, false},
        {"N" + std::string(100000, '7'), 777777777777777.0}};
    Peer p;
    for (const auto& c : cases) {
        if (c.exact) {
            EXPECT_EQ(p.Pos(c.in), c.deg) << c.in.substr(0, 40);
        } else {
            EXPECT_DOUBLE_EQ(p.Pos(c.in), c.deg) << c.in.substr(0, 40);
        }
    }
}

TEST(ParseCSVLine, TheWorkedRecord) {
    Peer p;
    auto r = p.Parse(kit::kRecord);
    EXPECT_DOUBLE_EQ(r.rec.Value2, 12.30);
    EXPECT_NEAR(r.rec.Offset3, 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(r.rec.Value15, 1.5);
    EXPECT_DOUBLE_EQ(r.rec.Count36, 7.0);
    EXPECT_DOUBLE_EQ(r.rec.Value38, 3.25);
    EXPECT_EQ(r.rec.TimeSec, 61083.0);
    EXPECT_EQ(p.m_strDate, "09/13/2011");
    EXPECT_EQ(p.m_strTime, "16:58:03");
    EXPECT_NEAR(p.m_dDepthOffset, 0.5, 1e-12);
    std::string joined;
    for (const auto& f : r.fields) joined += f;
    EXPECT_EQ(joined, std::string(",") + kit::kRecordText + ",");
}

// A line without a position gets no made-up one: easting and northing stay empty.
TEST(ParseCSVLine, LineWithoutAPositionLeavesEastingAndNorthingEmpty) {
    Peer p;
    std::string joined;
    for (const auto& f : p.Parse("").fields) joined += f;
    EXPECT_EQ(joined, std::string(40, ','));
}

TEST(ParseCSVLine, ColumnsReachedAndColumnsEmpty) {
    Peer p;
    // Column 2 present but empty: 0.00; a line ending before column 2: nothing.
    EXPECT_EQ(p.Parse(",,,").fields[5], "0.00,");
    EXPECT_EQ(p.Parse(",,5").fields[5], ",");  // text after the last comma is not decoded
    EXPECT_EQ(p.Parse(",").fields[5], ",");
    // 39 columns without a trailing comma leave column 38 undecoded.
    auto open = p.Parse(Line({{38, "3.25"}}, 38));
    EXPECT_EQ(open.rec.Value38, 0.0);
    EXPECT_EQ(open.fields[31], ",");
    auto closed = p.Parse(Line({{38, "3.25"}}, 39));
    EXPECT_EQ(closed.rec.Value38, 3.25);
    EXPECT_EQ(closed.fields[31], "3.25,");
    // Present but empty time, count and position columns.
    auto empty = p.Parse(Line({}));
    EXPECT_EQ(empty.fields[4], "00:00:00.000,");
    EXPECT_EQ(empty.fields[23], "0,");
    EXPECT_EQ(empty.fields[2], ",");  // an empty position is no position
    EXPECT_EQ(p.m_strDate, "");
}

TEST(ParseCSVLine, OffsetCountAndDateRules) {
    Peer p;
    auto r = p.Parse(Line({{3, "12.80"}}));
    EXPECT_DOUBLE_EQ(r.rec.Offset3, 12.80);  // column 2 empty: Offset3 is column 3
    EXPECT_EQ(r.fields[12], "12.80,");
    r = p.Parse(Line({{36, "7.9"}}));
    EXPECT_EQ(r.rec.Count36, 7.0);
    EXPECT_EQ(r.fields[23], "7,");
    r = p.Parse(Line({{36, "-12abc"}}));
    EXPECT_EQ(r.fields[23], "-12,");
    r = p.Parse(Line({{36, "99999999999999"}}));  // saturates instead of overflowing
    EXPECT_EQ(r.fields[23], "2147483647,");
    p.Parse(Line({{4, "01/01/2020"}, {34, "09/13/2011"}}));
    EXPECT_EQ(p.m_strDate, "09/13/2011");
    p.Parse(Line({{4, "01/01/2020"}}, 33));  // column 34 not reached
    EXPECT_EQ(p.m_strDate, "01/01/2020");
}

TEST(ParseCSVLine, NumbersReadAsAtofReadsThem) {
    // Blanks skipped, rounded on the exact binary value as printf rounds (2.675 is
    // 2.67499..., 0.125 ties to even), beyond a double infinite, below it zero.
    const std::pair<const char*, const char*> cases[] = {
        {"  12.345", "12.35,"}, {"2.675", "2.67,"}, {"+7", "7.00,"},   {"-0.004", "-0.00,"},
        {"1.5e2m", "150.00,"},  {"1.5e", "1.50,"},  {"abc", "0.00,"},  {"12,5", "12.00,"},
        {"- 5", "0.00,"},       {"1e400", "inf,"},  {"-1e400", "-inf,"}, {"-1e-400", "-0.00,"},
        {"0.125", "0.12,"},     {"0.375", "0.38,"},   {"1e-400", "0.00,"}, {"1234567.125", "1234567.12,"}};
    Peer p;
    for (const auto& [in, out] : cases) EXPECT_EQ(p.Parse(std::string(",,") + in + ",").fields[5], out) << in;
    EXPECT_EQ(p.Parse(",," + std::string(400, '9') + ",").fields[5], "inf,");
    EXPECT_EQ(p.Parse(",,0." + std::string(400, '0') + "1,").fields[5], "0.00,");
}

TEST(Reporting, ErrorInfoWithAndWithoutTag) {
    kit::Recorder rec;
    Peer p;
    p.put_AppMessageWnd(&rec);
    EXPECT_EQ(p.SetConverterErrorInfo("x", 5), E_FAIL);
    std::string text;
    p.GetLastError(text);
    EXPECT_EQ(text, "x  on Tag 5");
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].id, WM_CONVERTERERROR);
    EXPECT_EQ(rec.messages[0].w, 5u);
    EXPECT_EQ(rec.messages[0].l, 0);
    EXPECT_EQ(p.SetConverterErrorInfo("x", 65535), E_FAIL);
    p.GetLastError(text);
    EXPECT_EQ(text, "x  on Tag 65535");
    EXPECT_EQ(p.SetConverterErrorInfo("x", 0), E_FAIL);
    p.GetLastError(text);
    EXPECT_EQ(text, "x");
    EXPECT_EQ(rec.messages.back().w, 0u);
    // The values callers and the suite's other programs are built against.
    EXPECT_EQ(WM_PERCENTDONE, 0x479u);
    EXPECT_EQ(WM_CONVERTERERROR, 0x482u);
    EXPECT_EQ(S_OK, 0);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
}

TEST(Reporting, ProgressIsTruncatedAndKeptWithinZeroToHundred) {
    kit::Recorder rec;
    Peer p;
    p.put_AppMessageWnd(&rec);
    for (double v : {99.97, 0.4, 100.0, 250.0, -3.0, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()})
        p.Fire_SendPercentDone(v);
    std::vector<std::intptr_t> got;
    for (const auto& m : rec.messages) {
        EXPECT_EQ(m.id, WM_PERCENTDONE);
        EXPECT_EQ(m.w, 0u);
        got.push_back(m.l);
    }
    // A file that grows while read (or a zero length) posts nothing a bar cannot show.
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
    EXPECT_TRUE(p.WriteLogFile("\\b.EDT"));  // backslash at position 0: kept whole
    EXPECT_EQ(TempDir::read(dir.file("conv.log")), "first\r\na.EDT\r\n\\b.EDT\r\n");
}

TEST(Ellipsoids, PlaceholderRowAndWgs84Default) {
    EXPECT_EQ(EllipsoidTable[0].Id, -1);
    EXPECT_STREQ(EllipsoidTable[0].Name, "Placeholder");
    for (int i = 1; i < ZELTO_ELLIPSOID_ROWS; ++i) EXPECT_EQ(EllipsoidTable[i].Id, i);
    // Names as the dialog lists them (trailing blanks included) and figures of
    // rows the UTM table does not reach.
    EXPECT_STREQ(EllipsoidTable[4].Name, "Bessel 1841 (Nambia) ");
    EXPECT_STREQ(EllipsoidTable[8].Name, "Fischer 1960 (Mercury) ");
    EXPECT_STREQ(EllipsoidTable[14].Name, "International");
    EXPECT_STREQ(EllipsoidTable[23].Name, "WGS-84");
    EXPECT_EQ(EllipsoidTable[23].SemiMajorAxis, 6378137.0);
    EXPECT_EQ(EllipsoidTable[23].EccentricitySquared, 0.00669438);
    EXPECT_EQ(EllipsoidTable[5].EccentricitySquared, 0.006768658);
    EXPECT_EQ(EllipsoidTable[1].SemiMajorAxis, 6377563.0);
    Peer p;  // a new converter projects on WGS-84 (row 23)
    EXPECT_EQ(p.Parse(kit::kRecord).fields[2], "481266.08,");
}
