#include "Adjustment.h"

// Placeholder until the adjustment types are written: every type is the identity.
void AdjustForward(const AdjustParams&, double&, double&) {}
void AdjustReverse(const AdjustParams&, double&, double&) {}
