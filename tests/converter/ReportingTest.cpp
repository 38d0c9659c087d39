// What the converter reports besides the file: error texts with their tag, progress
// kept within 0..100, the log file, the ellipsoid rows callers choose from and the
// message values callers are built against.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

#include <limits>

TEST(Reporting, ErrorTagsProgressAndMessageValues) {
    kit::Recorder rec;
    kit::Peer p;
    p.put_AppMessageWnd(&rec);
    std::string text;
    for (const auto& [tag, want] : {std::pair{5, "x  on Tag 5"}, {65535, "x  on Tag 65535"}, {0, "x"}}) {
        EXPECT_EQ(p.SetConverterErrorInfo("x", static_cast<std::uint16_t>(tag)), E_FAIL);
        p.GetLastError(text);
        EXPECT_EQ(text, want);
        EXPECT_EQ(rec.messages.back().id, WM_CONVERTERERROR);
        EXPECT_EQ(rec.messages.back().w, static_cast<std::uintptr_t>(tag));
    }
    rec.messages.clear();
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double v : {99.97, 0.4, 100.0, 250.0, -3.0, nan, inf}) p.Fire_SendPercentDone(v);
    std::vector<std::intptr_t> got;
    for (const auto& m : rec.messages) got.push_back(m.id == WM_PERCENTDONE ? m.l : -1);
    EXPECT_EQ(got, (std::vector<std::intptr_t>{99, 0, 100, 100, 0, 0, 100}));
    EXPECT_EQ(WM_PERCENTDONE, 0x479u);
    EXPECT_EQ(WM_CONVERTERERROR, 0x482u);
    EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
}

TEST(Reporting, LogFileTakesTheNameAfterTheLastBackslash) {
    TempDir dir;
    kit::Peer p;
    EXPECT_TRUE(p.WriteLogFile("anything"));  // no log file set
    p.put_Logfile(dir.file("missing.log"));
    EXPECT_FALSE(p.WriteLogFile("a"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.log")));
    p.put_Logfile(dir.write("conv.log", "first\r\n"));
    EXPECT_TRUE(p.WriteLogFile("C:\\data\\a.EDT"));
    EXPECT_TRUE(p.WriteLogFile("\\b.EDT"));
    EXPECT_EQ(TempDir::read(dir.file("conv.log")), "first\r\na.EDT\r\n\\b.EDT\r\n");
}

TEST(Reporting, EllipsoidRows) {
    CZeltoQvxConverter c;
    for (long bad : {0L, -1L, 24L}) EXPECT_EQ(c.put_EllipsoidToUse(bad), E_FAIL);
    EXPECT_STREQ(EllipsoidTable[0].Name, "Placeholder");
    EXPECT_EQ(EllipsoidTable[0].Id, -1);
    for (int i = 1; i < ZELTO_ELLIPSOID_ROWS; ++i) EXPECT_EQ(EllipsoidTable[i].Id, i);
    // Names as the dialog lists them, trailing blanks included.
    EXPECT_STREQ(EllipsoidTable[4].Name, "Bessel 1841 (Nambia) ");
    EXPECT_STREQ(EllipsoidTable[8].Name, "Fischer 1960 (Mercury) ");
    EXPECT_STREQ(EllipsoidTable[14].Name, "International");
    EXPECT_STREQ(EllipsoidTable[23].Name, "WGS-84");
}
