// Geodesic (Gauss mid-latitude series) and rhumb lines against GeographicLib's
// GeodSolve and RhumbSolve, run here on lines generated at test time, so every
// reference number can be regenerated.
#include "Ellipsoid.h"
#include "GeodesicLines.h"
#include "ProjectionSweep.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <vector>

using geodesic_lines::GCircLL;
using geodesic_lines::RLineLL;
using projection_sweep::kDeg;
using projection_sweep::Report;

namespace {

const Ellipsoid kWgs84(6378137.0, 298.257223563);
constexpr double kPi = std::numbers::pi;
const std::array<double, 7> kBands = {1.0, 10.0, 100.0, 1e3, 1e4, 1e5, 1e6};

bool ToolAvailable(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct Line {
    double lat1, lon1, azi, s;  // degrees, metres
    double lat2 = 0, lon2 = 0;
};

// Start latitudes 0..70 degrees, azimuths all round in 15-degree steps, one
// length; the end points from the tool's direct problem. Empty when the tool
// could not run.
std::vector<Line> Series(const char* tool, double length) {
    std::vector<Line> lines;
    std::string text;
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 24; ++j) {
            lines.push_back({10.0 * i, 7.0, 15.0 * j + 1.0, length});
            char b[160];
            std::snprintf(b, sizeof b, "%.17g %.17g %.17g %.17g\n", 10.0 * i, 7.0, 15.0 * j + 1.0, length);
            text += b;
        }
    }
    TempDir dir;
    const std::string cmd = std::string(tool) + " -p 10 < '" + dir.write("in.txt", text) + "' 2>/dev/null";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return {};
    std::array<char, 512> buf{};
    size_t n = 0;  // one output line for each line, in order
    bool read = true;
    while (read && std::fgets(buf.data(), static_cast<int>(buf.size()), pipe)) {
        std::istringstream is(buf.data());
        is.imbue(std::locale::classic());
        read = n < lines.size() && (is >> lines[n].lat2 >> lines[n].lon2);
        n += read;
    }
    ::pclose(pipe);
    return read && n == lines.size() ? lines : std::vector<Line>{};
}

// Length (metres / unit) and start azimuth (radians) of the line between two
// points, as GCircLL and RLineLL give them.
using LineFunction = double (*)(const Ellipsoid&, double, double, double, double, double, double*);

// One band solved by the tool, then measured back by ours between the same
// two points: the largest relative length error, both largest differences
// reported. A fatal failure when the tool could not run.
void AgainstTool(const char* tool, const char* ours, LineFunction line, double length, double& relativeLength) {
    const auto lines = Series(tool, length);
    ASSERT_FALSE(lines.empty()) << tool << " " << length;
    double azimuth = 0;
    relativeLength = 0;
    for (const auto& l : lines) {
        double az = 0;
        const double s = line(kWgs84, 1.0, l.lat1 * kDeg, l.lon1 * kDeg, l.lat2 * kDeg, l.lon2 * kDeg, &az);
        relativeLength = std::max(relativeLength, std::fabs(s - l.s) / l.s);
        azimuth = std::max(azimuth, std::fabs(std::remainder(az - l.azi * kDeg, 2 * kPi)));
    }
    char what[96];
    std::snprintf(what, sizeof what, "%s vs %s, %g m, 192 lines, relative length", ours, tool, length);
    Report(what, relativeLength, "");
    std::snprintf(what, sizeof what, "%s vs %s, %g m, azimuth", ours, tool, length);
    Report(what, azimuth / kDeg * 3600.0, "arcsec");
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
        double d = 0;
        ASSERT_NO_FATAL_FAILURE(AgainstTool("GeodSolve", "GCircLL", GCircLL, length, d));
        // A little above what the series delivers per band: parts per billion
        // up to 10 km, growing steeply with the length beyond.
        const double bound = length <= 1e4 ? 1e-8 : (length <= 1e5 ? 1e-6 : 1e-4);
        EXPECT_LT(d, bound) << length;
    }
}

TEST(GeodesicLinesOracle, RhumbAgainstRhumbSolve) {
    if (!ToolAvailable("RhumbSolve")) GTEST_SKIP() << "RhumbSolve not installed";
    for (double length : kBands) {
        double d = 0;
        ASSERT_NO_FATAL_FAILURE(AgainstTool("RhumbSolve", "RLineLL", RLineLL, length, d));
        EXPECT_LT(d, 1e-6) << length;
    }
}
