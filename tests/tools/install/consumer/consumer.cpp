// A C++ user of the installed libraries: converts the harbour sample with the
// project's geodesy, and projects its first position through the C interface
// the way the converter does. Arguments: SAMPLE.csv DEFINITION.ini OUT.EDT
#include <ZeltoQvxConverter.h>
#include <vortan.h>

#include <cmath>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) return 9;
    CZeltoQvxConverter converter;
    if (converter.put_BraMixStatePlaneIniFile(argv[2]) != S_OK || converter.ReadZeltoFile(argv[1]) != S_OK ||
        converter.WriteQVXFile(argv[3]) != S_OK) {
        std::string text;
        converter.GetLastError(text);
        std::printf("conversion failed: %s\n", text.c_str());
        return 1;
    }
    GEODESY h = CreateFileGeodesy(argv[2], "Geodesy");
    if (h == nullptr) return 2;
    const double deg = 0.017453292519943295;
    double lat = (32 + 42 / 60.0 + 36 / 3600.0) * deg, lon = -(117 + 10 / 60.0 + 48 / 3600.0) * deg, height = 0;
    double x = 0, y = 0;
    if (!WGS84Conv(h, &lat, &lon, &height) || !GeoXY(h, &x, &y, lat, lon)) return 3;
    DestroyGeodesy(h);
    // The sample's first record line says 483210.14, 3618955.33.
    if (std::fabs(x - 483210.14) > 0.005 || std::fabs(y - 3618955.33) > 0.005) {
        std::printf("projected %.3f %.3f\n", x, y);
        return 4;
    }
    std::printf("records %d, library %d\n", static_cast<int>(converter.get_CSVRecords()),
                static_cast<int>(GetGeodesyVersion()));
    return 0;
}
