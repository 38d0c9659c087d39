#include "Hotine.h"
#include "ProjectionRegistry.h"

const char* Hotine::ShortName() const { return "HOM"; }
int32_t Hotine::TypeId() const { return 6; }

void Hotine::UVXY(double su, double sv, double* x, double* y) const { Rectify(alpha, su, sv, x, y); }

void Hotine::XYUV(double* su, double* sv, double x, double y) const { Unrectify(alpha, su, sv, x, y); }

REGISTER_PROJECTION(6, Hotine)
