// The public grids of PROJ's data package, imported and looked up through
// the library, beside PROJ on the original files: equal at the nodes to the
// grid's single precision, and within the measured bound between them (the
// library's cubic-step weights against PROJ's bilinear ones; bench/grids has
// the full comparison). Skipped where the grids are not installed.
#include "GridCommand.h"
#include "ProjOracle.h"
#include "SuiteFolderTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
const std::string kProjGrids = "/usr/share/proj/";

struct PublicGrid {
    const char* file;
    const char* definition;  // keys after the ellipsoid
    double south, west, latStep, lonStep;  // nodes, degrees
    int rows, cols, stride;               // nodes checked: every stride-th row and column
    double atNodes, betweenNodes;         // metres
};

// Geoid: undulation difference. Datum: distance between the two WGS-84
// positions of a project-datum point (R = 6378137 m).
double Difference(GEODESY h, const ProjOracle& proj, bool geoid, double lat, double lon) {
    if (geoid) {
        double n = 0.0;
        if (!Undulation(h, lat * kRad, lon * kRad, &n)) return INFINITY;
        return n - proj.Trans(PJ_FWD, lon * kRad, lat * kRad, 0.0).xyz.z;
    }
    double phi = lat * kRad, lam = lon * kRad;
    if (!InvWGS84Conv(h, &phi, &lam, nullptr)) return INFINITY;
    const PJ_COORD c = proj.Trans(PJ_FWD, lon * kRad, lat * kRad, 0.0);
    return 6378137.0 * std::hypot(phi - c.lp.phi, (lam - c.lp.lam) * std::cos(phi));
}

class PublicGrids : public SuiteFolderTest {};

TEST_F(PublicGrids, ImportedGridsAgreeWithProj) {
    const PublicGrid grids[] = {
        {"egm96_15.gtx", "Geoid=imported.grd", -90.0, -180.0, 0.25, 0.25, 721, 1441, 7, 1e-6, 1.0},
        {"BETA2007.gsb", "DynDatum=imported.grd", 47.0, 5.5, 0.1, 1.0 / 6.0, 84, 62, 1, 1e-4, 0.4},
    };
    int tested = 0;
    for (const PublicGrid& g : grids) {
        SCOPED_TRACE(g.file);
        const std::string original = kProjGrids + g.file;
        if (!std::filesystem::exists(original)) continue;
        ++tested;
        std::string args[] = {"grid", "import", original, DatumFolder("imported.grd")};
        char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data()};
        testing::internal::CaptureStdout();
        ASSERT_EQ(RunGridCommand(4, argv), 0);
        testing::internal::GetCapturedStdout();
        GEODESY h = CreateFileGeodesy(
            Write("public.ini", std::string("[Geodesy]\nProjection=TME\nSemiMajorAxis=6377397.155\n"
                                            "Flattening=299.1528128\n") + g.definition + "\n")
                .c_str(),
            "Geodesy");
        ASSERT_NE(h, nullptr);
        const bool geoid = std::string(g.definition).starts_with("Geoid");
        const ProjOracle proj(geoid ? "+proj=vgridshift +multiplier=1 +grids=" + original
                                    : "+proj=hgridshift +grids=" + original);
        double largest = 0.0;
        for (int r = 0; r < g.rows; r += g.stride)
            for (int c = 0; c < g.cols; c += g.stride)
                largest = std::max(largest, std::fabs(Difference(h, proj, geoid, g.south + r * g.latStep,
                                                                 g.west + c * g.lonStep)));
        EXPECT_LT(largest, g.atNodes);
        largest = 0.0;
        for (int i = 1; i < 2000; ++i) {  // a lattice of fractions through every part of the cells
            const double fy = std::fmod(i * 0.618033988749895, 1.0), fx = std::fmod(i * 0.754877666246693, 1.0);
            largest = std::max(largest, std::fabs(Difference(h, proj, geoid, g.south + fy * (g.rows - 1) * g.latStep,
                                                             g.west + fx * (g.cols - 1) * g.lonStep)));
        }
        EXPECT_LT(largest, g.betweenNodes);
        DestroyGeodesy(h);
    }
    if (tested == 0) GTEST_SKIP() << "PROJ's grids are not installed in " << kProjGrids;
}

}  // namespace
