// TransverseMercator (type 3, "TME"): the Thomas-Redfearn power series in the
// longitude difference (easting to the 7th power, northing to the 6th) with the
// meridian arc through the rectifying latitude and the third flattening n.
// Uses a, f, k0, lambda0, phi0, u, FE, FN; ignores phi1, phi2, alpha.
// Good to the millimetre within a few degrees of the central meridian (UTM).
#ifndef VORTAN_TRANSVERSEMERCATOR_H
#define VORTAN_TRANSVERSEMERCATOR_H

#include "Projection.h"

class TransverseMercator : public Projection {
public:
    // Throws errcode 7 when G*k0 is 0.
    explicit TransverseMercator(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Code 10 (nothing written) when the rectifying or footpoint latitude
    // reaches the pole; code 10 with the latitude written when it falls outside
    // [-pi/2, pi/2]; code 10 with both written when the longitude does.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // Code 6 at latitude exactly +pi/2 (outputs untouched). The longitude
    // difference is corrected by one turn at most.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    errcode PointScale(double x, double y, double& k) const override;

private:
    double RectifyingLatitude(double phi) const;  // mu(phi)
    double RectifyingLatitude(double phi, double sinPhi, double cosPhi) const;  // the same, sine and cosine given
    double FootpointLatitude(double mu) const;    // phi_f(mu)
    bool FootpointOfNorthing(double y, double& phi1) const;

    double aOverU;  // semi-major axis in grid units
    double n;
    double e2tm;  // e2 recomputed as f(2 - f)
    double ep2;   // second eccentricity squared
    double J0, J1, J2, J3;
    double K0, K1, K2, K3;
    double G;     // rectifying radius, grid units
    double Y0;    // -k0 G mu(phi0)
};

#endif
