// The converter when the world moves under it: the input cut short or deleted
// while it is read, cancel requests before, during and after a run, over-long
// paths, error texts read from another thread mid-run, and many converters on
// many threads. Whatever happens, the only file written is the one .EDT.
#include "TempDir.h"
#include "ZeltoQvxConverter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Records what the converter posts and runs a hook on each progress message
// (on the converting thread, as the dialog's window procedure would not).
class Recorder : public CConverterMessageWnd {
public:
    void Post(unsigned int message, std::uintptr_t wParam, std::intptr_t lParam) noexcept override {
        {
            std::lock_guard<std::mutex> lock(m_);
            messages_.push_back({message, wParam, lParam});
        }
        if (message == WM_PERCENTDONE && onProgress) onProgress();
    }
    int Count(unsigned int id) {
        std::lock_guard<std::mutex> lock(m_);
        int n = 0;
        for (const auto& msg : messages_) n += msg.id == id;
        return n;
    }
    std::intptr_t LastPercent() {
        std::lock_guard<std::mutex> lock(m_);
        for (auto it = messages_.rbegin(); it != messages_.rend(); ++it)
            if (it->id == WM_PERCENTDONE) return it->l;
        return -1;
    }
    std::function<void()> onProgress;

private:
    struct Msg { unsigned int id; std::uintptr_t w; std::intptr_t l; };
    std::mutex m_;
    std::vector<Msg> messages_;
};

const char kRecord[] =
    ",,12.30,12.80,,,,,,,,,,,,1.5,,,,,,,,,,,,,,,,N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3,"
    "W 117\xC2\xB0" "12\xE2\x80\xB2" "00.00\xE2\x80\xB3,,09/13/2011,16:58:03.25,7,,3.25,";

std::string Survey(int records) {
    std::string s = "titles\r\n";
    s.reserve(s.size() + static_cast<size_t>(records) * (sizeof kRecord + 2));
    for (int i = 0; i < records; ++i) s += std::string(kRecord) + "\r\n";
    return s;
}

// Header lines and record lines of an .EDT file, with a check that every line
// is whole (ends CR LF) and every record has its 38 commas and a checksum.
struct Edt {
    int headerLines = 0;
    int records = 0;
    bool wellFormed = true;
};

Edt ReadEdt(const std::string& bytes) {
    Edt e;
    size_t pos = 0;
    int line = 0;
    while (pos < bytes.size()) {
        const size_t nl = bytes.find('\n', pos);
        if (nl == std::string::npos || nl == pos || bytes[nl - 1] != '\r') { e.wellFormed = false; break; }
        const std::string text = bytes.substr(pos, nl - pos - 1);
        if (line < 21) {
            ++e.headerLines;
        } else {
            size_t commas = 0;
            for (char ch : text) commas += ch == ',';
            const size_t last = text.rfind(',');
            if (commas != 38 || last + 1 >= text.size()) e.wellFormed = false;
            ++e.records;
        }
        ++line;
        pos = nl + 1;
    }
    return e;
}

std::set<std::string> Listing(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
    return names;
}

struct Outcome {
    long result = 0;
    int records = 0;
    std::string error;
};

Outcome Convert(CZeltoQvxConverter& c, const std::string& csv) {
    Outcome r;
    r.result = c.ReadZeltoFile(csv);
    if (r.result == S_OK) r.result = c.WriteQVXFile("");
    r.records = c.get_CSVRecords();
    c.GetLastError(r.error);
    return r;
}

}  // namespace

TEST(ConverterFault, InputCutShortWhileConvertingEndsWithTheRecordsRead) {
    TempDir dir;
    const int total = 20000;
    const std::string csv = dir.write("cut.csv", Survey(total));
    const auto half = static_cast<off_t>(fs::file_size(csv) / 2);
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    bool cut = false;
    rec.onProgress = [&] {
        if (!cut) cut = ::truncate(csv.c_str(), half) == 0;
    };
    const Outcome r = Convert(c, csv);
    ASSERT_TRUE(cut);
    // A file that ends early is a shorter survey, not a failure: whatever
    // was read is converted and the .EDT holds exactly those records.
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_GT(r.records, 0);
    EXPECT_LT(r.records, total);
    const Edt e = ReadEdt(TempDir::read(dir.file("cut.EDT")));
    EXPECT_EQ(e.headerLines, 21);
    EXPECT_EQ(e.records, r.records);
    EXPECT_LE(rec.LastPercent(), 100);
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"cut.csv", "cut.EDT"}));
}

