// The unit table, HConvert and VConvert, and the local names of units and
// axes in English, French and Spanish.
#include "ProjectionParams.h"
#include "Units.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

namespace {

// UTM zone 31 in the given unit: the names and unit conversions of the grid
// do not depend on the zone.
GeodesyParams Grid(double unit) { return Utm(31, unit); }

// GetLocalName's text, or "<12>" style for a failure with its code.
std::string Name(GEODESY h, int32_t which, const char* language) {
    char buffer[64];
    if (GetLocalName(h, which, language, buffer, sizeof buffer) != 1)
        return "<" + std::to_string(GetGeodesyError()) + ">" + buffer;
    return buffer;
}

// What GetLocalName gives for `which` in `language`.
struct NameCase {
    int32_t which;
    const char* language;
    const char* text;
};

void ExpectNames(GEODESY h, std::initializer_list<NameCase> cases) {
    for (const NameCase& c : cases)
        EXPECT_EQ(Name(h, c.which, c.language), c.text) << c.which << " " << (c.language ? c.language : "(null)");
}

}  // namespace

TEST(UnitTable, FactorsAreRecognisedExactlyInIdOrder) {
    const double factors[15] = {1.0,          0.3048006096, 0.3048,        0.914402,     20.11678249,
                                1852.0,       1.8288,       0.3047972654,  0.3047995142, 0.91439841,
                                0.91439855,   0.2011678249, 0.201166195,   0.211676512,  20.1167651216};
    for (int32_t id = 1; id <= 15; ++id) {
        EXPECT_EQ(UnitIdForFactor(factors[id - 1]), id);
        EXPECT_EQ(UnitFactorForId(id), factors[id - 1]);
    }
    EXPECT_EQ(UnitIdForFactor(0.2011676512), 0);  // id 14 is stored as 0.211676512
    EXPECT_EQ(UnitIdForFactor(0.3048006097), 0);
    EXPECT_EQ(UnitIdForFactor(0.0), 0);
    EXPECT_EQ(UnitFactorForId(0), 0.0);
    EXPECT_EQ(UnitFactorForId(16), 0.0);
}

