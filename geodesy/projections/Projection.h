// Projection: the base of the twelve map projections.
//
// A projection converts geographic coordinates on its ellipsoid (latitude and
// longitude in radians) to grid coordinates (easting x, northing y in grid
// units, i.e. metres / u) and back. It is built once from a GeodesyParams
// record and only read afterwards, so one object may serve several threads.
//
// Forward, Inverse and PointScale never throw for a bad point: they return an
// errcode, 0 on success or 6 (singularity), 10 (domain) or 11 (no convergence)
// with severity 4. Constructors throw errcode 7 (severity 4) for parameters
// they cannot use. What a failing operation has already written to its outputs
// is stated by each class; callers treat outputs as undefined on failure.
#ifndef VORTAN_PROJECTION_H
#define VORTAN_PROJECTION_H

#include "Ellipsoid.h"
#include "errcode.h"
#include "vortan.h"

#include <cstdint>

class Projection : public Ellipsoid {
public:
    // Copies the nine projection fields; k0 and u of exactly 0 become 1.0.
    explicit Projection(const GeodesyParams& params);
    virtual ~Projection() = default;

    // Three-letter code of the projection ("TME", "LCC", ...), static storage.
    virtual const char* ShortName() const = 0;
    // Projection type number 1..12.
    virtual int32_t TypeId() const = 0;
    // Grid (x, y) to geographic (lat, lon), radians.
    virtual errcode Inverse(double x, double y, double& lat, double& lon) const = 0;
    // Geographic (lat, lon), radians, to grid (x, y).
    virtual errcode Forward(double& x, double& y, double lat, double lon) const = 0;
    // Point scale factor k at the grid point (x, y). The shared implementation
    // (Projection::PointScale) stores 1.0 and succeeds, for classes without a
    // scale formula.
    virtual errcode PointScale(double x, double y, double& k) const = 0;

    // t(phi) = tan(pi/4 - phi/2) * ((1 + e sin phi)/(1 - e sin phi))^(e/2),
    // shared by Lambert and the oblique Mercator family.
    double TPhi(double phi) const;

    double k0;       // scale factor
    double lambda0;  // central meridian, rad
    double phi0;     // origin (reference) latitude, rad
    double phi1;     // north standard parallel, rad
    double phi2;     // south standard parallel, rad
    double alpha;    // skew azimuth, rad
    double u;        // metres per grid unit
    double FE;       // false easting, grid units
    double FN;       // false northing, grid units
};

// x wrapped into [-pi, pi]; pi and -pi are returned unchanged.
double NormalizeAngle(double x);

// The usual success value of a projection operation.
inline errcode Success() { return errcode(0, 0); }

#endif
