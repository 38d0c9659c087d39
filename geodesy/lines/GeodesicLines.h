// Geodesic and rhumb lines between two geographic points on a project's
// ellipsoid. These are the computations behind the exports GCircLL and
// RLineLL; they change no state and cannot fail.
//
// Latitudes and longitudes are radians; the longitude difference is taken as
// given (not reduced to +-pi), so the caller chooses which way round a line
// runs. Azimuths are radians clockwise from north. Distances are returned in
// grid units: metres divided by unitFactor (metres per grid unit, not 0).
#ifndef VORTAN_GEODESICLINES_H
#define VORTAN_GEODESICLINES_H

#include "Ellipsoid.h"

namespace geodesic_lines {

// Shortest line by the Gauss mid-latitude series: good to a few parts per
// million up to a few hundred kilometres (see docs/accuracy-oblique.md).
// Writes the azimuth at the first point when azimuth is not null.
double GCircLL(const Ellipsoid& ell, double unitFactor, double lat1, double lon1, double lat2,
               double lon2, double* azimuth);

// Rhumb line (loxodrome): constant azimuth atan2(dlon, dpsi) with psi the
// isometric latitude; length from the meridian distance. Writes the azimuth
// when azimuth is not null.
double RLineLL(const Ellipsoid& ell, double unitFactor, double lat1, double lon1, double lat2,
               double lon2, double* azimuth);

}  // namespace geodesic_lines

#endif
