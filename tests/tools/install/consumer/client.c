/* A plain C user of the installed VORTAN library: UTM zone 31 north. */
#include <vortan.h>

#include <math.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

/* The header checks the records' sizes itself; here the members' places. */
_Static_assert(offsetof(GeodesyParams, projection) == 16, "layout");
_Static_assert(offsetof(GeodesyParams, unit) == 20, "layout");
_Static_assert(offsetof(GeodesyParams, scaleFactor) == 28, "layout");
_Static_assert(offsetof(GeodesyParams, skewAzimuth) == 68, "layout");
_Static_assert(offsetof(GeodesyParams, falseNorthing) == 84, "layout");
_Static_assert(offsetof(AdjustParams, originX) == 4, "layout");
_Static_assert(offsetof(AdjustParams, scale) == 28, "layout");
_Static_assert(offsetof(AdjustParams, shiftY) == 44, "layout");
_Static_assert(offsetof(EllDiffParams, scale) == 24, "layout");
_Static_assert(offsetof(EllDiffParams, rz) == 48, "layout");

int main(void) {
    const double deg = 3.14159265358979323846 / 180.0;
    GeodesyParams p;
    memset(&p, 0, sizeof p);
    p.a = 6378137.0;
    p.invFlattening = 298.257223563;
    p.projection = 3;
    p.unit = 1.0;
    p.scaleFactor = 0.9996;
    p.centralMeridian = 3 * deg;
    p.falseEasting = 500000.0;
    GEODESY h = CreateGeodesy(&p);
    if (!h) { printf("CreateGeodesy failed: %d\n", (int)GetGeodesyError()); return 1; }
    double x = 0, y = 0;
    if (!GeoXY(h, &x, &y, 45 * deg, 5 * deg)) return 2;
    if (fabs(x - 657630.641) > 0.001 || fabs(y - 4984896.171) > 0.001) {
        printf("GeoXY gave %.3f %.3f\n", x, y);
        return 3;
    }
    /* Names, version and error codes: the geodesy cases and the C++ consumer. */
    return DestroyGeodesy(h) ? 0 : 6;
}
