// Built-in UTM: Snyder's series on the chosen ellipsoid, zone from the position itself.
#include "ZeltoQvxConverter.h"

#include "UtmZone.h"

#include <array>
#include <cmath>

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kK0 = 0.9996;

// What the series takes from an ellipsoid alone, worked out once for every row of the
// table instead of for every point: the same expressions, so the same values.
struct UtmConstants {
    double a, e2, ep2;
    double m0, m2, m4, m6;  // the meridian arc's factors of phi, sin 2phi, sin 4phi, sin 6phi
};

const UtmConstants& ConstantsOf(std::int32_t row)
{
    static const auto table = [] {
        std::array<UtmConstants, ZELTO_ELLIPSOID_ROWS> t{};
        for (std::size_t r = 0; r < t.size(); ++r) {
            const double a = EllipsoidTable[r].SemiMajorAxis;
            const double e2 = EllipsoidTable[r].EccentricitySquared;
            const double e4 = e2 * e2;
            const double e6 = e4 * e2;
            t[r] = UtmConstants{a, e2, e2 / (1.0 - e2),
                                1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0,
                                3.0 * e2 / 8.0 + 3.0 * e4 / 32.0 + 45.0 * e6 / 1024.0,
                                15.0 * e4 / 256.0 + 45.0 * e6 / 1024.0,
                                35.0 * e6 / 3072.0};
        }
        return t;
    }();
    return table[static_cast<std::size_t>(row)];
}
}  // namespace

namespace zelto_detail {

double WrapLongitude(double longitude)
{
    // Longitude into [-180, 180). Values below -180 are wrapped too, so that they never
    // land in the non-existent zone 0. The remainder is the exact one: a garbled field can
    // read as 1e111 degrees, and a quotient rounded at that size would leave a longitude
    // of many turns and a zone number beyond an int. Up to a million degrees it gives
    // the value of the subtraction it replaces, bit for bit.
    double lon = std::fmod(longitude + 180.0, 360.0) - 180.0;
    if (lon < -180.0)
        lon += 360.0;
    if (!(lon < 180.0) && std::isfinite(lon))
        lon -= 360.0;
    return lon;
}

int UtmZoneOf(double latitude, double lon)
{
    int zone = 1;
    if (std::isfinite(lon))
        zone = 1 + static_cast<int>(std::trunc((lon + 180.0) / 6.0));
    if (zone < 1 || zone > 60)
        zone = zone < 1 ? 1 : 60;

    if (latitude >= 56.0 && latitude < 64.0 && lon >= 3.0 && lon < 12.0)
        zone = 32;
    if (latitude >= 72.0 && latitude < 84.0) {
        if (lon >= 0.0 && lon < 9.0)
            zone = 31;
        else if (lon >= 9.0 && lon < 21.0)
            zone = 33;
        else if (lon >= 21.0 && lon < 33.0)
            zone = 35;
        else if (lon >= 33.0 && lon < 42.0)
            zone = 37;
    }
    return zone;
}

}  // namespace zelto_detail

void LatLonToUTM(std::int32_t row, double latitude, double longitude, double& northing, double& easting)
{
    const double lon = zelto_detail::WrapLongitude(longitude);
    zelto_detail::UtmInZone(row, latitude, lon, zelto_detail::UtmZoneOf(latitude, lon), northing, easting);
}

void zelto_detail::UtmInZone(int row, double latitude, double lon, int zone, double& northing, double& easting)
{
    if (row < 1 || row >= ZELTO_ELLIPSOID_ROWS)
        row = ZELTO_ELLIPSOID_ROWS - 1;
    const UtmConstants& k = ConstantsOf(row);
    const double a = k.a;
    const double e2 = k.e2;

    const double lon0 = static_cast<double>(6 * zone - 183);
    const double phi = latitude * kDegToRad;
    const double ep2 = k.ep2;
    const double sinPhi = std::sin(phi);
    const double cosPhi = std::cos(phi);
    const double tanPhi = std::tan(phi);

    const double N = a / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
    const double T = tanPhi * tanPhi;
    const double C = ep2 * cosPhi * cosPhi;
    const double A = cosPhi * (lon * kDegToRad - lon0 * kDegToRad);
    const double M = a * (k.m0 * phi - k.m2 * std::sin(2.0 * phi) + k.m4 * std::sin(4.0 * phi)
                          - k.m6 * std::sin(6.0 * phi));

    const double A2 = A * A;
    const double A3 = A2 * A;
    const double A4 = A3 * A;
    const double A5 = A4 * A;
    const double A6 = A5 * A;
    easting = kK0 * N * (A + (1.0 - T + C) * A3 / 6.0
                         + (5.0 - 18.0 * T + T * T + 72.0 * C - 58.0 * ep2) * A5 / 120.0)
              + 500000.0;
    northing = kK0 * (M + N * tanPhi * (A2 / 2.0 + (5.0 - T + 9.0 * C + 4.0 * C * C) * A4 / 24.0
                                        + (61.0 - 58.0 * T + T * T + 600.0 * C - 330.0 * ep2) * A6 / 720.0));
    if (latitude < 0.0)
        northing += 10000000.0;
}
