/*
 * vortan.h - the C interface of the VORTAN geodesy library (its version: GetGeodesyVersion).
 *
 * Conventions, for every function below:
 *   - angles are radians; latitude comes before longitude, x (easting) before
 *     y (northing);
 *   - grid coordinates are in grid units (metres divided by the projection's
 *     unit factor); heights and geocentric coordinates are metres;
 *   - strings are 8-bit, NUL-terminated;
 *   - a function documented as "1/0" returns 1 on success and 0 on failure;
 *   - every function except GetGeodesyError and GetGeodesyVersion leaves the
 *     calling thread's error code set (0 on success); GetGeodesyError reads it;
 *   - a null handle gives error 2 and the function's failure value.
 *
 * Error codes: 0 success, 1 unknown failure, 2 invalid handle, 3 invalid
 * flattening, 4 invalid unit factor, 5 invalid projection, 6 singularity,
 * 7 invalid projection or adjustment parameters, 8 undulation not available,
 * 9 invalid geoid model, 10 domain error, 11 no convergence, 12 no name.
 *
 * No exception crosses this interface, and no memory is handed over: the
 * caller owns every buffer it passes in.
 */
#ifndef VORTAN_H
#define VORTAN_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(VORTAN_BUILDING)
#    define VORTAN_API __declspec(dllexport)
#  else
#    define VORTAN_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define VORTAN_API __attribute__((visibility("default")))
#else
#  define VORTAN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An open geodesy: projection, datum, geoid, adjustment and units. */
typedef struct GeodesyHandle* GEODESY;

#pragma pack(push, 4)

/* The parameters of a geodesy (92 bytes, packed on 4-byte boundaries). */
typedef struct GeodesyParams {
    double  a;              /*  0: semi-major axis, metres */
    double  invFlattening;  /*  8: 1/f, e.g. 298.257223563; must not be 0 */
    int32_t projection;     /* 16: projection type 1..12 */
    double  unit;           /* 20: metres per horizontal grid unit; must not be 0 */
    double  scaleFactor;    /* 28: k0; 0 is taken as 1.0 */
    double  centralMeridian;/* 36: radians */
    double  refLatitude;    /* 44: reference (origin) latitude, radians */
    double  northParallel;  /* 52: north standard parallel, radians */
    double  southParallel;  /* 60: south standard parallel, radians */
    double  skewAzimuth;    /* 68: radians */
    double  falseEasting;   /* 76: grid units */
    double  falseNorthing;  /* 84: grid units */
} GeodesyParams;

/* A local grid adjustment (52 bytes). typeWord: low 16 bits the type 0..16,
   bit 16 (0x10000) reverses x, bit 17 (0x20000) reverses y. */
typedef struct AdjustParams {
    uint32_t typeWord;      /*  0 */
    double   originX;       /*  4: grid units */
    double   originY;       /* 12: grid units */
    double   rotation;      /* 20: radians */
    double   scale;         /* 28: must not be 0 */
    double   shiftX;        /* 36: grid units */
    double   shiftY;        /* 44: grid units */
} AdjustParams;

/* A seven-parameter datum shift from WGS-84 (56 bytes). A scale of -1.0
   read back by GetEllDiff marks a datum given by a shift grid. */
typedef struct EllDiffParams {
    double dx, dy, dz;      /*  0, 8, 16: metres */
    double scale;           /* 24: factor, 1.0 = no scale change */
    double rx, ry, rz;      /* 32, 40, 48: radians */
} EllDiffParams;

#pragma pack(pop)

/* The records cross the library boundary: their layout is fixed. */
#if defined(__cplusplus)
#  define VORTAN_LAYOUT_CHECK(cond, what) static_assert(cond, what)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#  define VORTAN_LAYOUT_CHECK(cond, what) _Static_assert(cond, what)
#endif
#if defined(VORTAN_LAYOUT_CHECK)
VORTAN_LAYOUT_CHECK(sizeof(GeodesyParams) == 92, "GeodesyParams is 92 bytes");
VORTAN_LAYOUT_CHECK(sizeof(AdjustParams) == 52, "AdjustParams is 52 bytes");
VORTAN_LAYOUT_CHECK(sizeof(EllDiffParams) == 56, "EllDiffParams is 56 bytes");
#  undef VORTAN_LAYOUT_CHECK
#endif

/* Handles (1/0 results unless noted). */
VORTAN_API GEODESY CreateGeodesy(const GeodesyParams* params);
VORTAN_API int32_t DestroyGeodesy(GEODESY h);
VORTAN_API int32_t GetGeodesyParams(GEODESY h, GeodesyParams* params, char* ellipsoidName,
                                    char* projectionName);
