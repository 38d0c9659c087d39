// How the vortan command reads numbers and writes them whatever the locale
// (the fields and angles it reads, good and bad: tests/data/tools/vortan.cases,
// run under a C locale).
#include "CommaDecimalLocale.h"
#include "PointParser.h"

#include <gtest/gtest.h>

TEST(VortanOutput, FixedNotationAndNumbersIgnoreTheLocale) {
    {
        const CommaDecimalLocale german;
        ASSERT_TRUE(german.Active());
        EXPECT_EQ(FormatFixed(1234567.891249, 3), "1234567.891");
        EXPECT_EQ(*ParseNumber("0.5"), 0.5);
        EXPECT_FALSE(ParseNumber("1,5"));
    }
    EXPECT_FALSE(ParseNumber("12m"));
    EXPECT_FALSE(ParseNumber("inf"));
    EXPECT_EQ(FormatFixed(-0.0001, 3), "0.000");
    EXPECT_EQ(FormatFixed(-1.5, 0), "-2");
    EXPECT_EQ(FormatFixed(2.0, 2), "2.00");
}