TEST(UnitConvert, UsFeetToMetresAndBack) {
    const ScopedGeodesy h(Grid(0.3048006096));
    ASSERT_NE(h, nullptr);
    double v = 1.0;
    ASSERT_EQ(HConvert(h, &v, 1), 1);
    EXPECT_EQ(v, 0.3048006096);
    ASSERT_EQ(HConvert(h, &v, 0), 1);
    EXPECT_EQ(v, 1.0);
    v = 2.0;
    ASSERT_EQ(VConvert(h, &v, 1), 1);  // the vertical unit starts as the horizontal
    EXPECT_EQ(v, 2.0 * 0.3048006096);
    ASSERT_EQ(VConvert(h, &v, 0), 1);
    EXPECT_DOUBLE_EQ(v, 2.0);
    EXPECT_EQ(HConvert(h, nullptr, 1), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(HConvert(nullptr, &v, 1), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(VConvert(nullptr, &v, 1), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
}

TEST(LocalNames, UsFeetInEnglishAndInFrenchWrittenInCapitals) {
    const ScopedGeodesy h(Grid(0.3048006096));
    ASSERT_NE(h, nullptr);
    ExpectNames(h, {{3, "eng", "ftUS"},
                    {1, "eng", "foot (US)"},
                    {2, "eng", "feet (US)"},
                    {1, "FRA", "pied (US)"},
                    {2, "Fra", "pieds (US)"},
                    {3, "FRA", "ftUS"},  // no French abbreviations
                    {1, "esp", "pie (US)"},
                    {5, "ESP", "pies (US)"},
                    {6, "esp", "ftUS"}});
    EXPECT_EQ(GetGeodesyError(), 0);
}

TEST(LocalNames, AccentedFrenchTextsAreWindows1252Bytes) {
    const ScopedGeodesy h(Grid(1.0));
    ASSERT_NE(h, nullptr);
    ExpectNames(h, {{1, "fra", "m\xE8tre"},
                    {2, "fra", "m\xE8tres"},
                    {1, "esp", "metro"},
                    {7, "fra", "est"},
                    {9, "esp", "norte"},
                    {8, "esp", "X"},
                    {10, "fra", "Y"}});
    EXPECT_EQ(std::string(NameString(137)), "cha\xEEne");
    EXPECT_EQ(std::string(NameString(179)), "cha\xEEnes (Sears)");
}

TEST(LocalNames, ChineseJapaneseAndUnknownLanguagesFallBackToEnglish) {
    const ScopedGeodesy h(Grid(1852.0));
    ASSERT_NE(h, nullptr);
    for (const char* language : std::initializer_list<const char*>{"chs", "JPN", "deu", "", nullptr})
        ExpectNames(h, {{1, language, "nautical mile"},
                        {2, language, "nautical miles"},
                        {3, language, "NM"},
                        {7, language, "easting"},
                        {10, language, "Y"}});
}

TEST(LocalNames, UnitNotInTheTableHasNoNameError12) {
    const ScopedGeodesy h(Grid(0.3048006097));  // differs from the US foot in its last digit
    ASSERT_NE(h, nullptr);
    for (int32_t which : {1, 2, 3, 4, 5, 6}) EXPECT_EQ(Name(h, which, "eng"), "<12>") << which;
    EXPECT_EQ(Name(h, 1, "fra"), "<12>");
    EXPECT_EQ(Name(h, 7, "eng"), "easting");  // the axes still have names
}

TEST(LocalNames, UnknownWhichIsError12AndNullsError2) {
    const ScopedGeodesy h(Grid(1.0));
    ASSERT_NE(h, nullptr);
    for (int32_t which : {0, 11, -1, 1000}) EXPECT_EQ(Name(h, which, "eng"), "<12>") << which;
    char buffer[8];
    EXPECT_EQ(GetLocalName(nullptr, 1, "eng", buffer, sizeof buffer), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(GetLocalName(h, 1, "eng", nullptr, 8), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(GetLocalName(h, 1, "eng", buffer, 0), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
}

TEST(LocalNames, LongNamesAreCutToTheBufferAndTerminated) {
    const ScopedGeodesy h(Grid(1852.0));
    ASSERT_NE(h, nullptr);
    char buffer[9];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    ASSERT_EQ(GetLocalName(h, 2, "eng", buffer, 6), 1);
    EXPECT_STREQ(buffer, "nauti");
    EXPECT_EQ(buffer[6], '#');
    ASSERT_EQ(GetLocalName(h, 3, "eng", buffer, 1), 1);
    EXPECT_STREQ(buffer, "");
}

TEST(LocalNames, AxisNamesFollowTheReversalOfTypeOne) {
    const ScopedGeodesy h(Grid(1.0));
    ASSERT_NE(h, nullptr);
    const AdjustParams reverseX{1u | 0x10000u, 0, 0, 0, 1.0, 0, 0};
    ASSERT_EQ(SetAdjustment(h, &reverseX), 1);
    ExpectNames(h, {{7, "eng", "westing"}, {8, "eng", "Y"}, {9, "eng", "northing"}, {7, "fra", "ouest"}});
    // Type 0 afterwards changes no name: still westing.
    const AdjustParams none{0u, 0, 0, 0, 1.0, 0, 0};
    ASSERT_EQ(SetAdjustment(h, &none), 1);
    EXPECT_EQ(Name(h, 7, "eng"), "westing");
    const AdjustParams reverseY{1u | 0x20000u, 0, 0, 0, 1.0, 0, 0};
    ASSERT_EQ(SetAdjustment(h, &reverseY), 1);
    ExpectNames(h, {{7, "eng", "easting"}, {9, "eng", "southing"}, {10, "esp", "X"}, {9, "esp", "sur"}});
}

TEST(LocalNames, TableIsCompleteForEveryUnitAndLanguage) {
    for (int32_t u = 1; u <= 15; ++u) {
        ASSERT_NE(NameString(u), nullptr) << u;
        for (int32_t offset : {0, 100, 200}) {
            EXPECT_NE(NameString(u + 32 + offset), nullptr) << u << " " << offset;
            EXPECT_NE(NameString(u + 64 + offset), nullptr) << u << " " << offset;
        }
        EXPECT_EQ(NameString(u + 100), nullptr);  // no French abbreviations
    }
    for (int32_t a = 16; a <= 19; ++a)
        for (int32_t offset : {0, 100, 200}) EXPECT_NE(NameString(a + 32 + offset), nullptr);
    EXPECT_EQ(NameString(0), nullptr);
    EXPECT_EQ(NameString(32), nullptr);
    EXPECT_EQ(NameString(64), nullptr);
    EXPECT_EQ(NameString(333), nullptr);
}
