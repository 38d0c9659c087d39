#include "DefinitionFile.h"

#include "Profile.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

constexpr double kDeg = 0.017453292519943295;
constexpr double kArcSecond = 3.14159265358979323846 / 648000.0;

struct NamedType {
    const char* name;
    int32_t type;
};

// The Projection values a definition file may use, with the type they select.
constexpr NamedType kProjectionNames[] = {
    {"Lambert", 1}, {"LCC", 1},      {"LC1", 1}, {"Mercator", 2}, {"MER", 2},  {"TransMerc", 3},
    {"TME", 3},     {"UTM", 3},      {"OST", 4}, {"OCY", 5},      {"HOM", 6},  {"RSO", 7},
    {"AZD", 8},     {"SMERC", 9},    {"CME", 9}, {"ALA", 10},     {"CAS", 11}, {"PST", 12},
};

bool EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

}  // namespace

int32_t ProjectionTypeFromName(const char* name) {
    if (!name) return 0;
    for (const NamedType& n : kProjectionNames)
        if (EqualNoCase(n.name, name)) return n.type;
    return 0;
}

Definition ReadDefinition(const Profile& ini, const char* section) {
    const char* sec = section ? section : "Geodesy";
    Definition d;
    GeodesyParams& p = d.params;
    p.scaleFactor = ini.ReadDouble("ScaleFactor", sec, 0.0);
    if (p.scaleFactor == 0.0) p.scaleFactor = 1.0;
    p.refLatitude = ini.ReadDouble("RefLatitude", sec, 0.0) * kDeg;
    p.centralMeridian = ini.ReadDouble("CentralMeridian", sec, 0.0) * kDeg;
    p.northParallel = ini.ReadDouble("NorthParallel", sec, 0.0) * kDeg;
    p.southParallel = ini.ReadDouble("SouthParallel", sec, 0.0) * kDeg;
    p.unit = ini.ReadDouble("Unit", sec, 0.0);
    if (p.unit == 0.0) p.unit = 1.0;
    p.falseEasting = ini.ReadDouble("FalseEasting", sec, 0.0);
    p.falseNorthing = ini.ReadDouble("FalseNorthing", sec, 0.0);
    p.skewAzimuth = ini.ReadDouble("SkewAzimuth", sec, 0.0) * kDeg;
    p.a = ini.ReadDouble("SemiMajorAxis", sec, 0.0);
    p.invFlattening = ini.ReadDouble("Flattening", sec, 0.0);
    char name[80] = {0};
    ini.ReadString(name, sizeof name, "Projection", sec, "");
    p.projection = ProjectionTypeFromName(name);

    d.vertUnit = ini.ReadDouble("VertUnit", sec, 0.0);

    if (auto dyn = ini.Value(sec, "DynDatum"); dyn && !dyn->empty()) {
        d.hasDatumGrid = true;
        d.datumGrid = *dyn;
    }
    d.shift.dx = ini.ReadDouble("DeltaX", sec, 0.0);
    d.shift.dy = ini.ReadDouble("DeltaY", sec, 0.0);
    d.shift.dz = ini.ReadDouble("DeltaZ", sec, 0.0);
    d.shift.scale = 1.0 + ini.ReadDouble("DeltaScale", sec, 0.0) / 1000000.0;
    d.shift.rx = ini.ReadDouble("DeltaRX", sec, 0.0) * kArcSecond;
    d.shift.ry = ini.ReadDouble("DeltaRY", sec, 0.0) * kArcSecond;
    d.shift.rz = ini.ReadDouble("DeltaRZ", sec, 0.0) * kArcSecond;

    AdjustParams& adj = d.adjustment;
    adj.typeWord = static_cast<uint32_t>(ini.ReadInt("AdjustType", sec, 0));
    if (ini.ReadFlag("ReverseX", sec, false)) adj.typeWord |= 0x10000u;
    if (ini.ReadFlag("ReverseY", sec, false)) adj.typeWord |= 0x20000u;
    adj.rotation = ini.ReadDouble("AdjustRotation", sec, 0.0) * kDeg;
    adj.scale = ini.ReadDouble("AdjustScale", sec, 0.0);
    if (adj.scale == 0.0) adj.scale = 1.0;
    adj.shiftX = ini.ReadDouble("AdjustX", sec, 0.0);
    adj.shiftY = ini.ReadDouble("AdjustY", sec, 0.0);
    adj.originX = ini.ReadDouble("AdjustOrigX", sec, 0.0);
    adj.originY = ini.ReadDouble("AdjustOrigY", sec, 0.0);

    d.orthoCorrection = ini.ReadDouble("OrthoHCorr", sec, 0.0);
    if (auto g = ini.Value(sec, "Geoid"); g && !g->empty()) {
        d.hasGeoid = true;
        d.geoid = *g;
    }
    return d;
}