TEST(ConverterFault, InputCutToNothingAfterTheCheckGivesAnEmptyOrFailedRun) {
    TempDir dir;
    const std::string csv = dir.write("gone.csv", Survey(3));
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.ReadZeltoFile(csv), S_OK);
    ASSERT_EQ(::truncate(csv.c_str(), 0), 0);  // between the test-open and the run
    EXPECT_EQ(c.WriteQVXFile(""), E_FAIL);
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Failed to parse CSV file.");
    EXPECT_EQ(c.get_CSVRecords(), 0);
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 1);
}

TEST(ConverterFault, InputDeletedWhileConvertingIsReadToItsEnd) {
    TempDir dir;
    const int total = 3000;
    const std::string csv = dir.write("del.csv", Survey(total));
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    bool removed = false;
    rec.onProgress = [&] {
        if (!removed) removed = ::unlink(csv.c_str()) == 0;
    };
    const Outcome r = Convert(c, csv);
    ASSERT_TRUE(removed);
    // The open file stays readable after its name is gone.
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.records, total);
    EXPECT_EQ(ReadEdt(TempDir::read(dir.file("del.EDT"))).records, total);
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"del.EDT"}));
}

TEST(ConverterFault, InputDeletedBetweenCheckAndRunIsReported) {
    TempDir dir;
    const std::string csv = dir.write("late.csv", Survey(2));
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.ReadZeltoFile(csv), S_OK);
    fs::remove(csv);
    EXPECT_EQ(c.WriteQVXFile(""), E_FAIL);
    std::string text;
    c.GetLastError(text);
    EXPECT_EQ(text, "Failed to open CSV file.");
    EXPECT_TRUE(Listing(dir).empty());  // no .EDT for an input that is gone
}

TEST(ConverterFault, InputReplacedByAFolderAfterTheCheck) {
    TempDir dir;
    const std::string csv = dir.write("swap.csv", Survey(2));
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.ReadZeltoFile(csv), S_OK);
    fs::remove(csv);
    fs::create_directory(csv);
    EXPECT_EQ(c.WriteQVXFile(""), E_FAIL);
    EXPECT_EQ(c.get_CSVRecords(), 0);
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 1);
}

TEST(ConverterCancel, BeforeARunIsForgotten) {
    TempDir dir;
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    c.put_Cancel();
    const Outcome r = Convert(c, dir.write("b.csv", Survey(50)));
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 50);
}

TEST(ConverterCancel, DuringARunStopsAfterTheCurrentRecord) {
    TempDir dir;
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    int seen = 0;
    rec.onProgress = [&] {
        if (++seen == 10) c.put_Cancel();
    };
    const Outcome r = Convert(c, dir.write("d.csv", Survey(500)));
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 10);
    const Edt e = ReadEdt(TempDir::read(dir.file("d.EDT")));
    EXPECT_TRUE(e.wellFormed);
    EXPECT_EQ(e.headerLines, 21);
    EXPECT_EQ(e.records, 10);
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 0);
}

TEST(ConverterCancel, OnTheLastRecordKeepsEveryRecord) {
    TempDir dir;
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    int seen = 0;
    rec.onProgress = [&] {
        if (++seen == 5) c.put_Cancel();
    };
    const Outcome r = Convert(c, dir.write("l.csv", Survey(5)));
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 5);
}

TEST(ConverterCancel, AfterARunDoesNotReachTheNext) {
    TempDir dir;
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(Convert(c, dir.write("a1.csv", Survey(20))).records, 20);
    c.put_Cancel();
    c.put_Cancel();
    const Outcome r = Convert(c, dir.write("a2.csv", Survey(30)));
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 30);
    EXPECT_EQ(ReadEdt(TempDir::read(dir.file("a2.EDT"))).records, 30);
}

