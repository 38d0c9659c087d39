// One line of a Zelto CSV file through the converter's line parser, time and
// position readers (reached through a small derived class).
#include "ZeltoQvxConverter.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {
class LineProbe : public CZeltoQvxConverter {
public:
    void Run(const std::string& text) {
        std::string line = text;
        sALL rec{};
        std::string fields[ZELTO_OUTPUT_FIELDS];
        (void)ParseCSVLine(line, rec, fields);
        std::string t = text;
        (void)ConvertTime(t);
        std::string p = text;
        (void)ConvertPosString(p);
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static LineProbe probe;
    probe.Run(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
