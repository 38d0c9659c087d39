// The vortan command's point reader: any line a user types or a script pipes in.
#include "PointParser.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    for (const auto& field : SplitFields(line)) {
        if (field.empty()) std::abort();  // empty fields are dropped
        (void)ParseNumber(field);
        for (Axis axis : {Axis::Latitude, Axis::Longitude}) {
            if (auto angle = ParseAngle(field, axis)) {
                // Whatever was accepted must format without fault.
                (void)FormatFixed(*angle, 9);
            }
        }
    }
    if (auto v = ParseNumber(line)) {
        for (int decimals : {0, 3, 12}) (void)FormatFixed(*v, decimals);
    }
    return 0;
}