TEST(ConverterCancel, HammeredFromAnotherThreadNeverCorruptsTheFile) {
    TempDir dir;
    const std::string csv = dir.write("h.csv", Survey(5000));
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    std::atomic<bool> stop{false};
    std::atomic<bool> started{false};
    std::atomic<int> requests{0};
    bool waited = false;
    // A whole 5000-record run takes milliseconds: at its first progress the
    // worker waits (at most 10 s, so a stuck canceller fails instead of hanging)
    // until the canceller has asked once, so the request always falls inside
    // the run; the canceller goes on asking while the worker goes on.
    rec.onProgress = [&] {
        started = true;
        if (waited) return;
        waited = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (requests.load() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    };
    std::thread canceller([&] {
        while (!started.load() && !stop.load()) std::this_thread::yield();
        while (!stop.load()) {
            c.put_Cancel();
            ++requests;
            std::string text;
            c.GetLastError(text);  // the window reads the text while the worker runs
            std::this_thread::yield();
        }
    });
    const Outcome r = Convert(c, csv);
    stop = true;
    canceller.join();
    ASSERT_GT(requests.load(), 0);
    EXPECT_EQ(r.result, S_OK);
    EXPECT_LT(r.records, 5000);
    const Edt e = ReadEdt(TempDir::read(dir.file("h.EDT")));
    EXPECT_TRUE(e.wellFormed);
    EXPECT_EQ(e.records, r.records);
}

TEST(ConverterThreads, ErrorTextReadWhileAnotherThreadFails) {
    // One converter, its worker failing again and again with different texts
    // while another thread reads the text: the reader only ever sees whole
    // texts that the converter sets.
    TempDir dir;
    const std::string good = dir.write("g.csv", Survey(2));
    std::filesystem::create_directory(dir.file("x.EDT"));  // x.csv cannot get its output
    const std::string noOutput = dir.write("x.csv", Survey(2));
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    const std::set<std::string> known = {"", "Failed to open CSV file.", "Failed to open Bramix file."};
    std::atomic<bool> stop{false};
    std::atomic<int> unknown{0};
    std::thread reader([&] {
        while (!stop.load()) {
            std::string text;
            c.GetLastError(text);
            if (known.count(text) == 0) ++unknown;
        }
    });
    for (int i = 0; i < 200; ++i) {
        switch (i % 3) {
        case 0: c.ReadZeltoFile(dir.file("missing.csv")); break;
        case 1: c.ReadZeltoFile(noOutput); c.WriteQVXFile(""); break;
        default: c.ReadZeltoFile(good); c.WriteQVXFile(""); break;
        }
    }
    stop = true;
    reader.join();
    EXPECT_EQ(unknown.load(), 0);
}

TEST(ConverterThreads, ManyConvertersOnManyThreadsGiveIdenticalFiles) {
    TempDir dir;
    constexpr int kThreads = 6;
    const std::string one = dir.write("ref.csv", Survey(300));
    {
        CZeltoQvxConverter c;
        ASSERT_EQ(Convert(c, one).result, S_OK);
    }
    const std::string expected = TempDir::read(dir.file("ref.EDT"));
    std::vector<std::string> inputs;
    for (int t = 0; t < kThreads; ++t) inputs.push_back(dir.write("t" + std::to_string(t) + ".csv", Survey(300)));
    std::vector<long> results(kThreads, E_FAIL);
    std::vector<std::thread> pool;
    for (int t = 0; t < kThreads; ++t) {
        pool.emplace_back([&, t] {
            CZeltoQvxConverter c;
            Recorder rec;
            c.put_AppMessageWnd(&rec);
            long r = S_OK;
            for (int round = 0; round < 3 && r == S_OK; ++round) r = Convert(c, inputs[t]).result;
            results[t] = r;
        });
    }
    for (auto& th : pool) th.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(results[t], S_OK) << t;
        EXPECT_EQ(TempDir::read(dir.file("t" + std::to_string(t) + ".EDT")), expected) << t;
    }
}

