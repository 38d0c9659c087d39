// The library's debug log: the few lines VORTAN writes about itself.
//
// Each line is "[<thread id in lower-case hex>] " + the printf-style message +
// a line feed, composed in one 512-byte buffer (longer messages are cut to fit).
// Lines are dropped unless someone listens: the environment variable
// VORTAN_DEBUG set to "stderr" (or "1") sends them to standard error, any other
// value names a file they are appended to; tests install a sink of their own.
#ifndef VORTAN_DEBUGLOG_H
#define VORTAN_DEBUGLOG_H

#include <cstddef>

#if defined(__GNUC__)
#  define VORTAN_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#  define VORTAN_PRINTF(f, a)
#endif

constexpr std::size_t kDebugLogBufferSize = 512;

void DebugLog(const char* format, ...) VORTAN_PRINTF(1, 2);

// A sink receives each finished line (NUL-terminated, with its line feed).
// It must not block. Passing null restores the default (environment) sink.
using DebugLogSink = void (*)(const char* line, void* context);
void SetDebugLogSink(DebugLogSink sink, void* context);

#endif
