// The vortan commands that read one point a line: what each reads, what it
// prints and the library call between. Angles are read and written in
// degrees, handed to the library in radians; lengths are grid units (after
// the local adjustment) or metres as each command says.
#ifndef VORTAN_TOOL_POINTCOMMANDS_H
#define VORTAN_TOOL_POINTCOMMANDS_H

#include "vortan.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

enum class InField : unsigned char { Lat, Lon, Number };
enum class OutField : unsigned char { Length, Degrees, Ratio };

struct PointCommand {
    std::string_view name;
    std::string_view reads;   // for the usage text, e.g. "lat lon [h]"
    std::string_view prints;  // e.g. "x y [h]"
    std::string_view what;
    std::array<InField, 4> in;
    int inCount;
    int required;  // the first `required` inputs must be there; the rest are optional numbers (0 when absent)
    std::array<OutField, 3> out;
    int outCount;
    bool lastOutputOptional;  // the last output is printed only when the optional input was given
    // The library call: inputs in degrees and grid units/metres, outputs
    // likewise. Non-zero on success; on failure GetGeodesyError() has the code.
    int (*compute)(GEODESY h, const double* in, double* out);
};

// Every point command, in the order of the usage text.
std::span<const PointCommand> PointCommands();
// The command of that name, or nullptr.
const PointCommand* FindPointCommand(std::string_view name);

// Decimals of the printed numbers.
struct NumberFormat {
    int lengths;  // grid units, metres
    int degrees;
};

// One input line that is neither blank nor a comment. On success appends the
// results, then the text that followed the coordinates unchanged, then a line
// feed, and returns true. On failure appends the marker line (one "*" per
// result, then the following text) and returns false with the reason in
// `error`: "not a number: 'F'", "latitude beyond 90 degrees: 'F'",
// "expected N values, got M", or
// "error C: TEXT" for a library failure.
bool RunPointLine(const PointCommand& command, GEODESY h, const NumberFormat& format, std::string_view line,
                  std::string& out, std::string& error);

#endif
