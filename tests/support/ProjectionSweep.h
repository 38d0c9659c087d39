// ProjectionSweep: one projection driven over a grid of stations beside PROJ,
// keeping the largest differences, and the checks every projection suite
// makes of a grid (published stations, registration, refused definitions and
// points, fields a grid ignores, the route through a handle).
//
// Latitudes and longitudes are degrees in an Area and radians everywhere
// else; grid coordinates are in the grid units of the projection. The sweeps
// stop at the first station either side refuses (a fatal gtest failure).
#ifndef ZELTO_TESTS_PROJECTIONSWEEP_H
#define ZELTO_TESTS_PROJECTIONSWEEP_H

#include "Projection.h"
#include "ProjectionRegistry.h"
#include "errcode.h"
#include "vortan.h"

#include <gtest/gtest.h>

#ifdef ZELTO_HAVE_PROJ
#include "ProjOracle.h"

#include <proj.h>
#endif

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <span>
#include <string>

namespace projection_sweep {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kHalfPi = std::numbers::pi / 2.0;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Degrees, minutes and seconds to radians; the sign of d applies to all.
inline double Dms(double d, double m, double s = 0.0) {
    return (d < 0.0 ? -1.0 : 1.0) * (std::fabs(d) + m / 60.0 + s / 3600.0) * kDeg;
}

// A definition record (angles in radians, offsets in grid units); the
// standard parallels are left 0 for the conic grids to set.
inline GeodesyParams Params(double a, double rf, int32_t type, double k0, double lon0, double lat0, double fe,
                            double fn, double unit = 1.0, double skew = 0.0) {
    GeodesyParams p{};
    p.a = a;
    p.invFlattening = rf;
    p.projection = type;
    p.unit = unit;
    p.scaleFactor = k0;
    p.centralMeridian = lon0;
    p.refLatitude = lat0;
    p.skewAzimuth = skew;
    p.falseEasting = fe;
    p.falseNorthing = fn;
    return p;
}

// The line the accuracy notes quote.
inline void Report(const char* what, double value, const char* unit) {
    std::printf("[accuracy] %s: %.3g %s\n", what, value, unit);
}

// `rows` evenly spaced latitudes and `cols` longitudes, edges included,
// degrees (a count of 1 keeps the first edge); lonOrigin (radians) is added
// to every longitude.
struct Area {
    double latFrom, latTo;
    int rows;
    double lonFrom, lonTo;
    int cols;
    double lonOrigin = 0.0;

