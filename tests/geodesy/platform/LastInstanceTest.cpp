// The debug log line written when the last live handle goes.
#include "LogLines.h"
#include "ProjectionParams.h"
#include "vortan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(LastInstance, WrittenOnceWhenTheLastHandleGoes) {
    LogLines log;
    GeodesyParams p = Wgs84(3);
    p.scaleFactor = 0.9996;
    GEODESY a = CreateGeodesy(&p);
    GEODESY b = CreateGeodesy(&p);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(DestroyGeodesy(a), 1);
    EXPECT_TRUE(log.lines.empty());  // one of two: nothing
    EXPECT_EQ(DestroyGeodesy(b), 1);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("] VORTAN - last instance\n"), std::string::npos);
}
