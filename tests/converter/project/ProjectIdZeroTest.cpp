// The converter against answers VORTAN never gives for a definition file:
// a definition without projection (refused with the suite's installation
// hint) and each of the library's error codes (turned into its text). This
// program stands in front of the shared library: its own GetGeodesyParams,
// GetGeodesyError, CreateFileGeodesy and DestroyGeodesy take the converter's
// calls, pass them on to the library, and report type 0, report a chosen
// code or count the handles as the test asks.
#include "TempDir.h"
#include "ZeltoQvxConverter.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace {

bool gReportTypeZero = false;
bool gChosenCode = false;
int32_t gCode = 0;
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

int32_t GetGeodesyError(void) {
    static auto real = Next<int32_t (*)()>("GetGeodesyError");
    return gChosenCode ? gCode : real();
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

class Peer : public CZeltoQvxConverter {
public:
    using CZeltoQvxConverter::BramixGeodesyErrorString;
};

// The texts come from the table the vortan command shares (its cases pin them); here only
// that a code reaches its text and that a code outside the table changes nothing.
TEST(LibraryCodeTexts, CodeToTextAndUnknownCodes) {
    gChosenCode = true;
    gCode = 6;
    std::string text = "before";
    Peer::BramixGeodesyErrorString(text);
    EXPECT_EQ(text, "Singularity");
    // Any other code leaves the text as it was.
    for (int32_t code : {13, 100, -1}) {
        gCode = code;
        text = "before";
        Peer::BramixGeodesyErrorString(text);
        EXPECT_EQ(text, "before") << code;
    }
    gChosenCode = false;
}

}  // namespace
