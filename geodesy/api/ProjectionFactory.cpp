#include "ProjectionFactory.h"

#include "Projection.h"
#include "ProjectionRegistry.h"
#include "errcode.h"

#include <array>

namespace {
constexpr int32_t kFirstType = 1;
constexpr int32_t kLastType = 12;

std::array<ProjectionMaker, kLastType + 1>& Makers() noexcept {
    static std::array<ProjectionMaker, kLastType + 1> makers{};
    return makers;
}
}  // namespace

bool RegisterProjection(int32_t type, ProjectionMaker maker) noexcept {
    if (type < kFirstType || type > kLastType) return false;
    Makers()[static_cast<std::size_t>(type)] = maker;
    return true;
}

ProjectionMaker FindProjectionMaker(int32_t type) noexcept {
    if (type < kFirstType || type > kLastType) return nullptr;
    return Makers()[static_cast<std::size_t>(type)];
}

Projection* MakeProjection(const GeodesyParams& params) {
    ProjectionMaker maker = FindProjectionMaker(params.projection);
    if (maker == nullptr) throw errcode(5, 4);
    return maker(params);
}
