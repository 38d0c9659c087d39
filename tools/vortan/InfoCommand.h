// `vortan info`: the geodesy of a definition file, as the library holds it.
#ifndef VORTAN_TOOL_INFOCOMMAND_H
#define VORTAN_TOOL_INFOCOMMAND_H

#include "PointCommands.h"

#include <string>

// Prints projection, ellipsoid, parameters, units, datum, geoid and
// adjustment to standard output, degrees with format.degrees decimals and
// lengths with format.lengths. Returns 0, or the library's error code.
int PrintGeodesyInfo(GEODESY h, const NumberFormat& format, const std::string& definition, const std::string& section);

#endif
