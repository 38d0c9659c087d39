// Helpers of the project-mode tests: a message window that records what the
// converter posts, Zelto CSV records for given positions, and the record
// lines of an .EDT file.
#ifndef ZELTO_TESTS_PROJECTMODESUPPORT_H
#define ZELTO_TESTS_PROJECTMODESUPPORT_H

#include "ZeltoQvxConverter.h"

#include <cmath>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <string>
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

#endif
