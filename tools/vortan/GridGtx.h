// GTX: a geoid model (or any one-value grid) in the vertical-grid format of
// the public geodesy tools. Big-endian: a 40-byte header of four doubles
// (latitude and longitude of the south-west node, latitude and longitude
// spacing, degrees) and two int32 (rows, columns), then rows*cols float32
// values (metres), rows from the south, each row from the west. The null
// value -88.8888 marks a node without a value.
#ifndef VORTAN_TOOL_GRIDGTX_H
#define VORTAN_TOOL_GRIDGTX_H

#include "GridImage.h"

#include <string>

inline constexpr float kGtxNullValue = -88.8888f;

// True when the bytes have the size a GTX header announces (the format has
// no signature; this is how a GTX file is told from others).
bool LooksLikeGtx(const std::string& bytes);

// The grid of a GTX file: one value per node, null values as NaN, the
// origin's longitude brought into -180..180 degrees, spacings in arc-seconds
// as the file gives them (whole or not: the writer decides). Refuses a header
// that describes no grid and a file whose size does not match its counts.
GridImage ReadGtx(const std::string& path, const std::string& bytes);

#endif
