// Differences between the library and PROJ on the same public grids:
//   - geoid undulation: `Undulation` on a definition naming the imported
//     EGM96 (egm96_15.grd) against PROJ's vgridshift on egm96_15.gtx, at
//     every grid node and at 10,000 points spread evenly over the globe;
//   - datum shift: `InvWGS84Conv` and `WGS84Conv` on a definition naming an
//     imported NTv2 grid (DynDatum) against PROJ's hgridshift on the .gsb
//     (forward and inverse), at every node and at 1,000 points inside it.
// At nodes both read the same float32 values; between nodes the library's
// cubic-step weights and PROJ's bilinear ones differ. Figures in metres
// (datum shifts as a distance on the ground, R = 6378137 m).
//
// Usage: grids_vs_proj SUITE_DIR PROJ_GRID_DIR KIND:NAME[:IMPORTED] ...
// KIND is gtx or gsb; PROJ reads PROJ_GRID_DIR/NAME.KIND, the library
// SUITE_DIR/datum/IMPORTED.grd (by default NAME.grd).
#include "GridBytes.h"
#include "GridNtv2.h"
#include "vortan.h"

#include <proj.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kR = 6378137.0;

struct Stats {
    double largest = 0.0, sumSquares = 0.0;
    long count = 0, failed = 0, outsideProj = 0;
    void Add(double d) {
        if (!std::isfinite(d)) {
            ++failed;
            return;
        }
        largest = std::max(largest, std::fabs(d));
        sumSquares += d * d;
        ++count;
    }
    double Rms() const { return count > 0 ? std::sqrt(sumSquares / static_cast<double>(count)) : 0.0; }
};

void Row(const std::string& grid, const char* what, const Stats& s) {
    std::string notes;
    if (s.failed > 0) notes += " " + std::to_string(s.failed) + " points refused by the library;";
    if (s.outsideProj > 0) notes += " " + std::to_string(s.outsideProj) + " points outside PROJ's grid;";
    std::printf("| %s | %s | %ld | %.2e m | %.2e m |%s\n", grid.c_str(), what, s.count, s.largest, s.Rms(),
                notes.c_str());
}

// Uniform in [0, 1) from a generator whose sequence is the same everywhere.
struct Uniform {
    std::mt19937_64 g{20261207};
    double operator()() { return static_cast<double>(g() >> 11) * 0x1.0p-53; }
};

struct Proj {
    PJ_CONTEXT* ctx;
    PJ* pj;
    Proj(const std::string& dir, const std::string& def) : ctx(proj_context_create()) {
        const char* paths[] = {dir.c_str()};
        proj_context_set_search_paths(ctx, 1, paths);
        pj = proj_create(ctx, def.c_str());
        if (pj == nullptr) {
            std::fprintf(stderr, "PROJ refused %s\n", def.c_str());
            std::exit(1);
        }
    }
    ~Proj() {
        proj_destroy(pj);
        proj_context_destroy(ctx);
    }
    PJ_COORD Trans(PJ_DIRECTION d, double latRad, double lonRad, double z = 0.0) const {
        return proj_trans(pj, d, proj_coord(lonRad, latRad, z, 0.0));
    }
};

GEODESY Definition(const std::string& suite, const std::string& name, const std::string& body) {
    const std::string path = suite + "/" + name + ".ini";
    std::ofstream(path) << "[Geodesy]\nProjection=TME\nSemiMajorAxis=6377397.155\nFlattening=299.1528128\n"
                           "CentralMeridian=9\n"
                        << body;
    GEODESY h = CreateFileGeodesy(path.c_str(), "Geodesy");
    if (h == nullptr || GetGeodesyError() != 0) {
        std::fprintf(stderr, "%s: error %d\n", path.c_str(), GetGeodesyError());
        std::exit(1);
    }
    return h;
}

void Geoid(const std::string& suite, const std::string& proj, const std::string& name, const std::string& imported) {
    GEODESY h = Definition(suite, imported, "Geoid=" + imported + ".grd\n");
    Proj p(proj, "+proj=vgridshift +grids=" + name + ".gtx +multiplier=1");
    const auto diff = [&](double lat, double lon) {
        double n = 0.0;
        if (!Undulation(h, lat * kDeg, lon * kDeg, &n)) return std::nan("");
        const PJ_COORD c = p.Trans(PJ_FWD, lat * kDeg, lon * kDeg);
        return std::isfinite(c.xyz.z) && c.xyz.z != HUGE_VAL ? n - c.xyz.z : std::nan("");
    };
    Stats nodes, between;
    for (int r = 0; r <= 720; ++r)
        for (int c = 0; c <= 1440; ++c) nodes.Add(diff(-90.0 + 0.25 * r, -180.0 + 0.25 * c));
    Uniform u;
    for (int i = 0; i < 10000; ++i) between.Add(diff(std::asin(2.0 * u() - 1.0) / kDeg, 360.0 * u() - 180.0));
    const std::string grid = name + ".gtx" + (imported != name ? " as " + imported : "");
    Row(grid, "undulation at nodes", nodes);
    Row(grid, "undulation between nodes", between);
    DestroyGeodesy(h);
}

