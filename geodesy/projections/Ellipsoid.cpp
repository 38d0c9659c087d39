#include "Ellipsoid.h"

#include <cmath>

Ellipsoid::Ellipsoid(double semiMajor, double invFlattening)
    : a(semiMajor), f(invFlattening == 0.0 ? 0.0 : 1.0 / invFlattening) {
    e2 = f + f - f * f;
    e = std::sqrt(e2);
}

double Ellipsoid::PrimeVerticalRadius(double phi) const {
    const double s = std::sin(phi);
    return a / std::sqrt(1.0 - e2 * s * s);
}

double Ellipsoid::MeridianRadius(double phi) const {
    const double s = std::sin(phi);
    const double w = std::sqrt(1.0 - e2 * s * s);
    return a * (1.0 - e2) / (w * w * w);
}

double Ellipsoid::MeridianDistance(double phi) const {
    const double A0 = ((-5.0 / 256.0 * e2 - 3.0 / 64.0) * e2 - 1.0 / 4.0) * e2 + 1.0;
    const double A2 = (3.0 / 8.0 + 3.0 / 32.0 * e2 + 45.0 / 1024.0 * e2 * e2) * e2;
    const double A4 = (15.0 / 256.0 + 45.0 / 1024.0 * e2) * e2 * e2;
    const double A6 = -0.01139322916667 * e2 * e2 * e2;
    return a * (A0 * phi - A2 * std::sin(2.0 * phi) + A4 * std::sin(4.0 * phi) +
                A6 * std::sin(6.0 * phi));
}
