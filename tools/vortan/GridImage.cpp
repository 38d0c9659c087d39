#include "GridImage.h"

#include <algorithm>
#include <charconv>
#include <cmath>

bool AddWrapColumn(GridImage& g) {
    // Whole arc-seconds once round: 1,296,000 seconds.
    if (g.cols < 2 || std::fabs(g.cols * g.lonStepSec - 1296000.0) > 1e-6) return false;
    const auto cols = static_cast<size_t>(g.cols), values = static_cast<size_t>(g.values);
    std::vector<float> wide;
    wide.reserve((cols + 1) * values * static_cast<size_t>(g.rows));
    for (size_t r = 0; r < static_cast<size_t>(g.rows); ++r) {
        const auto row = g.nodes.begin() + static_cast<std::ptrdiff_t>(r * cols * values);
        wide.insert(wide.end(), row, row + static_cast<std::ptrdiff_t>(cols * values));
        wide.insert(wide.end(), row, row + static_cast<std::ptrdiff_t>(values));
    }
    g.nodes.swap(wide);
    ++g.cols;
    return true;
}

void Densify(GridImage& g, int32_t n) {
    if (n <= 1) return;
    const int32_t cols = (g.cols - 1) * n + 1, rows = (g.rows - 1) * n + 1;
    std::vector<float> fine(static_cast<size_t>(cols) * static_cast<size_t>(rows) * static_cast<size_t>(g.values));
    size_t at = 0;
    for (int32_t r = 0; r < rows; ++r) {
        const int32_t r0 = std::min(r / n, g.rows - 1), r1 = std::min(r0 + 1, g.rows - 1);
        const double fy = static_cast<double>(r - r0 * n) / n;
        for (int32_t c = 0; c < cols; ++c) {
            const int32_t c0 = std::min(c / n, g.cols - 1), c1 = std::min(c0 + 1, g.cols - 1);
            const double fx = static_cast<double>(c - c0 * n) / n;
            const double w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
            const int32_t rr[4] = {r0, r0, r1, r1}, cc[4] = {c0, c1, c0, c1};
            for (int32_t k = 0; k < g.values; ++k) {
                double v = 0.0;
                for (int i = 0; i < 4; ++i)
                    if (w[i] != 0.0) v += w[i] * g.At(rr[i], cc[i], k);  // a NaN that weighs in stays
                fine[at++] = static_cast<float>(v);
            }
        }
    }
    g.nodes.swap(fine);
    g.cols = cols;
    g.rows = rows;
    g.lonStepSec /= n;
    g.latStepSec /= n;
}

std::vector<ValueRange> ValueRanges(const GridImage& g) {
    std::vector<ValueRange> out(static_cast<size_t>(g.values > 0 ? g.values : 0));
    const size_t n = out.size();
    for (size_t i = 0; i < g.nodes.size(); ++i) {
        ValueRange& r = out[i % n];
        const double v = g.nodes[i];
        if (std::isnan(v)) {
            ++r.missing;
            continue;
        }
        if (r.present == 0 || v < r.min) r.min = v;
        if (r.present == 0 || v > r.max) r.max = v;
        ++r.present;
    }
    return out;
}

std::string NumberText(double v, int decimals) {
    char buf[64];
    const auto res = decimals >= 0 ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals)
                                   : std::to_chars(buf, buf + sizeof buf, v);
    if (res.ec != std::errc()) return "?";
    return std::string(buf, res.ptr);
}

std::string FloatText(float v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return res.ec == std::errc() ? std::string(buf, res.ptr) : "?";
}

std::string DegreesText(double v) {
    std::string s = NumberText(v, 8);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s == "-0" ? "0" : s;
}
