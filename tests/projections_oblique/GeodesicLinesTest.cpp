// Geodesic (Gauss mid-latitude series) and rhumb lines against GeographicLib's
// GeodSolve and RhumbSolve, run here on lines generated at test time, so every
// reference number can be regenerated.
#include "Ellipsoid.h"
#include "GeodesicLines.h"
#include "ProjectionSweep.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using geodesic_lines::GCircLL;
using projection_sweep::kDeg;
using projection_sweep::Report;
using geodesic_lines::RLineLL;

namespace {

const Ellipsoid kWgs84(6378137.0, 298.257223563);
constexpr double kPi = std::numbers::pi;

// Runs a GeographicLib tool on the given input lines; one output line each.
std::vector<std::string> RunTool(const std::string& tool, const std::vector<std::string>& input) {
    TempDir dir;
    std::string text;
    for (const auto& l : input) text += l + "\n";
    const std::string in = dir.write("in.txt", text);
    const std::string cmd = tool + " -p 10 < '" + in + "' 2>/dev/null";
    std::vector<std::string> out;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 512> buf{};
    while (std::fgets(buf.data(), static_cast<int>(buf.size()), pipe)) out.emplace_back(buf.data());
    ::pclose(pipe);
    return out;
}

bool ToolAvailable(const char* tool) {
    const std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

struct Line {
    double lat1, lon1, azi, s;  // degrees, metres
    double lat2 = 0, lon2 = 0;
};

// Mid-latitude series of lines: start latitudes 0..70 degrees, azimuths all
// round in 15-degree steps, one fixed length.
std::vector<Line> Series(double length) {
    std::vector<Line> lines;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 24; ++j) lines.push_back({10.0 * i, 7.0, 15.0 * j + 1.0, length});
    return lines;
}

// Fills lat2/lon2 by the tool's direct problem; false when it could not run.
bool Direct(const char* tool, std::vector<Line>& lines) {
    std::vector<std::string> in;
    for (const auto& l : lines) {
        char b[160];
        std::snprintf(b, sizeof b, "%.17g %.17g %.17g %.17g", l.lat1, l.lon1, l.azi, l.s);
        in.emplace_back(b);
    }
    const auto out = RunTool(tool, in);
    if (out.size() != lines.size()) return false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::istringstream is(out[i]);
        is.imbue(std::locale::classic());
        if (!(is >> lines[i].lat2 >> lines[i].lon2)) return false;
    }
    return true;
}

const std::array<double, 7> kBands = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6};

// Length (metres / unit) and start azimuth (radians) of the line between two
// points, as GCircLL and RLineLL give them.
using LineFunction = double (*)(const Ellipsoid&, double, double, double, double, double, double*);

struct BandDifferences {
    double relativeLength = 0;  // largest |s - s_tool| / s_tool
    double azimuth = 0;         // largest start azimuth difference, radians
};

// The series of one band length solved by the tool, then measured back by
// ours between the same two points; both largest differences are reported as
// "<ours> vs <tool>, <length> m, ...". A fatal failure when the tool could
// not run.
void AgainstTool(const char* tool, const char* ours, LineFunction line, double length, BandDifferences& d) {
    auto lines = Series(length);
    ASSERT_TRUE(Direct(tool, lines)) << tool << " " << length;
    for (const auto& l : lines) {
        double az = 0;
        const double s = line(kWgs84, 1.0, l.lat1 * kDeg, l.lon1 * kDeg, l.lat2 * kDeg, l.lon2 * kDeg, &az);
        d.relativeLength = std::max(d.relativeLength, std::fabs(s - l.s) / l.s);
        d.azimuth = std::max(d.azimuth, std::fabs(std::remainder(az - l.azi * kDeg, 2 * kPi)));
    }
    char what[96];
    std::snprintf(what, sizeof what, "%s vs %s, %g m, 192 lines, relative length", ours, tool, length);
    Report(what, d.relativeLength, "");
    std::snprintf(what, sizeof what, "%s vs %s, %g m, azimuth", ours, tool, length);
    Report(what, d.azimuth / kDeg * 3600.0, "arcsec");
}

}  // namespace

