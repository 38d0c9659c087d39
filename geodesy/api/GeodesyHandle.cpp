#include "GeodesyHandle.h"

#include "DebugLog.h"
#include "ProjectionFactory.h"
#include "Units.h"
#include "errcode.h"

#include <atomic>
#include <memory>

namespace {
std::atomic<int32_t> gLiveHandles{0};

Projection* CheckedProjection(const GeodesyParams& params) {
    // The flattening is tested before the unit: a record with both zero
    // reports the flattening.
    if (params.invFlattening == 0.0) throw errcode(3, 4);
    if (params.unit == 0.0) throw errcode(4, 4);
    return MakeProjection(params);
}
}  // namespace

GeodesyHandle::GeodesyHandle(const GeodesyParams& params)
    : projection(CheckedProjection(params)), verticalUnit(params.unit) {
    horizontalUnitId = UnitIdForFactor(params.unit);
    verticalUnitId = horizontalUnitId;
    ++gLiveHandles;
}

GeodesyHandle::~GeodesyHandle() {
    delete projection;
    delete geoid;
    delete datumGrid;
    if (--gLiveHandles == 0) DebugLog("VORTAN - last instance");
}

int32_t LiveHandleCount() noexcept { return gLiveHandles.load(); }
