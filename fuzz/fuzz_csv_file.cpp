// A whole Zelto CSV file of arbitrary bytes through ReadZeltoFile and
// WriteQVXFile. The input goes to a fixed file in a private temporary folder;
// every run must end with S_OK and a well-formed .EDT, or E_FAIL with an
// error text, and must write nothing but that one .EDT.
#include "ScratchFolder.h"
#include "ZeltoQvxConverter.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class Sink : public CConverterMessageWnd {
public:
    void Post(unsigned int message, std::uintptr_t, std::intptr_t lParam) noexcept override {
        // Progress is a percentage; anything else is a fault of the loop.
        if (message == WM_PERCENTDONE && (lParam < 0 || lParam > 100)) std::abort();
    }
};

// Every record line must end in CR LF: a line cut short means a write that
// was reported as done but was not.
void CheckEdt(const std::string& path) {
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    if (fp == nullptr) std::abort();
    int prev = 0, c = 0;
    long lines = 0;
    while ((c = std::fgetc(fp)) != EOF) {
        if (c == '\n') {
            if (prev != '\r') std::abort();
            ++lines;
        }
        prev = c;
    }
    std::fclose(fp);
    if (prev != 0 && prev != '\n') std::abort();
    (void)lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFolder dir("fuzz_csv_file");
    static const std::string csv = dir.Path() + "/in.csv";
    static const std::string edt = dir.Path() + "/in.EDT";
    std::FILE* fp = std::fopen(csv.c_str(), "wb");
    if (fp == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, fp) != size) std::abort();
    std::fclose(fp);

    Sink sink;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&sink);
    // Alternate the built-in ellipsoids so every row of the table is reached.
    c.put_EllipsoidToUse(1 + static_cast<long>(size % 23));
    if (c.ReadZeltoFile(csv) != S_OK) std::abort();  // the file is there
    const long r = c.WriteQVXFile("");
    std::string text;
    c.GetLastError(text);
    if (r == S_OK) {
        CheckEdt(edt);
        if (c.get_CSVRecords() < 0) std::abort();
    } else if (text.empty()) {
        std::abort();  // a failure must say why
    }
    std::remove(edt.c_str());
    return 0;
}
