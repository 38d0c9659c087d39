// Lambert: the ellipsoidal Lambert conformal conic (type 1, "LCC").
//
// One class serves the two-parallel (secant cone) and the one-parallel
// (tangent cone) grids: two different standard parallels phi1, phi2 fix the
// cone; equal parallels give the cone touching phi1, scaled by k0. Northings
// are counted from the origin latitude phi0 in both cases, so the classic
// one-parallel grid is phi0 = phi1 = phi2. Which parallel is called north
// makes no difference.
//
// Latitudes and longitudes are radians; grid coordinates are grid units
// (metres / u), false easting and northing included. The longitude difference
// from the central meridian is not wrapped: a grid that straddles the
// antimeridian projects lon - lambda0 as given. The skew azimuth is ignored.
#ifndef VORTAN_LAMBERT_H
#define VORTAN_LAMBERT_H

#include "Projection.h"

class Lambert : public Projection {
public:
    // Throws errcode 7 (severity 4) when the parallels give no cone: n = 0
    // (parallels symmetric about the equator, or both on it), or a cone with
    // no finite radius (a standard parallel at a pole, an origin at the
    // pole opposite the apex, parameters that are not numbers, an axis or
    // unit that is not positive).
    explicit Lambert(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Grid to geographic. Writes the longitude, then the latitude found by at
    // most ten refinement steps (tolerance 1e-10 rad); returns code 11 with
    // both written when the tenth step was needed, even if it met the
    // tolerance. A grid coordinate that is not a finite number returns code
    // 10 with nothing written; other points off the map come out as the
    // formulas give them.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // Geographic to grid. The pole at the apex of the cone goes to
    // (FE, FN + rho0); the opposite pole returns code 6, and a latitude beyond
    // a pole or a coordinate that is not a finite number returns code 10; on
    // failure x and y are left untouched.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Point scale k (along meridian and parallel alike) at the grid point
    // (x, y), from the latitude of three fixed refinement steps (good to
    // about 2e-10 in k). Code 10 for a coordinate that is not finite, code 6
    // at the apex; k is untouched on failure.
    errcode PointScale(double x, double y, double& k) const override;

    double n;     // cone constant
    double F;     // radius factor in grid units, (a/u) k0 m1 / (n t1^n)
    double rho0;  // radius of the origin latitude in grid units, F t(phi0)^n

private:
    double aU_ = 0.0;       // semi-major axis in grid units, a / u
    double invN_ = 0.0;     // 1 / n
    double sign_ = 1.0;     // sign of n: radii on a southern cone are negative
    double rho0FN_ = 0.0;   // rho0 + FN

    // Radius of the parallel of latitude phi, F t(phi)^n, for |phi| < pi/2.
    double Radius(double phi) const;
    bool series_ = false;   // inverse latitude by the closed series (e^2 <= 0.01)
    double d_[6] = {};      // its coefficients of sin(2 j chi), j = 1..6

    // Radius of a grid point from the apex, with the sign of n; dx = x - FE,
    // r0 = rho0 - (y - FN).
    double Rho(double dx, double r0) const;
    // Angle of a grid point around the apex from the central meridian.
    double Theta(double dx, double r0) const;
    // Geodetic latitude from X = tan(pi/4 - chi/2), chi the conformal latitude.
    double ConformalToGeodetic(double X) const;
    // One refinement step of X = tan(pi/4 - phi/2) for t = (rho / F)^(1/n).
    double NextX(double t, double X) const;
};

#endif
