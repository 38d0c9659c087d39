// A C++ user of the installed libraries: converts a copy of the harbour sample
// with the project's geodesy (run_consumer.cmake reads the .EDT written beside
// it) and says the record count and the library's version.
// Arguments: SAMPLE.csv DEFINITION.ini
#include <ZeltoQvxConverter.h>
#include <vortan.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) return 9;
    CZeltoQvxConverter converter;
    if (converter.put_BraMixStatePlaneIniFile(argv[2]) != S_OK || converter.ReadZeltoFile(argv[1]) != S_OK ||
        converter.WriteQVXFile("") != S_OK) {
        std::string text;
        converter.GetLastError(text);
        std::printf("conversion failed: %s\n", text.c_str());
        return 1;
    }
    std::printf("records %d, library %d\n", static_cast<int>(converter.get_CSVRecords()),
                static_cast<int>(GetGeodesyVersion()));
    return 0;
}
