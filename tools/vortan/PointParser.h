// Reading points and writing numbers for the vortan command, the same bytes
// whatever the process locale.
#ifndef VORTAN_TOOL_POINTPARSER_H
#define VORTAN_TOOL_POINTPARSER_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Splits a line at blanks and commas. Empty fields are dropped.
std::vector<std::string> SplitFields(std::string_view line);

// A plain decimal number (the whole field must be used); nullopt otherwise.
std::optional<double> ParseNumber(std::string_view field);

// An angle in decimal degrees: a plain number, or degrees, minutes and
// seconds with the degree sign (° or 'd'), prime (′ or ') and double prime
// (″ or ") and a hemisphere letter before or after (N, S, E, W; S and W make
// it negative), e.g. 51°30′15.5″N, 0°7'39"W, 12.5E. The letter must fit the
// axis: 'N'/'S' only for latitudes, 'E'/'W' only for longitudes.
enum class Axis { Latitude, Longitude };
std::optional<double> ParseAngle(std::string_view field, Axis axis);

// Fixed notation with the given number of decimals, '.' as the separator.
std::string FormatFixed(double value, int decimals);

#endif
