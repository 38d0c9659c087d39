// The name strings of units and axes, keyed by string id. English at the
// bare ids, French at +100, Spanish at +200; French and Spanish texts are
// Windows-1252 bytes (the interface hands out 8-bit text). There are no
// French or Spanish abbreviations or axis letters: those requests fall back
// to the English entries.
#include "Units.h"

#include <cstddef>

namespace {
struct NameEntry {
    int32_t id;
    const char* text;
};

// Sorted by id.
constexpr NameEntry kNames[] = {
    // abbreviations (unit id) and axis letters
    {1, "m"}, {2, "ftUS"}, {3, "ft"}, {4, "yd"}, {5, "ch"}, {6, "NM"}, {7, "f"},
    {8, "ftCla"}, {9, "ftInd"}, {10, "ydSea"}, {11, "ydInd"}, {12, "lkBen"},
    {13, "lkCla"}, {14, "lkSea"}, {15, "chSea"},
    {16, "X"}, {17, "Y"}, {18, "Y"}, {19, "X"},
    // English singular (unit id + 32) and axis words
    {33, "meter"}, {34, "foot (US)"}, {35, "foot (int.)"}, {36, "yard"}, {37, "chain"},
    {38, "nautical mile"}, {39, "fathom"}, {40, "foot (Clarke)"}, {41, "foot (Indian)"},
    {42, "yard (Sears)"}, {43, "yard (Indian)"}, {44, "link (Benoit)"}, {45, "link (Clarke)"},
    {46, "link (Sears)"}, {47, "chain (Sears)"},
    {48, "easting"}, {49, "northing"}, {50, "westing"}, {51, "southing"},
    // English plural (unit id + 64)
    {65, "meters"}, {66, "feet (US)"}, {67, "feet (int.)"}, {68, "yards"}, {69, "chains"},
    {70, "nautical miles"}, {71, "fathoms"}, {72, "feet (Clarke)"}, {73, "feet (Indian)"},
    {74, "yards (Sears)"}, {75, "yards (Indian)"}, {76, "links (Benoit)"}, {77, "links (Clarke)"},
    {78, "links (Sears)"}, {79, "chains (Sears)"},
    // French singular (unit id + 132) and axis words
    {133, "m\xE8" "tre"}, {134, "pied (US)"}, {135, "pied (int.)"}, {136, "verge"},
    {137, "cha\xEE" "ne"}, {138, "mille marin"}, {139, "brasse"}, {140, "pied (Clarke)"},
    {141, "pied (Indian)"}, {142, "verge (Sears)"}, {143, "verge (Indian)"},
    {144, "maille (Benoit)"}, {145, "maille (Clarke)"}, {146, "maille (Sears)"},
    {147, "cha\xEE" "ne (Sears)"},
    {148, "est"}, {149, "nord"}, {150, "ouest"}, {151, "sud"},
    // French plural (unit id + 164)
    {165, "m\xE8" "tres"}, {166, "pieds (US)"}, {167, "pieds (int.)"}, {168, "verges"},
    {169, "cha\xEE" "nes"}, {170, "milles marins"}, {171, "brasses"}, {172, "pieds (Clarke)"},
    {173, "pieds (Indian)"}, {174, "verges (Sears)"}, {175, "verges (Indian)"},
    {176, "mailles (Benoit)"}, {177, "mailles (Clarke)"}, {178, "mailles (Sears)"},
    {179, "cha\xEE" "nes (Sears)"},
    // Spanish singular (unit id + 232) and axis words
    {233, "metro"}, {234, "pie (US)"}, {235, "pie (int.)"}, {236, "yarda"}, {237, "cadena"},
    {238, "milla nautica"}, {239, "braza"}, {240, "pie (Clarke)"}, {241, "pie (Indian)"},
    {242, "yarda (Sears)"}, {243, "yarda (Indian)"}, {244, "link (Benoit)"},
    {245, "link (Clarke)"}, {246, "link (Sears)"}, {247, "cadena (Sears)"},
    {248, "este"}, {249, "norte"}, {250, "oeste"}, {251, "sur"},
    // Spanish plural (unit id + 264)
    {265, "metros"}, {266, "pies (US)"}, {267, "pies (int.)"}, {268, "yardas"}, {269, "cadenas"},
    {270, "millas nauticas"}, {271, "brazas"}, {272, "pies (Clarke)"}, {273, "pies (Indian)"},
    {274, "yardas (Sears)"}, {275, "yardas (Indian)"}, {276, "links (Benoit)"},
    {277, "links (Clarke)"}, {278, "links (Sears)"}, {279, "cadenas (Sears)"},
};
}  // namespace

const char* NameString(int32_t id) {
    // A binary search over the sorted ids.
    std::size_t lo = 0, hi = sizeof kNames / sizeof kNames[0];
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (kNames[mid].id < id) lo = mid + 1;
        else hi = mid;
    }
    if (lo < sizeof kNames / sizeof kNames[0] && kNames[lo].id == id) return kNames[lo].text;
    return nullptr;
}
