// Local grid adjustment: the similarity, polynomial and table conversions that
// carry grid coordinates of a projection into a local grid and back.
#ifndef VORTAN_ADJUSTMENT_H
#define VORTAN_ADJUSTMENT_H

#include "vortan.h"

// Projection grid -> local grid, in place (type 0 leaves x and y unchanged).
void AdjustForward(const AdjustParams& adjustment, double& x, double& y);
// Local grid -> projection grid, in place.
void AdjustReverse(const AdjustParams& adjustment, double& x, double& y);

#endif
