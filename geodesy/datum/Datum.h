// Datum transformations: geodetic <-> earth-centred earth-fixed (ECEF)
// coordinates and the seven-parameter (Helmert, coordinate-frame rotation)
// shift between WGS-84 and a project datum, or a datum-shift grid instead.
//
// Angles are radians, latitude before longitude; heights and ECEF coordinates
// are metres. Rotations are small angles in radians, the scale is a factor
// (1.0 = no scale change).
#ifndef VORTAN_DATUM_H
#define VORTAN_DATUM_H

#include "Ellipsoid.h"
#include "vortan.h"

#include <cstdint>

struct GeodesyHandle;
class InterpFile;

// The built-in WGS-84 ellipsoid (a = 6378137, 1/f = 298.257223563).
const Ellipsoid& Wgs84Ellipsoid();

// The seven values of "no datum shift": 0, 0, 0, 1.0, 0, 0, 0.
EllDiffParams IdentityShift();

struct Ecef {
    double X, Y, Z;
};

// The sines and cosines of a position's latitude and longitude: taken once and shared
// by every ellipsoid the position is placed on.
struct GeoAngles {
    double sinLat, cosLat, sinLon, cosLon;
};
GeoAngles AnglesOf(double lat, double lon);

// X = (N + h) cos lat cos lon, Y = (N + h) cos lat sin lon, Z = ((1 - e2) N + h) sin lat.
Ecef GeoToEcef(const Ellipsoid& ell, double lat, double lon, double h);
Ecef GeoToEcef(const Ellipsoid& ell, const GeoAngles& g, double h);  // the same from the angles

// Iterates the latitude until two passes differ by at most 1e-9 rad. On the
// polar axis (hypot(X, Y) exactly 0): latitude +pi/2 for Z > 0, else -pi/2,
// longitude 0, height |Z| - b; within 0.057 degrees of a pole the height is
// taken along the normal, as stable there as elsewhere. False (outputs
// unspecified) for a coordinate that is not a finite number or an iteration
// that does not settle within 100 passes (only on an ellipsoid that is not one). The height is optional: h
// null when the caller does not want it (the latitude, longitude and outcome
// are the same either way).
bool EcefToGeo(const Ellipsoid& ell, const Ecef& p, double& lat, double& lon, double* h);

// Forward transformation, source ECEF to target ECEF:
//   X' = s (X + rz Y - ry Z) + dx, and so on (coordinate-frame convention).
Ecef HelmertForward(const EllDiffParams& t, const Ecef& p);
// The approximate reverse the suite has always used: transposed rotation,
// divided by the scale, then the translation subtracted. Not the exact
// inverse of HelmertForward; a round trip differs by second-order terms
// (well below a millimetre for shifts of a few hundred metres and rotations
// of a few arc-seconds).
Ecef HelmertReverse(const EllDiffParams& t, const Ecef& p);

// The shift parameters to use at a point (lat, lon, h on the datum the call
// starts from): from the datum grid when the handle has one that covers the
// point, else the stored seven values. A grid with two values per node holds latitude and
// longitude shifts in arc-seconds, turned into a translation between the
// project ellipsoid and WGS-84 at the point; otherwise the node holds dx, dy,
// dz in metres. A point outside the grid silently uses the stored values.
// This part turns the values a grid lookup gave (count of them in v) into a
// shift; the caller falls back to the stored values when the lookup failed.
EllDiffParams ShiftFromGrid(int32_t count, const double* v, const Ellipsoid& project,
                            double lat, double lon, double h);
// The same with the angles of (lat, lon) already taken.
EllDiffParams ShiftFromGrid(int32_t count, const double* v, const Ellipsoid& project,
                            const GeoAngles& at, double lat, double lon, double h);

// In-place conversions between two ellipsoids through the shift t. False,
// with the point left as it was, when the point is not a finite number.
bool ConvertForward(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    double& lat, double& lon, double* h);
bool ConvertReverse(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    double& lat, double& lon, double* h);
// The same with the angles of (lat, lon) already taken.
bool ConvertForward(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    const GeoAngles& at, double& lat, double& lon, double* h);
bool ConvertReverse(const Ellipsoid& from, const Ellipsoid& to, const EllDiffParams& t,
                    const GeoAngles& at, double& lat, double& lon, double* h);

// True when at least one of dx, dy, dz, rx, ry, rz is non-zero: a scale
// change alone does not make a datum.
bool ShiftIsActive(const EllDiffParams& t);

#endif
