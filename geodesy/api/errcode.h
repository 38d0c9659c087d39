// errcode and errfacility: how every failure inside VORTAN travels.
//
// An errcode is returned or thrown by every internal operation that can fail.
// While it is "armed" it still has to be reported: if it reaches the end of its
// life armed (code != 0, severity >= 1) it is reported to its facility, which
// logs it (severity >= log threshold, 3) and throws a copy of it (severity >=
// throw threshold, 4). take() hands the code to the caller and disarms it.
// Copying is a move: the source is disarmed.
//
// Severities: 0 none, 1 notice (never logged or thrown), 4 error.
#ifndef VORTAN_ERRCODE_H
#define VORTAN_ERRCODE_H

#include <cstdint>

class errfacility;
errfacility& GlobalErrorFacility();

class errcode {
public:
    uint32_t code;          // 0 = success; the table in vortan.h
    int16_t severity;       // 0 none, 1 notice, 4 error
    uint8_t thrown;         // set once the facility has thrown this error
    uint8_t armed;          // set while the error still has to be reported
    errfacility* facility;  // who reports it; never null

    // Armed, not thrown; a null facility means the library's global one.
    explicit errcode(uint32_t c = 0, int16_t s = 0, errfacility* f = nullptr)
        : code(c), severity(s), thrown(0), armed(1), facility(f ? f : &GlobalErrorFacility()) {}

    // "Copy": the new object takes code, severity, facility and armed flag, the
    // source is disarmed; the copy of a thrown error is not armed.
    errcode(errcode& other) noexcept;
    errcode(errcode&& other) noexcept;

    // Reports this object first if it is still armed with severity >= 1, then
    // takes over the other's code, severity, facility and armed flag, clears its
    // own thrown flag and disarms the other. May throw (the report).
    errcode& operator=(errcode& other);
    errcode& operator=(errcode&& other);

    // Reports the error if it is still armed. While the stack is already
    // unwinding for another exception the report only logs, never throws.
    // Every call of the library ends the life of an errcode, nearly always
    // a success: that test is made here, the report out of line.
    ~errcode() noexcept(false) {
        if (armed && code != 0 && severity >= 1) reportAtEnd();
    }

    // Returns the code and disarms: nothing will be reported.
    uint32_t take() noexcept;

    bool ok() const noexcept { return code == 0; }

private:
    void reportAtEnd();
};

class errfacility {
public:
    explicit errfacility(const char* name = nullptr);
    virtual ~errfacility();
    errfacility(const errfacility&) = delete;
    errfacility& operator=(const errfacility&) = delete;

    // Logs when severity >= log threshold; then, when severity >= throw
    // threshold, sets e.thrown and throws a copy of e.
    virtual void report(errcode& e);
    // Writes "Log --- <name> <code>\n" to the debug log.
    virtual void log(errcode& e);

    const char* name() const noexcept { return name_; }

    char* name_;
    int16_t logThreshold = 3;
    int16_t throwThreshold = 4;
};

// Raises an error the way the facility does: logs it (severity >= 3) and throws
// a copy that is no longer armed, so the catcher does not report it again.
// Throwing a fresh armed errcode directly would be reported a second time when
// the caught object ends its life.
[[noreturn]] void RaiseError(uint32_t code, int16_t severity = 4);

// The library's one facility, named "Error".
errfacility& GlobalErrorFacility();

#endif
