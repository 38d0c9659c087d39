// Cassini: the ellipsoidal Cassini-Soldner projection (type 11, "CAS").
//
// The transverse counterpart of the plate carree: x is the distance along the
// great ellipse at right angles to the central meridian, y the meridian arc
// to the foot of that ellipse, both measured from the origin. Many old
// cadastral and colonial survey grids (Trinidad, Malaya, Cyprus, German
// Soldner systems) are drawn on it. Forward and inverse use the series of the
// classical map-projection manuals, to the fifth power of the longitude
// difference; they are accurate for the narrow east-west zones these grids
// cover (see the accuracy notes for the measured size of the truncation).
//
// Latitudes and longitudes are radians; x and y are grid units (metres / u).
// Neither the scale factor nor the standard parallels nor the skew azimuth
// are used. No point is refused: every operation succeeds, and input the
// series cannot take (NaN, infinity) comes back as whatever the formulas give.
// The point scale is the shared k = 1.0.
#ifndef VORTAN_CASSINI_H
#define VORTAN_CASSINI_H

#include "Projection.h"

class Cassini : public Projection {
public:
    explicit Cassini(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Grid (x, y) to (lat, lon) through the footpoint latitude; the longitude
    // is not wrapped. Always succeeds.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // (lat, lon) to grid; the longitude difference is not wrapped, so a grid
    // that straddles the 180th meridian gets the longitudes it was given.
    // Always succeeds.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Stores 1.0 and succeeds.
    errcode PointScale(double x, double y, double& k) const override;

    double M0;  // meridian distance of the origin latitude, grid units

private:
    // Per-point shortcuts, fixed at construction.
    double ep2_ = 0.0;   // second eccentricity squared, e2 / (1 - e2)
    double muDen_ = 1.0; // a (1 - e2/4 - 3e4/64 - 5e6/256): metres per radian of rectifying latitude
    double e1_ = 0.0;    // (a - b) / (a + b)
    double f2_ = 0.0, f4_ = 0.0, f6_ = 0.0, f8_ = 0.0;  // footpoint series coefficients
};

#endif
