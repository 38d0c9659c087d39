// ProjectionSweep: one projection driven over a grid of stations beside PROJ,
// keeping the largest differences, and the checks every projection suite
// makes of a grid (published stations, registration, refused definitions,
// fields a grid ignores).
//
// Each test states its own working area, spacing, stations and tolerances;
// this header only walks the stations and measures. Latitudes and longitudes
// are degrees in an Area and radians everywhere else; grid coordinates are in
// the grid units of the projection (metres / u). The sweeps and checks stop at
// the first station that either side refuses (a fatal gtest failure): where
// more follows in the test, call them inside ASSERT_NO_FATAL_FAILURE.
#ifndef ZELTO_TESTS_PROJECTIONSWEEP_H
#define ZELTO_TESTS_PROJECTIONSWEEP_H

#include "Projection.h"
#include "ProjectionRegistry.h"
#include "errcode.h"

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
#include <numbers>
#include <span>
#include <string>

namespace projection_sweep {

constexpr double kSweepDeg = std::numbers::pi / 180.0;

// A definition record: ellipsoid (a, 1/f), projection type, scale factor,
// central meridian and origin latitude (radians), false origin (grid units),
// metres per grid unit and skew azimuth (radians); the standard parallels are
// left 0 for the conic grids to set.
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

// Largest differences of a series, printed in a form the accuracy notes quote.
inline void Report(const char* what, double value, const char* unit) {
    std::printf("[accuracy] %s: %.3g %s\n", what, value, unit);
}

// A rectangle of stations: `rows` evenly spaced latitudes from latFrom to
// latTo and `cols` evenly spaced longitudes from lonFrom to lonTo, both edges
// included, degrees; a count of 1 keeps the first edge alone. lonOrigin
// (radians) is added to every longitude, for areas stated about a central
// meridian.
struct Area {
    double latFrom, latTo;
    int rows;
    double lonFrom, lonTo;
    int cols;
    double lonOrigin = 0.0;

    static double Step(double from, double to, int i, int count) {
        return count == 1 ? from : from + (to - from) * i / (count - 1);
    }
    double Lat(int i) const { return Step(latFrom, latTo, i, rows) * kSweepDeg; }
    double Lon(int j) const { return lonOrigin + Step(lonFrom, lonTo, j, cols) * kSweepDeg; }
};

// A double with all its digits for a PROJ definition, so PROJ sees exactly
// the parameters of our grid (locale-free, as "%.17g" in the C locale).
inline std::string Digits(double v) {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    return std::string(buf, r.ptr);
}

// Hands the code over and disarms the error, so a failing result is never
// reported (and thrown) by its destructor inside a test.
inline uint32_t Code(errcode r) { return r.take(); }

// The code a projection's set-up refuses the definition with (7 for
// parameters it cannot use), 0 when it accepts it.
template <class P>
uint32_t ConstructionCode(const GeodesyParams& params) {
    try {
        P p(params);
        return 0;
    } catch (errcode& ec) {
        return ec.take();
    }
}

// One field of a usable definition made unusable, named for the message.
struct Spoil {
    const char* what;
    void (*change)(GeodesyParams&);
};

// Each change, applied alone to the usable definition, is refused with code 7.
template <class P>
void ExpectEachRefused(const GeodesyParams& usable, std::initializer_list<Spoil> changes) {
    for (const Spoil& s : changes) {
        GeodesyParams p = usable;
        s.change(p);
        EXPECT_EQ(ConstructionCode<P>(p), 7u) << s.what;
    }
}

// Runs the enclosed statements with a German locale (decimal comma), which
// must change no result of the library; the locale before is restored on
// leaving the scope, however it is left.
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

// Two definitions that differ only in fields the grid does not use give the
// same bits: the station (lat, lon) forward, the grid point (x, y) back.
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

// A published station with its published grid point and the tolerances the
// publication supports.
struct PublishedPoint {
    double lat, lon;        // the station, radians
    double x, y;            // its grid point, grid units
    double xyTol;           // grid units
    double latTol, lonTol;  // for the computed grid point taken back, in angleUnit
    double angleUnit = 1.0;  // radians per unit the station is judged in (kDeg: degrees)
};

// What the projection made of a published station: its grid point, and that
// grid point taken back to a station.
struct RoundTrip {
    double x = 0, y = 0, lat = 0, lon = 0;
};

// The station forward to the published grid point, and the computed grid
// point back to the station; what was computed is left in got.
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

// A grid without a scale formula of its own gives exactly 1 at each of the
// grid points (x, y), grid units.
struct GridPoint {
    double x, y;
};
inline void ExpectUnitScale(const Projection& p, std::initializer_list<GridPoint> points) {
    for (const GridPoint& g : points) {
        double k = 0;
        ASSERT_EQ(Code(p.PointScale(g.x, g.y, k)), 0u) << g.x << " " << g.y;
        EXPECT_EQ(k, 1.0) << g.x << " " << g.y;
    }
}

// Calls f(lat, lon), radians, at every station of the area, row by row; stops
// at the first fatal failure f records and names that station.
template <class F>
void ForEachStation(const Area& area, F f) {
    for (int i = 0; i < area.rows; ++i) {
        for (int j = 0; j < area.cols; ++j) {
            const double lat = area.Lat(i), lon = area.Lon(j);
            f(lat, lon);
            if (::testing::Test::HasFatalFailure()) {
                ADD_FAILURE() << "at the station " << lat / kSweepDeg << ", " << lon / kSweepDeg << " degrees";
                return;
            }
        }
    }
}

#ifdef ZELTO_HAVE_PROJ

// How the differences of a sweep are turned into metres on the ground.
struct Ground {
    double unit = 1.0;           // metres per grid unit, for the forward distance
    double radius = 6.4e6;       // sphere radius turning angles into metres
    bool wrapLongitude = false;  // compare longitudes modulo a full turn
};

// Largest differences to PROJ over an area, metres.
struct GroundDifferences {
    double forward = 0;  // distance between the two grid points of a station
    double inverse = 0;  // ground distance between the two inverses of PROJ's grid point

