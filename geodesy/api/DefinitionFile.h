// Building a geodesy handle from one section of a project's geodesy
// definition (INI) file.
#ifndef VORTAN_DEFINITIONFILE_H
#define VORTAN_DEFINITIONFILE_H

#include "vortan.h"

#include <cstdint>
#include <string>

class Profile;

// Projection type 1..12 for a Projection value ("TME", "utm", "Lambert", ...;
// letter case ignored), 0 when the value is not known.
int32_t ProjectionTypeFromName(const char* name);

// Everything one section of a definition file says, converted to the units
// of the library (radians, metres, factors). Absent or empty keys take their
// defaults; scale factor, unit and adjustment scale of 0 become 1.0.
struct Definition {
    GeodesyParams params{};     // projection type 0 when the value is unknown
    double vertUnit = 0.0;      // 0: the projection's unit factor
    bool hasDatumGrid = false;  // DynDatum given: the grid replaces the Deltas
    std::string datumGrid;      // the DynDatum value as written
    EllDiffParams shift{0, 0, 0, 1.0, 0, 0, 0};
    AdjustParams adjustment{};
    double orthoCorrection = 0.0;
    bool hasGeoid = false;
    std::string geoid;          // the Geoid value as written
};
Definition ReadDefinition(const Profile& ini, const char* section);

#endif
