// Hotine (type 6, "HOM"): the oblique Mercator whose skew grid is rectified
// by the skew azimuth itself, as several older national grids define it.
#ifndef VORTAN_HOTINE_H
#define VORTAN_HOTINE_H

#include "ObliqueMercator.h"

class Hotine : public ObliqueMercator {
public:
    explicit Hotine(const GeodesyParams& params) : ObliqueMercator(params) {}

    const char* ShortName() const override;
    int32_t TypeId() const override;
    void UVXY(double su, double sv, double* x, double* y) const override;
    void XYUV(double* su, double* sv, double x, double y) const override;
};

#endif
