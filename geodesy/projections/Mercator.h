// Mercator: the ellipsoidal normal Mercator with its scale true along the
// parallel phi0 (type 2, "MER"; the published "variant B").
//
// The cylinder has the radius of the parallel of true scale, so a grid that
// is true on the equator is phi0 = 0. The scale factor k0 and the standard
// parallels of the parameters are not used, nor is the skew azimuth.
// Latitudes and longitudes are radians; grid coordinates are grid units
// (metres / u) with the false easting and northing added. Eastings are taken
// from the longitude difference reduced into [-180, 180] degrees, and the
// inverse gives longitudes within [-pi, pi].
#ifndef VORTAN_MERCATOR_H
#define VORTAN_MERCATOR_H

#include "Projection.h"

class Mercator : public Projection {
public:
    // Throws errcode 7 (severity 4) when the latitude of true scale is at or
    // beyond a pole, or not a number: no cylinder of finite, positive radius
    // (likewise for an axis or unit that is not positive); also for a central
    // meridian or false origin that is not a finite number.
    explicit Mercator(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Grid to geographic; writes the longitude, then the latitude. Code 10
    // (nothing written) for a grid coordinate that is not a finite number.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // Geographic to grid. Code 6 at either pole (which lie at infinity), code
    // 10 for a latitude beyond a pole or a coordinate that is not a finite
    // number; x and y are untouched on failure.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Point scale at the grid point (x, y): cos phi0 N(phi0) / (cos phi N(phi))
    // at the latitude of the point; code 10 (k untouched) when the grid
    // coordinates are not finite.
    errcode PointScale(double x, double y, double& k) const override;

    double R;  // radius of the cylinder in grid units: cos phi0 N(phi0) / u

    // Refinement steps after which the inverse latitude is given up as not
    // settling (earth-like figures need about five).
    static constexpr int kMaxSteps = 100;
};

#endif
