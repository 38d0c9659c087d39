// UtmZone.h - the UTM zone the built-in conversion puts a position in. Internal to the
// converter library.
#pragma once

namespace zelto_detail {

// Longitude in degrees brought into [-180, 180); infinities and NaN pass unchanged.
double WrapLongitude(double longitude);

// Zone 1..60 of a latitude and a wrapped longitude (degrees), with the Norway and
// Svalbard exceptions.
int UtmZoneOf(double latitude, double wrappedLongitude);

// LatLonToUTM for a longitude already wrapped and its zone already found, so that the
// record loop, which needs the zone for itself, does not work it out twice.
void UtmInZone(int row, double latitude, double wrappedLongitude, int zone, double& northing, double& easting);

}  // namespace zelto_detail
