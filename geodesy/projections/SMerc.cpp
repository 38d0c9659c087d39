#include "SMerc.h"
#include "ProjectionRegistry.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kHalfPi = std::numbers::pi / 2.0;
}  // namespace

SMerc::SMerc(const GeodesyParams& params) : Projection(params) {}

const char* SMerc::ShortName() const { return "CME"; }
int32_t SMerc::TypeId() const { return 9; }

errcode SMerc::Forward(double& x, double& y, double lat, double lon) const {
    if (!(std::fabs(lat) <= kHalfPi) || !std::isfinite(lon)) return errcode(10, 4);
    // The poles lie at infinity: tan(pi/2) in doubles would put the north
    // pole at a finite 238 000 km and the south pole at minus infinity.
    if (std::fabs(lat) == kHalfPi) return errcode(6, 4);
    x = lon * kRadius;
    y = kRadius * std::log(std::tan((lat + kHalfPi) / 2.0));
    return Success();
}

errcode SMerc::Inverse(double x, double y, double& lat, double& lon) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return errcode(10, 4);
    lon = x / kRadius;
    lat = 2.0 * std::atan(std::exp(y / kRadius)) - kHalfPi;
    return Success();
}

// The grid reports the shared unit scale (1.0), as programs reading its
// scale have always received; the true stretch is sec(lat) = cosh(y / R).
errcode SMerc::PointScale(double x, double y, double& k) const {
    return Projection::PointScale(x, y, k);
}

REGISTER_PROJECTION(9, SMerc)
