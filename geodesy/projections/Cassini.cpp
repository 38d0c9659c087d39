#include "Cassini.h"
#include "ProjectionRegistry.h"

#include <cmath>

Cassini::Cassini(const GeodesyParams& params) : Projection(params) {
    M0 = MeridianDistance(phi0) / u;
    ep2_ = e2 / (1.0 - e2);
    const double e4 = e2 * e2;
    muDen_ = a * (1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e4 * e2 / 256.0);
    const double b = a * (1.0 - f);
    e1_ = (a - b) / (a + b);
    const double e12 = e1_ * e1_, e13 = e12 * e1_, e14 = e13 * e1_;
    f2_ = 3.0 / 2.0 * e1_ - 27.0 / 32.0 * e13;
    f4_ = 21.0 / 16.0 * e12 - 55.0 / 32.0 * e14;
    f6_ = 151.0 / 96.0 * e13;
    f8_ = 1097.0 / 512.0 * e14;
}

const char* Cassini::ShortName() const { return "CAS"; }
int32_t Cassini::TypeId() const { return 11; }

errcode Cassini::Forward(double& x, double& y, double lat, double lon) const {
    const double N = PrimeVerticalRadius(lat) / u;
    const double c = std::cos(lat);
    const double A = (lon - lambda0) * c;  // not wrapped: the grid keeps the longitudes it is given
    const double C = ep2_ * c * c;
    const double t = std::tan(lat);
    const double T = t * t;
    const double A2 = A * A, A3 = A2 * A, A4 = A2 * A2, A5 = A4 * A;
    x = FE + N * (A - T * A3 / 6.0 - (8.0 - T + 8.0 * C) * T * A5 / 120.0);
    y = FN + (MeridianDistance(lat) / u - M0) + N * t * (A2 / 2.0 + (5.0 - T + 6.0 * C) * A4 / 24.0);
    return Success();
}

errcode Cassini::Inverse(double x, double y, double& lat, double& lon) const {
    // Footpoint latitude: the latitude on the central meridian whose arc from
    // the equator equals the grid northing, by the rectifying-latitude series.
    const double M1 = (M0 + y - FN) * u;
    const double mu = M1 / muDen_;
    const double fp = mu + f2_ * std::sin(2.0 * mu) + f4_ * std::sin(4.0 * mu) + f6_ * std::sin(6.0 * mu) +
                        f8_ * std::sin(8.0 * mu);
    const double N1 = PrimeVerticalRadius(fp);
    const double R1 = MeridianRadius(fp);
    const double t1 = std::tan(fp);
    const double T1 = t1 * t1;
    const double D = (x - FE) * u / N1;
    const double D2 = D * D, D3 = D2 * D, D4 = D2 * D2, D5 = D4 * D;
    lat = fp - (N1 * t1 / R1) * (D2 / 2.0 - (1.0 + 3.0 * T1) * D4 / 24.0);
    lon = lambda0 + (D - T1 * D3 / 3.0 + (1.0 + 3.0 * T1) * T1 * D5 / 15.0) / std::cos(fp);
    return Success();
}

errcode Cassini::PointScale(double x, double y, double& k) const { return Projection::PointScale(x, y, k); }

REGISTER_PROJECTION(11, Cassini)
