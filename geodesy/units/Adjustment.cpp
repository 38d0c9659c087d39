#include "Adjustment.h"

#include "GeodesyHandle.h"

#include <cmath>

double EvaluatePolynomial(const double* c, int32_t degree, double p, double q) {
    // Block i holds the degree - i + 1 coefficients of p^i q^0 .. p^i q^(N-i);
    // start from the last block (p^N) and step outward in p.
    const int32_t n = degree;
    int32_t start = (n + 1) * (n + 2) / 2 - 1;  // first coefficient of block n
    double r = 0.0;
    for (int32_t i = n; i >= 0; --i) {
        const int32_t len = n - i + 1;
        double inner = 0.0;
        for (int32_t j = len - 1; j >= 0; --j) inner = inner * q + c[start + j];
        r = r * p + inner;
        start -= len + 1;  // block i - 1 is one coefficient longer
    }
    return r;
}

namespace {
void Similarity(const AdjustParams& a, double& x, double& y) {
    const double dx = x - a.originX, dy = y - a.originY;
    const double c = std::cos(a.rotation), s = std::sin(a.rotation);
    double X = a.scale * (dx * c + dy * s) + a.shiftX;
    double Y = a.scale * (dy * c - dx * s) + a.shiftY;
    if (a.typeWord & kReverseXBit) X = -X;
    if (a.typeWord & kReverseYBit) Y = -Y;
    x = X;
    y = Y;
}

void SimilarityReverse(const AdjustParams& a, double& x, double& y) {
    double X = x, Y = y;
    if (a.typeWord & kReverseXBit) X = -X;
    if (a.typeWord & kReverseYBit) Y = -Y;
    const double dX = X - a.shiftX, dY = Y - a.shiftY;
    const double c = std::cos(a.rotation), s = std::sin(a.rotation);
    x = (dX * c - dY * s) / a.scale + a.originX;
    y = (dY * c + dX * s) / a.scale + a.originY;
}

void Fixed(const FixedPolynomialConversion& f, double& x, double& y) {
    const double u = x - f.originX, v = y - f.originY;
    const double nx = EvaluatePolynomial(f.newX, f.degree, u, v);
    const double ny = EvaluatePolynomial(f.newY, f.degree, u, v);
    x = nx;
    y = ny;
}

void Chain(const ChainConversion& t, double k, bool reverse, double& x, double& y) {
    const double xc = x * k / kChainMetres, yc = y * k / kChainMetres;
    const double u = reverse ? xc - t.b[1] : xc - t.b[3];
    const double v = reverse ? yc - t.b[0] : yc - t.b[2];
    const double U = u / 10000.0, V = v / 10000.0;
    const double px = EvaluatePolynomial(t.px, 2, V, U);
    const double py = EvaluatePolynomial(t.py, 2, V, U);
    const double xn = reverse ? u + t.b[3] + px : u + t.b[1] - px;
    const double yn = reverse ? v + t.b[2] + py : v + t.b[0] - py;
    x = xn * kChainMetres / k;
    y = yn * kChainMetres / k;
}
}  // namespace

void AdjustForward(const AdjustParams& a, double unitFactor, double& x, double& y) {
    const uint32_t type = AdjustmentType(a.typeWord);
    if (type == 1) {
        Similarity(a, x, y);
    } else if (const FixedPolynomialConversion* f = FixedConversion(type, false)) {
        Fixed(*f, x, y);
        x = -x;
    } else if (const ChainConversion* t = ChainConversionRow(type)) {
        Chain(*t, unitFactor, false, x, y);
    }
}

void AdjustReverse(const AdjustParams& a, double unitFactor, double& x, double& y) {
    const uint32_t type = AdjustmentType(a.typeWord);
    if (type == 1) {
        SimilarityReverse(a, x, y);
    } else if (const FixedPolynomialConversion* f = FixedConversion(type, true)) {
        x = -x;
        Fixed(*f, x, y);
    } else if (const ChainConversion* t = ChainConversionRow(type)) {
        Chain(*t, unitFactor, true, x, y);
    }
}

void AdjustForward(const AdjustParams& a, double& x, double& y) { AdjustForward(a, 1.0, x, y); }
void AdjustReverse(const AdjustParams& a, double& x, double& y) { AdjustReverse(a, 1.0, x, y); }

uint32_t SetHandleAdjustment(GeodesyHandle& h, const AdjustParams& a) noexcept {
    if (a.scale == 0.0) return 7;
    h.adjustment = a;
    if (AdjustmentType(a.typeWord) == 1) {
        h.xAxisNameId = (a.typeWord & kReverseXBit) ? 18 : 16;
        h.yAxisNameId = (a.typeWord & kReverseYBit) ? 19 : 17;
    }
    return 0;
}
