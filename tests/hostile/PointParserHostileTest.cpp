// Hostile fields for the vortan command's point reader.
#include "PointParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(HostilePoints, HugeTinyAndNonNumbers) {
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_FALSE(ParseNumber("-"));
    EXPECT_FALSE(ParseNumber("1e99999").has_value() && std::isfinite(*ParseNumber("1e99999")));
    EXPECT_FALSE(ParseAngle("", Axis::Latitude));
    EXPECT_FALSE(ParseAngle("°", Axis::Latitude));
    EXPECT_FALSE(ParseAngle("N", Axis::Latitude));
    EXPECT_FALSE(ParseAngle("12E", Axis::Latitude));  // wrong axis letter
    const std::string longField(100000, '9');
    (void)ParseNumber(longField);
    (void)ParseAngle(longField, Axis::Longitude);
}

TEST(HostilePoints, FormattingExtremes) {
    EXPECT_FALSE(FormatFixed(1e308, 12).empty());
    EXPECT_FALSE(FormatFixed(-1e308, 0).empty());
    EXPECT_FALSE(FormatFixed(std::nan(""), 3).empty());
    EXPECT_FALSE(FormatFixed(INFINITY, 3).empty());
    EXPECT_FALSE(FormatFixed(4.9e-324, 12).empty());
}

TEST(HostilePoints, SplitDropsEmptyFields) {
    EXPECT_TRUE(SplitFields("").empty());
    EXPECT_TRUE(SplitFields(" , ,,  ").empty());
    EXPECT_EQ(SplitFields(std::string("1\0002", 3)).size(), 1u);
}

}  // namespace
