// A geodesy library that reports a definition without projection: the
// converter refuses it with the suite's installation hint. VORTAN itself
// never builds a handle with projection type 0 from a definition file, so
// this program stands in front of the shared library: its own
// GetGeodesyParams, CreateFileGeodesy and DestroyGeodesy take the
// converter's calls, pass them on to the library, and report type 0 or
// count the handles as the test asks.
#include "TempDir.h"
#include "ZeltoQvxConverter.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace {

bool gReportTypeZero = false;
bool gFailParams = false;
int gOpen = 0;

template <typename F>
F Next(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

GEODESY CreateFileGeodesy(const char* file, const char* section) {
    static auto real = Next<GEODESY (*)(const char*, const char*)>("CreateFileGeodesy");
    GEODESY h = real(file, section);
    if (h != nullptr) ++gOpen;
    return h;
}

int32_t DestroyGeodesy(GEODESY h) {
    static auto real = Next<int32_t (*)(GEODESY)>("DestroyGeodesy");
    if (h != nullptr) --gOpen;
    return real(h);
}

int32_t GetGeodesyParams(GEODESY h, GeodesyParams* params, char* ellipsoidName, char* projectionName) {
    static auto real = Next<int32_t (*)(GEODESY, GeodesyParams*, char*, char*)>("GetGeodesyParams");
    if (gFailParams) {
        // The library's null-handle answer: 0 with error 2 left for the caller.
        return real(nullptr, params, ellipsoidName, projectionName);
    }
    const int32_t ok = real(h, params, ellipsoidName, projectionName);
    if (ok != 0 && gReportTypeZero) params->projection = 0;
    return ok;
}

}  // extern "C"

namespace {

const char kHarbour[] =
    "[Geodesy]\nProjection=UTM\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\nScaleFactor=0.9996\n"
    "CentralMeridian=-117\nFalseEasting=500000\n";

class Recorder : public CConverterMessageWnd {
public:
    void Post(unsigned int message, std::uintptr_t, std::intptr_t) noexcept override {
        if (message == WM_CONVERTERERROR) ++errors;
    }
    int errors = 0;
};

TEST(ProjectIdZero, RefusedWithTheInstallationHintAndNoHandleLeft) {
    ASSERT_NE(Next<void*>("GetGeodesyParams"), nullptr) << "the shared geodesy library is not loaded";
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    EXPECT_EQ(gOpen, 0);

    gReportTypeZero = true;
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(ini), E_FAIL);
    gReportTypeZero = false;
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Trying to open file:" + ini +
                        "\nBramix Project ID is 0, Bramix must be installed and the converter run in the Bramix "
                        "directory.");
    EXPECT_EQ(rec.errors, 1);
    EXPECT_EQ(gOpen, 0);
}

TEST(ProjectIdZero, FailingParameterReadGivesTheLibraryText) {
    TempDir dir;
    const std::string ini = dir.write("h.ini", kHarbour);
    CZeltoQvxConverter c;
    gFailParams = true;
    EXPECT_EQ(c.put_BraMixStatePlaneIniFile(ini), E_FAIL);
    gFailParams = false;
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Trying to open file:" + ini + "\nInvalid geodesy handle");
    EXPECT_EQ(gOpen, 0);
}

}  // namespace