    void Include(const GroundDifferences& d) {
        forward = std::max(forward, d.forward);
        inverse = std::max(inverse, d.inverse);
    }
    // One line per grid: "[ lcc      ] <name, 30 wide> fwd 1.23e-08 m  inv 4.56e-09 m".
    void Print(const char* tag, const char* name) const {
        std::printf("[ %-8s ] %-30s fwd %.2e m  inv %.2e m\n", tag, name, forward, inverse);
    }
};

// Every station forward by both, then PROJ's grid point back by both: how far
// the two grid points part, and how far apart on the ground the two inverses
// of the same grid point land.
inline GroundDifferences SweepOnTheGround(const Projection& p, const ProjOracle& proj, const Area& area,
                                          const Ground& ground = {}) {
    GroundDifferences d;
    ForEachStation(area, [&](double lat, double lon) {
        double x, y, px, py;
        ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
        ASSERT_TRUE(proj.Forward(lat, lon, px, py));
        d.forward = std::max(d.forward, std::hypot(x - px, y - py) * ground.unit);
        double rlat, rlon, plat, plon;
        ASSERT_EQ(Code(p.Inverse(px, py, rlat, rlon)), 0u);
        ASSERT_TRUE(proj.Inverse(px, py, plat, plon));
        const double dlon = ground.wrapLongitude ? std::remainder(rlon - plon, 2 * std::numbers::pi) : rlon - plon;
        d.inverse = std::max(d.inverse,
                             std::hypot((rlat - plat) * ground.radius, dlon * ground.radius * std::cos(plat)));
    });
    return d;
}

// One grid and its working area.
struct GridCase {
    const char* name;
    GeodesyParams params;
    Area area;
};

// Each grid of the table swept on the ground against PROJ's definition of it
// (definition(params), a std::string): one line per grid under tag, both
// largest differences of every grid below the tolerances (metres), and the
// largest over all grids recorded as properties of the test.
template <class P, class Definition>
void ExpectGridsAgreeWithProj(const char* tag, std::span<const GridCase> cases, Definition definition,
                              double forwardTol, double inverseTol, bool wrapLongitude = false) {
    GroundDifferences worst;
    for (const GridCase& c : cases) {
        const GroundDifferences d = SweepOnTheGround(P(c.params), ProjOracle(definition(c.params)), c.area,
                                                     {.unit = c.params.unit, .wrapLongitude = wrapLongitude});
        if (::testing::Test::HasFatalFailure()) return;
        d.Print(tag, c.name);
        EXPECT_LT(d.forward, forwardTol) << c.name;
        EXPECT_LT(d.inverse, inverseTol) << c.name;
        worst.Include(d);
    }
    ::testing::Test::RecordProperty("largest_forward_difference_m", std::to_string(worst.forward));
    ::testing::Test::RecordProperty("largest_inverse_difference_m", std::to_string(worst.inverse));
}

// What a sweep in grid units and radians compares.
struct Angles {
    bool wrapLongitude = false;      // round trip compares longitudes modulo a full turn
    bool inverseAgainstProj = true;  // also take the grid point back through PROJ
};

// Largest differences over an area in grid units and radians.
struct AngleDifferences {
    double forward = 0;    // largest |x - px| or |y - py| of a station, grid units
    double roundTrip = 0;  // own forward then own inverse: largest |dlat| or |dlon|, radians
    double inverse = 0;    // own inverse against PROJ's of the same grid point: largest |dlat| or |dlon|
    int points = 0;        // stations swept
};

// Every station forward by both; our grid point back by our inverse (the
// round trip) and, unless told otherwise, by PROJ's.
inline AngleDifferences SweepAngles(const Projection& p, const ProjOracle& proj, const Area& area,
                                    const Angles& how = {}) {
    AngleDifferences d;
    ForEachStation(area, [&](double lat, double lon) {
        double x = 0, y = 0, px = 0, py = 0;
        ASSERT_EQ(Code(p.Forward(x, y, lat, lon)), 0u);
        ASSERT_TRUE(proj.Forward(lat, lon, px, py));
        d.forward = std::max({d.forward, std::fabs(x - px), std::fabs(y - py)});
        double blat = 0, blon = 0;
        ASSERT_EQ(Code(p.Inverse(x, y, blat, blon)), 0u);
        const double dlon = how.wrapLongitude ? std::remainder(blon - lon, 2.0 * std::numbers::pi) : blon - lon;
        d.roundTrip = std::max({d.roundTrip, std::fabs(blat - lat), std::fabs(dlon)});
        if (how.inverseAgainstProj) {
            double plat = 0, plon = 0;
            ASSERT_TRUE(proj.Inverse(x, y, plat, plon));
            d.inverse = std::max({d.inverse, std::fabs(blat - plat), std::fabs(blon - plon)});
        }
        ++d.points;
    });
    return d;
}

// PROJ's scale factors of one definition, for the point scale checks.
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
    // Scale along the parallel at the station (lat, lon), radians.
    double AlongParallel(double lat, double lon) const {
        return proj_factors(pj_, proj_coord(lon, lat, 0, 0)).parallel_scale;
    }

private:
    PJ_CONTEXT* ctx_;
    PJ* pj_;
};

enum class ScaleDifference { Absolute, Relative };

// Point scale of our grid point of every station against PROJ's scale along
// the parallel: the largest difference, or the largest relative to ours.
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
