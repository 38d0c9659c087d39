// Reading points and writing numbers for the vortan command, the same bytes
// whatever the process locale.
#ifndef VORTAN_TOOL_POINTPARSER_H
#define VORTAN_TOOL_POINTPARSER_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// True for the characters that separate the fields of a point line: blank,
// tab, comma, semicolon, CR and LF.
bool IsFieldSeparator(char c);

// Splits a line at field separators. Empty fields are dropped.
std::vector<std::string> SplitFields(std::string_view line);

// The next field of `line` at or after `pos` (leading separators skipped):
// its start and one past its end. Returns false when only separators remain.
bool NextField(std::string_view line, std::size_t pos, std::size_t& begin, std::size_t& end);

// A plain decimal number (the whole field must be used); nullopt otherwise.
std::optional<double> ParseNumber(std::string_view field);

// An angle in decimal degrees, in the forms the GeographicLib tools read:
//   - a plain number: 51.504, -0.1275, 1.2e1;
//   - degrees, minutes and seconds with marks: degree ° º d D, minute ′ ’ ',
//     second ″ ” " '' (e.g. 51°30′15.5″, 0d7'39", 33°52′), minutes and
//     seconds below 60; the last component may leave out its mark (32d30,
//     32d30'15);
//   - D:M:S or D:M (e.g. 32:42:56.52), minutes and seconds below 60;
// only the last component may have a fraction (32:42.5, not 32.5:30);
// each with either a sign in front or a hemisphere letter before or after
// (N, S, E, W in either case; S and W make it negative), not both. A marked
// or colon form without sign or letter is positive. The letter must fit the
// axis: N/S only for latitudes, E/W only for longitudes.
enum class Axis { Latitude, Longitude };
std::optional<double> ParseAngle(std::string_view field, Axis axis);

// Fixed notation with the given number of decimals, '.' as the separator; a
// value that rounds to zero has no sign; nan, inf and -inf as such.
std::string FormatFixed(double value, int decimals);
// The same, appended to `out` (no allocation beyond out's own growth).
void AppendFixed(std::string& out, double value, int decimals);

#endif
