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
    bool Forward(double lat, double lon, double& x, double& y) const {
        PJ_COORD c = proj_coord(lon, lat, 0, 0);
        proj_errno_reset(pj_);
        PJ_COORD r = proj_trans(pj_, PJ_FWD, c);
        x = r.xy.x;
        y = r.xy.y;
        return std::isfinite(x) && std::isfinite(y) && x != HUGE_VAL;
    }
    // (x, y) -> (lat, lon) radians
    bool Inverse(double x, double y, double& lat, double& lon) const {
        PJ_COORD c = proj_coord(x, y, 0, 0);
        proj_errno_reset(pj_);
        PJ_COORD r = proj_trans(pj_, PJ_INV, c);
        lon = r.lp.lam;
        lat = r.lp.phi;
        return std::isfinite(lat) && std::isfinite(lon) && lat != HUGE_VAL;
    }
    // Geocentric or other 3-D operations: (a, b, c) -> out, in the operation's units.
    PJ_COORD Trans(PJ_DIRECTION dir, double a, double b, double c) const {
        return proj_trans(pj_, dir, proj_coord(a, b, c, 0));
    }

private:
    PJ_CONTEXT* ctx_;
    PJ* pj_;
};

#endif
