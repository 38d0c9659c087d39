#include "PointCommands.h"

#include "GeodesyErrorText.h"
#include "PointParser.h"

#include <cmath>

namespace {

constexpr double kDeg = 0.017453292519943295;

using I = InField;
using O = OutField;

int Fwd(GEODESY h, const double* in, double* out) { return GeoXY(h, &out[0], &out[1], in[0] * kDeg, in[1] * kDeg); }

int Inv(GEODESY h, const double* in, double* out) {
    const int ok = XYGeo(h, in[0], in[1], &out[0], &out[1]);
    out[0] /= kDeg;
    out[1] /= kDeg;
    return ok;
}

// WGS-84 to the project grid as the converter projects a survey position:
// datum shift, then the projection with its local adjustment.
int Project(GEODESY h, const double* in, double* out) {
    double lat = in[0] * kDeg, lon = in[1] * kDeg;
    out[2] = in[2];
    if (!WGS84Conv(h, &lat, &lon, &out[2])) return 0;
    return GeoXY(h, &out[0], &out[1], lat, lon);
}

// The way back: the grid to the project datum, then to WGS-84.
int Unproject(GEODESY h, const double* in, double* out) {
    double lat = 0, lon = 0;
    out[2] = in[2];
    if (!XYGeo(h, in[0], in[1], &lat, &lon) || !InvWGS84Conv(h, &lat, &lon, &out[2])) return 0;
    out[0] = lat / kDeg;
    out[1] = lon / kDeg;
    return 1;
}

template <bool kToProject>
int Datum(GEODESY h, const double* in, double* out) {
    out[0] = in[0] * kDeg;
    out[1] = in[1] * kDeg;
    out[2] = in[2];
    const int ok = kToProject ? WGS84Conv(h, &out[0], &out[1], &out[2]) : InvWGS84Conv(h, &out[0], &out[1], &out[2]);
    out[0] /= kDeg;
    out[1] /= kDeg;
    return ok;
}

int Ecef(GEODESY h, const double* in, double* out) {
    return GeoECEF(h, &out[0], &out[1], &out[2], in[0] * kDeg, in[1] * kDeg, in[2]);
}

int Geo(GEODESY h, const double* in, double* out) {
    const int ok = ECEFGeo(h, in[0], in[1], in[2], &out[0], &out[1], &out[2]);
    out[0] /= kDeg;
    out[1] /= kDeg;
    return ok;
}

int Und(GEODESY h, const double* in, double* out) { return Undulation(h, in[0] * kDeg, in[1] * kDeg, &out[0]); }

// The second point's longitude (degrees) taken the short way round from the first, as
// GeodSolve and RhumbSolve take it: the library takes the difference as given, and the
// 2 degrees from 179 E to 179 W would otherwise be 358 degrees the other way. A
// difference within 180 degrees is left exactly as it was.
double ShortWayLon2(double lon1, double lon2) {
    const double d = lon2 - lon1;
    return d > 180.0 || d < -180.0 ? lon2 - 360.0 * std::round(d / 360.0) : lon2;
}

// These calls return a value, not a status: success is a clear error code.
int GreatCircle(GEODESY h, const double* in, double* out) {
    out[0] = GCircLL(h, in[0] * kDeg, in[1] * kDeg, in[2] * kDeg, ShortWayLon2(in[1], in[3]) * kDeg, &out[1]);
    out[1] /= kDeg;
    return GetGeodesyError() == 0;
}

int Rhumb(GEODESY h, const double* in, double* out) {
    out[0] = RLineLL(h, in[0] * kDeg, in[1] * kDeg, in[2] * kDeg, ShortWayLon2(in[1], in[3]) * kDeg, &out[1]);
    out[1] /= kDeg;
    return GetGeodesyError() == 0;
}

int PointScale(GEODESY h, const double* in, double* out) {
    out[0] = Scale(h, in[0], in[1]);
    return GetGeodesyError() == 0;
}

constexpr PointCommand kCommands[] = {
    {"fwd", "lat lon", "x y", "grid coordinates (grid units, after the local adjustment)",
     {I::Lat, I::Lon}, 2, 2, {O::Length, O::Length}, 2, false, Fwd},
    {"inv", "x y", "lat lon", "the inverse of fwd", {I::Number, I::Number}, 2, 2, {O::Degrees, O::Degrees}, 2, false,
     Inv},
    {"project", "lat lon [h]", "x y [h]", "from WGS-84 to the grid: datum shift, projection, adjustment",
     {I::Lat, I::Lon, I::Number}, 3, 2, {O::Length, O::Length, O::Length}, 3, true, Project},
    {"unproject", "x y [h]", "lat lon [h]", "from the grid back to WGS-84",
     {I::Number, I::Number, I::Number}, 3, 2, {O::Degrees, O::Degrees, O::Length}, 3, true, Unproject},
    {"to-project", "lat lon [h]", "lat lon h", "on the project datum, from WGS-84",
     {I::Lat, I::Lon, I::Number}, 3, 2, {O::Degrees, O::Degrees, O::Length}, 3, false, Datum<true>},
    {"to-wgs84", "lat lon [h]", "lat lon h", "on WGS-84, from the project datum",
     {I::Lat, I::Lon, I::Number}, 3, 2, {O::Degrees, O::Degrees, O::Length}, 3, false, Datum<false>},
    {"ecef", "lat lon [h]", "X Y Z", "geocentric (metres, project ellipsoid)",
     {I::Lat, I::Lon, I::Number}, 3, 2, {O::Length, O::Length, O::Length}, 3, false, Ecef},
    {"geo", "X Y Z", "lat lon h", "the inverse of ecef", {I::Number, I::Number, I::Number}, 3, 3,
     {O::Degrees, O::Degrees, O::Length}, 3, false, Geo},
    {"undulation", "lat lon", "N", "geoid undulation plus correction (metres)", {I::Lat, I::Lon}, 2, 2,
     {O::Length}, 1, false, Und},
    {"gcirc", "lat1 lon1 lat2 lon2", "s azi", "geodesic length (grid units), azimuth at the first point",
     {I::Lat, I::Lon, I::Lat, I::Lon}, 4, 4, {O::Length, O::Degrees}, 2, false, GreatCircle},
    {"rhumb", "lat1 lon1 lat2 lon2", "s azi", "rhumb-line length (grid units), constant azimuth",
     {I::Lat, I::Lon, I::Lat, I::Lon}, 4, 4, {O::Length, O::Degrees}, 2, false, Rhumb},
    {"scale", "x y", "k", "point scale factor", {I::Number, I::Number}, 2, 2, {O::Ratio}, 1, false, PointScale},
};

std::optional<double> ParseField(InField kind, std::string_view text) {
    switch (kind) {
    case InField::Lat: return ParseAngle(text, Axis::Latitude);
    case InField::Lon: return ParseAngle(text, Axis::Longitude);
    case InField::Number: break;
    }
    return ParseNumber(text);
}

void AppendNumber(std::string& out, OutField kind, double v, const NumberFormat& f) {
    switch (kind) {
    case OutField::Length: AppendFixed(out, v, f.lengths); return;
    case OutField::Degrees: AppendFixed(out, v, f.degrees); return;
    case OutField::Ratio: AppendFixed(out, v, 10); return;
    }
}

}  // namespace

