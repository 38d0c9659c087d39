#include "DebugLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <unistd.h>
#if defined(__linux__)
#  include <sys/syscall.h>
#endif

namespace {

unsigned long CurrentThreadId() {
#if defined(__linux__)
    return static_cast<unsigned long>(::syscall(SYS_gettid));
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

struct SinkSlot {
    DebugLogSink sink;
    void* context;
};

std::mutex g_sinkMutex;
SinkSlot g_sink{nullptr, nullptr};

// Where lines go when no sink is installed: nowhere, unless VORTAN_DEBUG asks.
void EnvironmentSink(const char* line) {
    static std::FILE* const target = [] () -> std::FILE* {
        const char* where = std::getenv("VORTAN_DEBUG");
        if (!where || !*where || std::strcmp(where, "0") == 0) return nullptr;
        if (std::strcmp(where, "stderr") == 0 || std::strcmp(where, "1") == 0) return stderr;
        return std::fopen(where, "a");
    }();
    if (!target) return;
    std::fputs(line, target);
    std::fflush(target);
}

}  // namespace

void SetDebugLogSink(DebugLogSink sink, void* context) {
    std::lock_guard<std::mutex> lock(g_sinkMutex);
    g_sink = SinkSlot{sink, context};
}

void DebugLog(const char* format, ...) {
    char buffer[kDebugLogBufferSize];
    int used = std::snprintf(buffer, sizeof buffer, "[%lx] ", CurrentThreadId());
    if (used < 0) return;
    std::size_t len = static_cast<std::size_t>(used);
    va_list args;
    va_start(args, format);
    // Leave room for the line feed and the terminator.
    if (len < sizeof buffer - 2) {
        int n = std::vsnprintf(buffer + len, sizeof buffer - 1 - len, format, args);
        if (n > 0) len += static_cast<std::size_t>(n);
        if (len > sizeof buffer - 2) len = sizeof buffer - 2;
    }
    va_end(args);
    buffer[len] = '\n';
    buffer[len + 1] = '\0';

    SinkSlot slot;
    {
        std::lock_guard<std::mutex> lock(g_sinkMutex);
        slot = g_sink;
    }
    if (slot.sink)
        slot.sink(buffer, slot.context);
    else
        EnvironmentSink(buffer);
}