void Datum(const std::string& suite, const std::string& proj, const std::string& name, const std::string& imported) {
    const std::string gsb = proj + "/" + name + ".gsb";
    const std::string bytes = gridbytes::ReadFile(gsb);
    const Ntv2File f = ReadNtv2(gsb, bytes);
    const Ntv2SubGrid& s = f.subGrids.at(ChooseSubGrid(f, gsb, ""));
    GEODESY h = Definition(suite, imported, "DynDatum=" + imported + ".grd\n");
    Proj p(proj, "+proj=hgridshift +grids=" + name + ".gsb");
    // Ground distance between two positions given in radians.
    const auto apart = [](double lat1, double lon1, double lat2, double lon2) {
        const double dLon = std::remainder(lon1 - lon2, 2.0 * kPi);  // 180 E and 180 W are one meridian
        return kR * std::hypot(lat1 - lat2, dLon * std::cos(lat1));
    };
    Stats nodesTo, betweenTo, betweenFrom;
    const auto toWgs = [&](double latDeg, double lonDeg, Stats& into) {
        double lat = latDeg * kDeg, lon = lonDeg * kDeg;
        if (!InvWGS84Conv(h, &lat, &lon, nullptr)) return into.Add(std::nan(""));
        const PJ_COORD c = p.Trans(PJ_FWD, latDeg * kDeg, lonDeg * kDeg);
        if (!std::isfinite(c.lp.phi) || c.lp.phi == HUGE_VAL) return void(++into.outsideProj);
        into.Add(apart(lat, lon, c.lp.phi, c.lp.lam));
    };
    // The nodes where the library has them: its format holds the origin in
    // single precision (CHENYX06's south edge moves 0.0018" north).
    const double south = static_cast<float>(s.south / 3600.0), west = static_cast<float>(-s.westW / 3600.0);
    for (int r = 0; r < s.rows; ++r)
        for (int c = 0; c < s.cols; ++c) toWgs(south + r * s.latInc / 3600.0, west + c * s.lonInc / 3600.0, nodesTo);
    Uniform u;
    const double height = (s.north - s.south) / 3600.0, width = (s.westW - s.eastW) / 3600.0;
    for (int i = 0; i < 1000; ++i) {
        const double lat = south + height * u(), lon = west + width * u();
        toWgs(lat, lon, betweenTo);
        // The other way: the library takes the shift at the WGS-84 point
        // once, PROJ iterates to the point whose shift lands there.
        double plat = lat * kDeg, plon = lon * kDeg;
        if (!WGS84Conv(h, &plat, &plon, nullptr)) {
            betweenFrom.Add(std::nan(""));
            continue;
        }
        const PJ_COORD c = p.Trans(PJ_INV, lat * kDeg, lon * kDeg);
        if (!std::isfinite(c.lp.phi) || c.lp.phi == HUGE_VAL) {
            ++betweenFrom.outsideProj;
            continue;
        }
        betweenFrom.Add(apart(plat, plon, c.lp.phi, c.lp.lam));
    }
    const std::string grid = name + ".gsb (" + s.name + ")" + (imported != name ? " as " + imported : "");
    Row(grid, "to WGS-84 at nodes", nodesTo);
    Row(grid, "to WGS-84 between nodes", betweenTo);
    Row(grid, "from WGS-84 between nodes", betweenFrom);
    DestroyGeodesy(h);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: grids_vs_proj SUITE_DIR PROJ_GRID_DIR KIND:NAME[:IMPORTED] ...\n");
        return 2;
    }
    const std::string suite = argv[1], proj = argv[2];
    ::setenv("QVO_BRAMIX", suite.c_str(), 1);  // before the first definition file
    std::printf("| grid | quantity | points | largest difference | RMS difference |\n|---|---|---|---|---|\n");
    for (int i = 3; i < argc; ++i) {
        const std::string item = argv[i];
        const size_t a = item.find(':'), b = item.find(':', a + 1);
        const std::string kind = item.substr(0, a), name = item.substr(a + 1, b == std::string::npos ? b : b - a - 1);
        const std::string imported = b == std::string::npos ? name : item.substr(b + 1);
        if (a == std::string::npos || (kind != "gtx" && kind != "gsb")) {
            std::fprintf(stderr, "grids_vs_proj: %s: expected gtx:NAME or gsb:NAME\n", item.c_str());
            return 2;
        }
        if (kind == "gtx")
            Geoid(suite, proj, name, imported);
        else
            Datum(suite, proj, name, imported);
    }
    return 0;
}
