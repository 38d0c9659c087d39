// zelto2edt: converts Zelto survey CSV exports into .EDT survey files from the
// command line, calling the converter in the same order as the dialog does.
#include "ZeltoQvxConverter.h"
#include "ZeltoVersion.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: zelto2edt [--ellipsoid ROW|NAME] [--geodesy FILE.ini] [--log FILE] [--quiet] [-j N] FILE...\n"
    "       zelto2edt --list-ellipsoids | --version | --help\n"
    "\n"
    "Converts each Zelto CSV FILE into the .EDT survey file beside it (the input's\n"
    "file name up to its last full stop, then \".EDT\"), one after another; a file\n"
    "that fails does not stop the others and leaves an existing .EDT as it was. With -j N, N worker threads convert the files\n"
    "side by side; the .EDT files, the summary lines and their order, the messages\n"
    "and the exit status are the same as without it.\n"
    "\n"
    "  --ellipsoid ROW|NAME  ellipsoid of the built-in UTM: a row 1..23 or a name\n"
    "                        (letter case and surrounding blanks ignored); default 23, WGS-84\n"
    "  --geodesy FILE.ini    project positions with a project's geodesy definition file\n"
    "  --log FILE            the converter's log file (must exist): it notes files made\n"
    "                        by its low-level file service; a conversion itself notes none\n"
    "  --quiet               no progress bar\n"
    "  -j N, --jobs N        convert on N worker threads, N from 1 to 64 (default 1);\n"
    "                        files that write or read the same .EDT file stay in order\n"
    "  --list-ellipsoids     print the ellipsoid table and exit\n"
    "  --version             print the package and geodesy library versions\n"
    "\n"
    "Prints \"NAME  CSV Records: N\" per converted file (with \", K blank line(s) skipped\"\n"
    "when there were any); errors and warnings go to standard error.\n"
    "Exit status: 0 all files converted without an error, 1 an error was reported, 2 usage,\n"
    "130/143 interrupted by SIGINT/SIGTERM (the file in work is left as it was).\n";

// Receives the converter's posted messages. Errors are collected and printed by
// the main loop; progress is drawn on a terminal at most a few times a second.
// Error texts are fetched the moment each error is posted: a file may report several.
class ErrorList {
public:
    void Attach(const CZeltoQvxConverter* converter) { converter_ = converter; }
    void Add() noexcept {
        try {
            std::string text;
            if (converter_ != nullptr) converter_->GetLastError(text);
            std::lock_guard<std::mutex> hold(lock_);
            texts_.push_back(std::move(text));
        } catch (...) {
        }
    }
    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> hold(lock_);
        return std::exchange(texts_, {});
    }

private:
    const CZeltoQvxConverter* converter_ = nullptr;
    std::mutex lock_;
    std::vector<std::string> texts_;
};

