// The debug log line written when the last live handle goes.
#include "DebugLog.h"
#include "ProjectionParams.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
void Capture(const char* line, void* context) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(line);
}
}  // namespace

TEST(LastInstance, WrittenOnceWhenTheLastHandleGoes) {
    std::vector<std::string> lines;
    SetDebugLogSink(Capture, &lines);
    GeodesyParams p = Wgs84(3);
    p.scaleFactor = 0.9996;
    GEODESY a = CreateGeodesy(&p);
    GEODESY b = CreateGeodesy(&p);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(DestroyGeodesy(a), 1);
    EXPECT_TRUE(lines.empty());  // one of two: nothing
    EXPECT_EQ(DestroyGeodesy(b), 1);
    SetDebugLogSink(nullptr, nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("] VORTAN - last instance\n"), std::string::npos);
}
