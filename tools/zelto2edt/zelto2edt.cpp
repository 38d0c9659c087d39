// zelto2edt: converts Zelto survey CSV exports into .EDT survey files from the
// command line, calling the converter in the same order as the dialog does.
#include "ZeltoQvxConverter.h"

#include <atomic>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: zelto2edt [--ellipsoid ROW|NAME] [--geodesy FILE.ini] [--log FILE] [--quiet] FILE...\n"
    "       zelto2edt --list-ellipsoids | --help\n"
    "\n"
    "Converts each Zelto CSV FILE into the .EDT survey file beside it (the input's\n"
    "name up to its last full stop, then \".EDT\"), one after another; a file that\n"
    "fails does not stop the others.\n"
    "\n"
    "  --ellipsoid ROW|NAME  ellipsoid of the built-in UTM: a row 1..23 or a name\n"
    "                        (letter case and surrounding blanks ignored); default 23, WGS-84\n"
    "  --geodesy FILE.ini    project positions with a project's geodesy definition file\n"
    "  --log FILE            append the names of created files to FILE (must exist)\n"
    "  --quiet               no progress bar\n"
    "  --list-ellipsoids     print the ellipsoid table and exit\n"
    "\n"
    "Prints \"NAME  CSV Records: N\" per file; errors go to standard error.\n"
    "Exit status: 0 all files converted without an error, 1 an error was reported, 2 usage.\n";

// Receives the converter's posted messages. Errors are collected and printed by
// the main loop; progress is drawn on a terminal at most a few times a second.
class ConsoleReceiver : public CConverterMessageWnd {
public:
    explicit ConsoleReceiver(bool showProgress) : showProgress_(showProgress) {}
    void Post(unsigned int message, std::uintptr_t, std::intptr_t lParam) noexcept override {
        if (message == WM_CONVERTERERROR) {
            errors_.fetch_add(1);
        } else if (message == WM_PERCENTDONE && showProgress_) {
            const int percent = static_cast<int>(lParam);
            if (percent != lastPercent_) {
                lastPercent_ = percent;
                char bar[64];
                const int filled = percent / 4;
                int n = std::snprintf(bar, sizeof bar, "\r[%-25.*s] %3d%%", filled,
                                      "#########################", percent);
                if (n > 0) (void)!::write(2, bar, static_cast<size_t>(n));
            }
        }
    }
    int TakeErrors() { return errors_.exchange(0); }
    void EndLine() {
        if (showProgress_ && lastPercent_ >= 0) (void)!::write(2, "\r\033[K", 4);
        lastPercent_ = -1;
    }

private:
    bool showProgress_;
    int lastPercent_ = -1;
    std::atomic<int> errors_{0};
};

std::string Trimmed(const char* s) {
    std::string t(s);
    size_t b = t.find_first_not_of(" \t"), e = t.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
}

bool SameText(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

long EllipsoidRow(const char* arg) {
    const std::string t = Trimmed(arg);
    long row = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), row);
    if (ec == std::errc() && p == t.data() + t.size()) return row >= 1 && row <= 23 ? row : -1;
    for (int i = 1; i < ZELTO_ELLIPSOID_ROWS; ++i)
        if (SameText(t, EllipsoidTable[i].Name)) return i;
    return -1;
}

std::string OutputPathFor(const std::string& in) {
    const size_t dot = in.rfind('.');
    return (dot == std::string::npos ? in : in.substr(0, dot)) + ".EDT";
}

}  // namespace

int main(int argc, char** argv) {
    long ellipsoid = 23;
    std::string geodesy, logFile;
    bool quiet = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zelto2edt: %s needs a value\n%s", name, kUsage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--list-ellipsoids") {
            for (int r = 1; r < ZELTO_ELLIPSOID_ROWS; ++r)
                std::printf("%2d  %-28s a = %.3f  e2 = %.10f\n", r, EllipsoidTable[r].Name,
                            EllipsoidTable[r].SemiMajorAxis, EllipsoidTable[r].EccentricitySquared);
            return 0;
        } else if (a == "--ellipsoid") {
            const char* v = value("--ellipsoid");
            ellipsoid = EllipsoidRow(v);
            if (ellipsoid < 0) {
                std::fprintf(stderr, "zelto2edt: unknown ellipsoid '%s' (see --list-ellipsoids)\n", v);
                return 2;
            }
        } else if (a == "--geodesy") {
            geodesy = value("--geodesy");
        } else if (a == "--log") {
            logFile = value("--log");
        } else if (a == "--quiet" || a == "-q") {
            quiet = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            std::fprintf(stderr, "zelto2edt: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    ConsoleReceiver receiver(!quiet && ::isatty(2));
    CZeltoQvxConverter converter;
    converter.put_EllipsoidToUse(ellipsoid);
    converter.put_AppMessageWnd(&receiver);
    converter.put_AppName("ZeltoQvxConverter");
    if (!logFile.empty()) converter.put_Logfile(logFile);
    std::string text;
    if (converter.put_BraMixStatePlaneIniFile(geodesy) != S_OK) {
        converter.GetLastError(text);
        std::fprintf(stderr, "zelto2edt: %s: %s\n", geodesy.c_str(), text.c_str());
        return 1;
    }
    receiver.TakeErrors();

    bool anyError = false;
    for (const std::string& file : files) {
        const std::string out = OutputPathFor(file);
        if (converter.ReadZeltoFile(file) == S_OK) converter.WriteQVXFile(out);
        receiver.EndLine();
        if (receiver.TakeErrors() > 0) {
            converter.GetLastError(text);
            std::fprintf(stderr, "zelto2edt: %s: %s\n", file.c_str(), text.c_str());
            anyError = true;
        }
        const size_t slash = out.find_last_of('/');
        std::printf("%s  CSV Records: %d\n", (slash == std::string::npos ? out : out.substr(slash + 1)).c_str(),
                    converter.get_CSVRecords());
        std::fflush(stdout);
    }
    return anyError ? 1 : 0;
}
