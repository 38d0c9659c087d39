// DialogMessageWnd.h - the dialog's window messages as Qt events.
//
// The converter and the dialog's worker thread talk to the window only by posting. Each
// message becomes a CPostedMessageEvent whose event type is the message value itself
// (WM_PERCENTDONE 0x479, WM_ADDMESSAGE 0x47B, WM_SHOWOUTPUTFILE 0x47D, WM_CONVERSIONDONE
// 0x47F, WM_CONVERTERERROR 0x482, all inside Qt's user event range). Texts travel inside
// their event by value, so nothing the worker writes later can change what the window shows.
//
// Progress is coalesced: a survey of a million records posts a million percentages, but at
// most one progress event waits in the window's queue at any time, and none is posted for a
// percentage the bar already shows. The newest percentage is kept aside and read when that
// one event is delivered.
#pragma once

#include <QEvent>
#include <QPointer>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <string>

#include "ZeltoQvxConverter.h"

// One posted window message.
class CPostedMessageEvent final : public QEvent {
public:
    CPostedMessageEvent(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam, std::string text)
        : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam), m_text(std::move(text)) {}

    unsigned int Message() const { return static_cast<unsigned int>(type()); }
    std::uintptr_t WParam() const { return m_wParam; }
    std::intptr_t LParam() const { return m_lParam; }
    // WM_ADDMESSAGE: the message text; WM_SHOWOUTPUTFILE: the output path;
    // WM_CONVERTERERROR: the converter's last error as it stood when the error was posted.
    const std::string& Text() const { return m_text; }
    // Set for events that went through a CDialogMessageWnd's queue accounting.
    bool Queued() const { return m_queued; }
    void MarkQueued() { m_queued = true; }

private:
    bool m_queued = false;
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
    std::string m_text;
};

// True for the five message values the dialog handles.
bool IsDialogMessage(QEvent::Type type);

// The receiver handed to the converter with put_AppMessageWnd. Post may be called from any
// thread and never blocks on the window thread.
class CDialogMessageWnd final : public CConverterMessageWnd {
public:
    // target receives the events; converter (may be null) is asked for its error text the
    // moment WM_CONVERTERERROR is posted.
    CDialogMessageWnd(QObject* target, const CZeltoQvxConverter* converter);

    // The converter's messages (and the worker's WM_PERCENTDONE 0 and WM_CONVERSIONDONE).
    void Post(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam) noexcept override;
    // The worker's messages that carry a text (WM_ADDMESSAGE, WM_SHOWOUTPUTFILE).
    void PostText(unsigned int message, std::string text) noexcept;

    // Window thread, when a WM_PERCENTDONE event is delivered: the newest percentage.
    // Clears the waiting mark first, so the next percentage posts a fresh event.
    int TakePercent() noexcept;
    // Window thread, for every delivered event of this receiver.
    void Delivered() noexcept { m_outstanding.fetch_sub(1, std::memory_order_relaxed); }

    // Figures of the queue, for tests and measurements.
    struct Counters {
        long long percentCalls;     // percentages handed to Post
        long long percentEvents;    // progress events actually posted
        long long events;           // all events posted
        int peakOutstanding;        // most events of this receiver waiting at one time
        int peakPercentWaiting;     // most progress events waiting at one time (1 by design)
    };
    Counters GetCounters() const noexcept;
    void ResetCounters() noexcept;

private:
    void Send(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam, std::string text,
              bool isPercent) noexcept;

    QPointer<QObject> m_target;
    const CZeltoQvxConverter* m_converter;
    std::atomic<int> m_latestPercent{0};
    std::atomic<int> m_shownPercent{-1};
    std::atomic<bool> m_percentWaiting{false};
    std::atomic<int> m_outstanding{0};
    std::atomic<int> m_percentOutstanding{0};
    std::atomic<int> m_peakOutstanding{0};
    std::atomic<int> m_peakPercentWaiting{0};
    std::atomic<long long> m_percentCalls{0};
    std::atomic<long long> m_percentEvents{0};
    std::atomic<long long> m_events{0};
};
