// What the error objects report, log and throw; the debug log's line format.
#include "DebugLog.h"
#include "LogLines.h"
#include "Projection.h"
#include "errcode.h"

#include <gtest/gtest.h>

#include <string>

TEST(ErrorObjects, ArmedErrorIsLoggedAndThrownOnceAtEndOfLife) {
    LogLines log;
    int caught = 0;
    try {
        errcode e(7, 4);
    } catch (errcode& thrown) {
        ++caught;
        EXPECT_EQ(thrown.code, 7u);
        EXPECT_EQ(thrown.armed, 0);  // the thrown copy is not reported again
    }
    try {
        RaiseError(7);
    } catch (errcode&) {
        ++caught;
    }
    EXPECT_EQ(caught, 2);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].rfind("[", 0), 0u);
    EXPECT_EQ(log.lines[0].substr(log.lines[0].find("] ") + 2), "Log --- Error 7\n\n");
    // A long message is cut to the log's buffer, its line end kept.
    DebugLog("%s", std::string(2000, 'x').c_str());
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[2].size(), kDebugLogBufferSize - 1);
    EXPECT_EQ(log.lines[2].back(), '\n');
}

TEST(ErrorObjects, TakenNoticeZeroAndMovedCodesAreSilentAndAssignReportsThePending) {
    LogLines log;
    EXPECT_NO_THROW({
        errcode e(7, 4);
        EXPECT_EQ(e.take(), 7u);
        errcode notice(8, 1);
        errcode ok(0, 4);
        errcode a(10, 4);
        errcode b(a);  // b now carries the duty to report
        EXPECT_EQ(a.armed, 0);
        EXPECT_EQ(b.take(), 10u);
    });
    EXPECT_TRUE(log.lines.empty());
    try {
        errcode pending(6, 4);
        errcode next(0, 0);
        pending = next;  // the armed 6 is reported before it is overwritten
        ADD_FAILURE() << "not thrown";
    } catch (errcode& e) {
        EXPECT_EQ(e.code, 6u);
    }
}
