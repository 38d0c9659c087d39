// GeodesyHandle: the object behind the opaque GEODESY handle of the C
// interface. One handle is one project geodesy: a projection on its
// ellipsoid, an optional datum transformation to and from WGS-84 (seven
// parameters or a shift grid), an optional geoid grid, a local grid
// adjustment, and the horizontal and vertical units with their axis names.
//
// The handle owns its projection and its grids; only DestroyGeodesy frees it.
// The projection and the horizontal unit are fixed for the handle's life.
#ifndef VORTAN_GEODESYHANDLE_H
#define VORTAN_GEODESYHANDLE_H

#include "InterpFile.h"
#include "Projection.h"
#include "vortan.h"

#include <cstdint>

struct GeodesyHandle {
    // Builds the projection from params and sets every other field to its
    // starting value. Throws errcode 3 (inverse flattening 0), 4 (unit factor
    // 0), 5 (type not 1..12 or not built in) or the projection's own errcode;
    // nothing stays allocated then.
    explicit GeodesyHandle(const GeodesyParams& params);
    ~GeodesyHandle();
    GeodesyHandle(const GeodesyHandle&) = delete;
    GeodesyHandle& operator=(const GeodesyHandle&) = delete;

    Projection* projection = nullptr;   // owned, never null in a live handle
    InterpFile* geoid = nullptr;        // owned geoid model, or null
    InterpFile* datumGrid = nullptr;    // owned datum-shift grid, or null
    // dx, dy, dz (metres), scale (factor, 1.0 = none), rx, ry, rz (radians)
    double datumShift[7] = {0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0};
    int32_t datumActive = 0;            // 0 = no datum transformation
    AdjustParams adjustment{0u, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0};
    double orthoCorrection = 0.0;       // metres added to every undulation
    double verticalUnit = 1.0;          // metres per vertical unit
    int32_t horizontalUnitId = 0;       // 1..15, 0 = not in the unit table
    int32_t verticalUnitId = 0;         // as above, for the vertical unit
    int32_t xAxisNameId = 16;           // 16 easting, 18 westing
    int32_t yAxisNameId = 17;           // 17 northing, 19 southing
};

// Number of live handles (changed atomically).
int32_t LiveHandleCount() noexcept;

#endif
