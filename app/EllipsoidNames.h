// EllipsoidNames.h - the ellipsoid list of the dialog, in the row order of the converter's
// built-in UTM table: the position of a name in the list is the row handed to
// put_EllipsoidToUse. Row 0 is no ellipsoid at all; choosing it keeps the one in force.
#pragma once

inline constexpr int kEllipsoidRows = 24;
inline constexpr const char* kEllipsoidNames[kEllipsoidRows] = {
    "Placeholder",
    "Airy",
    "Australian National",
    "Bessel 1841",
    "Bessel 1841 (Nambia) ",
    "Clarke 1866",
    "Clarke 1880",
    "Everest",
    "Fischer 1960 (Mercury) ",
    "Fischer 1968",
    "GRS 1967",
    "GRS 1980",
    "Helmert 1906",
    "Hough",
    "International",
    "Krassovsky",
    "Modified Airy",
    "Modified Everest",
    "Modified Fischer 1960",
    "South American 1969",
    "WGS 60",
    "WGS 66",
    "WGS-72",
    "WGS-84",
};
