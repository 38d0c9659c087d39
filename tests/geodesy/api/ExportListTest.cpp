// The geodesy library exports its 29 functions and nothing else.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

TEST(ExportList, ExactlyTheTwentyNineFunctions) {
    const std::set<std::string> expected = {
        "CreateGeodesy", "CreateFileGeodesy", "DestroyGeodesy", "GetGeodesyParams", "GetGeodesyError",
        "GetGeodesyVersion", "GeoXY", "XYGeo", "Scale", "GCircLL", "RLineLL", "WGS84Conv", "InvWGS84Conv",
        "EllConv", "InvEllConv", "GeoECEF", "ECEFGeo", "SetEllModel", "GetEllModel", "SetEllDiff",
        "GetEllDiff", "SetAdjustment", "GetAdjustment", "SetGeoid", "GetGeoid", "Undulation", "HConvert",
        "VConvert", "GetLocalName"};
    ASSERT_EQ(expected.size(), 29u);
    const std::string cmd = std::string("nm -D --defined-only ") + VORTAN_LIBRARY_FILE;
    std::FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::set<std::string> found;
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
        std::istringstream in(line);
        std::string addr, type, name;
        // The version node of the export map is listed as an absolute symbol.
        if (in >> addr >> type >> name && type != "A") found.insert(name.substr(0, name.find('@')));
    }
    ASSERT_EQ(::pclose(p), 0) << cmd;
    EXPECT_EQ(found, expected);
}
