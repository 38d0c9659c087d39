// A survey of a million records through the dialog: one progress percentage per record is
// handed to the receiver, yet at most one progress event ever waits in the window's queue
// and the window goes on handling its own events throughout.
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "DialogTestUtil.h"

using AppMillionRecords = DialogTest;

TEST_F(AppMillionRecords, EventQueueStaysBounded)
{
    constexpr int kRecords = 1000000;
    const std::string csv = WriteSurvey(work.file("million.csv"), kRecords);
    CZeltoConverterDlg dlg;
    ScriptedChooser chooser(dlg);
    Choose(dlg, chooser, csv);
    dlg.Receiver().ResetCounters();

    // The window's own timer keeps firing while the worker converts.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(ConvertAndWait(dlg, 240000));
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    timer.stop();

    ASSERT_FALSE(dlg.Messages().isEmpty());
    EXPECT_EQ(dlg.Messages().constLast(), "million.csv  CSV Records: 1000000");
    const auto c = dlg.Receiver().GetCounters();
    EXPECT_EQ(c.percentCalls, kRecords + 1);
    EXPECT_LE(c.peakPercentWaiting, 1);
    // Show-file, add-message and done besides the one progress event.
    EXPECT_LE(c.peakOutstanding, 4);
    EXPECT_LT(c.percentEvents, c.percentCalls);
    EXPECT_GT(ticks, 0);
    std::printf("million records: %.2f s, %lld percentages, %lld progress events posted, "
                "peak waiting events %d (progress %d), timer ticks %d\n",
                seconds, c.percentCalls, c.percentEvents, c.peakOutstanding, c.peakPercentWaiting, ticks);
    RecordProperty("seconds", std::to_string(seconds));

#ifdef ZELTO2EDT_PROGRAM
    // The command-line converter on the same file, for the record (not a pass criterion).
    QElapsedTimer cli;
    cli.start();
    const std::string command = std::string("\"") + ZELTO2EDT_PROGRAM + "\" --quiet \"" + csv + "\" > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const double cliSeconds = static_cast<double>(cli.elapsed()) / 1000.0;
    std::printf("zelto2edt on the same file: %.2f s; dialog / zelto2edt = %.2f\n", cliSeconds, seconds / cliSeconds);
    RecordProperty("zelto2edt_seconds", std::to_string(cliSeconds));
#endif
    RecordProperty("progress_events", std::to_string(c.percentEvents));
    RecordProperty("peak_outstanding", std::to_string(c.peakOutstanding));
}
