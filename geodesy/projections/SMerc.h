// SMerc: the spherical Mercator on the sphere of the International 1924
// semi-major axis, 6378388 m (type 9, "CME").
//
// It takes nothing from the geodesy definition: no ellipsoid, central
// meridian, false origin, scale factor or unit. Grid coordinates are metres
// on the equator-true cylinder: x = R lon, y = R ln tan(pi/4 + lat/2), with
// latitudes and longitudes in radians and the longitude not reduced.
#ifndef VORTAN_SMERC_H
#define VORTAN_SMERC_H

#include "Projection.h"

class SMerc : public Projection {
public:
    explicit SMerc(const GeodesyParams& params);

    const char* ShortName() const override;
    int32_t TypeId() const override;
    // Grid to geographic; writes the longitude, then the latitude. Code 10
    // (nothing written) for a grid coordinate that is not a finite number.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // Geographic to grid. Code 6 at either pole (which lie at infinity), code
    // 10 for a latitude beyond a pole or a coordinate that is not a finite
    // number; x and y are untouched on failure.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Point scale: the shared unit scale, 1.0 everywhere, as the grid has
    // always reported it (the true Mercator stretch would be cosh(y / R)).
    errcode PointScale(double x, double y, double& k) const override;

    // Radius of the sphere, metres.
    static constexpr double kRadius = 6378388.0;
};

#endif
