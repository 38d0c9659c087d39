// The library's debug log as a test sees it: every line written while a
// LogLines lives is kept in it, and the default sink is back once it goes.
#ifndef VORTAN_TESTS_LOGLINES_H
#define VORTAN_TESTS_LOGLINES_H

#include "DebugLog.h"

#include <algorithm>
#include <string>
#include <vector>

struct LogLines {
    LogLines() { SetDebugLogSink(&Sink, this); }
    ~LogLines() { SetDebugLogSink(nullptr, nullptr); }
    LogLines(const LogLines&) = delete;
    LogLines& operator=(const LogLines&) = delete;

    // Whether any line holds `part`.
    bool Has(const std::string& part) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }

    std::vector<std::string> lines;

private:
    static void Sink(const char* line, void* context) { static_cast<LogLines*>(context)->lines.emplace_back(line); }
};

#endif
