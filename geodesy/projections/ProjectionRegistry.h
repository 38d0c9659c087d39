// ProjectionRegistry: how each projection class makes itself known to the
// projection factory.
//
// Every projection .cpp ends with one line
//     REGISTER_PROJECTION(3, TransverseMercator)
// which, during static initialisation, enters a maker for that type number
// (1..12) into the table. The table itself lives in a function-local static,
// so registration order between translation units does not matter. The
// library objects are all linked (shared library and the static test library
// are both made from the same object files), so no registrar is dropped.
#ifndef VORTAN_PROJECTIONREGISTRY_H
#define VORTAN_PROJECTIONREGISTRY_H

#include "vortan.h"

#include <cstdint>

class Projection;

// Builds a projection from the whole parameter record; may throw errcode 7.
using ProjectionMaker = Projection* (*)(const GeodesyParams& params);

// Enters the maker for a type 1..12; returns true. A type outside 1..12 is
// ignored (returns false). Registering the same type twice keeps the last.
bool RegisterProjection(int32_t type, ProjectionMaker maker) noexcept;

// The maker registered for the type, or null (type unknown or not built in).
ProjectionMaker FindProjectionMaker(int32_t type) noexcept;

#define VORTAN_REGISTRY_CAT2(a, b) a##b
#define VORTAN_REGISTRY_CAT(a, b) VORTAN_REGISTRY_CAT2(a, b)

#define REGISTER_PROJECTION(type, Class)                                                  \
    namespace {                                                                           \
    [[maybe_unused]] const bool VORTAN_REGISTRY_CAT(vortanRegistered_, Class) =           \
        RegisterProjection((type), [](const GeodesyParams& p) -> Projection* {           \
            return new Class(p);                                                          \
        });                                                                               \
    }

#endif
