// How the vortan command reads points and writes numbers.
#include "CommaDecimalLocale.h"
#include "PointParser.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

TEST(VortanInput, FieldsSplitAtBlanksAndCommas) {
    EXPECT_EQ(SplitFields("  51.5, -0.12\t 45 "), (std::vector<std::string>{"51.5", "-0.12", "45"}));
}

TEST(VortanInput, DegreesMinutesSecondsWithHemisphere) {
    EXPECT_NEAR(*ParseAngle("51\xC2\xB0" "30\xE2\x80\xB2" "15.5\xE2\x80\xB3N", Axis::Latitude), 51.50430555555556, 1e-12);
    EXPECT_NEAR(*ParseAngle("0\xC2\xB0" "7'39\"W", Axis::Longitude), -(7 / 60.0 + 39 / 3600.0), 1e-12);
    EXPECT_NEAR(*ParseAngle("S33\xC2\xB0" "52'", Axis::Latitude), -(33 + 52 / 60.0), 1e-12);
    EXPECT_NEAR(*ParseAngle("12.5E", Axis::Longitude), 12.5, 0);
    EXPECT_NEAR(*ParseAngle("-12.25", Axis::Longitude), -12.25, 0);
    EXPECT_NEAR(*ParseAngle("10d30'", Axis::Latitude), 10.5, 1e-12);
}

TEST(VortanInput, BadAnglesAreRefused) {
    EXPECT_FALSE(ParseAngle("51\xC2\xB0" "61'N", Axis::Latitude));  // minutes >= 60
    EXPECT_FALSE(ParseAngle("-12N", Axis::Latitude));                // sign and letter
    EXPECT_FALSE(ParseAngle("abc", Axis::Latitude));
    EXPECT_FALSE(ParseAngle("12.5.3", Axis::Latitude));
    EXPECT_FALSE(ParseNumber("1,5"));
    EXPECT_FALSE(ParseNumber("12m"));
    EXPECT_FALSE(ParseNumber("inf"));
}

TEST(VortanOutput, FixedNotationIgnoresTheLocale) {
    {
        const CommaDecimalLocale german;
        ASSERT_TRUE(german.Active());
        EXPECT_EQ(FormatFixed(1234567.891249, 3), "1234567.891");
        EXPECT_EQ(*ParseNumber("0.5"), 0.5);
    }
    EXPECT_EQ(FormatFixed(-0.0001, 3), "0.000");
    EXPECT_EQ(FormatFixed(-1.5, 0), "-2");
    EXPECT_EQ(FormatFixed(2.0, 2), "2.00");
}

}  // namespace