    static double Step(double from, double to, int i, int count) {
        return count == 1 ? from : from + (to - from) * i / (count - 1);
    }
    double Lat(int i) const { return Step(latFrom, latTo, i, rows) * kDeg; }
    double Lon(int j) const { return lonOrigin + Step(lonFrom, lonTo, j, cols) * kDeg; }
};

// All the digits of a parameter for a PROJ definition, whatever the locale.
inline std::string Digits(double v) {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    return std::string(buf, r.ptr);
}

// The code, taken so that a failing result is never thrown by its destructor.
inline uint32_t Code(errcode r) { return r.take(); }

// The code the set-up refuses a definition with, 0 when it accepts it.
template <class P>
uint32_t ConstructionCode(const GeodesyParams& params) {
    try {
        P p(params);
        return 0;
    } catch (errcode& ec) {
        return ec.take();
    }
}

struct Spoil {
    const char* what;
    void (*change)(GeodesyParams&);
};

// Each change, applied alone to the usable definition, is refused with 7.
template <class P>
void ExpectEachRefused(const GeodesyParams& usable, std::initializer_list<Spoil> changes) {
    for (const Spoil& s : changes) {
        GeodesyParams p = usable;
        s.change(p);
        EXPECT_EQ(ConstructionCode<P>(p), 7u) << s.what;
    }
}

// A German locale (decimal comma) for the scope, the previous one restored.
struct GermanLocale {
    std::string saved;
    GermanLocale() {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved = old ? old : "C";
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~GermanLocale() { std::setlocale(LC_ALL, saved.c_str()); }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;
};

// The class names itself, and the registry makes the same projection for
// its type number.
template <class P>
void ExpectRegistered(const GeodesyParams& params, int32_t type, const char* name) {
    P p(params);
    EXPECT_STREQ(p.ShortName(), name);
    EXPECT_EQ(p.TypeId(), type);
    ASSERT_NE(FindProjectionMaker(type), nullptr);
    Projection* made = FindProjectionMaker(type)(params);
    EXPECT_STREQ(made->ShortName(), name);
    delete made;
}

// Definitions differing only in fields the grid ignores give the same bits:
// the station (lat, lon) forward, the grid point (x, y) back.
template <class P>
void ExpectSameGrid(const GeodesyParams& used, const GeodesyParams& other, double lat, double lon, double x,
                    double y) {
    P p(used), q(other);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_EQ(Code(p.Forward(x1, y1, lat, lon)), 0u);
    ASSERT_EQ(Code(q.Forward(x2, y2, lat, lon)), 0u);
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    ASSERT_EQ(Code(p.Inverse(x, y, lat1, lon1)), 0u);
    ASSERT_EQ(Code(q.Inverse(x, y, lat2, lon2)), 0u);
    EXPECT_EQ(lat1, lat2);
    EXPECT_EQ(lon1, lon2);
}

// A published station, its published grid point and the tolerances the
// publication supports.
struct PublishedPoint {
    double lat, lon;         // radians
    double x, y;             // grid units
    double xyTol;            // grid units
    double latTol, lonTol;   // for the computed grid point taken back, in angleUnit
    double angleUnit = 1.0;  // radians per unit the station is judged in (kDeg: degrees)
};

struct RoundTrip {
    double x = 0, y = 0, lat = 0, lon = 0;
};

// The station forward to the published grid point, the computed grid point
// back to the station; what was computed is left in got.
inline void ExpectPublishedPoint(const Projection& p, const PublishedPoint& pt, RoundTrip& got) {
    ASSERT_EQ(Code(p.Forward(got.x, got.y, pt.lat, pt.lon)), 0u);
    EXPECT_NEAR(got.x, pt.x, pt.xyTol);
    EXPECT_NEAR(got.y, pt.y, pt.xyTol);
    ASSERT_EQ(Code(p.Inverse(got.x, got.y, got.lat, got.lon)), 0u);
    EXPECT_NEAR(got.lat / pt.angleUnit, pt.lat / pt.angleUnit, pt.latTol);
    EXPECT_NEAR(got.lon / pt.angleUnit, pt.lon / pt.angleUnit, pt.lonTol);
}
inline void ExpectPublishedPoint(const Projection& p, const PublishedPoint& pt) {
    RoundTrip got;
    ExpectPublishedPoint(p, pt, got);
}

struct Station {
    double lat, lon;  // radians
};

// The station forward and its grid point back give the station again within
// the tolerances (radians); with wrap, longitudes modulo a full turn.
inline void ExpectRoundTrip(const Projection& p, double lat, double lon, double latTol, double lonTol,
                            bool wrap = false) {
    double x = 0, y = 0, blat = 0, blon = 0;
    ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u) << lat << " " << lon;
    ASSERT_EQ(Code(p.Inverse(x, y, blat, blon)), 0u) << lat << " " << lon;
    EXPECT_NEAR(blat, lat, latTol) << lat << " " << lon;
    EXPECT_NEAR(wrap ? std::remainder(blon - lon, 2.0 * std::numbers::pi) : blon - lon, 0.0, lonTol)
        << lat << " " << lon;
}
struct GridPoint {
    double x, y;  // grid units
};

// A grid without a scale formula gives exactly 1 at each grid point.
inline void ExpectUnitScale(const Projection& p, std::initializer_list<GridPoint> points) {
    for (const GridPoint& g : points) {
        double k = 0;
        ASSERT_EQ(Code(p.PointScale(g.x, g.y, k)), 0u) << g.x << " " << g.y;
        EXPECT_EQ(k, 1.0) << g.x << " " << g.y;
    }
}

// Each station is refused forward with code, x and y left as they were.
inline void ExpectForwardRefused(const Projection& p, uint32_t code, std::initializer_list<Station> stations) {
    for (const Station& s : stations) {
        double x = 5, y = 6;
        EXPECT_EQ(Code(p.Forward(x, y, s.lat, s.lon)), code) << s.lat << " " << s.lon;
        EXPECT_EQ(x, 5);
        EXPECT_EQ(y, 6);
    }
}

// Each grid point is refused back (and, with scaleToo, by the point scale)
// with code, nothing written.
inline void ExpectInverseRefused(const Projection& p, uint32_t code, std::initializer_list<GridPoint> points,
                                 bool scaleToo = true) {
    for (const GridPoint& g : points) {
        double lat = 7, lon = 8, k = 9;
        EXPECT_EQ(Code(p.Inverse(g.x, g.y, lat, lon)), code) << g.x << " " << g.y;
        if (scaleToo) {
            EXPECT_EQ(Code(p.PointScale(g.x, g.y, k)), code) << g.x << " " << g.y;
        }
        EXPECT_EQ(lat, 7);
        EXPECT_EQ(lon, 8);
        EXPECT_EQ(k, 9);
    }
}

// A published station through the C interface: the handle names its type,
// GeoXY gives the published grid point, XYGeo takes it back within the
// point's tolerances and Scale gives `scale` within scaleTol. The record the
// handle reports is left in back.
inline void ExpectThroughHandle(const GeodesyParams& params, const char* name, const PublishedPoint& pt,
                                double scale, double scaleTol, GeodesyParams* back = nullptr) {
    GEODESY h = CreateGeodesy(&params);
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    GeodesyParams got{};
    char ellipsoid[64] = {}, projection[8] = {};
    EXPECT_EQ(GetGeodesyParams(h, &got, ellipsoid, projection), 1);
    EXPECT_EQ(int32_t(got.projection), int32_t(params.projection));
    EXPECT_STREQ(projection, name);
    double x = 0, y = 0, lat = 0, lon = 0;
    EXPECT_EQ(GeoXY(h, &x, &y, pt.lat, pt.lon), 1);
    EXPECT_NEAR(x, pt.x, pt.xyTol);
    EXPECT_NEAR(y, pt.y, pt.xyTol);
    EXPECT_EQ(XYGeo(h, x, y, &lat, &lon), 1);
    EXPECT_NEAR(lat / pt.angleUnit, pt.lat / pt.angleUnit, pt.latTol);
    EXPECT_NEAR(lon / pt.angleUnit, pt.lon / pt.angleUnit, pt.lonTol);
    EXPECT_NEAR(Scale(h, x, y), scale, scaleTol);
    EXPECT_EQ(GetGeodesyError(), 0);
    EXPECT_EQ(DestroyGeodesy(h), 1);
    if (back) *back = got;
}

// Through a handle the station is refused with code, x and y untouched.
inline void ExpectHandleRefuses(const GeodesyParams& params, const Station& s, int code) {
    GEODESY h = CreateGeodesy(&params);
    ASSERT_NE(h, nullptr);
    double x = 1, y = 2;
    EXPECT_EQ(GeoXY(h, &x, &y, s.lat, s.lon), 0);
    EXPECT_EQ(GetGeodesyError(), code);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(DestroyGeodesy(h), 1);
}

// No handle is made for the definition, code 7.
inline void ExpectCreationRefused(const GeodesyParams& params) {
    EXPECT_EQ(CreateGeodesy(&params), nullptr);
    EXPECT_EQ(GetGeodesyError(), 7);
}

// A station forward and back through a handle gives the same bits under a
// German locale as under the one the test started with.
inline void ExpectHandleSameBitsUnderGermanLocale(const GeodesyParams& params, double lat, double lon) {
    GEODESY h = CreateGeodesy(&params);
    ASSERT_NE(h, nullptr);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;
    EXPECT_EQ(GeoXY(h, &x1, &y1, lat, lon), 1);
    EXPECT_EQ(XYGeo(h, x1, y1, &lat1, &lon1), 1);
    {
        GermanLocale de;
        EXPECT_EQ(GeoXY(h, &x2, &y2, lat, lon), 1);
        EXPECT_EQ(XYGeo(h, x2, y2, &lat2, &lon2), 1);
    }
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    EXPECT_EQ(lat1, lat2);
    EXPECT_EQ(lon1, lon2);
    EXPECT_EQ(DestroyGeodesy(h), 1);
}

// Calls f(lat, lon) at every station of the area, row by row; stops at the
// first fatal failure and names that station.
template <class F>
void ForEachStation(const Area& area, F f) {
    for (int i = 0; i < area.rows; ++i) {
        for (int j = 0; j < area.cols; ++j) {
            const double lat = area.Lat(i), lon = area.Lon(j);
            f(lat, lon);
            if (::testing::Test::HasFatalFailure()) {
                ADD_FAILURE() << "at the station " << lat / kDeg << ", " << lon / kDeg << " degrees";
                return;
            }
        }
    }
}

#ifdef ZELTO_HAVE_PROJ

struct SweepOptions {
    double unit = 1.0;           // metres per grid unit, for the forward distance
    double radius = 6.4e6;       // sphere radius turning angles into metres
    bool wrapLongitude = false;  // compare longitudes modulo a full turn
    bool projInverse = true;     // take grid points back through PROJ as well
};

// Largest differences over an area.
struct Differences {
    double forward = 0;       // metres between the two grid points of a station
    double inverse = 0;       // metres on the ground between the two inverses of PROJ's grid point
    double forwardAxis = 0;   // |x - px| or |y - py|, grid units
    double roundTrip = 0;     // own forward then own inverse, |dlat| or |dlon|, radians
    double inverseAngle = 0;  // own inverse against PROJ's of our grid point, radians
    int points = 0;

