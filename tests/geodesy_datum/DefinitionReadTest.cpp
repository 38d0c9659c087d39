// What one section of a geodesy definition file says, in library units.
#include "DefinitionFile.h"
#include "Profile.h"
#include "ProjectionParams.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

TEST(DefinitionRead, MinimalTmeSectionTakesDefaults) {
    TempDir dir;
    Profile ini(dir.write("g.ini", "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\nFlattening=298.257223563\n"));
    Definition d = ReadDefinition(ini, nullptr);
    EXPECT_EQ(d.params.projection, 3);
    EXPECT_EQ(double(d.params.scaleFactor), 1.0);
    EXPECT_EQ(double(d.params.unit), 1.0);
    EXPECT_EQ(d.vertUnit, 0.0);
    EXPECT_EQ(double(d.adjustment.scale), 1.0);
    EXPECT_EQ(double(d.shift.scale), 1.0);
    EXPECT_FALSE(d.hasDatumGrid);
    EXPECT_FALSE(d.hasGeoid);
}

TEST(DefinitionRead, ProjectionNamesIgnoreCase) {
    EXPECT_EQ(ProjectionTypeFromName("utm"), 3);
    EXPECT_EQ(ProjectionTypeFromName("Utm"), 3);
    EXPECT_EQ(ProjectionTypeFromName("lambert"), 1);
    EXPECT_EQ(ProjectionTypeFromName("smerc"), 9);
    EXPECT_EQ(ProjectionTypeFromName("PST"), 12);
    EXPECT_EQ(ProjectionTypeFromName(""), 0);
    EXPECT_EQ(ProjectionTypeFromName("XYZ"), 0);
}

TEST(DefinitionRead, UnitsOfTheFileAreConverted) {
    TempDir dir;
    Profile ini(dir.write("g.ini",
                          "[Geodesy]\nProjection=LCC\nCentralMeridian=-99\nDeltaScale=2\nDeltaRZ=1\n"
                          "AdjustType=1\nReverseX=Yes\nReverseY=2\nAdjustRotation=90\nDynDatum=C:\\b\\g.grd\n"
                          "Geoid=geo.grd\nOrthoHCorr=0.5\n"));
    Definition d = ReadDefinition(ini, "geodesy");
    EXPECT_DOUBLE_EQ(double(d.params.centralMeridian), -99 * kDeg);
    EXPECT_DOUBLE_EQ(double(d.shift.scale), 1.000002);
    EXPECT_DOUBLE_EQ(double(d.shift.rz), kSec);
    EXPECT_EQ(d.adjustment.typeWord, 0x10001u);
    EXPECT_DOUBLE_EQ(double(d.adjustment.rotation), std::numbers::pi / 2);
    EXPECT_TRUE(d.hasDatumGrid);
    EXPECT_EQ(d.datumGrid, "C:\\b\\g.grd");
    EXPECT_TRUE(d.hasGeoid);
    EXPECT_EQ(d.orthoCorrection, 0.5);
}

}  // namespace