class ConsoleReceiver : public CConverterMessageWnd {
public:
    explicit ConsoleReceiver(bool showProgress) : showProgress_(showProgress) {}
    void Post(unsigned int message, std::uintptr_t, std::intptr_t lParam) noexcept override {
        if (message == WM_CONVERTERERROR) {
            errors.Add();
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
    void EndLine() {
        if (showProgress_ && lastPercent_ >= 0) (void)!::write(2, "\r\033[K", 4);
        lastPercent_ = -1;
    }
    ErrorList errors;

private:
    bool showProgress_;
    int lastPercent_ = -1;
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


// Converter settings shared by every file of a run.
struct Settings {
    long ellipsoid = 23;
    std::string geodesy, logFile;
};

// Sets a converter up the way the dialog does. On failure the text names the
// geodesy file and the library's reason.
template <class Receiver>
bool SetUp(CZeltoQvxConverter& converter, Receiver& receiver, const Settings& s,
           std::string& text) {
    converter.put_EllipsoidToUse(s.ellipsoid);
    converter.put_AppMessageWnd(&receiver);
    receiver.errors.Attach(&converter);
    converter.put_AppName("ZeltoQvxConverter");
    if (!s.logFile.empty()) converter.put_Logfile(s.logFile);
    if (converter.put_BraMixStatePlaneIniFile(s.geodesy) != S_OK) {
        converter.GetLastError(text);
        return false;
    }
    return true;
}

// What one file's conversion leaves for its summary.
struct Outcome {
    bool ready = false;
    bool converted = false;  // the .EDT was written, with record errors or without
    std::vector<std::string> errors;
    std::string warning;
    int records = 0;
    int skipped = 0;
};

// Converts one file with a set-up converter.
template <class Receiver>
Outcome ConvertOne(CZeltoQvxConverter& converter, Receiver& receiver, const std::string& file) {
    Outcome o;
    o.converted = converter.ReadZeltoFile(file) == S_OK && converter.WriteQVXFile(EdtPathForInput(file)) == S_OK;
    receiver.EndLine();
    o.errors = receiver.errors.Take();
    if (o.converted) {
        o.records = converter.get_CSVRecords();
        o.skipped = converter.get_SkippedLines();
        converter.GetLastWarning(o.warning);
    }
    o.ready = true;
    return o;
}

// Errors and the warning on standard error, each after the input's name; the summary
// line only for a file that was converted.
void PrintOutcome(const std::string& file, const Outcome& o) {
    for (const std::string& e : o.errors) std::fprintf(stderr, "zelto2edt: %s: %s\n", file.c_str(), e.c_str());
    if (!o.warning.empty()) std::fprintf(stderr, "zelto2edt: %s: %s\n", file.c_str(), o.warning.c_str());
    std::fflush(stderr);
    if (!o.converted) return;
    const std::string out = EdtPathForInput(file);
    const size_t slash = out.find_last_of('/');
    std::printf("%s  CSV Records: %d", (slash == std::string::npos ? out : out.substr(slash + 1)).c_str(), o.records);
    if (o.skipped > 0) std::printf(", %d blank line(s) skipped", o.skipped);
    std::printf("\n");
    std::fflush(stdout);
}

bool Failed(const Outcome& o) { return !o.converted || !o.errors.empty(); }

int RunSerial(const std::vector<std::string>& files, const Settings& s, bool quiet) {
    ConsoleReceiver receiver(!quiet && ::isatty(2));
    CZeltoQvxConverter converter;
    std::string text;
    if (!SetUp(converter, receiver, s, text)) {
        std::fprintf(stderr, "zelto2edt: %s: %s\n", s.geodesy.c_str(), text.c_str());
        return 1;
    }
    receiver.errors.Take();
    bool anyError = false;
    for (const std::string& file : files) {
        const Outcome o = ConvertOne(converter, receiver, file);
        anyError = anyError || Failed(o);
        PrintOutcome(file, o);
    }
    return anyError ? 1 : 0;
}

// Receiver of one worker: counts errors and keeps the file's percentage for
// the main thread's bar; it never writes to the terminal itself.
class WorkerReceiver : public CConverterMessageWnd {
public:
    void Post(unsigned int message, std::uintptr_t, std::intptr_t lParam) noexcept override {
        if (message == WM_CONVERTERERROR)
            errors.Add();
        else if (message == WM_PERCENTDONE)
            percent.store(static_cast<int>(lParam), std::memory_order_relaxed);
    }
    void EndLine() { percent.store(0, std::memory_order_relaxed); }
    std::atomic<int> percent{0};
    ErrorList errors;
};

// A key for "the same file" between names given on the command line.
std::string PathKey(const std::string& p) {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(p, ec);
    if (ec) return p;
    return abs.lexically_normal().string();
}

// Splits the files into runs that may go side by side. Files whose CSV or
// .EDT names meet (the same file twice, a.csv and a.txt, one file's output
// read as another's input) share a run and are converted in input order, so
// the files on disk end as a serial conversion leaves them.
std::vector<std::vector<size_t>> OrderedGroups(const std::vector<std::string>& files) {
    std::vector<size_t> parent(files.size());
    std::iota(parent.begin(), parent.end(), size_t{0});
    auto root = [&](size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    std::map<std::string, size_t> seen;
    for (size_t i = 0; i < files.size(); ++i) {
        for (const std::string& key : {PathKey(files[i]), PathKey(EdtPathForInput(files[i]))}) {
            auto [it, fresh] = seen.emplace(key, i);
            if (!fresh) {
                const size_t a = root(i), b = root(it->second);
                parent[std::max(a, b)] = std::min(a, b);
            }
        }
    }
    std::vector<std::vector<size_t>> groups;
    std::map<size_t, size_t> groupOfRoot;
    for (size_t i = 0; i < files.size(); ++i) {
        auto [it, fresh] = groupOfRoot.emplace(root(i), groups.size());
        if (fresh) groups.emplace_back();
        groups[it->second].push_back(i);
    }
    return groups;
}

int RunParallel(const std::vector<std::string>& files, const Settings& s, bool quiet, size_t jobs) {
    const std::vector<std::vector<size_t>> groups = OrderedGroups(files);
    jobs = std::min(jobs, groups.size());

    struct Worker {
        WorkerReceiver receiver;
        CZeltoQvxConverter converter;
    };
    std::vector<std::unique_ptr<Worker>> workers;
    for (size_t w = 0; w < jobs; ++w) {
        workers.push_back(std::make_unique<Worker>());
        std::string text;
        if (!SetUp(workers.back()->converter, workers.back()->receiver, s, text)) {
            std::fprintf(stderr, "zelto2edt: %s: %s\n", s.geodesy.c_str(), text.c_str());
            return 1;
        }
        workers.back()->receiver.errors.Take();
    }

    std::mutex lock;
    std::condition_variable changed;
    std::vector<Outcome> outcomes(files.size());
    std::atomic<size_t> nextGroup{0};
    std::atomic<size_t> filesDone{0};
    std::vector<std::thread> threads;
    // SIGINT and SIGTERM go to the main thread, which lives to the end of the run; the
    // workers start with them blocked (a thread inherits the mask of its creator).
    sigset_t interrupts, before;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &interrupts, &before);
    for (size_t w = 0; w < jobs; ++w) {
        threads.emplace_back([&, worker = workers[w].get()] {
            for (size_t g; (g = nextGroup.fetch_add(1)) < groups.size();) {
                for (size_t i : groups[g]) {
                    Outcome o = ConvertOne(worker->converter, worker->receiver, files[i]);
                    {
                        std::lock_guard<std::mutex> hold(lock);
                        outcomes[i] = std::move(o);
                    }
                    filesDone.fetch_add(1);
                    changed.notify_one();
                }
            }
        });
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);

    // Summaries leave in input order as soon as every earlier file is done.
    const bool bar = !quiet && ::isatty(2);
    int lastPercent = -1;
    auto draw = [&] {
        if (!bar) return;
        long sum = static_cast<long>(filesDone.load()) * 100;
        for (const auto& w : workers) sum += w->receiver.percent.load(std::memory_order_relaxed);
        const int percent = static_cast<int>(std::min<long>(100, sum / static_cast<long>(files.size())));
        if (percent == lastPercent) return;
        lastPercent = percent;
        char line[64];
        const int n = std::snprintf(line, sizeof line, "\r[%-25.*s] %3d%%", percent / 4,
                                    "#########################", percent);
        if (n > 0) (void)!::write(2, line, static_cast<size_t>(n));
    };
    auto clear = [&] {
        if (bar && lastPercent >= 0) (void)!::write(2, "\r\033[K", 4);
        lastPercent = -1;
    };
    bool anyError = false;
    size_t printed = 0;
    while (printed < files.size()) {
        std::vector<std::pair<size_t, Outcome>> ready;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait_for(hold, std::chrono::milliseconds(200), [&] { return outcomes[printed].ready; });
            while (printed < files.size() && outcomes[printed].ready) {
                ready.emplace_back(printed, std::move(outcomes[printed]));
                ++printed;
            }
        }
        if (!ready.empty()) clear();
        for (const auto& [i, o] : ready) {
            anyError = anyError || Failed(o);
            PrintOutcome(files[i], o);
        }
        if (printed < files.size()) draw();
    }
    clear();
    for (std::thread& t : threads) t.join();
    return anyError ? 1 : 0;
}

// SIGINT and SIGTERM: the temporaries of the files in work are removed, so that every
// existing .EDT stays as it was, and the program ends with 128 plus the signal's number.
extern "C" void OnInterrupt(int sig) {
    RemovePartialEdtFiles();
    _exit(128 + sig);
}

void InstallInterruptHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Worker count of -j: 1 to 64, anything else is a usage error.
long JobCount(const char* arg) {
    const std::string t = Trimmed(arg);
    long n = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (ec != std::errc() || p != t.data() + t.size() || t.empty() || n < 1 || n > 64) return -1;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    bool quiet = false;
    long jobs = 1;
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
        } else if (a == "--version") {
            std::fputs(ZeltoVersionText("zelto2edt").c_str(), stdout);
            return 0;
        } else if (a == "--list-ellipsoids") {
            for (int r = 1; r < ZELTO_ELLIPSOID_ROWS; ++r)
                std::printf("%2d  %-28s a = %.3f  e2 = %.10f\n", r, EllipsoidTable[r].Name,
                            EllipsoidTable[r].SemiMajorAxis, EllipsoidTable[r].EccentricitySquared);
            return 0;
        } else if (a == "--ellipsoid") {
            const char* v = value("--ellipsoid");
            settings.ellipsoid = EllipsoidRow(v);
            if (settings.ellipsoid < 0) {
                std::fprintf(stderr, "zelto2edt: unknown ellipsoid '%s' (see --list-ellipsoids)\n", v);
                return 2;
            }
        } else if (a == "--geodesy") {
            settings.geodesy = value("--geodesy");
        } else if (a == "--log") {
            settings.logFile = value("--log");
        } else if (a == "--quiet" || a == "-q") {
            quiet = true;
        } else if (a == "-j" || a == "--jobs" || (a.size() > 2 && a.compare(0, 2, "-j") == 0)) {
            const char* v = a.size() > 2 && a[1] == 'j' ? argv[i] + 2 : value(a.c_str());
            jobs = JobCount(v);
            if (jobs < 0) {
                std::fprintf(stderr, "zelto2edt: -j needs a number of workers from 1 to 64, not '%s'\n", v);
                return 2;
            }
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
    InstallInterruptHandlers();
    if (jobs <= 1 || files.size() == 1) return RunSerial(files, settings, quiet);
    return RunParallel(files, settings, quiet, static_cast<size_t>(jobs));
}
