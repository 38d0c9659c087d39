// Helpers of the project-mode tests: a message window that records what the
// converter posts, a peer that reaches the converter's geodesy, Zelto CSV
// records for given positions, the record lines of an .EDT file, and a whole
// file through a definition compared with a PROJ pipeline.
#ifndef ZELTO_TESTS_PROJECTMODESUPPORT_H
#define ZELTO_TESTS_PROJECTMODESUPPORT_H

#include "ProjOracle.h"
#include "TempDir.h"
#include "ZeltoQvxConverter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

class MessageRecorder : public CConverterMessageWnd {
public:
    void Post(unsigned int message, std::uintptr_t, std::intptr_t) noexcept override {
        std::lock_guard<std::mutex> lock(m_);
        ids_.push_back(message);
    }
    int Count(unsigned int id) {
        std::lock_guard<std::mutex> lock(m_);
        int n = 0;
        for (unsigned int x : ids_) n += x == id;
        return n;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_);
        ids_.clear();
    }

private:
    std::mutex m_;
    std::vector<unsigned int> ids_;
};

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
        v = std::fabs(v);
        const int d = static_cast<int>(v);
        const int m = static_cast<int>((v - d) * 60.0);
        const double s = (v - d - m / 60.0) * 3600.0;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%c %d\xC2\xB0%d\xE2\x80\xB2%.4f\xE2\x80\xB3", h, d, m, s);
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

inline std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> f;
    std::stringstream in(line);
    std::string x;
    while (std::getline(in, x, ',')) f.push_back(x);
    return f;
}

// The record lines (after the 21 header lines) of an .EDT file.
inline std::vector<std::string> EdtRecordLines(const std::string& edt) {
    std::vector<std::string> lines;
    std::stringstream in(edt);
    std::string l;
    for (int n = 0; std::getline(in, l); ++n)
        if (n >= 21) lines.push_back(l);
    return lines;
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
    const auto lines = EdtRecordLines(TempDir::read(dir.file("w.EDT")));
    ASSERT_EQ(lines.size(), points.size());
    ProjOracle proj(pipeline);
    double worst = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto f = SplitFields(lines[i]);
        ASSERT_GT(f.size(), 4u);
        const double e = std::strtod(f[1].c_str(), nullptr);
        const double n = std::strtod(f[2].c_str(), nullptr);
        const PJ_COORD r = proj.Trans(PJ_FWD, points[i].second * kDeg, points[i].first * kDeg, 0.0);
        worst = std::max({worst, std::fabs(e - r.xy.x), std::fabs(n - r.xy.y)});
        EXPECT_NEAR(e, r.xy.x, tolerance) << i;
        EXPECT_NEAR(n, r.xy.y, tolerance) << i;
    }
    ::testing::Test::RecordProperty(property, std::to_string(worst));
}

#endif
