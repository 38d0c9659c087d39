// ObliqueCylindrical: the conformal oblique cylindrical projection (type 5,
// "OCY"), as used for the Swiss national grids.
//
// The ellipsoid is mapped conformally onto a Gauss sphere of radius R, and
// the sphere by a Mercator projection onto a cylinder touching the great
// circle through the origin at right angles to its meridian; the scale factor
// is applied on top. Latitudes and longitudes are radians; x and y are grid
// units (metres / unit factor). The point scale is the shared k = 1.0.
#ifndef VORTAN_OBLIQUECYLINDRICAL_H
#define VORTAN_OBLIQUECYLINDRICAL_H

#include "Projection.h"

class ObliqueCylindrical : public Projection {
public:
    // Throws errcode 7 when the origin gives no usable sphere (e.g. at a pole).
    explicit ObliqueCylindrical(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Fails with code 11 (outputs untouched) when the latitude iteration has
    // not settled within the bound.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    errcode PointScale(double x, double y, double& k) const override;

    double Rg;     // k0 R / u: sphere radius, scaled, in grid units
    double alphaG; // exponent of the Gauss mapping
    double K;      // constant of the Gauss mapping
    double b0;     // latitude of the origin on the sphere, rad

    // Fixed-point steps allowed to the inverse latitude; it contracts by about
    // e^2 per step, so a few suffice anywhere on the ellipsoid.
    static constexpr int kMaxIterations = 100;
    // Steps the last successful inverse took on this thread (for diagnosis).
    static int LastIterations();
};

#endif
