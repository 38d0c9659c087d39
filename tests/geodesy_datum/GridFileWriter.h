// Writes small grid files (datum shifts, geoid models) for the tests, in the
// layout the grid reader expects: a header record, then one record per row
// from the south, each a 4-byte lead and the node values as float32.
#ifndef ZELTO_TESTS_GRIDFILEWRITER_H
#define ZELTO_TESTS_GRIDFILEWRITER_H

#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

// value(row, col, k) gives value k of the node; degrees for the corners.
inline void WriteGridFile(const std::string& path, int32_t cols, int32_t rows, int32_t values,
                          float west, float lonStep, float south, float latStep,
                          const std::function<float(int, int, int)>& value) {
    const size_t record = 4 + 4 * static_cast<size_t>(cols) * static_cast<size_t>(values);
    std::vector<char> head(record < 96 ? 96 : record, '\0');
    std::memcpy(head.data(), "test grid", 9);
    std::memcpy(head.data() + 56, "QUORVANE", 8);
    std::memcpy(head.data() + 64, &cols, 4);
    std::memcpy(head.data() + 68, &rows, 4);
    std::memcpy(head.data() + 72, &values, 4);
    std::memcpy(head.data() + 76, &west, 4);
    std::memcpy(head.data() + 80, &lonStep, 4);
    std::memcpy(head.data() + 84, &south, 4);
    std::memcpy(head.data() + 88, &latStep, 4);
    head.resize(record);
    std::ofstream out(path, std::ios::binary);
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    for (int r = 0; r < rows; ++r) {
        const int32_t lead = r;
        out.write(reinterpret_cast<const char*>(&lead), 4);
        for (int c = 0; c < cols; ++c)
            for (int k = 0; k < values; ++k) {
                const float v = value(r, c, k);
                out.write(reinterpret_cast<const char*>(&v), 4);
            }
    }
}

#endif
