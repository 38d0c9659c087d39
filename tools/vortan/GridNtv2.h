// NTv2 (.gsb): datum-shift grids, one or more sub-grids. A file is a run of
// 16-byte records (an 8-character key, an 8-byte value) in either byte order:
// an overview header (NUM_OREC, NUM_SREC, NUM_FILE, GS_TYPE, ...), then for
// each sub-grid a header (SUB_NAME, PARENT, S_LAT, N_LAT, E_LONG, W_LONG,
// LAT_INC, LONG_INC, GS_COUNT, ...) and GS_COUNT node records of four float32:
// latitude shift, longitude shift, and their accuracies. Extents, spacings and
// shifts are in arc-seconds (GS_TYPE "SECONDS") with longitudes positive
// WESTWARD; nodes start at the south-east corner and run westward, rows
// northward.
#ifndef VORTAN_TOOL_GRIDNTV2_H
#define VORTAN_TOOL_GRIDNTV2_H

#include "GridImage.h"

#include <string>
#include <vector>

struct Ntv2SubGrid {
    std::string name, parent;             // trailing blanks removed
    double south, north, eastW, westW;    // arc-seconds, longitudes west-positive as stored
    double latInc, lonInc;                // arc-seconds
    int32_t rows = 0, cols = 0;
    size_t dataOffset = 0;                // first node record
};

struct Ntv2File {
    std::string systemFrom, systemTo;     // SYSTEM_F, SYSTEM_T
    std::vector<Ntv2SubGrid> subGrids;    // in file order
};

// True when the file starts with the overview record NUM_OREC.
bool LooksLikeNtv2(const std::string& bytes);

// Reads the overview and every sub-grid header; refuses a broken or truncated
// file, a unit other than arc-seconds, and a sub-grid whose counts do not
// match its extent.
Ntv2File ReadNtv2(const std::string& path, const std::string& bytes);

// The grid of one sub-grid: two values per node, latitude and longitude shift
// in arc-seconds, the longitude shift turned east-positive, columns from the
// west.
GridImage Ntv2Grid(const Ntv2File& f, size_t index, const std::string& bytes);

// The sub-grid `vortan grid import` takes: the one named (exactly, after
// trailing blanks are removed), or with an empty name the first top-level one
// (parent "NONE"). Throws a GridError listing the names when there is none.
size_t ChooseSubGrid(const Ntv2File& f, const std::string& path, const std::string& name);

#endif
