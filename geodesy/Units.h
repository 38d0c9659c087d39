// The table of known length units and the names of units and axes.
#ifndef VORTAN_UNITS_H
#define VORTAN_UNITS_H

#include <cstdint>

// Id 1..15 of the unit whose metres-per-unit factor equals `factor` exactly,
// 0 when the factor is not in the table.
int32_t UnitIdForFactor(double factor);

#endif
