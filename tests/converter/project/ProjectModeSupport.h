// Helpers of the project-mode tests: a peer that reaches the converter's geodesy,
// Zelto CSV records for given positions, and a whole file through a definition
// compared with a PROJ pipeline.
#ifndef ZELTO_TESTS_PROJECTMODESUPPORT_H
#define ZELTO_TESTS_PROJECTMODESUPPORT_H

#include "ConverterTestKit.h"
#include "ProjOracle.h"
#include "TempDir.h"
#include "ZeltoQvxConverter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using MessageRecorder = kit::Recorder;

// Reaches the converter's position conversion, its test-open and its handle.
class ProjectModePeer : public CZeltoQvxConverter {
public:
    using CZeltoQvxConverter::ConvertPosition;
    using CZeltoQvxConverter::TestBramixGeodesy;
    GEODESY Handle() const { return m_hGeodesy; }
    std::string LastError() const {
        std::string t;
        GetLastError(t);
        return t;
    }
};

// A position (degrees) through ConvertPosition: its status and grid coordinates.
struct Projected {
    long status;
    double northing;
    double easting;
};

inline Projected Project(ProjectModePeer& c, double latDeg, double lonDeg) {
    double n = latDeg, e = lonDeg;
    const long status = c.ConvertPosition(n, e);
    return {status, n, e};
}

// UTM 11 N on Clarke 1866 with the mean NAD 27 translation, the harbour project's geodesy.
inline const char kHarbourGeodesy[] =
    "[Geodesy]\r\nProjection=UTM\r\nSemiMajorAxis=6378206.4\r\nFlattening=294.9786982\r\n"
    "ScaleFactor=0.9996\r\nCentralMeridian=-117\r\nFalseEasting=500000\r\nDeltaX=8\r\nDeltaY=-160\r\n"
    "DeltaZ=-176\r\n";

// One CSV record at (latDeg, lonDeg), written as D°M′S.ssss″ with hemisphere.
inline std::string SurveyRecord(double latDeg, double lonDeg) {
    auto dms = [](double v, char pos, char neg) {
        const char h = v < 0 ? neg : pos;
        // Rounded to 0.0001 seconds first, so that seconds never read 60.0000.
        const long long units = std::llround(std::fabs(v) * 3600.0 * 1e4);
        const long long d = units / 36000000, m = units / 600000 % 60, s = units % 600000;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%c %lld\xC2\xB0%lld\xE2\x80\xB2%lld.%04lld\xE2\x80\xB3", h, d, m, s / 10000,
                      s % 10000);
        return std::string(buf);
    };
    return ",,8.00,8.45,,,,,,,,,,,,0.00,,,,,,,,,,,,,,,," + dms(latDeg, 'N', 'S') + "," + dms(lonDeg, 'E', 'W') +
           ",,06/12/2026,09:30:00.00,1,,1.20,";
}

// A survey export with one record for each (latitude, longitude).
inline std::string SurveyCsv(const std::vector<std::pair<double, double>>& points) {
    std::string csv = "titles\r\n";
    for (const auto& [lat, lon] : points) csv += SurveyRecord(lat, lon) + "\r\n";
    return csv;
}

// The record texts of an .EDT file, each line's commas and checksum checked.
inline std::vector<std::string> EdtRecords(const std::string& path) {
    const kit::EdtImage img = kit::ReadEdt(TempDir::read(path));
    EXPECT_EQ(img.problem, "");
    return img.records;
}

// Names the definition `ini` and converts `csv` (ASSERT_NO_FATAL_FAILURE around it).
inline void ConvertWithDefinition(CZeltoQvxConverter& c, const std::string& ini, const std::string& csv) {
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    ASSERT_EQ(c.ReadZeltoFile(csv), S_OK);
    ASSERT_EQ(c.WriteQVXFile(""), S_OK);
}

// The whole file through the converter against PROJ: the survey `points`
// (latitude, longitude in degrees) converted with `definition` must give the
// grid coordinates of `pipeline` within `tolerance` (records keep two
// decimals). No record may report an error. The largest difference is
// recorded as the test property `property`.
inline void ExpectFileMatchesProj(const std::string& definition, const std::string& pipeline,
                                  const std::vector<std::pair<double, double>>& points, double tolerance,
                                  const char* property) {
    constexpr double kDeg = 0.017453292519943295;
    TempDir dir;
    const std::string ini = dir.write("p.ini", definition);
    dir.write("w.csv", SurveyCsv(points));
    MessageRecorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    ASSERT_NO_FATAL_FAILURE(ConvertWithDefinition(c, ini, dir.file("w.csv")));
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 0);
    const auto lines = EdtRecords(dir.file("w.EDT"));
    ASSERT_EQ(lines.size(), points.size());
    ProjOracle proj(pipeline);
    double worst = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const double e = std::strtod(kit::Field(lines[i], 2).c_str(), nullptr);
        const double n = std::strtod(kit::Field(lines[i], 3).c_str(), nullptr);
        const PJ_COORD r = proj.Trans(PJ_FWD, points[i].second * kDeg, points[i].first * kDeg, 0.0);
        worst = std::max({worst, std::fabs(e - r.xy.x), std::fabs(n - r.xy.y)});
        EXPECT_NEAR(e, r.xy.x, tolerance) << i;
        EXPECT_NEAR(n, r.xy.y, tolerance) << i;
    }
    ::testing::Test::RecordProperty(property, std::to_string(worst));
}

#endif
