// Points per second of GeoXY and XYGeo on UTM zone 31N, and of PROJ's
// proj_trans for the same projection, in one run. items_per_second is the rate.
#include "vortan.h"

#include <benchmark/benchmark.h>
#if defined(ZELTO_HAVE_PROJ)
#include <proj.h>
#endif

#include <numbers>
#include <vector>

namespace {
constexpr double kDeg = std::numbers::pi / 180.0;
constexpr int kPoints = 4096;

struct Points {
    std::vector<double> lat, lon;
    Points() {
        for (int i = 0; i < kPoints; ++i) {
            lat.push_back((-60.0 + 120.0 * i / kPoints) * kDeg);
            lon.push_back((3.0 + 3.0 * ((i * 7919) % kPoints) / kPoints - 1.5) * kDeg);
        }
    }
};
const Points gPoints;

GEODESY Utm31() {
    GeodesyParams p{};
    p.a = 6378137.0;
    p.invFlattening = 298.257223563;
    p.projection = 3;
    p.unit = 1.0;
    p.scaleFactor = 0.9996;
    p.centralMeridian = 3 * kDeg;
    p.falseEasting = 500000.0;
    return CreateGeodesy(&p);
}

void BM_GeoXY(benchmark::State& state) {
    GEODESY h = Utm31();
    double x, y;
    for (auto _ : state) {
        for (int i = 0; i < kPoints; ++i) {
            GeoXY(h, &x, &y, gPoints.lat[i], gPoints.lon[i]);
            benchmark::DoNotOptimize(x);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    DestroyGeodesy(h);
}
BENCHMARK(BM_GeoXY);

void BM_XYGeo(benchmark::State& state) {
    GEODESY h = Utm31();
    std::vector<double> xs(kPoints), ys(kPoints);
    for (int i = 0; i < kPoints; ++i) GeoXY(h, &xs[i], &ys[i], gPoints.lat[i], gPoints.lon[i]);
    double lat, lon;
    for (auto _ : state) {
        for (int i = 0; i < kPoints; ++i) {
            XYGeo(h, xs[i], ys[i], &lat, &lon);
            benchmark::DoNotOptimize(lat);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    DestroyGeodesy(h);
}
BENCHMARK(BM_XYGeo);

#if defined(ZELTO_HAVE_PROJ)
void ProjTrans(benchmark::State& state, const char* def, PJ_DIRECTION dir) {
    PJ* pj = proj_create(PJ_DEFAULT_CTX, def);
    std::vector<PJ_COORD> in(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        in[i] = proj_coord(gPoints.lon[i], gPoints.lat[i], 0, 0);
        if (dir == PJ_INV) in[i] = proj_trans(pj, PJ_FWD, in[i]);
    }
    for (auto _ : state) {
        for (int i = 0; i < kPoints; ++i) {
            PJ_COORD r = proj_trans(pj, dir, in[i]);
            benchmark::DoNotOptimize(r);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
    proj_destroy(pj);
}
const char kTmerc[] = "+proj=tmerc +ellps=WGS84 +lat_0=0 +lon_0=3 +k=0.9996 +x_0=500000 +y_0=0";
const char kTmercApprox[] = "+proj=tmerc +approx +ellps=WGS84 +lat_0=0 +lon_0=3 +k=0.9996 +x_0=500000 +y_0=0";
BENCHMARK_CAPTURE(ProjTrans, tmerc_fwd, kTmerc, PJ_FWD);
BENCHMARK_CAPTURE(ProjTrans, tmerc_inv, kTmerc, PJ_INV);
BENCHMARK_CAPTURE(ProjTrans, tmerc_approx_fwd, kTmercApprox, PJ_FWD);
BENCHMARK_CAPTURE(ProjTrans, tmerc_approx_inv, kTmercApprox, PJ_INV);
#endif
}  // namespace

BENCHMARK_MAIN();
