#include "DialogMessageWnd.h"

#include <QCoreApplication>

namespace {
void RaisePeak(std::atomic<int>& peak, int value) noexcept
{
    int seen = peak.load(std::memory_order_relaxed);
    while (value > seen && !peak.compare_exchange_weak(seen, value, std::memory_order_relaxed)) {
    }
}
}  // namespace

bool IsDialogMessage(QEvent::Type type)
{
    const auto t = static_cast<unsigned int>(type);
    return t == WM_PERCENTDONE || t == WM_ADDMESSAGE || t == WM_SHOWOUTPUTFILE || t == WM_CONVERSIONDONE ||
           t == WM_CONVERTERERROR;
}

CDialogMessageWnd::CDialogMessageWnd(QObject* target, const CZeltoQvxConverter* converter)
    : m_target(target), m_converter(converter)
{
}

void CDialogMessageWnd::Post(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam) noexcept
{
    if (message == WM_PERCENTDONE) {
        m_percentCalls.fetch_add(1, std::memory_order_relaxed);
        const int percent = static_cast<int>(lParam);
        m_latestPercent.store(percent, std::memory_order_release);
        // Most records move the bar by less than one percent: nothing to show.
        if (percent == m_shownPercent.load(std::memory_order_acquire)) return;
        // Only the first percentage after the last delivery posts an event; the others
        // only replace the value that event will show.
        if (m_percentWaiting.exchange(true, std::memory_order_acq_rel)) return;
        m_percentEvents.fetch_add(1, std::memory_order_relaxed);
        Send(message, wParam, 0, {}, true);
        return;
    }
    std::string text;
    if (message == WM_CONVERTERERROR && m_converter != nullptr) {
        // Fetched now, on the posting thread: by the time the window reads it the worker
        // may already have replaced it with the error of a later record.
        try {
            m_converter->GetLastError(text);
        } catch (...) {
            text.clear();
        }
    }
    Send(message, wParam, lParam, std::move(text), false);
}

void CDialogMessageWnd::PostText(unsigned int message, std::string text) noexcept
{
    Send(message, 0, 0, std::move(text), false);
}

void CDialogMessageWnd::Send(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam, std::string text,
                             bool isPercent) noexcept
{
    QObject* target = m_target.data();
    if (target == nullptr) {
        if (isPercent) m_percentWaiting.store(false, std::memory_order_release);
        return;
    }
    try {
        auto* ev = new CPostedMessageEvent(message, wParam, lParam, std::move(text));
        ev->MarkQueued();
        RaisePeak(m_peakOutstanding, m_outstanding.fetch_add(1, std::memory_order_relaxed) + 1);
        if (isPercent) RaisePeak(m_peakPercentWaiting, m_percentOutstanding.fetch_add(1) + 1);
        m_events.fetch_add(1, std::memory_order_relaxed);
        QCoreApplication::postEvent(target, ev);  // takes ownership
    } catch (...) {
        // Out of memory: the message is lost, but the worker must not die of it.
        if (isPercent) m_percentWaiting.store(false, std::memory_order_release);
    }
}

int CDialogMessageWnd::TakePercent() noexcept
{
    m_percentOutstanding.fetch_sub(1, std::memory_order_relaxed);
    m_percentWaiting.store(false, std::memory_order_release);
    const int percent = m_latestPercent.load(std::memory_order_acquire);
    m_shownPercent.store(percent, std::memory_order_release);
    return percent;
}

CDialogMessageWnd::Counters CDialogMessageWnd::GetCounters() const noexcept
{
    return Counters{m_percentCalls.load(), m_percentEvents.load(), m_events.load(), m_peakOutstanding.load(),
                    m_peakPercentWaiting.load()};
}

void CDialogMessageWnd::ResetCounters() noexcept
{
    m_percentCalls = 0;
    m_percentEvents = 0;
    m_events = 0;
    m_peakOutstanding = m_outstanding.load();
    m_peakPercentWaiting = m_percentOutstanding.load();
}
