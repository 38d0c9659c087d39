#include "errcode.h"

#include "DebugLog.h"

#include <cstring>
#include <exception>

errcode::errcode(errcode& other) noexcept
    : code(other.code), severity(other.severity), thrown(0),
      armed(other.thrown ? uint8_t(0) : other.armed), facility(other.facility) {
    other.armed = 0;
}

errcode::errcode(errcode&& other) noexcept : errcode(static_cast<errcode&>(other)) {}

errcode& errcode::operator=(errcode& other) {
    if (this == &other) return *this;
    if (armed && severity >= 1) {
        // Report the error this object still holds before it is overwritten.
        armed = 0;
        errcode pending(code, severity, facility);
        pending.facility->report(pending);
    }
    code = other.code;
    severity = other.severity;
    facility = other.facility;
    armed = other.armed;
    thrown = 0;
    other.armed = 0;
    return *this;
}

errcode& errcode::operator=(errcode&& other) { return *this = static_cast<errcode&>(other); }

void errcode::reportAtEnd() {
    if (std::uncaught_exceptions() > 0) {
        // Throwing now would end the process; the error is still logged.
        armed = 0;
        if (severity >= facility->logThreshold) facility->log(*this);
        return;
    }
    armed = 0;
    facility->report(*this);
}

uint32_t errcode::take() noexcept {
    armed = 0;
    return code;
}

errfacility::errfacility(const char* name) {
    const char* n = name ? name : "Error";
    const size_t len = std::strlen(n);
    name_ = new char[len + 1];
    std::memcpy(name_, n, len + 1);
}

errfacility::~errfacility() { delete[] name_; }

void errfacility::report(errcode& e) {
    if (e.severity >= logThreshold) log(e);
    if (e.severity >= throwThreshold) {
        e.thrown = 1;
        throw errcode(e);
    }
}

void errfacility::log(errcode& e) { DebugLog("Log --- %s %d\n", name_, static_cast<int>(e.code)); }

errfacility& GlobalErrorFacility() {
    static errfacility facility("Error");
    return facility;
}

void RaiseError(uint32_t code, int16_t severity) {
    errcode e(code, severity);
    e.armed = 0;
    e.facility->report(e);
    // A facility whose thresholds do not throw at this severity: throw anyway,
    // disarmed, since the caller cannot go on.
    e.thrown = 1;
    throw errcode(e);
}
