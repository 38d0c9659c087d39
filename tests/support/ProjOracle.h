// ProjOracle: PROJ as an independent reference for the projection tests.
//
// Wraps one PROJ operation made from a proj-string such as
// "+proj=tmerc +ellps=WGS84 +lat_0=0 +lon_0=3 +k=0.9996 +x_0=500000".
// Forward takes latitude and longitude in radians and gives easting and
// northing in the units of the string (metres unless +units/+to_meter says
// otherwise); Inverse goes back. A failed transformation gives NaN.
#ifndef ZELTO_TESTS_PROJORACLE_H
#define ZELTO_TESTS_PROJORACLE_H

#include <proj.h>

#include <cmath>
#include <stdexcept>
#include <string>

class ProjOracle {
public:
    explicit ProjOracle(const std::string& definition)
        : ctx_(proj_context_create()), pj_(proj_create(ctx_, definition.c_str())) {
        if (!pj_) {
            proj_context_destroy(ctx_);
            throw std::runtime_error("PROJ refused: " + definition);
        }
    }
    ~ProjOracle() {
        proj_destroy(pj_);
        proj_context_destroy(ctx_);
    }
    ProjOracle(const ProjOracle&) = delete;
    ProjOracle& operator=(const ProjOracle&) = delete;

    // (lat, lon) radians -> (x, y)
    bool Forward(double lat, double lon, double& x, double& y) const { return Finite(Trans(PJ_FWD, lon, lat, 0), x, y); }
    // (x, y) -> (lat, lon) radians
    bool Inverse(double x, double y, double& lat, double& lon) const { return Finite(Trans(PJ_INV, x, y, 0), lon, lat); }
    // Geocentric or other 3-D operations: (a, b, c) -> out, in the operation's units.
    PJ_COORD Trans(PJ_DIRECTION dir, double a, double b, double c) const {
        return proj_trans(pj_, dir, proj_coord(a, b, c, 0));
    }

private:
    static bool Finite(const PJ_COORD& c, double& first, double& second) {
        first = c.v[0], second = c.v[1];
        return std::isfinite(first) && std::isfinite(second);
    }
    PJ_CONTEXT* ctx_;
    PJ* pj_;
};

#endif
