// Ellipsoid: the figure of the earth every projection is computed on.
//
// Built from the semi-major axis a (metres) and the inverse flattening 1/f;
// an inverse flattening of exactly 0 gives f = 0 (a sphere). Latitudes are
// radians; all results are metres on the ellipsoid (a, not a/u).
#ifndef VORTAN_ELLIPSOID_H
#define VORTAN_ELLIPSOID_H

class Ellipsoid {
public:
    Ellipsoid(double a, double invFlattening);

    // N(phi) = a / sqrt(1 - e2 sin^2 phi)
    double PrimeVerticalRadius(double phi) const;
    // M(phi) = a (1 - e2) / w^3, w = sqrt(1 - e2 sin^2 phi)
    double MeridianRadius(double phi) const;
    // Meridian arc from the equator to phi, by the four-term series
    // (A0 phi - A2 sin 2phi + A4 sin 4phi + A6 sin 6phi); odd in phi.
    double MeridianDistance(double phi) const;

    double a;   // semi-major axis, metres
    double f;   // flattening
    double e2;  // first eccentricity squared, f + f - f*f
    double e;   // first eccentricity
};

#endif
