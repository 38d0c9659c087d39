// Project geodesy mode: positions projected with the geodesy of an existing
// Bramix project, described by its definition (INI) file and handed to the
// VORTAN library, instead of the built-in UTM.
#include "ZeltoQvxConverter.h"

#include "FileHelpers.h"
#include "GeodesyErrorText.h"

#include "vortan.h"

#include <string>

namespace {

constexpr double kDegToRad = 0.017453292519943295;
// The library and the suite's programs hold definition paths in 256-byte
// buffers: 255 characters at most.
constexpr size_t kMaxDefinitionPath = 255;

void Release(GEODESY& h)
{
    if (h != nullptr) {
        DestroyGeodesy(h);
        h = nullptr;
    }
}

// The library's text for the calling thread's last failure; empty for a code it does not define.
std::string LibraryReason()
{
    const char* known = GeodesyErrorText(GetGeodesyError());
    return known != nullptr ? known : "";
}

}  // namespace

CZeltoQvxConverter::~CZeltoQvxConverter()
{
    // The conversion handle belongs to this object: release it with the
    // library's own call so its grids and projection go with it.
    Release(m_hGeodesy);
}

void CZeltoQvxConverter::BramixGeodesyErrorString(std::string& text)
{
    const std::int32_t code = GetGeodesyError();
    // Codes the library does not define leave the text as it was.
    if (const char* known = GeodesyErrorText(code)) text = known;
}

bool CZeltoQvxConverter::TestBramixGeodesy(std::string& text)
{
    if (text.empty()) return true;
    if (text.size() > kMaxDefinitionPath) {
        // Refused here: cut to fit, the path would name another file.
        text = "Path longer than 255 characters.";
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        // The library would read the path only up to the NUL: another file.
        text = "Path holds a NUL character.";
        return false;
    }
    // A file that is missing or cannot be read says so with the system's reason; the
    // library would only report the projection it could not find in it.
    if (const std::string why = zelto_detail::UnreadableReason(text); !why.empty()) {
        text = why;
        return false;
    }
    GEODESY h = CreateFileGeodesy(text.c_str(), "Geodesy");
    if (h == nullptr) {
        BramixGeodesyErrorString(text);
        return false;
    }
    GeodesyParams params{};
    char ellipsoid[100] = {};
    char projection[100] = {};
    if (GetGeodesyParams(h, &params, ellipsoid, projection) == 0) {
        BramixGeodesyErrorString(text);
        DestroyGeodesy(h);
        return false;
    }
    if (params.projection == 0) {
        text = "Bramix Project ID is 0, Bramix must be installed and the converter run in the Bramix directory.";
        DestroyGeodesy(h);
        return false;
    }
    DestroyGeodesy(h);
    return true;
}

long CZeltoQvxConverter::put_BraMixStatePlaneIniFile(std::string path)
{
    std::string copy = path;
    if (copy.empty() || TestBramixGeodesy(copy)) {
        // A handle opened earlier would go on converting with the geodesy the
        // file had then: another project's, or this project's before its
        // definition was edited. Release it; the next projected position
        // opens one for the file as it was just tested.
        Release(m_hGeodesy);
        m_strIniFile = path;
        return S_OK;
    }
    // The message is a C string: a NUL in the path is shown as "\0" so the
    // reason after the path still reaches the user.
    const std::string text = "Trying to open file:" + zelto_detail::ShownPath(path) + "\n" + copy;
    return SetConverterErrorInfo(text.c_str(), 0);
}

long CZeltoQvxConverter::ConvertPositionProject(double& latNorthing, double& lonEasting)
{
    if (m_hGeodesy == nullptr && m_strIniFile.size() <= kMaxDefinitionPath &&
        m_strIniFile.find('\0') == std::string::npos)
        m_hGeodesy = CreateFileGeodesy(m_strIniFile.c_str(), "Geodesy");
    if (m_hGeodesy == nullptr) {
        std::string why = RecordErrorReasonShown() ? zelto_detail::UnreadableReason(m_strIniFile) : "";
        if (!why.empty()) why = m_strIniFile + ": " + why;
        return ReportRecordError("Bad Bramix Geodesy.", why);
    }
    double lat = latNorthing * kDegToRad;
    double lon = lonEasting * kDegToRad;
    // A datum shift that cannot be applied (a grid node that holds no
    // number) would leave the position on WGS-84: projected anyway, the
    // record would be off by the whole shift without a word. The positions
    // have no height: the library takes 0 and works none out for a null one.
    if (WGS84Conv(m_hGeodesy, &lat, &lon, nullptr) == 0) return ReportRecordError("Failed WGS84Conv call.", LibraryReason());
    if (GeoXY(m_hGeodesy, &lonEasting, &latNorthing, lat, lon) != 0) return S_OK;
    return ReportRecordError("Failed GeoXY call.", LibraryReason());
}
