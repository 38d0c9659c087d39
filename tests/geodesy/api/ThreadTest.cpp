// Threads that share the library but nothing else: every thread reads back its
// own error code however the others fail, and many threads each with their own
// handle get exactly the numbers one thread alone gets. Run under
// ThreadSanitizer these catch any hidden shared state (caches, tables built on
// first use, the debug log).
#include "vortan.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>
#include <vector>

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// A WGS-84 definition of `type`; angles in degrees.
GeodesyParams Wgs84(int32_t type, double k0 = 0, double lon0 = 0, double lat0 = 0, double azimuth = 0,
                    double fe = 0, double fn = 0) {
    GeodesyParams p{};
    p.a = 6378137.0;
    p.invFlattening = 298.257223563;
    p.projection = type;
    p.unit = 1.0;
    p.scaleFactor = k0;
    p.centralMeridian = lon0 * kDeg;
    p.refLatitude = lat0 * kDeg;
    p.skewAzimuth = azimuth * kDeg;
    p.falseEasting = fe;
    p.falseNorthing = fn;
    return p;
}

// One handle of each registered projection family, set up around 52 N 5 E
// (the polar one on its pole) so every point below lies well inside.
std::vector<GeodesyParams> Families() {
    return {Wgs84(3, 0.9996, 3, 0, 0, 500000),
            Wgs84(4, 0.9999079, 5.387, 52.156, 0, 155000, 463000),
            Wgs84(5, 0.9999079, 5.387, 52.156, 0, 155000, 463000),
            Wgs84(6, 0.99984, 5, 52, 53),
            Wgs84(7, 0.99984, 5, 52, 53),
            Wgs84(12, 0.994, 0, 90, 0, 2000000, 2000000)};
}

struct Sample {
    int32_t okForward = 0, okInverse = 0;
    double x = 0, y = 0, lat = 0, lon = 0, scale = 0, line = 0, azimuth = 0;
};

// The fixed work one thread does on its handle; the results go to out.
void Work(GEODESY h, bool polar, std::vector<Sample>& out) {
    out.clear();
    for (int i = 0; i < 40; ++i) {
        Sample s;
        const double lat = (polar ? 80.0 + 0.2 * i : 50.0 + 0.1 * i) * kDeg;
        const double lon = (2.0 + 0.15 * i) * kDeg;
        s.okForward = GeoXY(h, &s.x, &s.y, lat, lon);
        s.okInverse = XYGeo(h, s.x, s.y, &s.lat, &s.lon);
        s.scale = Scale(h, s.x, s.y);
        s.line = GCircLL(h, lat, lon, lat + 0.01, lon + 0.02, &s.azimuth);
        out.push_back(s);
    }
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

}  // namespace

TEST(ThreadErrors, EachThreadReadsOnlyItsOwnCode) {
    // Every thread fails in its own way, over and over, while the others do
    // the same: a failure of one may never show in another's code.
    constexpr int kThreads = 8;
    std::atomic<int> wrong{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t) {
        pool.emplace_back([t, &wrong, &go] {
            while (!go.load()) std::this_thread::yield();
            for (int i = 0; i < 2000; ++i) {
                GeodesyParams p = Wgs84(3);
                int32_t expected = 0;
                switch ((t + i) % 4) {
                case 0: p.invFlattening = 0; expected = 3; break;
                case 1: p.unit = 0; expected = 4; break;
                case 2: p.projection = 99; expected = 5; break;
                default: DestroyGeodesy(nullptr); expected = 2; break;
                }
                if (expected != 2 && CreateGeodesy(&p) != nullptr) ++wrong;
                if (GetGeodesyError() != expected) ++wrong;
            }
        });
    }
    go = true;
    for (auto& th : pool) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(ThreadHandles, ManyThreadsEachWithItsOwnHandleMatchOneThread) {
    const std::vector<GeodesyParams> families = Families();
    // The numbers one thread alone gets, family by family.
    std::vector<std::vector<Sample>> reference(families.size());
    for (size_t f = 0; f < families.size(); ++f) {
        GEODESY h = CreateGeodesy(&families[f]);
        ASSERT_NE(h, nullptr) << "type " << families[f].projection << " error " << GetGeodesyError();
        Work(h, families[f].projection == 12, reference[f]);
        DestroyGeodesy(h);
        ASSERT_EQ(reference[f].front().okForward, 1) << families[f].projection;
    }
    // Now 3 threads per family at once, each creating and destroying its own
    // handles several times.
    std::atomic<int> mismatches{0}, failures{0};
    std::vector<std::thread> pool;
    for (size_t f = 0; f < families.size(); ++f) {
        for (int copy = 0; copy < 3; ++copy) {
            pool.emplace_back([&, f] {
                std::vector<Sample> got;
                for (int round = 0; round < 3; ++round) {
                    GEODESY h = CreateGeodesy(&families[f]);
                    if (h == nullptr) { ++failures; return; }
                    Work(h, families[f].projection == 12, got);
                    if (DestroyGeodesy(h) != 1) ++failures;
                    for (size_t i = 0; i < got.size(); ++i) {
                        const Sample& a = got[i];
                        const Sample& b = reference[f][i];
                        if (a.okForward != b.okForward || a.okInverse != b.okInverse || !SameBits(a.x, b.x) ||
                            !SameBits(a.y, b.y) || !SameBits(a.lat, b.lat) || !SameBits(a.lon, b.lon) ||
                            !SameBits(a.scale, b.scale) || !SameBits(a.line, b.line) ||
                            !SameBits(a.azimuth, b.azimuth))
                            ++mismatches;
                    }
                }
            });
        }
    }
    for (auto& th : pool) th.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ThreadHandles, UnitsAndNamesOnManyHandlesAtOnce) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < 8; ++t) {
        pool.emplace_back([t, &wrong] {
            GeodesyParams p = Wgs84(3);
            p.unit = t % 2 == 0 ? 1.0 : 0.3048;
            GEODESY h = CreateGeodesy(&p);
            if (h == nullptr) { ++wrong; return; }
            const char* languages[] = {"fra", "esp", "eng", nullptr};
            for (int i = 0; i < 300; ++i) {
                double v = 1000.0;
                if (HConvert(h, &v, 1) != 1 || v != 1000.0 * p.unit) ++wrong;
                char name[64];
                GetLocalName(h, 1 + i % 10, languages[i % 4], name, sizeof name);
                if (std::memchr(name, '\0', sizeof name) == nullptr) ++wrong;
            }
            DestroyGeodesy(h);
        });
    }
    for (auto& th : pool) th.join();
    EXPECT_EQ(wrong.load(), 0);
}
