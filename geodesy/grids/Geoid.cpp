#include "Geoid.h"

#include "GeodesyHandle.h"
#include "InterpFile.h"
#include "errcode.h"

#include <cmath>
#include <new>
#include <vector>

uint32_t SetGeoidFile(GeodesyHandle& h, const char* path, double correction) noexcept {
    // The correction is the handle's even when the grid fails: a project with
    // an orthometric offset but a missing geoid file still gets its offset.
    h.orthoCorrection = correction;
    delete h.geoid;
    h.geoid = nullptr;
    if (path == nullptr) return 0;
    try {
        h.geoid = new InterpFile(path, false);
    } catch (errcode& e) {
        e.take();
        return 9;  // whatever the grid reader's reason: not a usable geoid model
    } catch (const std::bad_alloc&) {
        return 1;
    } catch (...) {
        return 1;
    }
    return 0;
}

uint32_t GeoidUndulation(GeodesyHandle& h, double lat, double lon, double& undulation) noexcept {
    undulation = h.orthoCorrection;
    if (h.geoid == nullptr) return 0;
    // A geoid grid holds one value per node; a grid with more (a datum-shift
    // grid given as the geoid) contributes its first.
    double few[4] = {0.0, 0.0, 0.0, 0.0};
    std::vector<double> many;
    double* out = few;
    if (h.geoid->Values() > 4) {
        try {
            many.resize(static_cast<size_t>(h.geoid->Values()));
        } catch (...) {
            return 1;
        }
        out = many.data();
    }
    uint32_t code = 1;
    try {
        code = h.geoid->Lookup(lat, lon, nullptr, out).take();
    } catch (...) {
        return 1;
    }
    if (code == 4) return 8;
    if (code != 0) return 9;
    // A missing node (NaN, as imported models mark the land or sea they do not
    // cover) leaves no undulation to give: the point is treated as off the grid
    // rather than handed back as a NaN height.
    if (!std::isfinite(out[0])) return 8;
    undulation = h.orthoCorrection + out[0];
    return 0;
}