TEST(ConverterPaths, NamesOf255And256CharactersAndPathsOf4096) {
    TempDir dir;
    CZeltoQvxConverter c;
    Recorder rec;
    c.put_AppMessageWnd(&rec);
    // 255 characters is the longest name a folder entry may have: converts.
    const std::string name255 = std::string(251, 'a') + ".csv";
    ASSERT_EQ(name255.size(), 255u);
    Outcome r = Convert(c, dir.write(name255, Survey(3)));
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.records, 3);
    EXPECT_TRUE(fs::exists(dir.file(std::string(251, 'a') + ".EDT")));

    // An input whose .EDT name would be 256 characters: the output cannot be
    // created; reported, and nothing else is written.
    const std::string shortExt = std::string(253, 'b') + ".c";
    r = Convert(c, dir.write(shortExt, Survey(3)));
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_EQ(r.error, "Failed to open Bramix file.");

    // A name of 256 characters cannot exist: the input does not open.
    r = Convert(c, dir.file(std::string(252, 'c') + ".csv"));
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_EQ(r.error, "Failed to open CSV file.");

    // A path of 4096 characters (and longer) is beyond what the system opens.
    std::string deep = dir.path().string();
    while (deep.size() < 4096 - 8) deep += "/" + std::string(std::min<size_t>(200, 4096 - 8 - deep.size()), 'd');
    deep.resize(4096 - 4);
    deep += ".csv";
    ASSERT_EQ(deep.size(), 4096u);
    r = Convert(c, deep);
    EXPECT_EQ(r.result, E_FAIL);
    r = Convert(c, deep + std::string(10000, 'e'));
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_EQ(r.error, "Failed to open CSV file.");

    EXPECT_EQ(Listing(dir), (std::set<std::string>{name255, std::string(251, 'a') + ".EDT", shortExt}));
}

namespace {

// In a child: converts csv as another user (nobody when the test runs as
// root, who could read any file) and exits 0 when the input was refused with
// the open text, one error message and no output.
[[noreturn]] void ConvertUnreadable(const std::string& csv, const std::string& edt) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    const long read = c.ReadZeltoFile(csv);
    const long write = read == S_OK ? c.WriteQVXFile("") : E_FAIL;
    std::string text;
    c.GetLastError(text);
    if (read != E_FAIL || write != E_FAIL) _exit(11);
    if (text != "Failed to open CSV file.") _exit(12);
    if (rec.Count(WM_CONVERTERERROR) != 1) _exit(13);
    _exit(fs::exists(edt) ? 14 : 0);
}

}  // namespace

TEST(ConverterFaultDeathTest, UnreadableInputIsReportedAndNothingIsWritten) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child converts in this test's folder
    TempDir dir;
    const std::string csv = dir.write("locked.csv", Survey(3));
    // The folder may be entered and written by anyone; only the input is shut.
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(csv, fs::perms::none);
    EXPECT_EXIT(ConvertUnreadable(csv, dir.file("locked.EDT")), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"locked.csv"}));
}

namespace {

const char kHarbourDefinition[] =
    "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\nScaleFactor=0.9996\n"
    "CentralMeridian=-117\nFalseEasting=500000\nDeltaX=8\nDeltaY=-160\nDeltaZ=-176\n";

}  // namespace

TEST(ConverterDefinition, FolderOrJunkIsRefusedWithTheOpenTextAndThePreviousKept) {
    TempDir dir;
    const std::string good = dir.write("harbour.ini", kHarbourDefinition);
    fs::create_directory(dir.file("folder.ini"));
    std::string junk;
    for (int i = 0; i < 3000; ++i) junk.push_back(static_cast<char>((i * 151 + 3) & 0xff));
    const std::string bad = dir.write("junk.ini", junk);
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(good), S_OK);
    for (const std::string& path : {dir.file("folder.ini"), bad}) {
        EXPECT_EQ(c.put_BraMixStatePlaneIniFile(path), E_FAIL) << path;
        std::string text;
        c.GetLastError(text);
        EXPECT_EQ(text.rfind("Trying to open file:" + path + "\n", 0), 0u) << text;
    }
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 2);
    // The refused files changed nothing: the run converts with the harbour
    // definition, and projected eastings are near the zone's 500 km.
    const Outcome r = Convert(c, dir.write("s.csv", Survey(4)));
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.records, 4);
    EXPECT_TRUE(fs::is_directory(dir.file("folder.ini")));
    EXPECT_EQ(TempDir::read(bad), junk);
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"harbour.ini", "folder.ini", "junk.ini", "s.csv", "s.EDT"}));
}

