// vortan: a project's geodesy at the command line, in the spirit of cs2cs and
// geod. One point a line on standard input, results on standard output.
#include "GeodesyErrorText.h"
#include "GridCommand.h"
#include "PointParser.h"

#include "vortan.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr double kDeg = 0.017453292519943295;

std::string ErrorText(int code) {
    const char* known = GeodesyErrorText(code);
    return known != nullptr ? known : "Unknown";
}

void Usage(std::FILE* to) {
    std::fputs(
        "usage: vortan --def FILE.ini [--section NAME] [--precision N] COMMAND\n"
        "commands (points one a line on standard input, blank or comma separated):\n"
        "  info         the geodesy: projection, ellipsoid, units, datum, geoid, adjustment\n"
        "  fwd          lat lon            -> x y (grid units, after the adjustment)\n"
        "  inv          x y                -> lat lon\n"
        "  to-project   lat lon [h]        -> lat lon h on the project datum (from WGS-84)\n"
        "  to-wgs84     lat lon [h]        -> lat lon h on WGS-84 (from the project datum)\n"
        "  ecef         lat lon [h]        -> X Y Z (metres, project ellipsoid)\n"
        "  geo          X Y Z              -> lat lon h (project ellipsoid)\n"
        "  undulation   lat lon            -> geoid undulation plus correction (metres)\n"
        "  gcirc        lat1 lon1 lat2 lon2 -> distance (grid units) azimuth (degrees)\n"
        "  rhumb        lat1 lon1 lat2 lon2 -> distance (grid units) azimuth (degrees)\n"
        "  scale        x y                -> point scale factor\n"
        "Angles are decimal degrees or D\xC2\xB0M\xE2\x80\xB2S\xE2\x80\xB3 with a hemisphere letter.\n"
        "--precision N: decimals of lengths (default 3); degrees get N+6.\n",
        to);
}

struct Options {
    std::string def;
    std::string section = "Geodesy";
    int precision = 3;
    std::string command;
};

struct Tool {
    GEODESY h;
    int lin;  // decimals of lengths
    int ang;  // decimals of degrees

    std::string L(double v) const { return FormatFixed(v, lin); }
    std::string A(double v) const { return FormatFixed(v, ang); }
};

// Reads `want` values (the first `need` required), latitude/longitude pairs
// parsed as angles when axes says so. Returns an empty message on success.
std::string Fields(const std::string& line, const std::vector<int>& axes, size_t need, std::vector<double>& out) {
    auto f = SplitFields(line);
    if (f.size() < need || f.size() > axes.size())
        return "expected " + std::to_string(need) + (need == axes.size() ? "" : "-" + std::to_string(axes.size())) +
               " values, got " + std::to_string(f.size());
    out.clear();
    for (size_t i = 0; i < f.size(); ++i) {
        std::optional<double> v;
        if (axes[i] == 1) v = ParseAngle(f[i], Axis::Latitude);
        else if (axes[i] == 2) v = ParseAngle(f[i], Axis::Longitude);
        else v = ParseNumber(f[i]);
        if (!v) return "not a number: '" + f[i] + "'";
        out.push_back(*v);
    }
    while (out.size() < axes.size()) out.push_back(0.0);
    return {};
}

