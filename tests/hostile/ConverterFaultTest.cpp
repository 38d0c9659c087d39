// The converter when the world moves under it: the input cut short or deleted
// while it is read, cancel requests before, during and after a run, over-long
// paths, error texts read from another thread mid-run, and many converters on
// many threads. Whatever happens, the only file written is the one .EDT.
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

using kit::Convert;
using kit::Listing;
using kit::Outcome;
using kit::Recorder;
using kit::Survey;

namespace {

using Wired = kit::Wired<>;

// Converts `records` records of `name` in `dir`, asking to cancel at the
// `cancelAt`-th progress message.
Outcome ConvertCancellingAt(Wired& w, const TempDir& dir, const std::string& name, int records, int cancelAt) {
    int seen = 0;
    w.rec.onProgress = [&] {
        if (++seen == cancelAt) w.c.put_Cancel();
    };
    const Outcome r = Convert(w.c, dir.write(name, Survey(records)));
    w.rec.onProgress = nullptr;
    return r;
}

// The .EDT beside the input, read and checked line by line.
kit::EdtImage Edt(const TempDir& dir, const std::string& name) { return kit::ReadEdt(TempDir::read(dir.file(name))); }

std::size_t Size(int n) { return static_cast<std::size_t>(n); }

}  // namespace

TEST(ConverterFault, InputCutShortWhileConvertingEndsWithTheRecordsRead) {
    TempDir dir;
    const int total = 20000;
    const std::string csv = dir.write("cut.csv", Survey(total));
    const auto half = static_cast<off_t>(fs::file_size(csv) / 2);
    Wired w;
    bool cut = false;
    w.rec.onProgress = [&] {
        if (!cut) cut = ::truncate(csv.c_str(), half) == 0;
    };
    const Outcome r = Convert(w.c, csv);
    ASSERT_TRUE(cut);
    // A file that ends early is a shorter survey, not a failure.
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_GT(r.records, 0);
    EXPECT_LT(r.records, total);
    const kit::EdtImage e = Edt(dir, "cut.EDT");
    EXPECT_EQ(e.problem, "");
    EXPECT_EQ(e.header.size(), 21u);
    EXPECT_EQ(e.records.size(), Size(r.records));
    EXPECT_LE(w.rec.LastPercent(), 100);
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"cut.csv", "cut.EDT"}));
}

TEST(ConverterFault, InputDeletedWhileConvertingIsReadToItsEnd) {
    TempDir dir;
    const int total = 3000;
    const std::string csv = dir.write("del.csv", Survey(total));
    Wired w;
    bool removed = false;
    w.rec.onProgress = [&] {
        if (!removed) removed = ::unlink(csv.c_str()) == 0;
    };
    const Outcome r = Convert(w.c, csv);
    ASSERT_TRUE(removed);
    // The open file stays readable after its name is gone.
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.records, total);
    const kit::EdtImage e = Edt(dir, "del.EDT");
    EXPECT_EQ(e.problem, "");
    EXPECT_EQ(e.records.size(), Size(total));
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"del.EDT"}));
}

// The input checked by ReadZeltoFile, then deleted, replaced by a folder or cut to
// nothing before WriteQVXFile opens it: the run fails with the text of its step.
TEST(ConverterFault, InputDeletedReplacedOrEmptiedAfterTheCheck) {
    enum Change { Delete, Folder, Empty };
    for (Change change : {Delete, Folder, Empty}) {
        TempDir dir;
        Wired w;
        const std::string csv = dir.write("late.csv", Survey(2));
        ASSERT_EQ(w.c.ReadZeltoFile(csv), S_OK);
        if (change == Empty) {
            ASSERT_EQ(::truncate(csv.c_str(), 0), 0);
        } else {
            fs::remove(csv);
            if (change == Folder) fs::create_directory(csv);
        }
        EXPECT_EQ(w.c.WriteQVXFile(""), E_FAIL) << change;
        std::string text;
        w.c.GetLastError(text);
        const char* expected[] = {"Failed to open CSV file. %s: No such file or directory",
                                  "Failed to open CSV file. %s: Is a directory",
                                  "Failed to parse CSV file. %s: the file is empty"};
        std::string want = expected[change];
        want.replace(want.find("%s"), 2, csv);
        EXPECT_EQ(text, want) << change;
        EXPECT_EQ(w.c.get_CSVRecords(), 0);
        EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 1);
        EXPECT_FALSE(fs::exists(dir.file("late.EDT"))) << change;
        EXPECT_TRUE(kit::NoTemporaryLeft(dir)) << change;
    }
}