TEST(ConverterDefinition, DefinitionReplacedByAFolderBeforeTheRunReportsEveryRecord) {
    // The definition passed its test and is a folder when the run needs it:
    // no handle opens, and each record says so ("Bad Bramix Geodesy.", the
    // first record twice, as its line is read twice). The records are still
    // written, as for any failed position; the file stays well formed and is
    // the only one written.
    TempDir dir;
    const std::string ini = dir.write("harbour.ini", kHarbourDefinition);
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    ASSERT_EQ(c.put_BraMixStatePlaneIniFile(ini), S_OK);
    fs::remove(ini);
    fs::create_directory(ini);
    const Outcome r = Convert(c, dir.write("s.csv", Survey(50)));
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 50);
    EXPECT_EQ(r.error, "Bad Bramix Geodesy.");
    EXPECT_EQ(rec.Count(WM_CONVERTERERROR), 51);
    const Edt e = ReadEdt(TempDir::read(dir.file("s.EDT")));
    EXPECT_TRUE(e.wellFormed);
    EXPECT_EQ(e.records, 50);
    EXPECT_TRUE(fs::is_directory(ini));
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"harbour.ini", "s.csv", "s.EDT"}));
}

// Found by fuzzing the line parser: a longitude field such as "28E111" reads
// as a finite number of degrees far beyond a turn. Any finite longitude must
// land in one of the 60 zones and give a position of that zone (a wrap by a
// truncated quotient left up to 1e18 degrees for longitudes near 1e34, and the
// zone number overflowed an int).
TEST(ConverterNumbers, HugeLongitudesAreWrappedIntoAZoneWithoutOverflow) {
    for (double lon : {2.8e111, -2.8e111, 1e17, 7.7061394755919615e24, 1.4727549019310312e28,
                       -1.5269873238074154e34, 1e300, 1.7976931348623157e308, -1.7976931348623157e308}) {
        double n = 0, e = 0;
        LatLonToUTM(1, 32.7, lon, n, e);
        EXPECT_TRUE(std::isfinite(n) && std::isfinite(e)) << lon;
        EXPECT_GT(e, 0.0) << lon;
        EXPECT_LT(e, 1000000.0) << lon;
        EXPECT_GT(n, 3000000.0) << lon;
        EXPECT_LT(n, 4000000.0) << lon;
    }
}

namespace {

// In a child with a 10 s alarm (a blocked open or an endless read ends as a
// killed child, not a stuck test): exits 0 when the input is refused with the
// open text and nothing is written.
[[noreturn]] void ConvertSpecialFile(const std::string& path, const std::string& edt) {
    ::alarm(10);
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    const long read = c.ReadZeltoFile(path);
    const long write = read == S_OK ? c.WriteQVXFile("") : E_FAIL;
    std::string text;
    c.GetLastError(text);
    if (read != E_FAIL || write != E_FAIL) _exit(11);
    if (text != "Failed to open CSV file.") _exit(12);
    _exit(!edt.empty() && fs::exists(edt) ? 14 : 0);
}

}  // namespace

// A survey export is a regular file. A FIFO blocks the open until some other
// program writes to it, and a device such as /dev/zero never ends (one line
// growing until memory runs out): both are refused as unopenable input.
TEST(ConverterFaultDeathTest, InputThatIsAFifoOrADeviceIsRefused) {
    GTEST_FLAG_SET(death_test_style, "fast");
    TempDir dir;
    const std::string fifo = dir.file("pipe.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EXIT(ConvertSpecialFile(fifo, dir.file("pipe.EDT")), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(ConvertSpecialFile("/dev/zero", ""), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"pipe.csv"}));
}
