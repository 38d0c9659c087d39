// The table of known length units and the names of units and axes.
#ifndef VORTAN_UNITS_H
#define VORTAN_UNITS_H

#include <cstdint>

// Id 1..15 of the unit whose metres-per-unit factor equals `factor` exactly
// (first match in id order), 0 when the factor is not in the table. The
// factors are stored to the last digit the survey files carry, so a factor
// that differs in its last digit is not recognised.
int32_t UnitIdForFactor(double factor);

// Metres per unit of unit id 1..15; 0.0 for any other id.
double UnitFactorForId(int32_t id);

// Language offsets of the name strings.
inline constexpr int32_t kEnglishOffset = 0;
inline constexpr int32_t kFrenchOffset = 100;
inline constexpr int32_t kSpanishOffset = 200;

// Offset for a three-letter language code compared without regard to case:
// "fra" 100, "esp" 200, "chs" 300, "jpn" 400, anything else (also null) 0.
int32_t LanguageOffset(const char* language);

// The 8-bit name string with the given id, or null when the table holds no
// entry for it. Per unit id u: abbreviation u, singular u + 32 + offset,
// plural u + 64 + offset; per axis id a (16..19): letter a, word a + 32 +
// offset. French and Spanish texts are Windows-1252 bytes.
const char* NameString(int32_t id);

// What GetLocalName looks up: `which` 1..10 against the handle's unit and axis
// ids. Returns the string id (without language offset), 0 when `which` names
// nothing (unknown which, or an abbreviation of unit id 0).
int32_t LocalNameStringId(int32_t which, int32_t horizontalUnitId, int32_t verticalUnitId,
                          int32_t xAxisNameId, int32_t yAxisNameId);

// The name for `which` in the language given by its offset, with the English
// text when that language has none; null when there is no name at all.
const char* LocalName(int32_t stringId, int32_t languageOffset);

#endif