TEST(ConverterCancel, BeforeARunIsForgotten) {
    TempDir dir;
    Wired w;
    w.c.put_Cancel();
    EXPECT_EQ(Convert(w.c, dir.write("b.csv", Survey(50))).records, 50);
}

// A cancelled run keeps its header and records only where no .EDT of that name
// existed; an existing one is never replaced by the part. Either way: S_OK, the count,
// and no temporary left.
TEST(ConverterCancel, DuringARunStopsAfterTheCurrentRecord) {
    for (const bool existing : {false, true}) {
        TempDir dir;
        Wired w;
        if (existing) dir.write("d.EDT", "earlier");
        const Outcome r = ConvertCancellingAt(w, dir, "d.csv", 500, 10);
        EXPECT_EQ(r.result, S_OK);
        EXPECT_EQ(r.records, 10);
        EXPECT_TRUE(w.c.get_Cancelled());
        EXPECT_EQ(w.c.get_OutputKept(), !existing);
        if (existing) {
            EXPECT_EQ(TempDir::read(dir.file("d.EDT")), "earlier");
        } else {
            const kit::EdtImage e = Edt(dir, "d.EDT");
            EXPECT_EQ(e.problem, "");
            EXPECT_EQ(e.header.size(), 21u);
            EXPECT_EQ(e.records.size(), 10u);
        }
        EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 0);
        EXPECT_EQ(Listing(dir), (std::set<std::string>{"d.csv", "d.EDT"}));
    }
}

// A request on the last record keeps every record, and one made after a run
// does not reach the next.
TEST(ConverterCancel, OnTheLastRecordOrAfterARunLosesNothing) {
    TempDir dir;
    Wired w;
    EXPECT_EQ(ConvertCancellingAt(w, dir, "l.csv", 5, 5).records, 5);
    EXPECT_FALSE(w.c.get_Cancelled());  // nothing was left to stop: a complete conversion
    EXPECT_TRUE(w.c.get_OutputKept());
    w.c.put_Cancel();
    w.c.put_Cancel();
    const Outcome r = Convert(w.c, dir.write("a2.csv", Survey(30)));
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 30);
    EXPECT_EQ(Edt(dir, "a2.EDT").records.size(), 30u);
}

