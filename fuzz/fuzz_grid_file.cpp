// A grid file of arbitrary bytes through InterpFile: open, then lookups at
// points taken from the input's last bytes and at the grid's corners, edges
// and just outside them. Opening must either fail with a code or give a grid
// whose lookups stay inside the file and return finite values or a code.
#include "InterpFile.h"
#include "ScratchFolder.h"

#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

void Probe(InterpFile& g, double lat, double lon, std::vector<double>& out) {
    int32_t count = -1;
    const uint32_t code = g.Lookup(lat, lon, &count, out.data()).take();
    if (code == 0 && count != g.Values()) std::abort();
    if (code != 0 && count != 0) std::abort();
}

void Lookups(InterpFile& g, const uint8_t* data, size_t size) {
    if (g.Values() < 1 || g.Rows() < 1 || g.Cols() < 1) std::abort();
    std::vector<double> out(static_cast<size_t>(g.Values()));
    const double s = g.South(), n = g.North(), w = g.West(), e = g.East();
    const double eps = 1e-9;
    const double lats[] = {s, n, (s + n) / 2, s - eps, n + eps, s + eps, n - eps};
    const double lons[] = {w, e, (w + e) / 2, w - eps, e + eps, w + eps, e - eps, -std::numbers::pi, std::numbers::pi};
    for (double lat : lats)
        for (double lon : lons) Probe(g, lat, lon, out);
    // A few points from the input itself, NaN and infinities included.
    for (size_t at = 0; at + 16 <= size && at < 16 * 8; at += 16) {
        double lat, lon;
        std::memcpy(&lat, data + size - 16 - at, 8);
        std::memcpy(&lon, data + size - 8 - at, 8);
        Probe(g, lat, lon, out);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFolder folder("fuzz_grid_file");
    static const std::string path = folder.Path() + "/g.grd";
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (fp == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, fp) != size) std::abort();
    std::fclose(fp);

    const bool westPositive = size > 0 && (data[0] & 1) != 0;
    try {
        InterpFile g(path.c_str(), westPositive);
        Lookups(g, data, size);
        // Reopening the same object replaces the grid; it must stay usable.
        if (g.Open(path.c_str(), !westPositive).take() == 0) Lookups(g, data, size);
    } catch (errcode& e) {
        (void)e.take();  // refused at open: the expected end for most inputs
    }
    return 0;
}
