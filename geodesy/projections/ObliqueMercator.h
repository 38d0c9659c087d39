// ObliqueMercator: the Hotine oblique Mercator projection of the ellipsoid,
// natural-origin form, shared by Hotine (type 6) and RSO (type 7).
//
// Points are first carried to skew coordinates (u along the initial line from
// the natural origin, v across it, both metres), then rectified into grid
// coordinates by the two operations UVXY and XYUV that each concrete class
// supplies with its own rectification angle. Latitudes and longitudes are
// radians; x and y are grid units (metres / unit factor).
//
// Parameters: reference latitude = latitude of the projection centre,
// central meridian = its longitude, skew azimuth = azimuth of the initial line
// at the centre, scale factor = scale on the initial line.
#ifndef VORTAN_OBLIQUEMERCATOR_H
#define VORTAN_OBLIQUEMERCATOR_H

#include "Projection.h"

class ObliqueMercator : public Projection {
public:
    // Throws errcode 7 when the centre gives no usable constants (a centre at
    // a pole, or an initial line that never meets the aposphere's equator).
    explicit ObliqueMercator(const GeodesyParams& params);

    // Fails with code 11 (outputs untouched) when the latitude iteration has
    // not settled within 30 steps.
    errcode Inverse(double x, double y, double& lat, double& lon) const override;
    // Never fails; at either pole the results are not finite.
    errcode Forward(double& x, double& y, double lat, double lon) const override;
    // Fails with code 11 (k untouched) as the inverse does.
    errcode PointScale(double x, double y, double& k) const override;

    // Skew (u, v), metres, to grid (x, y), grid units.
    virtual void UVXY(double su, double sv, double* x, double* y) const = 0;
    // Grid (x, y), grid units, to skew (u, v), metres.
    virtual void XYUV(double* su, double* sv, double x, double y) const = 0;

    double gamma0;        // rectification angle derived from the skew azimuth, rad
    double A;             // a B k0 sqrt(1-e2) / (1 - e2 sin^2 phic), metres
    double B;             // exponent of the aposphere
    double H;             // F t(phic)^B
    double lambdaOrigin;  // longitude of the natural origin, rad

    static constexpr int kMaxIterations = 30;

protected:
    // Skew (u, v) to geographic; false when the latitude does not settle.
    bool SkewToGeographic(double su, double sv, double& lat, double& lon) const;
    // Rectification with angle gamma, shared by both concrete classes.
    void Rectify(double gamma, double su, double sv, double* x, double* y) const;
    void Unrectify(double gamma, double* su, double* sv, double x, double y) const;
};

#endif
