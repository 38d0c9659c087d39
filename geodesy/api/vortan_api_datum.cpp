// Exported functions of the datum family, in the frame of ApiFrame.h: check
// the handle, run the work, set the calling thread's error code.
#include "vortan.h"

#include "Adjustment.h"
#include "ApiFrame.h"
#include "Datum.h"
#include "DebugLog.h"
#include "DefinitionFile.h"
#include "GeodesyHandle.h"
#include "Geoid.h"
#include "InstallDir.h"
#include "InterpFile.h"
#include "Profile.h"
#include "Units.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

using vortan_api::Guard;
using vortan_api::SetError;

namespace {

int32_t Result(uint32_t code) {
    SetError(code);
    return code == 0 ? 1 : 0;
}

// Error for a point that is not a finite number: it has no position on any
// datum, and iterating on it would never end.
constexpr uint32_t kDomainError = 10;

EllDiffParams StoredShift(const GeodesyHandle& h) {
    return EllDiffParams{h.datumShift[0], h.datumShift[1], h.datumShift[2], h.datumShift[3],
                         h.datumShift[4], h.datumShift[5], h.datumShift[6]};
}

void StoreShift(GeodesyHandle& h, const EllDiffParams& t) {
    const double v[7] = {t.dx, t.dy, t.dz, t.scale, t.rx, t.ry, t.rz};
    std::memcpy(h.datumShift, v, sizeof v);
}

bool Finite(double a, double b, const double* c) {
    return std::isfinite(a) && std::isfinite(b) && (c == nullptr || std::isfinite(*c));
}

// The shift to use at a point: the datum grid's when it covers the point,
// otherwise the stored seven values. A point beyond the grid's coverage falls
// back silently, as surveys running off the grid have always been converted.
// `at` holds the angles of (lat, lon).
EllDiffParams ShiftAtPoint(GeodesyHandle& h, const GeoAngles& at, double lat, double lon, double height) {
    if (h.datumGrid != nullptr) {
        // A datum grid holds two or three values a node: room on the stack for them,
        // the heap only for a grid with more.
        constexpr size_t kOnStack = 8;
        double small[kOnStack] = {};
        std::vector<double> large;
        const auto values = static_cast<size_t>(h.datumGrid->Values());
        double* v = small;
        if (values > kOnStack) {
            large.assign(values, 0.0);
            v = large.data();
        }
        int32_t count = 0;
        uint32_t code = 1;
        try {
            code = h.datumGrid->Lookup(lat, lon, &count, v).take();
        } catch (...) {
            code = 1;
        }
        if (code == 0 && count >= 2)
            return ShiftFromGrid(count, v, *h.projection, at, lat, lon, height);
    }
    return StoredShift(h);
}

// A shift that the reverse formula can use: every value finite and a scale
// above 0 (the reverse divides by it, and -1.0 is the grid datum's marker).
bool UsableShift(const EllDiffParams& t) {
    const double v[7] = {t.dx, t.dy, t.dz, t.scale, t.rx, t.ry, t.rz};
    for (double x : v)
        if (!std::isfinite(x)) return false;
    return t.scale > 0.0;
}

void ApplyShift(GeodesyHandle& h, const EllDiffParams& t) {
    StoreShift(h, t);
    h.datumActive = ShiftIsActive(t) ? 1 : 0;
    delete h.datumGrid;
    h.datumGrid = nullptr;
}

// Loads a datum grid the way SetEllModel does; returns the grid loader's code.
uint32_t LoadDatumGrid(GeodesyHandle& h, const char* file) {
    delete h.datumGrid;
    h.datumGrid = nullptr;
    StoreShift(h, IdentityShift());
    h.datumActive = 0;
    if (file == nullptr) return 0;
    InterpFile* grid = nullptr;
    try {
        grid = new InterpFile(file, false);
    } catch (errcode& e) {
        return e.take();
    } catch (...) {
        return 1;
    }
    if (grid->Values() < 2) {
        // One value per node is a geoid model, not a datum shift: refusing it
        // keeps positions from being moved by undulations.
        DebugLog("datum grid %s holds %d value per node; 2 or 3 expected", file, grid->Values());
        delete grid;
        return 3;
    }
    h.datumGrid = grid;
    h.datumActive = 1;
    return 0;
}

bool BadEllipsoid(double a, double f) {
    return !(std::isfinite(a) && a > 0.0 && std::isfinite(f) && f >= 0.0 && f < 1.0);
}

// Shared frame of EllConv and InvEllConv.
int32_t OtherEllipsoid(GEODESY h, double* lat, double* lon, double* height, double a, double f,
                       bool toProject) {
    if (h == nullptr || lat == nullptr || lon == nullptr) return Result(2);
    Ellipsoid other(a, 0.0);
    other.f = f;
    other.e2 = 2.0 * f - f * f;
    other.e = std::sqrt(other.e2);
    const Projection& p = *h->projection;
    if (h->datumGrid != nullptr || !h->datumActive || (a == p.a && f == p.f)) return Result(0);
    // An (a, f) that is no ellipsoid would turn the point into NaN.
    if (BadEllipsoid(a, f)) return Result(3);
    if (!Finite(*lat, *lon, height)) return Result(kDomainError);
    const EllDiffParams t = StoredShift(*h);
    const bool ok = toProject ? ConvertForward(other, p, t, *lat, *lon, height)
                              : ConvertReverse(p, other, t, *lat, *lon, height);
    return Result(ok ? 0 : kDomainError);
}

int32_t Wgs84Frame(GEODESY h, double* lat, double* lon, double* height, bool toProject) {
    if (h == nullptr || lat == nullptr || lon == nullptr) return Result(2);
    if (!h->datumActive) return Result(0);
    if (!Finite(*lat, *lon, height)) return Result(kDomainError);
    // The grid's shift and the conversion start from the same point: its angles are
    // taken once for both.
    const GeoAngles at = AnglesOf(*lat, *lon);
    const EllDiffParams t = ShiftAtPoint(*h, at, *lat, *lon, height ? *height : 0.0);
    const bool ok = toProject ? ConvertForward(Wgs84Ellipsoid(), *h->projection, t, at, *lat, *lon, height)
                              : ConvertReverse(*h->projection, Wgs84Ellipsoid(), t, at, *lat, *lon, height);
    return Result(ok ? 0 : kDomainError);
}

// A grid path from a DynDatum or Geoid value: the file of that name in the
// "datum" folder of the suite's directory; empty when it would be too long
// or no directory was found.
std::string GridPath(const std::string& value, const char* what) {
    auto path = DatumFilePath(GetInstallDir(), value);
    if (!path) {
        DebugLog("%s path for %s is longer than %d characters or has no directory; refused", what,
                 value.c_str(), static_cast<int>(kMaxPathChars));
        return std::string();
    }
    return *path;
}

// The numbers of a definition that no ellipsoid, projection or grid can
// have. atof reads "nan" and "inf", and an inverse flattening of 1 or less
// is a flattening of 1 or more (or a prolate ellipsoid): left in, they give
// grids of NaN that GeoXY reports as success. Each is refused with the code
// the handle gives for its field: 3 flattening, 4 units, 7 the rest. An
// infinite inverse flattening is a sphere and stays; a zero axis, scale or
// flattening is left to the checks of the handle and the projection.
uint32_t UnusableNumbers(const Definition& d) {
    const GeodesyParams& p = d.params;
    const double invF = p.invFlattening;
    if (std::isnan(invF) || (std::isfinite(invF) && invF != 0.0 && invF <= 1.0)) return 3;
    const double unit = p.unit, vertUnit = d.vertUnit;
    if (!std::isfinite(unit) || unit < 0.0 || !std::isfinite(vertUnit) || vertUnit < 0.0) return 4;
    const double a = p.a;
    const double values[] = {p.scaleFactor,   p.refLatitude,    p.centralMeridian,   p.northParallel,
                             p.southParallel, p.skewAzimuth,    p.falseEasting,      p.falseNorthing,
                             d.adjustment.originX, d.adjustment.originY, d.adjustment.rotation,
                             d.adjustment.scale,   d.adjustment.shiftX,  d.adjustment.shiftY,
                             d.orthoCorrection};
    if (!std::isfinite(a) || a < 0.0) return 7;
    for (const double v : values)
        if (!std::isfinite(v)) return 7;
    return 0;
}

}  // namespace

