#include "InfoCommand.h"

#include "PointParser.h"

#include <iostream>

namespace {

constexpr double kDeg = 0.017453292519943295;

// Numbers in the command's decimals: lengths and degrees.
struct Text {
    GEODESY h;
    int lin;
    int ang;
    std::string L(double v) const { return FormatFixed(v, lin); }
    std::string A(double v) const { return FormatFixed(v, ang); }
};

}  // namespace

int PrintGeodesyInfo(GEODESY h, const NumberFormat& f, const std::string& definition, const std::string& section) {
    const Text t{h, f.lengths, f.degrees};
    GeodesyParams p{};
    char ell[100] = {0}, prj[100] = {0};
    if (!GetGeodesyParams(t.h, &p, ell, prj)) return GetGeodesyError();
    char hu[100] = {0}, vu[100] = {0}, ha[100] = {0}, va[100] = {0};
    GetLocalName(t.h, 2, "eng", hu, sizeof hu);
    GetLocalName(t.h, 3, "eng", ha, sizeof ha);
    GetLocalName(t.h, 5, "eng", vu, sizeof vu);
    GetLocalName(t.h, 6, "eng", va, sizeof va);
    double one = 1.0;
    VConvert(t.h, &one, 1);
    std::cout << "definition:       " << definition << " [" << section << "]\n"
              << "projection:       " << prj << " (type " << p.projection << ")\n"
              << "ellipsoid:        " << (ell[0] ? ell : "(not in the table)") << "  a=" << FormatFixed(p.a, 3)
              << " 1/f=" << FormatFixed(p.invFlattening, 9) << "\n"
              << "scale factor:     " << FormatFixed(p.scaleFactor, 10) << "\n"
              << "central meridian: " << t.A(p.centralMeridian / kDeg) << "\n"
              << "ref latitude:     " << t.A(p.refLatitude / kDeg) << "\n"
              << "parallels:        " << t.A(p.northParallel / kDeg) << " " << t.A(p.southParallel / kDeg) << "\n"
              << "skew azimuth:     " << t.A(p.skewAzimuth / kDeg) << "\n"
              << "false E/N:        " << t.L(p.falseEasting) << " " << t.L(p.falseNorthing) << "\n"
              << "unit:             " << FormatFixed(p.unit, 10) << " m (" << (hu[0] ? hu : "-") << ", "
              << (ha[0] ? ha : "-") << ")\n"
              << "vertical unit:    " << FormatFixed(one, 10) << " m (" << (vu[0] ? vu : "-") << ", "
              << (va[0] ? va : "-") << ")\n";
    EllDiffParams d{};
    GetEllDiff(t.h, &d);
    char grid[300] = {0};
    GetEllModel(t.h, grid, sizeof grid);
    if (grid[0]) {
        std::cout << "datum:            grid " << grid << "\n";
    } else if (d.dx == 0 && d.dy == 0 && d.dz == 0 && d.rx == 0 && d.ry == 0 && d.rz == 0) {
        std::cout << "datum:            none (WGS-84 coordinates are used as they are)\n";
    } else {
        const double sec = 3.14159265358979323846 / 648000.0;
        std::cout << "datum:            seven parameters from WGS-84 (coordinate frame)\n"
                  << "  dx dy dz (m):   " << t.L(d.dx) << " " << t.L(d.dy) << " " << t.L(d.dz) << "\n"
                  << "  scale (ppm):    " << FormatFixed((d.scale - 1.0) * 1e6, 6) << "\n"
                  << "  rx ry rz (\"):   " << FormatFixed(d.rx / sec, 6) << " " << FormatFixed(d.ry / sec, 6) << " "
                  << FormatFixed(d.rz / sec, 6) << "\n";
    }
    char geoid[300] = {0};
    double corr = 0;
    GetGeoid(t.h, geoid, sizeof geoid - 1, &corr);
    std::cout << "geoid:            " << (geoid[0] ? geoid : "none") << "  correction " << t.L(corr) << " m\n";
    AdjustParams a{};
    GetAdjustment(t.h, &a);
    std::cout << "adjustment:       type " << (a.typeWord & 0xFFFFu) << ((a.typeWord & 0x10000u) ? " reverse-x" : "")
              << ((a.typeWord & 0x20000u) ? " reverse-y" : "");
    if ((a.typeWord & 0xFFFFu) != 0)
        std::cout << "  origin " << t.L(a.originX) << " " << t.L(a.originY) << "  rotation "
                  << t.A(a.rotation / kDeg) << "  scale " << FormatFixed(a.scale, 10) << "  shift " << t.L(a.shiftX)
                  << " " << t.L(a.shiftY);
    std::cout << "\n";
    return 0;
}
