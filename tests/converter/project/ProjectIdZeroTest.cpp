// The converter against answers VORTAN never gives for a definition file: a definition
// without projection (refused with the installation hint), a failing parameter read and
// each of the library's error codes. This program stands in front of the shared library:
// its own GetGeodesyParams, GetGeodesyError, CreateFileGeodesy and DestroyGeodesy take
// the converter's calls, pass them on, and report type 0, a chosen code or a failure,
// and count the handles.
#include "ConverterTestKit.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

enum class Answer { AsIs, TypeZero, ParamsFail, ChosenCode } gAnswer = Answer::AsIs;
int32_t gCode = 0;
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
    gOpen += h != nullptr;
    return h;
}

int32_t DestroyGeodesy(GEODESY h) {
    static auto real = Next<int32_t (*)(GEODESY)>("DestroyGeodesy");
    gOpen -= h != nullptr;
    return real(h);
}

int32_t GetGeodesyError(void) {
    static auto real = Next<int32_t (*)()>("GetGeodesyError");
    return gAnswer == Answer::ChosenCode ? gCode : real();
}

int32_t GetGeodesyParams(GEODESY h, GeodesyParams* params, char* ellipsoidName, char* projectionName) {
    static auto real = Next<int32_t (*)(GEODESY, GeodesyParams*, char*, char*)>("GetGeodesyParams");
    // A failing read is the library's null-handle answer: 0, error 2 left for the caller.
    const int32_t ok = real(gAnswer == Answer::ParamsFail ? nullptr : h, params, ellipsoidName, projectionName);
    if (ok != 0 && gAnswer == Answer::TypeZero) params->projection = 0;
    return ok;
}

}  // extern "C"

namespace {

TEST(ProjectIdZero, RefusedWithTheInstallationHintOrTheLibraryTextAndNoHandleLeft) {
    ASSERT_NE(Next<void*>("GetGeodesyParams"), nullptr) << "the shared geodesy library is not loaded";
    TempDir dir;
    const std::string ini = dir.write("h.ini", TempDir::read(ZELTO_CONVERTER_CASES "/harbour.geodesy"));
    kit::Wired<kit::Peer> w;
    ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), S_OK);
    EXPECT_EQ(gOpen, 0);
    for (const Answer a : {Answer::TypeZero, Answer::ParamsFail}) {
        gAnswer = a;
        EXPECT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), E_FAIL);
        gAnswer = Answer::AsIs;
        EXPECT_EQ(gOpen, 0);
    }
    EXPECT_EQ(w.rec.errors, (std::vector<std::string>{
                                "Trying to open file:" + ini + "\nBramix Project ID is 0, Bramix must be installed and "
                                                               "the converter run in the Bramix directory.",
                                "Trying to open file:" + ini + "\nInvalid geodesy handle"}));
}

class Peer : public CZeltoQvxConverter {
public:
    using CZeltoQvxConverter::BramixGeodesyErrorString;
};

// The texts come from the table the vortan command shares (its cases pin them); here only
// that a code reaches its text and that a code outside the table changes nothing.
TEST(LibraryCodeTexts, CodeToTextAndUnknownCodes) {
    gAnswer = Answer::ChosenCode;
    for (const auto& [code, want] : {std::pair{6, "Singularity"}, {13, "before"}, {100, "before"}, {-1, "before"}}) {
        gCode = code;
        std::string text = "before";
        Peer::BramixGeodesyErrorString(text);
        EXPECT_EQ(text, want) << code;
    }
    gAnswer = Answer::AsIs;
}

}  // namespace
