// Cancellation and threads: a request before, during, on the last record of and
// after a run; requests hammered from another thread; the error text read while
// another thread fails; many converters on many threads giving identical files.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

kit::Outcome ConvertCancellingAt(kit::Wired<>& w, const TempDir& dir, const std::string& name, int records, int at) {
    int seen = 0;
    w.rec.onProgress = [&] {
        if (++seen == at) w.c.put_Cancel();
    };
    const kit::Outcome r = kit::Convert(w.c, dir.write(name, kit::Survey(records)));
    w.rec.onProgress = nullptr;
    return r;
}

}  // namespace

// A cancelled run keeps its part only where no .EDT of that name existed.
TEST(ConverterCancel, BeforeDuringAndAfterARun) {
    for (const bool existing : {false, true}) {
        TempDir dir;
        kit::Wired<> w;
        w.c.put_Cancel();  // before the run: forgotten by it
        if (existing) dir.write("d.EDT", "earlier");
        const kit::Outcome r = ConvertCancellingAt(w, dir, "d.csv", 500, 10);
        EXPECT_EQ(r.result, S_OK);
        EXPECT_EQ(r.records, 10);
        EXPECT_TRUE(w.c.get_Cancelled());
        EXPECT_EQ(w.c.get_OutputKept(), !existing);
        const std::string bytes = TempDir::read(dir.file("d.EDT"));
        EXPECT_TRUE(existing ? bytes == "earlier" : kit::ReadEdt(bytes).records.size() == 10u);
        EXPECT_EQ(w.rec.Count(WM_CONVERTERERROR), 0);
        EXPECT_EQ(kit::Listing(dir), (std::set<std::string>{"d.csv", "d.EDT"}));
    }
    TempDir dir;
    kit::Wired<> w;
    EXPECT_EQ(ConvertCancellingAt(w, dir, "l.csv", 5, 5).records, 5);  // on the last record: complete
    EXPECT_FALSE(w.c.get_Cancelled());
    w.c.put_Cancel();  // after a run: does not reach the next
    EXPECT_EQ(kit::Convert(w.c, dir.write("a.csv", kit::Survey(30))).records, 30);
}

TEST(ConverterCancel, HammeredFromAnotherThreadNeverCorruptsTheFile) {
    TempDir dir;
    const std::string csv = dir.write("h.csv", kit::Survey(5000));
    kit::Wired<> w;
    std::atomic<bool> stop{false}, started{false};
    std::atomic<int> requests{0};
    bool waited = false;
    // At its first progress the worker waits (at most 10 s) for the first request.
    w.rec.onProgress = [&] {
        started = true;
        if (std::exchange(waited, true)) return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (requests.load() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    };
    std::thread canceller([&] {
        while (!started.load() && !stop.load()) std::this_thread::yield();
        for (std::string text; !stop.load(); ++requests) {
            w.c.put_Cancel();
            w.c.GetLastError(text);
        }
    });
    const kit::Outcome r = kit::Convert(w.c, csv);
    stop = true;
    canceller.join();
    EXPECT_EQ(r.result, S_OK);
    EXPECT_LT(r.records, 5000);
    const kit::EdtImage e = kit::ReadEdt(TempDir::read(dir.file("h.EDT")));
    EXPECT_EQ(e.problem, "");
    EXPECT_EQ(e.records.size(), static_cast<std::size_t>(r.records));
}

TEST(ConverterThreads, ErrorTextReadWhileAnotherThreadFails) {
    TempDir dir;
    const std::string good = dir.write("g.csv", kit::Survey(2));
    std::filesystem::create_directory(dir.file("x.EDT"));
    const std::string noOutput = dir.write("x.csv", kit::Survey(2));
    kit::Wired<> w;
    const std::set<std::string> known = {"", "Failed to open CSV file. " + dir.file("missing.csv") + ": No such file or directory",
                                         "Failed to open Bramix file. " + dir.file("x.EDT") + ": Is a directory"};
    std::atomic<bool> stop{false};
    std::atomic<int> unknown{0};
    std::thread reader([&] {
        for (std::string text; !stop.load(); unknown += known.count(text) == 0) w.c.GetLastError(text);
    });
    for (int i = 0; i < 200; ++i) kit::Convert(w.c, i % 3 == 0 ? dir.file("missing.csv") : i % 3 == 1 ? noOutput : good);
    stop = true;
    reader.join();
    EXPECT_EQ(unknown.load(), 0);
}

TEST(ConverterThreads, ManyConvertersOnManyThreadsGiveIdenticalFiles) {
    TempDir dir;
    constexpr int kThreads = 6;
    {
        CZeltoQvxConverter c;
        ASSERT_EQ(kit::Convert(c, dir.write("ref.csv", kit::Survey(300))).result, S_OK);
    }
    std::vector<std::thread> pool;
    std::vector<long> results(kThreads, E_FAIL);
    for (int t = 0; t < kThreads; ++t) {
        const std::string csv = dir.write("t" + std::to_string(t) + ".csv", kit::Survey(300));
        pool.emplace_back([&results, csv, t] {
            kit::Wired<> w;
            long r = S_OK;
            for (int round = 0; round < 3 && r == S_OK; ++round) r = kit::Convert(w.c, csv).result;
            results[t] = r;
        });
    }
    for (auto& th : pool) th.join();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(results[t], S_OK);
        EXPECT_EQ(TempDir::read(dir.file("t" + std::to_string(t) + ".EDT")), TempDir::read(dir.file("ref.EDT")));
    }
}
