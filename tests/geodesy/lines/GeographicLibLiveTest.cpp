// Lines of 10 km from latitudes 0..70 and azimuths all round, their end
// points from the GeographicLib installed now (GeodSolve, RhumbSolve), measured
// back by GCircLL and RLineLL; the other lengths are case lines.
#include "vortan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

void AgainstTool(const char* tool, double (*line)(GEODESY, double, double, double, double, double*), double bound) {
    if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << tool << " not installed";
    GeodesyParams p{6378137.0, 298.257223563, 4, 1.0, 1.0, 0, 0, 0, 0, 0, 0, 0};
    GEODESY h = CreateGeodesy(&p);
    ASSERT_NE(h, nullptr);
    std::string cmd = "printf '";
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 24; ++j) cmd += std::to_string(10 * i) + " 7 " + std::to_string(15 * j + 1) + " 10000\\n";
    cmd += std::string("' | ") + tool + " -p 10";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int lines = 0;
    for (double lat2 = 0, lon2 = 0; lines < 192 && std::fscanf(pipe, "%lf %lf %*f", &lat2, &lon2) == 2; ++lines) {
        const double lat1 = 10.0 * (lines / 24), azi = 15.0 * (lines % 24) + 1.0, s = 1e4;
        double az = 0;
        const double got = line(h, lat1 * kDeg, 7 * kDeg, lat2 * kDeg, lon2 * kDeg, &az);
        EXPECT_LT(std::fabs(got - s) / s, bound) << tool << " line " << lines;
        EXPECT_NEAR(std::remainder(az - azi * kDeg, 2 * std::numbers::pi), 0, 0.01 / 3600 * kDeg) << tool << " line " << lines;
    }
    ::pclose(pipe);
    EXPECT_EQ(lines, 192);
    DestroyGeodesy(h);
}

TEST(GeographicLibLive, GaussSeriesAgainstGeodSolve) { AgainstTool("GeodSolve", GCircLL, 1e-8); }
TEST(GeographicLibLive, RhumbAgainstRhumbSolve) { AgainstTool("RhumbSolve", RLineLL, 1e-6); }

}  // namespace
