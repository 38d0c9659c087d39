// Project geodesy mode. This build offers the built-in UTM only.
#include "ZeltoQvxConverter.h"

CZeltoQvxConverter::~CZeltoQvxConverter() = default;

long CZeltoQvxConverter::put_BraMixStatePlaneIniFile(std::string path)
{
    if (path.empty()) {
        m_strIniFile = path;
        return S_OK;
    }
    return SetConverterErrorInfo("Project geodesy is not available in this build.", 0);
}

bool CZeltoQvxConverter::TestBramixGeodesy(std::string& text)
{
    text = "Project geodesy is not available in this build.";
    return false;
}

void CZeltoQvxConverter::BramixGeodesyErrorString(std::string& text)
{
    text = "Project geodesy is not available in this build.";
}

long CZeltoQvxConverter::ConvertPositionProject(double&, double&)
{
    return SetConverterErrorInfo("Project geodesy is not available in this build.", 0);
}
