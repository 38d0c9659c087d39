// The projection factory: projection type 1..12 of a parameter record to the
// projection object that computes it.
#ifndef VORTAN_PROJECTIONFACTORY_H
#define VORTAN_PROJECTIONFACTORY_H

#include "vortan.h"

class Projection;

// A new projection for params.projection, owned by the caller. Throws
// errcode 5 (severity 4) for a type outside 1..12 or a type not built into
// this library; the constructor itself may throw errcode 7.
Projection* MakeProjection(const GeodesyParams& params);

#endif
