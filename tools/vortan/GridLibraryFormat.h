// The library's own grid format, as the geodesy library's grid reader reads
// it for geoid models (`Geoid`) and datum grids (`DynDatum`). Little-endian
// records of 4 + 4*cols*values bytes: record 0 holds the 96-byte header
// (bytes 0..29 text, 32 and 40 two doubles, 56 the signature, 64 cols, 68
// rows, 72 values as int32, 76 west longitude, 80 longitude spacing, 84 south
// latitude, 88 latitude spacing as float32 degrees); record r + 1 holds row r
// (from the south): a 4-byte lead field, then the row's values from the west.
#ifndef VORTAN_TOOL_GRIDLIBRARYFORMAT_H
#define VORTAN_TOOL_GRIDLIBRARYFORMAT_H

#include "GridImage.h"

#include <string>
#include <vector>

// True when the signature sits at byte 56 (any letter case).
bool HasLibrarySignature(const std::string& bytes);

// True when bytes hold a usable header and all its rows (with or without
// the signature), as the library's reader checks them.
bool LooksLikeLibraryGrid(const std::string& bytes);

// The grid of a file in the library's format, spacings rounded to whole
// arc-seconds as the library reads them.
GridImage ReadLibraryGrid(const std::string& path, const std::string& bytes);

// What the format cannot hold is refused here, before anything is written:
// spacings that are not whole arc-seconds, counts below 1 or too large,
// records shorter than the 96-byte header (cols*values < 23), an origin
// outside +-90/+-180 degrees. Returns notes for the user (an origin that
// single precision holds only approximately, and by how much).
std::vector<std::string> CheckLibraryGrid(const GridImage& g, const std::string& out);

// The file's bytes.
std::string LibraryGridBytes(const GridImage& g);

// Writes the grid to path atomically: a temporary file in the same folder,
// renamed over path only when every byte is written and flushed; on any
// failure the temporary file is removed and path is left as it was.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

#endif