TEST(GeodesicLines, IdenticalPoints) {
    double az = 9.0;
    EXPECT_EQ(GCircLL(kWgs84, 1.0, 0.8, 0.2, 0.8, 0.2, &az), 0.0);
    EXPECT_EQ(az, 0.0);
    az = 9.0;
    EXPECT_EQ(RLineLL(kWgs84, 1.0, 0.8, 0.2, 0.8, 0.2, &az), 0.0);
    EXPECT_EQ(az, 0.0);
}

TEST(GeodesicLines, OneDegreeAlongTheEquator) {
    double az = 0;
    const double r = RLineLL(kWgs84, 1.0, 0.0, 0.0, 0.0, kDeg, &az);
    EXPECT_DOUBLE_EQ(r, 6378137.0 * kPi / 180.0);
    EXPECT_DOUBLE_EQ(az, kPi / 2.0);
    const double g = GCircLL(kWgs84, 1.0, 0.0, 0.0, 0.0, kDeg, &az);
    EXPECT_NEAR(g, r, 1e-3 * r);
    EXPECT_NEAR(az, kPi / 2.0, 1e-12);
}

TEST(GeodesicLines, DiagonalRhumbAzimuthNearQuarterPi) {
    double az = 0;
    RLineLL(kWgs84, 1.0, 0.0, 0.0, kDeg, kDeg, &az);
    EXPECT_NEAR(az, kPi / 4.0, 5e-3);
    EXPECT_NE(az, kPi / 4.0);
}

TEST(GeodesicLines, NullAzimuthPointerIsAllowed) {
    EXPECT_GT(GCircLL(kWgs84, 1.0, 0.8, 0.2, 0.81, 0.21, nullptr), 0.0);
    EXPECT_GT(RLineLL(kWgs84, 1.0, 0.8, 0.2, 0.81, 0.21, nullptr), 0.0);
}

TEST(GeodesicLines, SurveyFeetScaleLengths) {
    const double ft = 0.3048006096;
    const double g1 = GCircLL(kWgs84, 1.0, 0.8, 0.2, 0.81, 0.21, nullptr);
    const double g2 = GCircLL(kWgs84, ft, 0.8, 0.2, 0.81, 0.21, nullptr);
    EXPECT_DOUBLE_EQ(g2, g1 / ft);
    const double r1 = RLineLL(kWgs84, 1.0, 0.8, 0.2, 0.81, 0.21, nullptr);
    const double r2 = RLineLL(kWgs84, ft, 0.8, 0.2, 0.81, 0.21, nullptr);
    EXPECT_DOUBLE_EQ(r2, r1 / ft);
}

// A rhumb line that runs almost along a parallel: the latitude differs by a
// rounding step only, so the meridian-distance difference is noise.
TEST(GeodesicLines, NearlyEastWestRhumbKeepsItsLength) {
    const double lat = 50.0 * kDeg;
    const double along = RLineLL(kWgs84, 1.0, lat, 0.0, lat, 10.0 * kDeg, nullptr);
    const double nearly = RLineLL(kWgs84, 1.0, lat, 0.0, std::nextafter(lat, 1.0), 10.0 * kDeg, nullptr);
    EXPECT_NEAR(nearly, along, 1e-6);
    const double tiny = RLineLL(kWgs84, 1.0, lat, 0.0, lat + 1e-12, 10.0 * kDeg, nullptr);
    EXPECT_NEAR(tiny, along, 1e-4);
}

TEST(GeodesicLinesOracle, GaussSeriesAgainstGeodSolve) {
    if (!ToolAvailable("GeodSolve")) GTEST_SKIP() << "GeodSolve not installed";
    for (double length : kBands) {
        BandDifferences d;
        ASSERT_NO_FATAL_FAILURE(AgainstTool("GeodSolve", "GCircLL", GCircLL, length, d));
        // A little above what the series delivers per band: parts per billion
        // up to 10 km, growing steeply with the length beyond.
        const double bound = length <= 1e4 ? 1e-8 : (length <= 1e5 ? 1e-6 : 1e-4);
        EXPECT_LT(d.relativeLength, bound) << length;
    }
}

TEST(GeodesicLinesOracle, RhumbAgainstRhumbSolve) {
    if (!ToolAvailable("RhumbSolve")) GTEST_SKIP() << "RhumbSolve not installed";
    for (double length : kBands) {
        BandDifferences d;
        ASSERT_NO_FATAL_FAILURE(AgainstTool("RhumbSolve", "RLineLL", RLineLL, length, d));
        EXPECT_LT(d.relativeLength, 1e-6) << length;
    }
}