VORTAN_API int32_t GetGeodesyError(void);
VORTAN_API int32_t GetGeodesyVersion(void);

/* Points through the projection and the local adjustment. Geographic
   coordinates in radians, grid coordinates in grid units; on failure the
   outputs are left as they were. GeoXY refuses with error 10 a latitude
   beyond a pole (|lat| > pi/2; the poles themselves are each projection's
   to take or refuse) and a coordinate that is not a finite number; XYGeo
   refuses with error 10 grid coordinates that are not finite numbers. */
VORTAN_API int32_t GeoXY(GEODESY h, double* x, double* y, double lat, double lon);
VORTAN_API int32_t XYGeo(GEODESY h, double x, double y, double* lat, double* lon);
VORTAN_API double Scale(GEODESY h, double x, double y);

/* Lines on the project ellipsoid between (lat1, lon1) and (lat2, lon2), radians.
   Return the length in grid units; write the azimuth at the first point
   (radians, clockwise from north) when azimuth is not null. They change no
   state and cannot fail once the handle is valid (null handle: error 2, 0.0).
   GCircLL: shortest line by the Gauss mid-latitude series (parts per million
   up to a few hundred kilometres). RLineLL: rhumb line, constant azimuth. */
VORTAN_API double GCircLL(GEODESY h, double lat1, double lon1, double lat2, double lon2,
                          double* azimuth);
VORTAN_API double RLineLL(GEODESY h, double lat1, double lon1, double lat2, double lon2,
                          double* azimuth);

/* ---- datum, ellipsoid conversion and ECEF ---- */

/* The project datum is the ellipsoid of the handle's projection. Its shift
   from WGS-84 is either seven parameters (coordinate-frame rotation, small
   angles) or a datum-shift grid; with neither, the conversions change
   nothing. A null height pointer stands for a height of 0 that is not
   written back. A point that is not a finite number gives error 10 and is
   left as it was. */

/* Geodetic (radians, metres) to earth-centred X, Y, Z (metres) on the
   project ellipsoid. 1/0. */
VORTAN_API int32_t GeoECEF(GEODESY h, double* X, double* Y, double* Z, double lat, double lon,
                           double height);
/* Earth-centred X, Y, Z (metres) to geodetic on the project ellipsoid; on the
   polar axis the latitude is +pi/2 (Z > 0) or -pi/2, the longitude 0 and the
   height |Z| - b. height may be null. 1/0. */
VORTAN_API int32_t ECEFGeo(GEODESY h, double X, double Y, double Z, double* lat, double* lon,
                           double* height);
/* WGS-84 to the project datum, in place. A point outside a datum grid uses
   the stored seven parameters. 1/0. */
VORTAN_API int32_t WGS84Conv(GEODESY h, double* lat, double* lon, double* height);
/* Project datum to WGS-84, in place, by the approximate reverse formula
   (round trips differ by second-order terms, well below a millimetre for
   usual shifts). 1/0. */
VORTAN_API int32_t InvWGS84Conv(GEODESY h, double* lat, double* lon, double* height);
/* From the ellipsoid (a metres, f the flattening itself, not its inverse) to
   the project datum with the stored seven parameters, in place. Nothing
   changes with a datum grid, an inactive datum or the project's own
   ellipsoid. Error 3 when (a, f) is no ellipsoid (a <= 0, f outside 0..1).
   1/0. */
VORTAN_API int32_t EllConv(GEODESY h, double* lat, double* lon, double* height, double a,
                           double f);
/* The reverse of EllConv: project datum to the ellipsoid (a, f). 1/0. */
VORTAN_API int32_t InvEllConv(GEODESY h, double* lat, double* lon, double* height, double a,
                              double f);
/* Loads a datum-shift grid (2 values per node: latitude and longitude shifts
   in arc-seconds; 3 or more: dx, dy, dz in metres), resets the seven
   parameters and makes the datum active; null removes the grid and the
   datum. Errors 1 (cannot open), 2 (origin out of range), 3 (cannot read, or
   not a datum grid); the handle is then left without datum. 1/0. */
VORTAN_API int32_t SetEllModel(GEODESY h, const char* file);
/* The path of the loaded datum grid, cut to size - 1 characters and always
   terminated; an empty string without a grid. Error 2 for a null buffer or a
   size below 1. 1/0. */
VORTAN_API int32_t GetEllModel(GEODESY h, char* buffer, int32_t size);
/* Sets the seven parameters from WGS-84 and removes any datum grid; the datum
   is active when a translation or a rotation is non-zero (a scale alone does
   not make a datum). Error 7, nothing changed, when a value is not finite or
   the scale is not above 0. 1/0. */