int Info(const Tool& t, const Options& o) {
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
    std::cout << "definition:       " << o.def << " [" << o.section << "]\n"
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

// One input line: writes the result or returns the error (code, text).
bool Point(const Tool& t, const std::string& cmd, const std::string& line, std::string& result, std::string& error) {
    std::vector<double> v;
    std::string msg;
    int ok = 0;
    const auto fail = [&](const std::string& m) {
        error = m;
        return false;
    };
    if (cmd == "fwd") {
        if (!(msg = Fields(line, {1, 2}, 2, v)).empty()) return fail(msg);
        double x = 0, y = 0;
        ok = GeoXY(t.h, &x, &y, v[0] * kDeg, v[1] * kDeg);
        if (ok) result = t.L(x) + " " + t.L(y);
    } else if (cmd == "inv") {
        if (!(msg = Fields(line, {0, 0}, 2, v)).empty()) return fail(msg);
        double lat = 0, lon = 0;
        ok = XYGeo(t.h, v[0], v[1], &lat, &lon);
        if (ok) result = t.A(lat / kDeg) + " " + t.A(lon / kDeg);
    } else if (cmd == "to-project" || cmd == "to-wgs84") {
        if (!(msg = Fields(line, {1, 2, 0}, 2, v)).empty()) return fail(msg);
        double lat = v[0] * kDeg, lon = v[1] * kDeg, h = v[2];
        ok = cmd == "to-project" ? WGS84Conv(t.h, &lat, &lon, &h) : InvWGS84Conv(t.h, &lat, &lon, &h);
        if (ok) result = t.A(lat / kDeg) + " " + t.A(lon / kDeg) + " " + t.L(h);
    } else if (cmd == "ecef") {
        if (!(msg = Fields(line, {1, 2, 0}, 2, v)).empty()) return fail(msg);
        double X = 0, Y = 0, Z = 0;
        ok = GeoECEF(t.h, &X, &Y, &Z, v[0] * kDeg, v[1] * kDeg, v[2]);
        if (ok) result = t.L(X) + " " + t.L(Y) + " " + t.L(Z);
    } else if (cmd == "geo") {
        if (!(msg = Fields(line, {0, 0, 0}, 3, v)).empty()) return fail(msg);
        double lat = 0, lon = 0, h = 0;
        ok = ECEFGeo(t.h, v[0], v[1], v[2], &lat, &lon, &h);
        if (ok) result = t.A(lat / kDeg) + " " + t.A(lon / kDeg) + " " + t.L(h);
    } else if (cmd == "undulation") {
        if (!(msg = Fields(line, {1, 2}, 2, v)).empty()) return fail(msg);
        double n = 0;
        ok = Undulation(t.h, v[0] * kDeg, v[1] * kDeg, &n);
        if (ok) result = t.L(n);
    } else if (cmd == "gcirc" || cmd == "rhumb") {
        if (!(msg = Fields(line, {1, 2, 1, 2}, 4, v)).empty()) return fail(msg);
        double az = 0;
        double d = cmd == "gcirc" ? GCircLL(t.h, v[0] * kDeg, v[1] * kDeg, v[2] * kDeg, v[3] * kDeg, &az)
                                  : RLineLL(t.h, v[0] * kDeg, v[1] * kDeg, v[2] * kDeg, v[3] * kDeg, &az);
        ok = GetGeodesyError() == 0;
        if (ok) result = t.L(d) + " " + t.A(az / kDeg);
    } else if (cmd == "scale") {
        if (!(msg = Fields(line, {0, 0}, 2, v)).empty()) return fail(msg);
        double k = Scale(t.h, v[0], v[1]);
        ok = GetGeodesyError() == 0;
        if (ok) result = FormatFixed(k, 10);
    }
    if (!ok) {
        int code = GetGeodesyError();
        return fail("error " + std::to_string(code) + ": " + ErrorText(code));
    }
    return true;
}

bool IsPointCommand(const std::string& c) {
    for (const char* n : {"fwd", "inv", "to-project", "to-wgs84", "ecef", "geo", "undulation", "gcirc", "rhumb", "scale"})
        if (c == n) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "grid") == 0) return RunGridCommand(argc - 1, argv + 1);
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vortan: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--def") o.def = value("--def");
        else if (a == "--section") o.section = value("--section");
        else if (a == "--precision") {
            auto p = ParseNumber(value("--precision"));
            if (!p || *p < 0 || *p > 15 || *p != static_cast<int>(*p)) {
                std::fprintf(stderr, "vortan: --precision takes a whole number 0 to 15\n");
                return 2;
            }
            o.precision = static_cast<int>(*p);
        } else if (a == "-h" || a == "--help") {
            Usage(stdout);
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "vortan: unknown option %s\n", a.c_str());
            Usage(stderr);
            return 2;
        } else if (o.command.empty()) o.command = a;
        else {
            std::fprintf(stderr, "vortan: unexpected argument %s\n", a.c_str());
            return 2;
        }
    }
    if (o.def.empty() || o.command.empty()) {
        Usage(stderr);
        return 2;
    }
    if (o.command != "info" && !IsPointCommand(o.command)) {
        std::fprintf(stderr, "vortan: unknown command %s\n", o.command.c_str());
        Usage(stderr);
        return 2;
    }
    GEODESY h = CreateFileGeodesy(o.def.c_str(), o.section.c_str());
    int openCode = GetGeodesyError();
    if (!h) {
        std::fprintf(stderr, "vortan: %s [%s]: error %d: %s\n", o.def.c_str(), o.section.c_str(), openCode,
                     ErrorText(openCode).c_str());
        return 1;
    }
    if (openCode == 9)
        std::fprintf(stderr, "vortan: warning: error 9: %s; the geoid is not used\n", ErrorText(9).c_str());
    Tool t{h, o.precision, o.precision + 6};
    int rc = 0;
    if (o.command == "info") {
        int code = Info(t, o);
        if (code) {
            std::fprintf(stderr, "vortan: error %d: %s\n", code, ErrorText(code).c_str());
            rc = 1;
        }
    } else {
        std::string line, result, error;
        long n = 0;
        while (std::getline(std::cin, line)) {
            ++n;
            auto first = line.find_first_not_of(" \t\r");
            if (first == std::string::npos || line[first] == '#') continue;  // blank or comment
            if (Point(t, o.command, line, result, error)) {
                std::cout << result << '\n';
            } else {
                std::cout.flush();
                std::fprintf(stderr, "line %ld: %s\n", n, error.c_str());
                rc = 1;
            }
        }
    }
    DestroyGeodesy(h);
    return rc;
}
