#include "Units.h"

// Placeholder until the unit table is written: only the metre is known.
int32_t UnitIdForFactor(double factor) { return factor == 1.0 ? 1 : 0; }