VORTAN_API int32_t SetEllDiff(GEODESY h, const EllDiffParams* params);
/* The seven parameters; 0, 0, 0, -1.0, 0, 0, 0 (scale -1) while a datum grid
   is loaded. 1/0. */
VORTAN_API int32_t GetEllDiff(GEODESY h, EllDiffParams* params);

/* ---- local grid adjustment ---- */

/* Installs the local grid adjustment that GeoXY applies after the projection
   and XYGeo removes before it (Scale works on unadjusted coordinates). The
   record is kept as given. Types: 0 or above 16 none; 1 similarity
   (origin, rotation, scale, shift; reverse bits negate the local axes and set
   the axis names to westing / southing); 2, 3 fixed grid conversions carried
   with their constant and first-order terms only; 4..16 built-in conversions
   in chains. 1/0; error 7 when the scale is exactly 0 (the previous
   adjustment stays), error 2 for a null handle or record. */
VORTAN_API int32_t SetAdjustment(GEODESY h, const AdjustParams* params);
/* Copies the stored adjustment record. 1/0. */
VORTAN_API int32_t GetAdjustment(GEODESY h, AdjustParams* out);

/* ---- geoid ---- */

/* Sets the orthometric correction (metres, added to every undulation) and
   replaces the geoid grid by the grid file at path (null: no geoid). The
   correction is kept even when the grid fails. 1/0; error 9 when the file
   cannot be opened or is not a usable grid (the handle then has no geoid). */
VORTAN_API int32_t SetGeoid(GEODESY h, const char* path, double correction);
/* Copies the geoid file's path into buffer (size bytes; always terminated,
   the path cut to size - 1 characters; empty without a geoid) and, when
   correction is not null, the orthometric correction. 1/0. */
VORTAN_API int32_t GetGeoid(GEODESY h, char* buffer, int32_t size, double* correction);
/* Geoid undulation in metres at (lat, lon), radians: the grid's interpolated
   value plus the correction; the correction alone without a geoid. Outside
   the grid, or in a cell beside a missing node (a NaN node, as imported
   models mark what they do not cover): 0 with error 8 and the correction
   alone in *undulation. A grid
   whose file can no longer be read: 0 with error 9. Uses the grid's row cache:
   not for two threads on one handle at once. */
VORTAN_API int32_t Undulation(GEODESY h, double lat, double lon, double* undulation);

/* ---- units and local names ---- */

/* Converts *value between grid units and metres with the projection's unit
   factor: toMetres non-zero multiplies (grid units to metres), 0 divides.
   1/0. */
VORTAN_API int32_t HConvert(GEODESY h, double* value, uint8_t toMetres);
/* The same with the handle's vertical unit factor. 1/0. */
VORTAN_API int32_t VConvert(GEODESY h, double* value, uint8_t toMetres);
/* Writes a display name into buffer (at most size - 1 characters, always
   terminated). which: 1/2/3 horizontal unit singular/plural/abbreviation,
   4/5/6 the same for the vertical unit, 7/8 x-axis word/letter, 9/10 y-axis
   word/letter. language: "fra" French, "esp" Spanish (Windows-1252 text),
   anything else English, compared without regard to case; a text missing in
   the language falls back to English. 1/0; error 12 when there is no name
   (unknown which, or a unit not in the table), the buffer then empty; error 2
   for a null handle or buffer or a size below 1. */
VORTAN_API int32_t GetLocalName(GEODESY h, int32_t which, const char* language, char* buffer,
                                int32_t size);

/* ---- definition file ---- */

/* Builds a handle from one section (null: "Geodesy") of a geodesy
   definition (INI) file. Grid files named by DynDatum and Geoid (only the
   name after the last backslash or slash counts) are taken from the "datum"
   folder of the suite's directory: QVO_BRAMIX, else the program's folder.
   Returns null on failure: error 5 for a missing file, section or
   projection, or a path over 255 characters; 3 flattening (also an inverse
   flattening of 1 or less, or one that is not a number; an infinite one is a
   sphere); 4 unit (negative or not a number); 7 projection or datum
   parameters (an axis that is negative or not a number included); 1, 2, 3
   datum grid (also when no installation folder is known). A geoid that cannot be loaded still
   gives a handle, without geoid and with orthometric correction 0, and
   leaves error 9. */
VORTAN_API GEODESY CreateFileGeodesy(const char* file, const char* section);

#ifdef __cplusplus
}
#endif

#endif /* VORTAN_H */
