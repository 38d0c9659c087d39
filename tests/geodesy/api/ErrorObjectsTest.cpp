// What the error objects report, log and throw; the debug log's line format;
// (the shared angle and meridian functions: through the projection cases).
#include "DebugLog.h"
#include "LogLines.h"
#include "Projection.h"
#include "errcode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

// The debug log of the test's lifetime.
class ErrorObjects : public ::testing::Test {
protected:
    // The line without its "[tid] " prefix.
    std::string Body(size_t i) const {
        const std::string& l = log.lines.at(i);
        return l.substr(l.find("] ") + 2);
    }
    LogLines log;
};

}  // namespace

TEST_F(ErrorObjects, ArmedErrorIsLoggedAndThrownAtEndOfLife) {
    bool caught = false;
    try {
        errcode e(7, 4);
    } catch (errcode& thrown) {
        caught = true;
        EXPECT_EQ(thrown.code, 7u);
        EXPECT_EQ(thrown.armed, 0);  // the thrown copy is not reported again
    }
    EXPECT_TRUE(caught);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(Body(0), "Log --- Error 7\n\n");
    EXPECT_EQ(log.lines[0].rfind("[", 0), 0u);
}

TEST_F(ErrorObjects, TakenNoticeAndZeroCodesAreSilent) {
    EXPECT_NO_THROW({
        errcode e(7, 4);
        EXPECT_EQ(e.take(), 7u);
    });
    EXPECT_NO_THROW({ errcode notice(8, 1); });
    EXPECT_NO_THROW({ errcode ok(0, 4); });
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ErrorObjects, MoveDisarmsTheSourceAndAssignReportsThePending) {
    EXPECT_NO_THROW({
        errcode a(10, 4);
        errcode b(a);  // b now carries the duty to report
        EXPECT_EQ(a.armed, 0);
        EXPECT_EQ(b.take(), 10u);
    });
    bool caught = false;
    try {
        errcode pending(6, 4);
        errcode next(0, 0);
        pending = next;  // the armed 6 is reported before it is overwritten
    } catch (errcode& e) {
        caught = true;
        EXPECT_EQ(e.code, 6u);
    }
    EXPECT_TRUE(caught);
}

TEST_F(ErrorObjects, RaiseErrorThrowsOnceAndLogs) {
    int reports = 0;
    try {
        RaiseError(7);
    } catch (errcode&) {
        ++reports;
    }
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(ErrorObjects, DebugLogCutsLongMessagesToItsBuffer) {
    DebugLog("%s", std::string(2000, 'x').c_str());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].size(), kDebugLogBufferSize - 1);
    EXPECT_EQ(log.lines[0].back(), '\n');
}

