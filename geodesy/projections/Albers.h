// Albers: the ellipsoidal Albers equal-area conic (type 10, "ALA").
//
// Areas on the grid are true areas on the ellipsoid: the grid used for
// land-cover and statistics maps of continents. Two different standard
// parallels phi1, phi2 fix the cone; equal ones give the cone touching phi1.
// The origin latitude phi0 is where northings count from. The scale factor
// k0 and the skew azimuth are not used.
//
// Latitudes and longitudes are radians; grid coordinates are grid units
// (metres / u) with the false easting and northing added. The longitude
// difference from the central meridian is not wrapped.
#ifndef VORTAN_ALBERS_H
#define VORTAN_ALBERS_H

#include "Projection.h"

class Albers : public Projection {
public:
    // Throws errcode 7 (severity 4) when the parallels give no cone (n = 0:
    // parallels symmetric about the equator or both on it), when the constants
    // are not finite numbers, or the axis or unit is not positive.
    explicit Albers(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Grid to geographic. Writes the longitude first; code 10 when the grid
    // point lies beyond the reach of any latitude (|q| > 2; the longitude
    // stays written), code 11 when the latitude has not settled within ten
    // steps (tolerance 1e-7 rad; a run that needs the tenth step reports 11
    // too; both written). Code 10 with nothing written for a grid coordinate
    // that is not a finite number. Points very near a pole do not settle.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // Geographic to grid; code 10 (x and y untouched) for a latitude beyond a
    // pole or a coordinate that is not a finite number.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Scale along the parallel at the grid point (x, y), sqrt(C - n q) / m(phi),
    // at the latitude the inverse finds (the scale along the meridian is its
    // reciprocal). Codes as the inverse's latitude: 10, 11; k untouched then.
    errcode PointScale(double x, double y, double& k) const override;

    double n;     // cone constant
    double C;     // m1^2 + n q1
    double rho0;  // radius of the origin latitude in grid units

    // q(phi) = (1 - e^2) (s / (1 - e^2 s^2) - g(phi)), s = sin phi.
    double Q(double phi) const;
    // g(phi) = ln((1 - e s) / (1 + e s)) / (2e), -s on a sphere.
    double G(double phi) const;

private:
    double aU_ = 0.0;     // semi-major axis in grid units, a / u
    double sign_ = 1.0;   // sign of n: radii on a southern cone are negative
    double rho0FN_ = 0.0; // rho0 + FN

    // q of a grid point, and its angle around the apex from the central meridian.
    double QOfGrid(double dx, double r0) const;
    double Theta(double dx, double r0) const;
    // Latitude of q by the counted refinement; the code 0, 10 or 11.
    uint32_t Latitude(double q, double& phi) const;
};

#endif
