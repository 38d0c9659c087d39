// The harbour record of the .EDT layout notes, byte for byte, and a few UTM reference points.
#include "ZeltoQvxConverter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

TEST(WorkedExample, HeaderAndRecordBytes)
{
    const TempDir dir;
    const std::string csv = dir.write("survey.csv", std::string("titles\n") +
        ",,12.30,12.80,,,,,,,,,,,,1.5,,,,,,,,,,,,,,,,N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3,"
           "W 117\xC2\xB0" "12\xE2\x80\xB2" "00.00\xE2\x80\xB3,,09/13/2011,16:58:03.25,7,,3.25,\n");
    CZeltoQvxConverter c;
    ASSERT_EQ(c.ReadZeltoFile(csv), S_OK);
    ASSERT_EQ(c.WriteQVXFile(""), S_OK);
    EXPECT_EQ(c.get_CSVRecords(), 1);
    const std::string out = TempDir::read(dir.file("survey.EDT"));
    EXPECT_NE(out.find("TND 16:58:03 09/13/2011\r\r\n"), std::string::npos);
    EXPECT_NE(out.find("OFF 1 0.00 0.00 0.50 0.00 0.00 0.00 0.00\r\r\n"), std::string::npos);
    EXPECT_NE(out.find("REC 38\r\r\nEOH 28158\r\n"), std::string::npos);
    EXPECT_NE(out.find(",481266.08,3624529.36,16:58:03.000,12.30,,,,,,,0.50,,,,,,,,,,,7,,,,1.50,,,,3.25,,,,,,,,4162\r\r\n"),
              std::string::npos);
}

TEST(Utm, ReferencePoints)
{
    double n = 0, e = 0;
    LatLonToUTM(23, 0, 0, n, e);
    EXPECT_NEAR(e, 166021.44, 0.005);
    LatLonToUTM(23, 60, 5, n, e);
    EXPECT_NEAR(e, 276979.93, 0.005);
    EXPECT_NEAR(n, 6658157.20, 0.005);
    LatLonToUTM(5, 30, -90, n, e);
    EXPECT_NEAR(e, 210584.52, 0.005);
    EXPECT_NEAR(n, 3322395.75, 0.005);
}
