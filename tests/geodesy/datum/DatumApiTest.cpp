// The datum family and CreateFileGeodesy through the C interface: definition
// files and grid files written by the tests, PROJ as the oracle.
#include "InstallDir.h"
#include "ProjOracle.h"
#include "SuiteFolderTest.h"
#include "TempDir.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

namespace {

using DefinitionFiles = SuiteFolderTest;

// ---- the definition file keys, defaults and failures ---------------------

TEST_F(DefinitionFiles, ProjectionValueIgnoresLetterCaseAndSectionIsChosen) {
    const auto f = Write("case.ini",
                         "[Other]\nprojection = uTm\nSemiMajorAxis=6378137\nFlattening=298.257223563\n"
                         "[Geodesy]\nProjection=Lambert\n");
    GEODESY h = CreateFileGeodesy(f.c_str(), "other");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(ParamsOf(h).projection, 3);
    DestroyGeodesy(h);
}

TEST_F(DefinitionFiles, FailuresGiveTheirCodes) {
    const std::string wgs = "SemiMajorAxis=6378137\nFlattening=298.257223563\n";
    const struct {
        std::string text;
        int32_t code;
    } refused[] = {{"", 5},  // an empty file reads as all defaults
                   {"[Elsewhere]\nProjection=TME\n" + wgs, 5},
                   {"[Geodesy]\n" + wgs, 5},
                   {"[Geodesy]\nProjection=\n" + wgs, 5},
                   {"[Geodesy]\n;Projection=TME\n" + wgs, 5},
                   {"[Geodesy]\nProjection=XYZ\n" + wgs, 5},
                   {"[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\n", 3},
                   {"[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\nFlattening=0\n", 3},
                   {"[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\nFlattening=abc\n", 3},
                   // Without SemiMajorAxis the axis is 0: a grid of no size.
                   {"[Geodesy]\nProjection=TME\nFlattening=298.257223563\n", 7}};
    for (const auto& c : refused) {
        EXPECT_EQ(Open(c.text), nullptr) << c.text;
        EXPECT_EQ(GetGeodesyError(), c.code) << c.text;
    }
    // An absent file reads as all defaults.
    const std::string absent = dir.file("absent.ini");
    for (const char* path : {absent.c_str(), static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(CreateFileGeodesy(path, "Geodesy"), nullptr);
        EXPECT_EQ(GetGeodesyError(), 5);
    }
    // No section name is the [Geodesy] section.
    GEODESY h = CreateFileGeodesy(Write("min.ini", "[Geodesy]\nProjection=TME\n" + wgs).c_str(), nullptr);
    EXPECT_NE(h, nullptr);
    DestroyGeodesy(h);
}

TEST_F(DefinitionFiles, FlagWordsOfTheAdjustment) {
    struct Case {
        const char* x;
        const char* y;
        uint32_t word;
    } cases[] = {{"Yes", "1", 0x30001u}, {"2", "true", 0x20001u}, {"", "off", 0x00001u}};
    for (const Case& c : cases) {
        GEODESY h = Open(std::string(kClarkeUtm11) + "AdjustType=1\nReverseX=" + c.x + "\nReverseY=" + c.y +
                             "\nAdjustScale=0\nAdjustRotation=90\n",
                         "adj.ini");
        ASSERT_NE(h, nullptr);
        const AdjustParams a = AdjustmentOf(h);
        EXPECT_EQ(a.typeWord, c.word) << c.x << " " << c.y;
        EXPECT_EQ(double(a.scale), 1.0);
        EXPECT_NEAR(double(a.rotation), 90 * kDeg, 1e-15);
    }
}

TEST_F(DefinitionFiles, DeltaKeysInFileUnits) {
    GEODESY h = Open(std::string(kClarkeUtm11) +
                         "DeltaX=8\nDeltaY=-160\nDeltaZ=-176\nDeltaScale=2.5\nDeltaRX=0.5\nDeltaRY=-1\nDeltaRZ=1.5\n",
                     "delta.ini");
    ASSERT_NE(h, nullptr);
    const EllDiffParams d = EllDiffOf(h);
    EXPECT_EQ(double(d.dx), 8.0);
    EXPECT_EQ(double(d.dy), -160.0);
    EXPECT_EQ(double(d.dz), -176.0);
    EXPECT_DOUBLE_EQ(double(d.scale), 1.0000025);
    EXPECT_DOUBLE_EQ(double(d.rx), 0.5 * kSec);
    EXPECT_DOUBLE_EQ(double(d.ry), -1 * kSec);
    EXPECT_DOUBLE_EQ(double(d.rz), 1.5 * kSec);
}

// ---- grids named in the definition ---------------------------------------

TEST_F(DefinitionFiles, DynDatumFolderRuleAndPrecedenceOverDelta) {
    WriteConstantGrid("nad.grd", {8.0f, -160.0f, -176.0f});
    for (const char* value : {"nad.grd", "C:\\Program Files\\Suite\\datum\\nad.grd", "/elsewhere/nad.grd"}) {
        GEODESY h = Open(std::string(kClarkeUtm11) + "DynDatum=" + value + "\nDeltaX=999\n", "dyn.ini");
        ASSERT_NE(h, nullptr) << value << " error " << GetGeodesyError();
        char path[300];
        ASSERT_EQ(GetEllModel(h, path, sizeof path), 1);
        EXPECT_EQ(std::string(path), DatumFolder("nad.grd")) << value;
        const EllDiffParams d = EllDiffOf(h);
        EXPECT_EQ(double(d.scale), -1.0);
        EXPECT_EQ(double(d.dx), 0.0);
    }
}

TEST_F(DefinitionFiles, MissingGeoidGivesUsableHandleWithError9) {
    // Absent, or too short for its rows: a handle without geoid or correction.
    WriteConstantGrid("short.geo", {-30.0f});
    std::filesystem::resize_file(DatumFolder("short.geo"), 150);
    for (const char* geoid : {"absent.geo", "C:\\Suite\\datum\\short.geo"}) {
        GEODESY h = Open(std::string(kClarkeUtm11) + "OrthoHCorr=12.5\nGeoid=" + geoid + "\n", "geo.ini");
        ASSERT_NE(h, nullptr) << geoid;
        EXPECT_EQ(GetGeodesyError(), 9);
        char path[64] = "x";
        double corr = -1.0, n = -1.0, x = 0, y = 0;
        ASSERT_EQ(GetGeoid(h, path, sizeof path, &corr), 1);
        EXPECT_STREQ(path, "");
        EXPECT_EQ(corr, 0.0);
        ASSERT_EQ(Undulation(h, 32 * kDeg, -117 * kDeg, &n), 1);
        EXPECT_EQ(n, 0.0);
        EXPECT_EQ(GeoXY(h, &x, &y, 32 * kDeg, -117 * kDeg), 1);
    }
}

TEST_F(DefinitionFiles, GeoidFromTheDatumFolderKeepsTheCorrection) {
    WriteConstantGrid("g.geo", {-35.0f});
    GEODESY h = Open(std::string(kClarkeUtm11) + "OrthoHCorr=0.5\nGeoid=..\\x\\g.geo\n", "geo.ini");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetGeodesyError(), 0);
    double n = 0;
    ASSERT_EQ(Undulation(h, 32 * kDeg, -117 * kDeg, &n), 1);
    EXPECT_NEAR(n, -34.5, 1e-6);
}

TEST_F(DefinitionFiles, EllModelPathIsCutToTheBuffer) {
    WriteConstantGrid("c.grd", {1.0f, 2.0f, 3.0f});
    const ScopedGeodesy h(Wgs84Tm(0));  // about Greenwich
    ASSERT_EQ(SetEllModel(h, DatumFolder("c.grd").c_str()), 1);
    char small[6];
    ASSERT_EQ(GetEllModel(h, small, sizeof small), 1);
    EXPECT_EQ(std::string(small), DatumFolder("c.grd").substr(0, 5));
    EXPECT_EQ(GetEllModel(h, small, 0), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    ASSERT_EQ(SetEllModel(h, nullptr), 1);
    const EllDiffParams d = EllDiffOf(h);
    EXPECT_EQ(double(d.scale), 1.0);
}

// ---- the conversions through the C interface ------------------------------

TEST(DatumApi, NullHandleGivesError2) {
    double a = 0, b = 0, c = 0;
    EXPECT_EQ(GeoECEF(nullptr, &a, &b, &c, 0, 0, 0), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
    EXPECT_EQ(WGS84Conv(nullptr, &a, &b, nullptr), 0);
    EXPECT_EQ(InvEllConv(nullptr, &a, &b, nullptr, 6378137, 0.003), 0);
    EXPECT_EQ(SetEllModel(nullptr, nullptr), 0);
    EXPECT_EQ(GetEllDiff(nullptr, nullptr), 0);
    EXPECT_EQ(GetGeodesyError(), 2);
}

TEST(DatumApi, WithoutDeltaNothingMovesEvenOnAnotherEllipsoid) {
    const GeodesyParams p = OnEllipsoid(6378388.0, 297.0, 3);
    const ScopedGeodesy h(p);
    double lat = 0.9, lon = 0.1, height = 5.0;
    EXPECT_EQ(WGS84Conv(h, &lat, &lon, &height), 1);
    EXPECT_EQ(lat, 0.9);
    EXPECT_EQ(lon, 0.1);
    EXPECT_EQ(height, 5.0);
    EllDiffParams scaleOnly{0, 0, 0, 1.00001, 0, 0, 0};
    ASSERT_EQ(SetEllDiff(h, &scaleOnly), 1);
    EXPECT_EQ(InvWGS84Conv(h, &lat, &lon, &height), 1);
    EXPECT_EQ(lat, 0.9);
    EllDiffParams rotation{0, 0, 0, 1.0, 0, 0, 1e-6};
    ASSERT_EQ(SetEllDiff(h, &rotation), 1);
    EXPECT_EQ(WGS84Conv(h, &lat, &lon, nullptr), 1);
    EXPECT_NE(lon, 0.1);
}

TEST(DatumApi, UnusableShiftIsRefusedAndTheOldOneStays) {
    const ScopedGeodesy h(Wgs84Tm(0));
    EllDiffParams good{1, 2, 3, 1.0, 0, 0, 0};
    ASSERT_EQ(SetEllDiff(h, &good), 1);
    for (double s : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        EllDiffParams bad{1, 2, 3, s, 0, 0, 0};
        EXPECT_EQ(SetEllDiff(h, &bad), 0);
        EXPECT_EQ(GetGeodesyError(), 7);
    }
    const EllDiffParams back = EllDiffOf(h);
    EXPECT_EQ(double(back.dz), 3.0);
    EXPECT_EQ(double(back.scale), 1.0);
}

TEST(DatumApi, EcefOnThePolarAxisAndNotFinitePoints) {
    const ScopedGeodesy h(Wgs84Tm(0));
    double lat = 0, lon = 1, height = 0;
    ASSERT_EQ(ECEFGeo(h, 0, 0, 6356852.3142, &lat, &lon, &height), 1);
    EXPECT_DOUBLE_EQ(lat, std::asin(1.0));
    EXPECT_EQ(lon, 0.0);
    EXPECT_NEAR(height, 100.0, 1e-3);
    ASSERT_EQ(ECEFGeo(h, 0, 0, 0, &lat, &lon, nullptr), 1);
    EXPECT_DOUBLE_EQ(lat, -std::asin(1.0));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    lat = 0.5;
    EXPECT_EQ(ECEFGeo(h, nan, 1e6, 1e6, &lat, &lon, &height), 0);
    EXPECT_EQ(GetGeodesyError(), 10);
    EXPECT_EQ(lat, 0.5);
    EllDiffParams t{1, 2, 3, 1.0, 0, 0, 0};
    SetEllDiff(h, &t);
    double la = nan, lo = 0.1;
    EXPECT_EQ(WGS84Conv(h, &la, &lo, nullptr), 0);
    EXPECT_EQ(GetGeodesyError(), 10);
}

TEST(DatumApi, EllConvOnTheOwnEllipsoidChangesNothingAndBadEllipsoidIsRefused) {
    const ScopedGeodesy h(Wgs84Tm(0));
    EllDiffParams t{-87, -98, -121, 1.0, 0, 0, 0};
    SetEllDiff(h, &t);
    double lat = 0.8, lon = 0.2, height = 0;
    EXPECT_EQ(EllConv(h, &lat, &lon, &height, 6378137.0, 1.0 / 298.257223563), 1);
    EXPECT_EQ(lat, 0.8);
    EXPECT_EQ(EllConv(h, &lat, &lon, &height, 6378388.0, 2.5), 0);
    EXPECT_EQ(GetGeodesyError(), 3);
    EXPECT_EQ(lat, 0.8);
    // International 1924 to WGS-84 with the shift, and back.
    ASSERT_EQ(EllConv(h, &lat, &lon, &height, 6378388.0, 1.0 / 297.0), 1);
    EXPECT_NE(lat, 0.8);
    ASSERT_EQ(InvEllConv(h, &lat, &lon, &height, 6378388.0, 1.0 / 297.0), 1);
    EXPECT_NEAR(lat, 0.8, 1e-10);
    EXPECT_NEAR(lon, 0.2, 1e-10);
}

// WGS84Conv is cart on WGS-84, the coordinate-frame Helmert and the inverse
// cart on the project ellipsoid: PROJ's pipeline of the same three steps.
TEST(DatumApi, Wgs84ConvMatchesProjPipelineWorldwide) {
    const GeodesyParams p = OnEllipsoid(6377397.155, 299.1528128, 3);
    const ScopedGeodesy h(p);
    ASSERT_NE(h, nullptr);
    // EPSG's worked example parameters (WGS 84 to ED50-like frame, coordinate frame).
    EllDiffParams t{-598.1, -73.7, -418.2, 1.0 + 6.7e-6, 0.202 * kSec, 0.045 * kSec, -2.455 * kSec};
    ASSERT_EQ(SetEllDiff(h, &t), 1);
    ProjOracle proj(
        "+proj=pipeline +step +proj=unitconvert +xy_in=rad +xy_out=rad +step +proj=cart +ellps=WGS84 "
        "+step +proj=helmert +x=-598.1 +y=-73.7 +z=-418.2 +rx=0.202 +ry=0.045 +rz=-2.455 +s=6.7 "
        "+convention=coordinate_frame +step +inv +proj=cart +a=6377397.155 +rf=299.1528128");
    double worst = 0;
    for (double latDeg = -85; latDeg <= 85; latDeg += 17)
        for (double lonDeg = -179; lonDeg <= 180; lonDeg += 29) {
            double lat = latDeg * kDeg, lon = lonDeg * kDeg, height = 120.0;
            ASSERT_EQ(WGS84Conv(h, &lat, &lon, &height), 1);
            PJ_COORD r = proj.Trans(PJ_FWD, lonDeg * kDeg, latDeg * kDeg, 120.0);
            const double dN = std::fabs(lat - r.lpz.phi);
            const double dE = std::fabs(lon - r.lpz.lam) * std::cos(lat);
            worst = std::max({worst, dN, dE});
            EXPECT_LT(dN, kMmAngle) << latDeg << " " << lonDeg;
            EXPECT_LT(dE, kMmAngle) << latDeg << " " << lonDeg;
            EXPECT_NEAR(height, r.lpz.z, 1e-3);
        }
    RecordProperty("worst_angle_rad", std::to_string(worst));
}

}  // namespace
