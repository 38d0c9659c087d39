// The geoid model of a geodesy handle: an optional grid of undulations and
// the orthometric correction added to every undulation.
#ifndef VORTAN_GEOID_H
#define VORTAN_GEOID_H

#include <cstdint>

struct GeodesyHandle;

// Stores correction (metres) in the handle, drops the current geoid grid and,
// when path is not null, opens the grid file at path as the new one.
// Returns the error code: 0 success (also for a null path: the geoid is
// removed), 9 the grid file cannot be opened or is not a usable grid (the
// handle is left without a geoid, the new correction stays), 1 out of memory.
// Never throws.
uint32_t SetGeoidFile(GeodesyHandle& h, const char* path, double correction) noexcept;

// The geoid undulation at (lat, lon), radians, in metres, correction
// included. Without a grid: the correction, code 0. Outside the grid: the
// correction alone and code 8. A grid row that cannot be read: the correction
// alone and code 9. Never throws.
uint32_t GeoidUndulation(GeodesyHandle& h, double lat, double lon, double& undulation) noexcept;

#endif
