// Points per second of GeoXY and XYGeo, and of PROJ's proj_trans with the same
// projection parameters, for three grids:
//   tmerc  UTM zone 31N on WGS-84 (type 3), points 60 S to 60 N within the zone
//   lcc    a two-parallel Lambert on GRS 80 (type 1), the French national grid
//          parameters, points over France
//   sterea the Dutch national grid (type 4, oblique stereographic on Bessel
//          1841), points over the Netherlands
// Every figure comes from one run of this program; it ends with a table of
// the ratios VORTAN / PROJ and the largest difference between the two
// (forward in metres, inverse in metres on the ground).
#include "vortan.h"

#include <benchmark/benchmark.h>
#if defined(ZELTO_HAVE_PROJ)
#include <proj.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include <unistd.h>

namespace {
constexpr double kDeg = std::numbers::pi / 180.0;
constexpr int kPoints = 4096;

struct Grid {
    const char* name;
    GeodesyParams params;
    const char* proj;  // the same grid as a PROJ definition
    double lat0, lat1, lon0, lon1;  // degrees: the area the points cover
};

GeodesyParams Params(double a, double invF, int32_t type, double k0, double lon0, double lat0,
                     double north, double south, double fe, double fn) {
    GeodesyParams p{};
    p.a = a;
    p.invFlattening = invF;
    p.projection = type;
    p.unit = 1.0;
    p.scaleFactor = k0;
    p.centralMeridian = lon0 * kDeg;
    p.refLatitude = lat0 * kDeg;
    p.northParallel = north * kDeg;
    p.southParallel = south * kDeg;
    p.falseEasting = fe;
    p.falseNorthing = fn;
    return p;
}

const double kRdLat0 = 52.0 + 9.0 / 60.0 + 22.178 / 3600.0;
const double kRdLon0 = 5.0 + 23.0 / 60.0 + 15.5 / 3600.0;

const Grid kGrids[] = {
    {"tmerc", Params(6378137.0, 298.257223563, 3, 0.9996, 3.0, 0.0, 0.0, 0.0, 500000.0, 0.0),
     "+proj=tmerc +ellps=WGS84 +lat_0=0 +lon_0=3 +k=0.9996 +x_0=500000 +y_0=0", -60.0, 60.0, 0.0, 6.0},
    {"lcc", Params(6378137.0, 298.257222101, 1, 1.0, 3.0, 46.5, 49.0, 44.0, 700000.0, 6600000.0),
     "+proj=lcc +ellps=GRS80 +lat_0=46.5 +lon_0=3 +lat_1=49 +lat_2=44 +x_0=700000 +y_0=6600000", 41.0, 51.5,
     -5.0, 10.0},
    {"sterea", Params(6377397.155, 299.1528128, 4, 0.9999079, kRdLon0, kRdLat0, 0.0, 0.0, 155000.0, 463000.0),
     "+proj=sterea +ellps=bessel +lat_0=52d09'22.178 +lon_0=5d23'15.5 +k=0.9999079 +x_0=155000 +y_0=463000",
     50.5, 53.7, 3.2, 7.3},
};
constexpr int kGridCount = static_cast<int>(sizeof kGrids / sizeof kGrids[0]);

// Points spread over the grid's area in a scrambled order, so that neither
// side profits from one point being close to the one before.
struct Points {
    std::vector<double> lat, lon;  // radians
    explicit Points(const Grid& g) {
        for (int i = 0; i < kPoints; ++i) {
            const double u = static_cast<double>(i) / kPoints;
            const double v = static_cast<double>((i * 7919) % kPoints) / kPoints;
            lat.push_back((g.lat0 + (g.lat1 - g.lat0) * u) * kDeg);
            lon.push_back((g.lon0 + (g.lon1 - g.lon0) * v) * kDeg);
        }
    }
};

GEODESY Open(const Grid& g, benchmark::State& state) {
    GEODESY h = CreateGeodesy(&g.params);
    if (h == nullptr) state.SkipWithError("this build has no such projection");
    return h;
}

void Vortan(benchmark::State& state, int grid, bool forward) {
    const Grid& g = kGrids[grid];
    const Points pts(g);
    GEODESY h = Open(g, state);
    if (h == nullptr) return;
    std::vector<double> xs(kPoints), ys(kPoints);
    for (int i = 0; i < kPoints; ++i) GeoXY(h, &xs[i], &ys[i], pts.lat[i], pts.lon[i]);
    double a = 0, b = 0;
    for (auto _ : state) {
        if (forward) {
            for (int i = 0; i < kPoints; ++i) {
                GeoXY(h, &a, &b, pts.lat[i], pts.lon[i]);
                benchmark::DoNotOptimize(a);
                benchmark::DoNotOptimize(b);
            }
        } else {
            for (int i = 0; i < kPoints; ++i) {
                XYGeo(h, xs[i], ys[i], &a, &b);
                benchmark::DoNotOptimize(a);
                benchmark::DoNotOptimize(b);
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    DestroyGeodesy(h);
}

#if defined(ZELTO_HAVE_PROJ)
void Proj(benchmark::State& state, int grid, bool forward) {
    const Grid& g = kGrids[grid];
    const Points pts(g);
    PJ* pj = proj_create(PJ_DEFAULT_CTX, g.proj);
    if (pj == nullptr) {
        state.SkipWithError("PROJ refused the definition");
        return;
    }
    std::vector<PJ_COORD> in(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        in[i] = proj_coord(pts.lon[i], pts.lat[i], 0, 0);
        if (!forward) in[i] = proj_trans(pj, PJ_FWD, in[i]);
    }
    const PJ_DIRECTION dir = forward ? PJ_FWD : PJ_INV;
    for (auto _ : state) {
        for (int i = 0; i < kPoints; ++i) {
            PJ_COORD r = proj_trans(pj, dir, in[i]);
            benchmark::DoNotOptimize(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    proj_destroy(pj);
}

// Largest forward difference in metres and largest inverse difference as a
// distance on the ground (metres), VORTAN against PROJ over the same points.
struct Agreement {
    double forward = -1, inverse = -1;
};
Agreement Compare(const Grid& g) {
    Agreement r;
    const Points pts(g);
    GEODESY h = CreateGeodesy(&g.params);
    PJ* pj = proj_create(PJ_DEFAULT_CTX, g.proj);
    if (h != nullptr && pj != nullptr) {
        r.forward = r.inverse = 0;
        const double radius = g.params.a;
        for (int i = 0; i < kPoints; ++i) {
            double x = 0, y = 0, lat = 0, lon = 0;
            GeoXY(h, &x, &y, pts.lat[i], pts.lon[i]);
            const PJ_COORD p = proj_trans(pj, PJ_FWD, proj_coord(pts.lon[i], pts.lat[i], 0, 0));
            r.forward = std::max(r.forward, std::hypot(x - p.xy.x, y - p.xy.y));
            XYGeo(h, p.xy.x, p.xy.y, &lat, &lon);
            const PJ_COORD q = proj_trans(pj, PJ_INV, p);
            r.inverse = std::max(r.inverse, radius * std::hypot(lat - q.lp.phi, (lon - q.lp.lam) * std::cos(lat)));
        }
    }
    if (pj != nullptr) proj_destroy(pj);
    if (h != nullptr) DestroyGeodesy(h);
    return r;
}
#endif

// Keeps every rate of the run so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto it = run.counters.find("items_per_second");
            if (!run.error_occurred && it != run.counters.end()) rates[run.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

void Register() {
    for (int g = 0; g < kGridCount; ++g) {
        for (bool fwd : {true, false}) {
            const std::string what = std::string(kGrids[g].name) + (fwd ? "_fwd" : "_inv");
            benchmark::RegisterBenchmark(("Vortan/" + what).c_str(), Vortan, g, fwd);
#if defined(ZELTO_HAVE_PROJ)
            benchmark::RegisterBenchmark(("Proj/" + what).c_str(), Proj, g, fwd);
#endif
        }
    }
}
}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(::isatty(1) ? benchmark::ConsoleReporter::OO_Defaults
                                       : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-12s %14s %14s %8s %12s\n", "grid", "VORTAN pt/s", "PROJ pt/s", "ratio", "max diff m");
    for (int g = 0; g < kGridCount; ++g) {
#if defined(ZELTO_HAVE_PROJ)
        const Agreement agree = Compare(kGrids[g]);
#endif
        for (bool fwd : {true, false}) {
            const std::string what = std::string(kGrids[g].name) + (fwd ? "_fwd" : "_inv");
            auto v = reporter.rates.find("Vortan/" + what);
            auto p = reporter.rates.find("Proj/" + what);
            if (v == reporter.rates.end() || p == reporter.rates.end()) continue;
            double diff = -1;
#if defined(ZELTO_HAVE_PROJ)
            diff = fwd ? agree.forward : agree.inverse;
#endif
            std::printf("%-12s %14.0f %14.0f %7.2fx %12.3g\n", what.c_str(), v->second, p->second,
                        v->second / p->second, diff);
        }
    }
    return 0;
}
