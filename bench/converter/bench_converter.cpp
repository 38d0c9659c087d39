// Records per second of one CZeltoQvxConverter converting generated Zelto survey
// exports (make_survey_csv.py: 40 columns, D M S positions, about 190 bytes a line)
// of 10,000, 100,000 and 1,000,000 records, with the built-in UTM and with the
// harbour project's geodesy (TME on Clarke 1866 with a WGS-84 shift). Each run
// reports the peak resident memory of the process after it: the sizes run from
// small to large, so a converter whose memory grew with the file would show it.
#include "ZeltoQvxConverter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Silent : public CConverterMessageWnd {
public:
    void Post(unsigned int message, std::uintptr_t, std::intptr_t lParam) noexcept override {
        if (message == WM_CONVERTERERROR) ++errors;
        last = lParam;
    }
    long errors = 0;
    std::intptr_t last = 0;
};

// The survey files live in one folder for the whole program; generated once a size.
const fs::path& WorkDir() {
    static const fs::path dir = [] {
        std::string templ = (fs::temp_directory_path() / "zelto-bench-XXXXXX").string();
        if (::mkdtemp(templ.data()) == nullptr) std::abort();
        return fs::path(templ);
    }();
    return dir;
}

std::string Survey(long records) {
    static std::map<long, std::string> made;
    auto it = made.find(records);
    if (it != made.end()) return it->second;
    const std::string path = (WorkDir() / ("survey" + std::to_string(records) + ".csv")).string();
    const std::string cmd = std::string("'") + ZELTO_PYTHON + "' '" + ZELTO_SURVEY_GENERATOR + "' " +
                            std::to_string(records) + " '" + path + "'";
    if (std::system(cmd.c_str()) != 0) return {};
    return made[records] = path;
}

double PeakMiB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void Convert(benchmark::State& state, bool project) {
    const long records = state.range(0);
    const std::string csv = Survey(records);
    if (csv.empty()) {
        state.SkipWithError("the survey generator failed (python3 missing?)");
        return;
    }
    Silent wnd;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&wnd);
    if (project && c.put_BraMixStatePlaneIniFile(ZELTO_HARBOUR_GEODESY) != S_OK) {
        state.SkipWithError("the harbour geodesy definition does not open");
        return;
    }
    for (auto _ : state) {
        if (c.ReadZeltoFile(csv) != S_OK || c.WriteQVXFile(csv) != S_OK || c.get_CSVRecords() != records) {
            state.SkipWithError("the conversion failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(csv)));
    state.counters["peak_MiB"] = PeakMiB();
}

void BM_ConvertUtm(benchmark::State& state) { Convert(state, false); }
void BM_ConvertProject(benchmark::State& state) { Convert(state, true); }

BENCHMARK(BM_ConvertUtm)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertProject)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(WorkDir(), ec);
    return 0;
}
