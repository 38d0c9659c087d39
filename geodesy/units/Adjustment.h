// Local grid adjustment: the similarity, polynomial and table conversions that
// carry grid coordinates of a projection into a local grid and back.
//
// The adjustment is selected by the low 16 bits of the type word:
//   0, 17 and above: none;
//   1: plane similarity (origin, rotation, scale, shift) with optional axis
//      reversal (bit 16 reverses x, bit 17 reverses y);
//   2, 3: fixed polynomial grid conversions (degree 5 and 7), in grid units;
//   4..16: second-degree polynomial conversions computed in chains of
//      20.1167651216 m, so they need the projection's unit factor.
// Types 2 and 3 carry only the constant and first-order terms of their
// polynomials; every higher coefficient is 0.
#ifndef VORTAN_ADJUSTMENT_H
#define VORTAN_ADJUSTMENT_H

#include "vortan.h"

#include <cstdint>

// Projection grid -> local grid, in place; unitFactor is the projection's
// metres per grid unit (used by types 4..16 only). Cannot fail.
void AdjustForward(const AdjustParams& adjustment, double unitFactor, double& x, double& y);
// Local grid -> projection grid, in place.
void AdjustReverse(const AdjustParams& adjustment, double unitFactor, double& x, double& y);

// As above for a projection in metres (unit factor 1.0).
void AdjustForward(const AdjustParams& adjustment, double& x, double& y);
void AdjustReverse(const AdjustParams& adjustment, double& x, double& y);

// Adjustment type from the type word (its low 16 bits).
inline uint32_t AdjustmentType(uint32_t typeWord) { return typeWord & 0xFFFFu; }
inline constexpr uint32_t kReverseXBit = 0x10000u;
inline constexpr uint32_t kReverseYBit = 0x20000u;

// A polynomial of degree N in an outer variable p and an inner variable q:
// (N + 1)(N + 2)/2 coefficients ordered by the power of p and, within it, by
// the power of q (p^0 q^0 .. p^0 q^N, p^1 q^0 .. p^1 q^(N-1), .., p^N),
// evaluated by nested Horner steps, inner in q, outer in p.
double EvaluatePolynomial(const double* coefficients, int32_t degree, double p, double q);

// The stored conversions (AdjustmentTables.cpp).
struct FixedPolynomialConversion {
    double originX, originY;  // grid units
    int32_t degree;
    const double* newX;       // (degree + 1)(degree + 2)/2 coefficients
    const double* newY;
};
// Type 2 or 3, forward or reverse; null for any other type.
const FixedPolynomialConversion* FixedConversion(uint32_t type, bool reverse);

struct ChainConversion {
    double b[4];   // offsets B0..B3, chains
    double py[6];  // y polynomial, degree 2 in V (outer) and U (inner)
    double px[6];  // x polynomial
};
// Types 4..16; null for any other type.
const ChainConversion* ChainConversionRow(uint32_t type);

inline constexpr double kChainMetres = 20.1167651216;

struct GeodesyHandle;

// Installs a local adjustment in the handle: a scale of exactly 0 is refused
// with code 7 and the handle keeps its previous adjustment; otherwise the
// record is copied and, for type 1, the axis names follow the reverse bits
// (x 18 westing / 16 easting, y 19 southing / 17 northing; other types keep
// the names). Returns 0 or 7.
uint32_t SetHandleAdjustment(GeodesyHandle& h, const AdjustParams& adjustment) noexcept;

#endif
