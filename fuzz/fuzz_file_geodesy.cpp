// A geodesy definition file of arbitrary bytes through CreateFileGeodesy,
// with the section name taken from the input's first byte, then a few points
// through the handle it gives. Either a handle or null with an error code;
// never a crash, a hang or a read beyond the file.
#include "ScratchFolder.h"
#include "vortan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
// The scratch folder with an empty suite folder in it, named by QVO_BRAMIX: grid names in
// the file are looked up in the suite's datum folder, so no real grid is ever read.
struct FolderWithEmptySuite {
    ScratchFolder folder{"fuzz_file_geodesy"};
    FolderWithEmptySuite() {
        const std::string suite = folder.Path() + "/suite";
        ::mkdir(suite.c_str(), 0700);
        ::mkdir((suite + "/datum").c_str(), 0700);
        ::setenv("QVO_BRAMIX", suite.c_str(), 1);
    }
};

const std::string& Folder() {
    static const FolderWithEmptySuite made;
    return made.folder.Path();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = Folder() + "/geodesy.ini";
    if (size == 0) return 0;
    std::FILE* fp = std::fopen(path.c_str(), "wb");
    if (fp == nullptr) std::abort();
    if (size > 1 && std::fwrite(data + 1, 1, size - 1, fp) != size - 1) std::abort();
    std::fclose(fp);
    static const char* sections[] = {nullptr, "Geodesy", "geodesy", "", "Project", "GEODESY", "x", "Geodesy "};
    GEODESY h = CreateFileGeodesy(path.c_str(), sections[data[0] % 8]);
    if (h == nullptr) {
        if (GetGeodesyError() == 0) std::abort();  // a refusal must say why
        return 0;
    }
    for (double lat : {-1.5, -0.7, 0.0, 0.6, 0.9, 1.5}) {
        for (double lon : {-3.0, -0.1, 0.0, 0.1, 2.0}) {
            double la = lat, lo = lon, ht = 10.0, x = 0, y = 0, u = 0;
            (void)WGS84Conv(h, &la, &lo, &ht);
            if (GeoXY(h, &x, &y, la, lo) == 1) (void)XYGeo(h, x, y, &la, &lo);
            (void)Scale(h, x, y);
            (void)Undulation(h, la, lo, &u);
            (void)InvWGS84Conv(h, &la, &lo, &ht);
        }
    }
    if (DestroyGeodesy(h) != 1) std::abort();
    return 0;
}
