#include "Units.h"

#include <cstddef>

namespace {
// Metres per unit, by id 1..15 (index 0 unused). Id 14 is stored as the
// survey files carry it, 0.211676512, and matches only that value.
constexpr double kUnitFactors[16] = {
    0.0,           1.0,          0.3048006096, 0.3048,       0.914402,     20.11678249,
    1852.0,        1.8288,       0.3047972654, 0.3047995142, 0.91439841,   0.91439855,
    0.2011678249,  0.201166195,  0.211676512,  20.1167651216,
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLanguage(const char* a, const char* code) {
    for (std::size_t i = 0;; ++i) {
        if (Lower(a[i]) != code[i]) return false;
        if (code[i] == '\0') return true;
    }
}
}  // namespace

int32_t UnitIdForFactor(double factor) {
    for (int32_t id = 1; id <= 15; ++id)
        if (kUnitFactors[id] == factor) return id;
    return 0;
}

double UnitFactorForId(int32_t id) { return (id >= 1 && id <= 15) ? kUnitFactors[id] : 0.0; }

int32_t LanguageOffset(const char* language) {
    if (language == nullptr) return 0;
    if (SameLanguage(language, "fra")) return 100;
    if (SameLanguage(language, "esp")) return 200;
    if (SameLanguage(language, "chs")) return 300;
    if (SameLanguage(language, "jpn")) return 400;
    return 0;
}

int32_t LocalNameStringId(int32_t which, int32_t h, int32_t v, int32_t x, int32_t y) {
    switch (which) {
        case 1: return h + 32;
        case 2: return h + 64;
        case 3: return h;
        case 4: return v + 32;
        case 5: return v + 64;
        case 6: return v;
        case 7: return x + 32;
        case 8: return x;
        case 9: return y + 32;
        case 10: return y;
        default: return 0;
    }
}

const char* LocalName(int32_t stringId, int32_t languageOffset) {
    if (stringId == 0) return nullptr;
    if (const char* s = NameString(languageOffset + stringId)) return s;
    return NameString(stringId);
}
