// The table of known ellipsoids: name, semi-major axis and inverse flattening.
#ifndef VORTAN_ELLIPSOIDTABLE_H
#define VORTAN_ELLIPSOIDTABLE_H

#include <cstddef>

struct EllipsoidEntry {
    const char* name;      // at most 23 characters
    double a;              // semi-major axis, metres
    double invFlattening;  // 1/f
};

// The 29 entries in table order, closed by an entry with a null name.
const EllipsoidEntry* EllipsoidTable() noexcept;
constexpr std::size_t kEllipsoidCount = 29;

// First entry whose a is within 0.0001 m of `a` and whose 1/f is within 1e-10
// of 1/f (f = 0 matches no entry); null when none matches.
const EllipsoidEntry* FindEllipsoid(double a, double f) noexcept;
// Entry with exactly this name (case-sensitive), or null.
const EllipsoidEntry* FindEllipsoidByName(const char* name) noexcept;

#endif
