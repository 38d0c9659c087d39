#include "GridGtx.h"

#include "GridBytes.h"

#include <cmath>
#include <limits>

namespace {
constexpr size_t kHeader = 40;

struct GtxHeader {
    double south, west, latStep, lonStep;
    int32_t rows, cols;
};

GtxHeader Header(const std::string& bytes) {
    const char* p = bytes.data();
    using gridbytes::Read;
    constexpr auto be = std::endian::big;
    return {Read<double>(p, be),      Read<double>(p + 8, be), Read<double>(p + 16, be),
            Read<double>(p + 24, be), Read<int32_t>(p + 32, be), Read<int32_t>(p + 36, be)};
}

int64_t ExpectedSize(const GtxHeader& h) {
    if (h.rows < 1 || h.cols < 1) return -1;
    return static_cast<int64_t>(kHeader) + 4 * static_cast<int64_t>(h.rows) * h.cols;
}
}  // namespace

bool LooksLikeGtx(const std::string& bytes) {
    return bytes.size() >= kHeader && ExpectedSize(Header(bytes)) == static_cast<int64_t>(bytes.size());
}

GridImage ReadGtx(const std::string& path, const std::string& bytes) {
    if (bytes.size() < kHeader)
        throw GridError(path + ": not a GTX grid: " + std::to_string(bytes.size()) +
                        " bytes, shorter than the 40-byte header");
    const GtxHeader h = Header(bytes);
    const bool finite = std::isfinite(h.south) && std::isfinite(h.west) && std::isfinite(h.latStep) &&
                        std::isfinite(h.lonStep);
    if (!finite || h.rows < 1 || h.cols < 1 || h.latStep <= 0.0 || h.lonStep <= 0.0 || h.south < -90.0 ||
        h.south > 90.0 || h.west < -360.0 || h.west > 360.0)
        throw GridError(path + ": not a usable GTX header: origin " + NumberText(h.south) + " " +
                        NumberText(h.west) + ", spacing " + NumberText(h.latStep) + " " + NumberText(h.lonStep) +
                        ", " + std::to_string(h.rows) + " rows, " + std::to_string(h.cols) + " columns");
    const int64_t expected = ExpectedSize(h);
    if (expected != static_cast<int64_t>(bytes.size()))
        throw GridError(path + ": the GTX header's " + std::to_string(h.rows) + " rows of " +
                        std::to_string(h.cols) + " columns need " + std::to_string(expected) +
                        " bytes, the file has " + std::to_string(bytes.size()) +
                        (expected > static_cast<int64_t>(bytes.size()) ? " (truncated)" : ""));

    GridImage g;
    g.south = h.south;
    g.west = h.west;
    // Grids laid out 0..360 may start east of 180: the same meridian west of it.
    if (g.west > 180.0) g.west -= 360.0;
    if (g.west < -180.0) g.west += 360.0;
    g.latStepSec = h.latStep * 3600.0;
    g.lonStepSec = h.lonStep * 3600.0;
    g.rows = h.rows;
    g.cols = h.cols;
    g.values = 1;
    const auto n = static_cast<size_t>(h.rows) * static_cast<size_t>(h.cols);
    g.nodes.resize(n);
    const char* p = bytes.data() + kHeader;
    for (size_t i = 0; i < n; ++i) {
        const float v = gridbytes::Read<float>(p + 4 * i, std::endian::big);
        g.nodes[i] = v == kGtxNullValue ? std::numeric_limits<float>::quiet_NaN() : v;
    }
    return g;
}
