// AzimuthEqDist: the ellipsoidal azimuthal equidistant projection (type 8,
// "AZD").
//
// A point is placed at its distance and azimuth from the origin, as a
// surveyor sets out a station by bearing and range from a central mark: the
// grid distance from the false origin is the length of the geodesic, the grid
// bearing its azimuth at the origin. Both are taken from the oblique series of
// the classical map-projection manuals: the normal section from the origin on
// a sphere through the origin's normal, with its length corrected to the fifth
// power of the angular distance. The projection is therefore exact only near
// the origin (the normal-section bearing parts from the geodesic one with the
// square of the distance); the accuracy notes give the measured error against
// a rigorous geodesic at growing distance.
//
// Latitudes and longitudes are radians; x and y are grid units (metres / u).
// The scale factor, the standard parallels and the skew azimuth are not used.
// With the origin at a pole (within 1e-6 rad) the inverse takes the longitude
// straight from the grid bearing. No point is refused: every operation
// succeeds, and NaN or infinite input comes back as whatever the formulas
// give. The point scale is the shared k = 1.0.
#ifndef VORTAN_AZIMUTHEQDIST_H
#define VORTAN_AZIMUTHEQDIST_H

#include "Projection.h"

class AzimuthEqDist : public Projection {
public:
    explicit AzimuthEqDist(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Grid (x, y) to (lat, lon). The false origin returns the origin exactly.
    // The longitude is wrapped into [-pi, pi] except for a polar origin, where
    // it is the central meridian plus the grid bearing, unwrapped. Always
    // succeeds.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // (lat, lon) to grid; the longitude difference is not wrapped. Always
    // succeeds.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Stores 1.0 and succeeds.
    errcode PointScale(double x, double y, double& k) const override;

    double sinPhi0;  // sine of the origin latitude
    double cosPhi0;  // cosine of the origin latitude
    double N0;       // prime vertical radius at the origin, grid units
    double G;        // e sin(phi0) / sqrt(1 - e2)
    bool north;      // origin at the north pole (|phi0 - pi/2| < 1e-6)
    bool south;      // origin at the south pole (|phi0 + pi/2| < 1e-6)

private:
    // Per-point shortcuts, fixed at construction.
    double ep2_ = 0.0;       // second eccentricity squared, e2 / (1 - e2)
    double ep_ = 0.0;        // e / sqrt(1 - e2)
    double oneMinusE2_ = 1.0;
    double e2N0Sin0_ = 0.0;  // e2 N0 sin(phi0), grid units
};

#endif
