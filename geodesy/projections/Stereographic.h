// Stereographic: the oblique stereographic projection (type 4, "OST").
//
// The ellipsoid is first mapped conformally onto a Gauss sphere of radius R
// that touches it at the origin latitude, and the sphere is then projected
// stereographically from the antipode of the origin. This is the double
// projection used for national grids such as the Dutch RD.
//
// Grid lengths are metres whatever unit factor the parameters carry (the
// stereographic pair never divides by u). Latitudes and longitudes are
// radians. Forward at the antipode of the origin gives non-finite values; the
// inverse fails with code 11 when its latitude iteration does not settle.
#ifndef VORTAN_STEREOGRAPHIC_H
#define VORTAN_STEREOGRAPHIC_H

#include "Projection.h"

class Stereographic : public Projection {
public:
    // Throws errcode 7 when the origin gives no usable sphere (e.g. at a pole).
    explicit Stereographic(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Fails with code 11 (outputs untouched) when the latitude iteration has
    // not settled within the bound.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Scale of the sphere's stereographic projection at grid point (x, y):
    // k = k0 + (rho / 2R)^2 / k0, rho the distance from the false origin.
    errcode PointScale(double x, double y, double& k) const override;

    double n;        // exponent of the conformal sphere
    double c;        // sphere constant
    double chi0;     // origin latitude on the sphere, rad
    double nLambda0; // n * central meridian
    double twoK0R;   // 2 * k0 * R, metres
    double R;        // radius of the sphere, metres

    // Newton steps allowed to the inverse latitude before giving up.
    static constexpr int kMaxIterations = 50;

private:
    // Per-point shortcuts, fixed with the six constants above.
    double sinChi0_ = 0.0, cosChi0_ = 1.0;  // sine and cosine of chi0
    double lnC_ = 0.0;                      // natural logarithm of c

    void SphereLatitude(double lat, double& sinChi, double& cosChi) const;
    void ForwardByPowers(double& x, double& y, double lat, double lon) const;
};

#endif
