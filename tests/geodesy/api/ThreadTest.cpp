// Threads that share the library but nothing else: every thread reads back its
// own error code however the others fail, and many threads each with their own
// handle get exactly the numbers, units and names one thread alone gets. Run
// under ThreadSanitizer these catch any hidden shared state (caches, tables
// built on first use, the debug log).
#include "ProjectionParams.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// The fixed work one thread does on its handle, every result as bytes: 40
// points (around 52 N 5 E, or near the pole) forward, back, their scale, a
// short line, a unit and a name.
std::string Work(GEODESY h, bool polar) {
    std::string out;
    const auto put = [&out](auto v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); };
    const char* languages[] = {"fra", "esp", "eng", nullptr};
    for (int i = 0; i < 40; ++i) {
        const double lat = (polar ? 80.0 + 0.2 * i : 50.0 + 0.1 * i) * kDeg, lon = (2.0 + 0.15 * i) * kDeg;
        double x = 0, y = 0, blat = 0, blon = 0, azimuth = 0, v = 1000.0;
        put(GeoXY(h, &x, &y, lat, lon)), put(XYGeo(h, x, y, &blat, &blon)), put(Scale(h, x, y));
        put(GCircLL(h, lat, lon, lat + 0.01, lon + 0.02, &azimuth)), put(HConvert(h, &v, 1));
        put(x), put(y), put(blat), put(blon), put(azimuth), put(v);
        char name[64] = {};
        GetLocalName(h, 1 + i % 10, languages[i % 4], name, sizeof name);
        out += std::string(name, sizeof name);
    }
    return out;
}

}  // namespace

TEST(ThreadErrors, EachThreadReadsOnlyItsOwnCode) {
    // Every thread fails in its own way, over and over, while the others do
    // the same: a failure of one may never show in another's code, and a
    // thread that never called reads 0.
    std::atomic<int> wrong{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> pool;
    for (int t = 0; t < 8; ++t) {
        pool.emplace_back([t, &wrong, &go] {
            while (!go.load()) std::this_thread::yield();
            if (GetGeodesyError() != 0) ++wrong;
            for (int i = 0; i < 2000; ++i) {
                const int kind = (t + i) % 4;  // codes 3, 4, 5: a record refused; 2: a null handle
                GeodesyParams p = Wgs84(3, 0, 0, 0);
                p.invFlattening *= kind != 0, p.unit *= kind != 1, p.projection += 99 * (kind == 2);
                if (kind == 3 ? DestroyGeodesy(nullptr) != 0 : CreateGeodesy(&p) != nullptr) ++wrong;
                if (GetGeodesyError() != (kind == 3 ? 2 : 3 + kind)) ++wrong;
            }
        });
    }
    go = true;
    for (auto& th : pool) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(ThreadHandles, ManyThreadsEachWithItsOwnHandleMatchOneThread) {
    // One handle of each projection family around 52 N 5 E (the polar one on
    // its pole), half of them in feet.
    std::vector<GeodesyParams> families = {Wgs84(3, 0.9996, 3, 0, 0, 500000), Wgs84(4, 0.9999079, 5.387, 52.156, 0, 155000, 463000),
                                           Wgs84(5, 0.9999079, 5.387, 52.156, 0, 155000, 463000), Wgs84(6, 0.99984, 5, 52, 53),
                                           Wgs84(7, 0.99984, 5, 52, 53), Wgs84(12, 0.994, 0, 90, 0, 2000000, 2000000)};
    std::vector<std::string> reference;  // what one thread alone gets
    for (const GeodesyParams& p : families) {
        const ScopedGeodesy h(p);
        ASSERT_NE(static_cast<GEODESY>(h), nullptr) << p.projection << " error " << GetGeodesyError();
        reference.push_back(Work(h, p.projection == 12));
    }
    // Now 3 threads per family at once, each creating and destroying its own
    // handles several times.
    std::atomic<int> wrong{0};
    std::vector<std::thread> pool;
    for (size_t f = 0; f < 3 * families.size(); ++f) {
        pool.emplace_back([&, f] {
            const GeodesyParams& p = families[f % families.size()];
            for (int round = 0; round < 3; ++round) {
                GEODESY h = CreateGeodesy(&p);
                if (h == nullptr || Work(h, p.projection == 12) != reference[f % families.size()]) ++wrong;
                if (h != nullptr && DestroyGeodesy(h) != 1) ++wrong;
            }
        });
    }
    for (auto& th : pool) th.join();
    EXPECT_EQ(wrong.load(), 0);
}
