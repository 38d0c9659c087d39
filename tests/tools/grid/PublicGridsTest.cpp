// The public grids of PROJ's data package, imported by `vortan grid import`
// and looked up through the library, beside PROJ on the original files: equal
// at the nodes to the grids' single precision, and within the measured bound
// between them (the library's cubic-step weights against PROJ's bilinear
// ones; bench/grids has the full comparison). Skipped where not installed.
#include "GridCommand.h"
#include "ProjOracle.h"
#include "SuiteFolderTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;

using PublicGrids = SuiteFolderTest;

TEST_F(PublicGrids, ImportedGridsAgreeWithProj) {
    struct Grid {
        const char* file;
        double south, west, latStep, lonStep;  // nodes, degrees
        int rows, cols, stride;                // nodes checked: every stride-th row and column
        double atNodes, betweenNodes;          // metres
    };
    const Grid grids[] = {{"egm96_15.gtx", -90.0, -180.0, 0.25, 0.25, 721, 1441, 7, 1e-6, 1.0},
                          {"BETA2007.gsb", 47.0, 5.5, 0.1, 1.0 / 6.0, 84, 62, 1, 1e-4, 0.4}};
    int tested = 0;
    for (const Grid& g : grids) {
        SCOPED_TRACE(g.file);
        std::string args[] = {"grid", "import", std::string("/usr/share/proj/") + g.file, DatumFolder(g.file)};
        if (!std::filesystem::exists(args[2])) continue;
        ++tested;
        char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data()};
        testing::internal::CaptureStdout();
        ASSERT_EQ(RunGridCommand(3, argv + 1), 0);
        testing::internal::GetCapturedStdout();
        const bool geoid = args[2].ends_with(".gtx");
        GEODESY h = Open("[Geodesy]\nProjection=TME\nSemiMajorAxis=6377397.155\nFlattening=299.1528128\n" +
                         std::string(geoid ? "Geoid=" : "DynDatum=") + g.file + "\n");
        ASSERT_NE(h, nullptr);
        const ProjOracle proj((geoid ? "+proj=vgridshift +multiplier=1 +grids=" : "+proj=hgridshift +grids=") +
                              args[2]);
        // Geoid: undulation difference. Datum: distance between the two
        // WGS-84 positions of a project-datum point (R = 6378137 m).
        const auto difference = [&](double lat, double lon) {
            const PJ_COORD c = proj.Trans(PJ_FWD, lon * kRad, lat * kRad, 0.0);
            double phi = lat * kRad, lam = lon * kRad, n = 0.0;
            if (geoid) return Undulation(h, phi, lam, &n) ? std::fabs(n - c.xyz.z) : HUGE_VAL;
            if (!InvWGS84Conv(h, &phi, &lam, nullptr)) return HUGE_VAL;
            return 6378137.0 * std::hypot(phi - c.lp.phi, (lam - c.lp.lam) * std::cos(phi));
        };
        double largest = 0.0;
        for (int r = 0; r < g.rows; r += g.stride)
            for (int c = 0; c < g.cols; c += g.stride)
                largest = std::max(largest, difference(g.south + r * g.latStep, g.west + c * g.lonStep));
        EXPECT_LT(largest, g.atNodes);
        largest = 0.0;
        for (int i = 1; i < 2000; ++i) {  // a lattice of fractions through every part of the cells
            const double fy = std::fmod(i * 0.618033988749895, 1.0), fx = std::fmod(i * 0.754877666246693, 1.0);
            largest = std::max(largest, difference(g.south + fy * (g.rows - 1) * g.latStep,
                                                   g.west + fx * (g.cols - 1) * g.lonStep));
        }
        EXPECT_LT(largest, g.betweenNodes);
    }
    if (tested == 0) GTEST_SKIP() << "PROJ's grids are not installed in /usr/share/proj";
}

}  // namespace
