// Writes small grid files (datum shifts, geoid models) for the tests, in the
// layout the grid reader expects: a header record, then one record per row
// from the south, each a 4-byte lead and the node values as float32. The
// bytes come from the grid writer of the grid-file tests; this is its form
// with the extent given in place.
#ifndef ZELTO_TESTS_GRIDFILEWRITER_H
#define ZELTO_TESTS_GRIDFILEWRITER_H

#include "GridWriter.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

// value(row, col, k) gives value k of the node; degrees for the corners.
inline void WriteGridFile(const std::string& path, int32_t cols, int32_t rows, int32_t values,
                          float west, float lonStep, float south, float latStep,
                          const std::function<float(int, int, int)>& value) {
    GridSpec g;
    g.cols = cols;
    g.rows = rows;
    g.values = values;
    g.west = west;
    g.lonSpacing = lonStep;
    g.south = south;
    g.latSpacing = latStep;
    g.value = value;
    const std::string bytes = GridBytes(g);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

#endif
