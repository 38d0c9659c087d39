// PolarStereo: the ellipsoidal polar stereographic projection (type 12, "PST").
//
// The reference latitude chooses the hemisphere (north when >= 0) and the
// variant: within 1e-5 rad of a pole it is variant A, the scale factor given
// at the pole; anywhere else it is variant B, a latitude of true scale, and
// the scale factor at the pole is derived from it and stored back into k0 (so
// the parameter record read back reports the derived value).
//
// Grid lengths are metres whatever unit factor the parameters carry.
// Latitudes and longitudes are radians. The forward at the opposite pole gives
// non-finite values; no operation reports an error.
#ifndef VORTAN_POLARSTEREO_H
#define VORTAN_POLARSTEREO_H

#include "Projection.h"

class PolarStereo : public Projection {
public:
    explicit PolarStereo(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // k = rho / (a m(phi)); at the pole point itself, where that is 0/0, the
    // limit k0 is returned.
    errcode PointScale(double x, double y, double& k) const override;

    bool South() const { return phi0 < 0.0; }

    double F;   // radius factor 2 a k0 / sqrt((1+e)^(1+e) (1-e)^(1-e)), metres
    double c2;  // conformal-to-geodetic latitude series coefficients
    double c4;
    double c6;
    double c8;

private:
    // Conformal latitude from the grid radius, then geodetic latitude.
    double LatitudeFromRadius(double rho) const;
};

#endif
