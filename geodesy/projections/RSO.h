// RSO (type 7, "RSO"): the rectified skew orthomorphic form of the oblique
// Mercator; the skew grid is rectified by the angle gamma0 derived from the
// skew azimuth, which brings grid north close to true north at the centre.
#ifndef VORTAN_RSO_H
#define VORTAN_RSO_H

#include "ObliqueMercator.h"

class RSO : public ObliqueMercator {
public:
    explicit RSO(const GeodesyParams& params) : ObliqueMercator(params) {}

    const char* ShortName() const override;
    int32_t TypeId() const override;
    void UVXY(double su, double sv, double* x, double* y) const override;
    void XYUV(double* su, double* sv, double x, double y) const override;
};

#endif