    // "[ lcc      ] <name, 30 wide> fwd 1.23e-08 m  inv 4.56e-09 m".
    void Print(const char* tag, const char* name) const {
        std::printf("[ %-8s ] %-30s fwd %.2e m  inv %.2e m\n", tag, name, forward, inverse);
    }
};

// Every station forward by both and back by our inverse; unless told
// otherwise, our grid point back by PROJ too, and PROJ's back by both.
inline Differences Sweep(const Projection& p, const ProjOracle& proj, const Area& area, const SweepOptions& how = {}) {
    const auto dLon = [&](double a, double b) { return how.wrapLongitude ? std::remainder(a - b, 2 * std::numbers::pi) : a - b; };
    Differences d;
    ForEachStation(area, [&](double lat, double lon) {
        double x = 0, y = 0, px = 0, py = 0, blat = 0, blon = 0;
        ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
        ASSERT_TRUE(proj.Forward(lat, lon, px, py));
        d.forward = std::max(d.forward, std::hypot(x - px, y - py) * how.unit);
        d.forwardAxis = std::max({d.forwardAxis, std::fabs(x - px), std::fabs(y - py)});
        ASSERT_EQ(Code(p.Inverse(x, y, blat, blon)), 0u);
        d.roundTrip = std::max({d.roundTrip, std::fabs(blat - lat), std::fabs(dLon(blon, lon))});
        ++d.points;
        if (!how.projInverse) return;
        double plat = 0, plon = 0, rlat = 0, rlon = 0;
        ASSERT_TRUE(proj.Inverse(x, y, plat, plon));
        d.inverseAngle = std::max({d.inverseAngle, std::fabs(blat - plat), std::fabs(blon - plon)});
        ASSERT_EQ(Code(p.Inverse(px, py, rlat, rlon)), 0u);
        ASSERT_TRUE(proj.Inverse(px, py, plat, plon));
        d.inverse = std::max(d.inverse, std::hypot((rlat - plat) * how.radius,
                                                   dLon(rlon, plon) * how.radius * std::cos(plat)));
    });
    return d;
}

struct GridCase {
    const char* name;
    GeodesyParams params;
    Area area;
};

// Each grid swept against PROJ's definition(params): one line per grid under
// tag, every grid within the tolerances (metres), the largest over all grids
// recorded as properties of the test.
template <class P, class Definition>
void ExpectGridsAgreeWithProj(const char* tag, std::span<const GridCase> cases, Definition definition,
                              double forwardTol, double inverseTol, bool wrapLongitude = false) {
    double forward = 0, inverse = 0;
    for (const GridCase& c : cases) {
        const Differences d = Sweep(P(c.params), ProjOracle(definition(c.params)), c.area,
                                    {.unit = c.params.unit, .wrapLongitude = wrapLongitude});
        if (::testing::Test::HasFatalFailure()) return;
        d.Print(tag, c.name);
        EXPECT_LT(d.forward, forwardTol) << c.name;
        EXPECT_LT(d.inverse, inverseTol) << c.name;
        forward = std::max(forward, d.forward);
        inverse = std::max(inverse, d.inverse);
    }
    ::testing::Test::RecordProperty("largest_forward_difference_m", std::to_string(forward));
    ::testing::Test::RecordProperty("largest_inverse_difference_m", std::to_string(inverse));
}

// PROJ's scale along the parallel for one definition.
class ProjScale {
public:
    explicit ProjScale(const std::string& definition)
        : ctx_(proj_context_create()), pj_(proj_create(ctx_, definition.c_str())) {}
    ~ProjScale() {
        proj_destroy(pj_);
        proj_context_destroy(ctx_);
    }
    ProjScale(const ProjScale&) = delete;
    ProjScale& operator=(const ProjScale&) = delete;

    bool Valid() const { return pj_ != nullptr; }
    double AlongParallel(double lat, double lon) const {
        return proj_factors(pj_, proj_coord(lon, lat, 0, 0)).parallel_scale;
    }

private:
    PJ_CONTEXT* ctx_;
    PJ* pj_;
};

enum class ScaleDifference { Absolute, Relative };

// Our point scale at each station's grid point against PROJ's: the largest
// difference, or the largest relative to ours.
inline double SweepPointScale(const Projection& p, const ProjScale& proj, const Area& area,
                              ScaleDifference kind = ScaleDifference::Absolute) {
    double worst = 0;
    ForEachStation(area, [&](double lat, double lon) {
        double x, y, k;
        ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
        ASSERT_EQ(Code(p.PointScale(x, y, k)), 0u);
        const double diff = std::fabs(k - proj.AlongParallel(lat, lon));
        worst = std::max(worst, kind == ScaleDifference::Relative ? diff / k : diff);
    });
    return worst;
}

#endif  // ZELTO_HAVE_PROJ

}  // namespace projection_sweep

#endif