extern "C" {

/* ---- datum, ellipsoid conversion and ECEF ------------------------------ */

VORTAN_API int32_t GeoECEF(GEODESY h, double* X, double* Y, double* Z, double lat, double lon,
                           double height) {
    if (h == nullptr || X == nullptr || Y == nullptr || Z == nullptr) return Result(2);
    if (!Finite(lat, lon, &height)) return Result(kDomainError);
    const Ecef e = GeoToEcef(*h->projection, lat, lon, height);
    *X = e.X;
    *Y = e.Y;
    *Z = e.Z;
    return Result(0);
}

VORTAN_API int32_t ECEFGeo(GEODESY h, double X, double Y, double Z, double* lat, double* lon,
                           double* height) {
    if (h == nullptr || lat == nullptr || lon == nullptr) return Result(2);
    double la = 0.0, lo = 0.0, hh = 0.0;
    if (!EcefToGeo(*h->projection, Ecef{X, Y, Z}, la, lo, height ? &hh : nullptr)) return Result(kDomainError);
    *lat = la;
    *lon = lo;
    if (height != nullptr) *height = hh;
    return Result(0);
}

VORTAN_API int32_t WGS84Conv(GEODESY h, double* lat, double* lon, double* height) {
    return Wgs84Frame(h, lat, lon, height, true);
}

VORTAN_API int32_t InvWGS84Conv(GEODESY h, double* lat, double* lon, double* height) {
    return Wgs84Frame(h, lat, lon, height, false);
}

VORTAN_API int32_t EllConv(GEODESY h, double* lat, double* lon, double* height, double a, double f) {
    return OtherEllipsoid(h, lat, lon, height, a, f, true);
}

VORTAN_API int32_t InvEllConv(GEODESY h, double* lat, double* lon, double* height, double a,
                              double f) {
    return OtherEllipsoid(h, lat, lon, height, a, f, false);
}

VORTAN_API int32_t SetEllModel(GEODESY h, const char* file) {
    if (h == nullptr) return Result(2);
    return Result(LoadDatumGrid(*h, file));
}

VORTAN_API int32_t GetEllModel(GEODESY h, char* buffer, int32_t size) {
    if (h == nullptr || buffer == nullptr || size < 1) return Result(2);
    const std::string empty;
    const std::string& path = h->datumGrid != nullptr ? h->datumGrid->Path() : empty;
    const size_t n = path.size() < static_cast<size_t>(size) - 1 ? path.size() : static_cast<size_t>(size) - 1;
    std::memcpy(buffer, path.data(), n);
    buffer[n] = '\0';
    return Result(0);
}

VORTAN_API int32_t SetEllDiff(GEODESY h, const EllDiffParams* params) {
    if (h == nullptr || params == nullptr) return Result(2);
    if (!UsableShift(*params)) return Result(7);
    ApplyShift(*h, *params);
    return Result(0);
}

VORTAN_API int32_t GetEllDiff(GEODESY h, EllDiffParams* params) {
    if (h == nullptr || params == nullptr) return Result(2);
    *params = h->datumGrid != nullptr ? EllDiffParams{0.0, 0.0, 0.0, -1.0, 0.0, 0.0, 0.0} : StoredShift(*h);
    return Result(0);
}

/* ---- definition file --------------------------------------------------- */

VORTAN_API GEODESY CreateFileGeodesy(const char* file, const char* section) {
    if (file == nullptr || std::strlen(file) > kMaxPathChars) {
        // A definition path the suite's 256-byte buffers cannot hold is
        // refused rather than cut into the name of some other file.
        if (file != nullptr) DebugLog("definition path longer than %d characters; refused",
                                      static_cast<int>(kMaxPathChars));
        SetError(5);
        return nullptr;
    }
    const char* sec = section != nullptr ? section : "Geodesy";
    GeodesyHandle* h = nullptr;
    uint32_t geoidCode = 0;
    const bool built = Guard([&] {
        const Profile ini{std::string(file)};
        const Definition d = ReadDefinition(ini, sec);
        if (d.params.projection == 0) RaiseError(5);
        if (const uint32_t bad = UnusableNumbers(d); bad != 0) RaiseError(bad);
        h = new GeodesyHandle(d.params);
        std::unique_ptr<GeodesyHandle> owner(h);

        h->verticalUnit = d.vertUnit != 0.0 ? d.vertUnit : h->projection->u;
        h->verticalUnitId = UnitIdForFactor(h->verticalUnit);

        if (d.hasDatumGrid) {
            const std::string path = GridPath(d.datumGrid, "DynDatum");
            const uint32_t code = LoadDatumGrid(*h, path.empty() ? nullptr : path.c_str());
            if (path.empty()) RaiseError(1);
            if (code != 0) RaiseError(code);
        } else {
            if (!UsableShift(d.shift)) RaiseError(7);
            ApplyShift(*h, d.shift);
        }

        // Scale 0 has become 1.0 in the reader: this cannot fail on the scale.
        const uint32_t adj = SetHandleAdjustment(*h, d.adjustment);
        if (adj != 0) RaiseError(adj);

        h->orthoCorrection = d.orthoCorrection;
        if (d.hasGeoid) {
            const std::string path = GridPath(d.geoid, "Geoid");
            geoidCode = path.empty() ? 9 : SetGeoidFile(*h, path.c_str(), d.orthoCorrection);
            if (geoidCode == 1) RaiseError(1);
            if (geoidCode != 0) {
                // The handle stays usable without its geoid; the correction
                // belonged to that geoid and goes with it.
                SetGeoidFile(*h, nullptr, 0.0);
                geoidCode = 9;
            }
        }
        owner.release();
    });
    if (!built) return nullptr;
    SetError(geoidCode);
    return h;
}

}  // extern "C"
