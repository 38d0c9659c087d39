#include "GeodesicLines.h"

#include <cmath>

namespace geodesic_lines {

double GCircLL(const Ellipsoid& ell, double unitFactor, double lat1, double lon1, double lat2,
               double lon2, double* azimuth) {
    const double phiM = (lat1 + lat2) / 2.0;
    const double dPhi = lat2 - lat1;
    const double dLam = lon2 - lon1;
    const double s = std::sin(phiM), c = std::cos(phiM), t = std::tan(phiM);
    const double eta2 = ell.e2 / (1.0 - ell.e2) * c * c;
    const double eta4 = eta2 * eta2;
    const double W = (1.0 - eta2) * (1.0 - eta2);
    const double M = ell.MeridianRadius(phiM);
    const double N = ell.PrimeVerticalRadius(phiM);

    const double k1 = (1.0 + 9.0 * eta4 * t * t) / (24.0 * W);
    const double k2 = (1.0 - 2.0 * eta2) / 24.0;
    const double k3 = (1.0 - t * t) * eta2 / (8.0 * W);
    const double k4 = (1.0 + eta2) / 12.0;
    const double k5 = (3.0 + 8.0 * eta2) / (24.0 * W);

    const double dLam2 = dLam * dLam, dPhi2 = dPhi * dPhi;
    const double east = N * dLam * c * (1.0 - dLam2 * s * s / 24.0 + k1 * dPhi2);
    const double north = std::cos(dLam / 2.0) * M * dPhi * (1.0 + k2 * dLam2 * c * c + k3 * dPhi2);
    if (azimuth)
        *azimuth = std::atan2(east, north) - 0.5 * dLam * s * (1.0 + k4 * dLam2 * c * c + k5 * dPhi2);
    return std::hypot(east, north) / unitFactor;
}

double RLineLL(const Ellipsoid& ell, double unitFactor, double lat1, double lon1, double lat2,
               double lon2, double* azimuth) {
    const double e = ell.e;
    const double s1 = std::sin(lat1), s2 = std::sin(lat2);
    const double dPsi =
        0.5 * std::log((1.0 + s2) * (1.0 - s1) / ((1.0 - s2) * (1.0 + s1)) *
                       std::pow((1.0 - e * s2) * (1.0 + e * s1) / ((1.0 + e * s2) * (1.0 - e * s1)), e));
    const double dLam = lon2 - lon1;
    const double alpha = std::atan2(dLam, dPsi);
    if (azimuth) *azimuth = alpha;

    double distance = 0.0;
    if (lat1 == lat2) {
        distance = std::fabs(std::cos(lat1) * ell.PrimeVerticalRadius(lat1) * (lon1 - lon2));
    } else if (std::fabs(lat2 - lat1) < 1e-6) {
        // Nearly along a parallel, dm / cos(alpha) divides a difference of
        // two large meridian distances by a tiny cosine and loses the
        // length; there dm/dpsi is N cos(phi) at the mid-latitude to far
        // better than a millimetre, and the length is |dm/dpsi| hypot(dlon, dpsi).
        const double phiM = (lat1 + lat2) / 2.0;
        distance = std::cos(phiM) * ell.PrimeVerticalRadius(phiM) * std::hypot(dLam, dPsi);
    } else {
        distance = std::fabs((ell.MeridianDistance(lat2) - ell.MeridianDistance(lat1)) / std::cos(alpha));
    }
    return distance / unitFactor;
}

}  // namespace geodesic_lines