TEST(ConverterCancel, HammeredFromAnotherThreadNeverCorruptsTheFile) {
    TempDir dir;
    const std::string csv = dir.write("h.csv", Survey(5000));
    Wired w;
    std::atomic<bool> stop{false};
    std::atomic<bool> started{false};
    std::atomic<int> requests{0};
    bool waited = false;
    // At its first progress the worker waits (at most 10 s) until the canceller
    // has asked once, so the request falls inside a run of milliseconds.
    w.rec.onProgress = [&] {
        started = true;
        if (waited) return;
        waited = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (requests.load() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    };
    std::thread canceller([&] {
        while (!started.load() && !stop.load()) std::this_thread::yield();
        while (!stop.load()) {
            w.c.put_Cancel();
            ++requests;
            std::string text;
            w.c.GetLastError(text);  // the window reads the text while the worker runs
            std::this_thread::yield();
        }
    });
    const Outcome r = Convert(w.c, csv);
    stop = true;
    canceller.join();
    ASSERT_GT(requests.load(), 0);
    EXPECT_EQ(r.result, S_OK);
    EXPECT_LT(r.records, 5000);
    const kit::EdtImage e = Edt(dir, "h.EDT");
    EXPECT_EQ(e.problem, "");
    EXPECT_EQ(e.records.size(), Size(r.records));
}

TEST(ConverterThreads, ErrorTextReadWhileAnotherThreadFails) {
    // Only whole texts the converter sets are ever seen by the reading thread.
    TempDir dir;
    const std::string good = dir.write("g.csv", Survey(2));
    std::filesystem::create_directory(dir.file("x.EDT"));  // x.csv cannot get its output
    const std::string noOutput = dir.write("x.csv", Survey(2));
    Wired w;
    const std::set<std::string> known = {"", "Failed to open CSV file. " + dir.file("missing.csv") + ": No such file or directory",
                                         "Failed to open Bramix file. " + dir.file("x.EDT") + ": Is a directory"};
    std::atomic<bool> stop{false};
    std::atomic<int> unknown{0};
    std::thread reader([&] {
        while (!stop.load()) {
            std::string text;
            w.c.GetLastError(text);
            if (known.count(text) == 0) ++unknown;
        }
    });
    for (int i = 0; i < 200; ++i) {
        switch (i % 3) {
        case 0: w.c.ReadZeltoFile(dir.file("missing.csv")); break;
        case 1: w.c.ReadZeltoFile(noOutput); w.c.WriteQVXFile(""); break;
        default: w.c.ReadZeltoFile(good); w.c.WriteQVXFile(""); break;
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
            Wired w;
            long r = S_OK;
            for (int round = 0; round < 3 && r == S_OK; ++round) r = Convert(w.c, inputs[t]).result;
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
    Wired w;
    // 255 characters is the longest name a folder entry may have: converts.
    const std::string name255 = std::string(251, 'a') + ".csv";
    ASSERT_EQ(name255.size(), 255u);
    Outcome r = Convert(w.c, dir.write(name255, Survey(3)));
    EXPECT_EQ(r.result, S_OK) << r.error;
    EXPECT_EQ(r.records, 3);
    EXPECT_TRUE(fs::exists(dir.file(std::string(251, 'a') + ".EDT")));

    // An input whose .EDT name would be 256 characters: the output cannot be
    // created; reported, and nothing else is written.
    const std::string shortExt = std::string(253, 'b') + ".c";
    r = Convert(w.c, dir.write(shortExt, Survey(3)));
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_EQ(r.error, "Failed to open Bramix file. " + dir.file(std::string(253, 'b') + ".EDT") + ": File name too long");

    // A name of 256 characters cannot exist: the input does not open.
    r = Convert(w.c, dir.file(std::string(252, 'c') + ".csv"));
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_EQ(r.error, "Failed to open CSV file. " + dir.file(std::string(252, 'c') + ".csv") + ": File name too long");

    // A path of 4096 characters (and longer) is beyond what the system opens.
    std::string deep = dir.path().string();
    while (deep.size() < 4096 - 8) deep += "/" + std::string(std::min<size_t>(200, 4096 - 8 - deep.size()), 'd');
    deep.resize(4096 - 4);
    deep += ".csv";
    ASSERT_EQ(deep.size(), 4096u);
    r = Convert(w.c, deep);
    EXPECT_EQ(r.result, E_FAIL);
    r = Convert(w.c, deep + std::string(10000, 'e'));
    EXPECT_EQ(r.result, E_FAIL);
    EXPECT_TRUE(r.error.starts_with("Failed to open CSV file. " + dir.path().string())) << r.error.substr(0, 60);

    EXPECT_EQ(Listing(dir), (std::set<std::string>{name255, std::string(251, 'a') + ".EDT", shortExt}));
}

TEST(ConverterFaultDeathTest, UnreadableInputIsReportedAndNothingIsWritten) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child converts in this test's folder
    TempDir dir;
    const std::string csv = dir.write("locked.csv", Survey(3));
    // The folder may be entered and written by anyone; only the input is shut.
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(csv, fs::perms::none);
    EXPECT_EXIT((kit::BecomeOtherUser(), kit::ExitWhenConversionFails(csv, "Failed to open CSV file.")),
                testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"locked.csv"}));
}

namespace {

const char kHarbourDefinition[] =
    "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378206.4\nFlattening=294.9786982\nScaleFactor=0.9996\n"
    "CentralMeridian=-117\nFalseEasting=500000\nDeltaX=8\nDeltaY=-160\nDeltaZ=-176\n";

}  // namespace

TEST(ConverterDefinition, DefinitionReplacedByAFolderBeforeTheRunReportsEveryRecord) {
    // The definition passed its test and is a folder when the run needs it:
    // no handle opens, and each record says so ("Bad Bramix Geodesy." with the
    // record's line and the folder's reason). The records are still written,
    // without a position; the file stays well formed and is the only one written.
    TempDir dir;
    const std::string ini = dir.write("harbour.ini", kHarbourDefinition);
    Wired w;
    ASSERT_EQ(w.c.put_BraMixStatePlaneIniFile(ini), S_OK);
    fs::remove(ini);
    fs::create_directory(ini);
    const Outcome r = Convert(w.c, dir.write("s.csv", Survey(50)));
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.records, 50);
    EXPECT_TRUE(r.error.starts_with("Bad Bramix Geodesy. " + dir.file("s.csv") + " line 51: N 32")) << r.error;
    EXPECT_TRUE(r.error.ends_with(": " + ini + ": Is a directory")) << r.error;
    EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 50);
    const kit::EdtImage e = Edt(dir, "s.EDT");
    EXPECT_EQ(e.problem, "");
    EXPECT_EQ(e.records.size(), 50u);
    EXPECT_EQ(e.records[49].substr(0, 3), ",,,");
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
// killed child, not a stuck test).
[[noreturn]] void ConvertSpecialFile(const std::string& path) {
    ::alarm(10);
    kit::ExitWhenConversionFails(path, "Failed to open CSV file.");
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
    EXPECT_EXIT(ConvertSpecialFile(fifo), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(ConvertSpecialFile("/dev/zero"), testing::ExitedWithCode(0), "");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"pipe.csv"}));
}
