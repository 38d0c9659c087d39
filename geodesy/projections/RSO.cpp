#include "RSO.h"
#include "ProjectionRegistry.h"

const char* RSO::ShortName() const { return "RSO"; }
int32_t RSO::TypeId() const { return 7; }

void RSO::UVXY(double su, double sv, double* x, double* y) const { Rectify(gamma0, su, sv, x, y); }

void RSO::XYUV(double* su, double* sv, double x, double y) const { Unrectify(gamma0, su, sv, x, y); }

REGISTER_PROJECTION(7, RSO)
