// Writes grid files for the tests: the 96-byte header and one record per row,
// little-endian, with node values from a function of (row, column, value).
#ifndef ZELTO_TESTS_GRIDWRITER_H
#define ZELTO_TESTS_GRIDWRITER_H

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
    int32_t rowsWritten = -1;  // -1: all rows
};

template <typename T>
void PutLE(std::string& bytes, size_t at, T v) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));  // the test hosts are little-endian
    for (size_t i = 0; i < sizeof(T); ++i) bytes[at + i] = static_cast<char>(b[i]);
}

inline std::string GridHeaderBytes(const GridSpec& g, int64_t recordSize) {
    std::string h(static_cast<size_t>(recordSize > 96 ? recordSize : 96), '\0');
    std::memcpy(h.data(), g.description.data(), g.description.size() < 30 ? g.description.size() : 30);
    if (g.signature != nullptr) {
        std::memcpy(h.data() + 56, g.signature, 8);
        PutLE(h, 32, g.header1);
        PutLE(h, 40, g.header2);
    }
    PutLE(h, 64, g.cols);
    PutLE(h, 68, g.rows);
    PutLE(h, 72, g.values);
    PutLE(h, 76, g.west);
    PutLE(h, 80, g.lonSpacing);
    PutLE(h, 84, g.south);
    PutLE(h, 88, g.latSpacing);
    return h;
}

inline std::string GridBytes(const GridSpec& g) {
    const int64_t recordSize = 4 + 4 * int64_t{g.cols} * g.values;
    std::string bytes = GridHeaderBytes(g, recordSize);
    const int32_t rows = g.rowsWritten < 0 ? g.rows : g.rowsWritten;
    for (int32_t r = 0; r < rows; ++r) {
        std::string rec(static_cast<size_t>(recordSize), '\0');
        PutLE(rec, 0, int32_t{0x7EADBEEF});  // the lead field, never read
        for (int32_t c = 0; c < g.cols; ++c)
            for (int32_t k = 0; k < g.values; ++k)
                PutLE(rec, static_cast<size_t>(4 + 4 * (c * g.values + k)), g.value(r, c, k));
        bytes += rec;
    }
    return bytes;
}

#endif
