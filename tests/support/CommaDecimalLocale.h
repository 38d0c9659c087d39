// The German locale (a decimal comma) for the lifetime of an object: the
// numbers of survey files must read and print alike whatever the user's
// locale. The locale that was in force comes back when the object goes,
// also when a failed assertion ends the test early.
#ifndef VORTAN_TESTS_COMMADECIMALLOCALE_H
#define VORTAN_TESTS_COMMADECIMALLOCALE_H

#include <clocale>
#include <string>

class CommaDecimalLocale {
public:
    CommaDecimalLocale() {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved_ = old ? old : "C";
        active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~CommaDecimalLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    // Whether the locale is installed on this machine and now in force.
    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

#endif