std::span<const PointCommand> PointCommands() { return kCommands; }

const PointCommand* FindPointCommand(std::string_view name) {
    for (const PointCommand& c : kCommands)
        if (c.name == name) return &c;
    return nullptr;
}

bool RunPointLine(const PointCommand& c, GEODESY h, const NumberFormat& format, std::string_view line,
                  std::string& out, std::string& error) {
    // The coordinate fields; whatever follows the last one used is the line's own text.
    std::size_t begin[4] = {}, end[4] = {};
    int found = 0;
    for (std::size_t pos = 0; found < c.inCount && NextField(line, pos, begin[found], end[found]); ++found)
        pos = end[found];
    double in[4] = {0, 0, 0, 0};
    double result[3] = {0, 0, 0};
    int used = 0;
    bool ok = found >= c.required;
    if (!ok) {
        error = "expected " + std::to_string(c.required) + (c.required == c.inCount ? "" : "-" + std::to_string(c.inCount)) +
                " values, got " + std::to_string(found);
        used = found;
    } else {
        for (; used < found; ++used) {
            const std::string_view text = line.substr(begin[used], end[used] - begin[used]);
            auto v = ParseField(c.in[used], text);
            const bool beyondPole = v && c.in[used] == InField::Lat && (*v > 90 || *v < -90);
            if (!v || beyondPole) {
                if (used >= c.required) break;  // not a number: the line's own text starts here
                if (ok) error = (beyondPole ? "latitude beyond 90 degrees: '" : "not a number: '") + std::string(text) + "'";
                ok = false;
                continue;
            }
            in[used] = *v;
        }
    }
    if (ok && !c.compute(h, in, result)) {
        const int code = GetGeodesyError();
        const char* text = GeodesyErrorText(code);
        error = "error " + std::to_string(code) + ": " + (text != nullptr ? text : "Unknown");
        ok = false;
    }
    const int printed = c.lastOutputOptional && used < c.inCount ? c.outCount - 1 : c.outCount;
    for (int i = 0; i < printed; ++i) {
        if (i > 0) out += ' ';
        if (ok) AppendNumber(out, c.out[i], result[i], format);
        else out += '*';
    }
    if (used > 0) out.append(line.substr(end[used - 1]));
    out += '\n';
    return ok;
}
