// Writes grid files for the tests: the 96-byte header and one record per row,
// little-endian (as the test hosts are), with node values from a function of
// (row, column, value).
#ifndef ZELTO_TESTS_GRIDWRITER_H
#define ZELTO_TESTS_GRIDWRITER_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

struct GridSpec {
    int32_t cols = 4, rows = 3, values = 6;  // 4 * 6 >= 23: records of 100 bytes
    float west = 10.0f, lonSpacing = 1.0f, south = 50.0f, latSpacing = 1.0f;
    const char* signature = "QUORVANE";     // null: none
    double header1 = 0.0, header2 = 0.0;
    std::string description = "test grid";
    // Node value k at (row r from the south, column c from the west).
    std::function<float(int32_t r, int32_t c, int32_t k)> value = [](int32_t r, int32_t c, int32_t k) {
        return static_cast<float>(100 * r + 10 * c + k);
    };
};

inline std::string GridBytes(const GridSpec& g) {
    const auto put = [](std::string& bytes, size_t at, auto v) { std::memcpy(bytes.data() + at, &v, sizeof v); };
    const int64_t recordSize = 4 + 4 * int64_t{g.cols} * g.values;
    std::string bytes(static_cast<size_t>(std::max<int64_t>(recordSize, 96)), '\0');
    std::memcpy(bytes.data(), g.description.data(), std::min<size_t>(g.description.size(), 30));
    if (g.signature != nullptr) std::memcpy(bytes.data() + 56, g.signature, 8), put(bytes, 32, g.header1), put(bytes, 40, g.header2);
    const int32_t counts[] = {g.cols, g.rows, g.values};
    const float extent[] = {g.west, g.lonSpacing, g.south, g.latSpacing};
    std::memcpy(bytes.data() + 64, counts, sizeof counts), std::memcpy(bytes.data() + 76, extent, sizeof extent);
    for (int32_t r = 0; r < g.rows; ++r) {
        std::string rec(static_cast<size_t>(recordSize), '\0');
        put(rec, 0, int32_t{0x7EADBEEF});  // the lead field, never read
        for (int32_t c = 0; c < g.cols; ++c)
            for (int32_t k = 0; k < g.values; ++k) put(rec, static_cast<size_t>(4 + 4 * (c * g.values + k)), g.value(r, c, k));
        bytes += rec;
    }
    return bytes;
}

#endif
