// Cancellation and threads: a request before, during, on the last record of and
// after a run; requests hammered from another thread; the error text read while
// another thread fails.
#include "ConverterTestKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

// A cancelled run keeps its part only where no .EDT of that name existed.
TEST(ConverterCancel, BeforeDuringAndAfterARun) {
    for (const int existing : {0, 1, 2}) {  // 2: the request comes with the last record
        TempDir dir;
        kit::Wired<> w;
        w.c.put_Cancel();  // before the run: forgotten by it
        if (existing == 1) dir.write("d.EDT", "earlier");
        int seen = 0;
        w.rec.onProgress = [&] { seen += 1, seen == 10 ? w.c.put_Cancel() : void(); };
        const kit::Outcome r = kit::Convert(w.c, dir.write("d.csv", kit::Survey(existing == 2 ? 10 : 500)));
        EXPECT_EQ(r.result, S_OK);
        EXPECT_EQ(r.records, 10);
        EXPECT_EQ(w.c.get_Cancelled(), existing != 2);
        EXPECT_EQ(w.c.get_OutputKept(), existing != 1);
        const std::string bytes = TempDir::read(dir.file("d.EDT"));
        EXPECT_TRUE(existing == 1 ? bytes == "earlier" : kit::ReadEdt(bytes).records.size() == 10u);
        EXPECT_EQ(w.rec.errors.size(), 0u);
        EXPECT_EQ(kit::Listing(dir), (std::set<std::string>{"d.csv", "d.EDT"}));
        w.rec.onProgress = nullptr;
        w.c.put_Cancel();  // after a run: does not reach the next
        EXPECT_EQ(kit::Convert(w.c, dir.write("a.csv", kit::Survey(30))).records, 30);
    }
}

TEST(ConverterCancel, HammeredFromAnotherThreadNeverCorruptsTheFile) {
    TempDir dir;
    kit::Wired<> w;
    std::atomic<bool> stop{false}, started{false};
    std::atomic<int> requests{0};
    // At its first progress the worker waits (at most 10 s) for the first request.
    w.rec.onProgress = [&] {
        if (started.exchange(true)) return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (requests.load() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    };
    std::thread canceller([&] {
        while (!started.load() && !stop.load()) std::this_thread::yield();
        for (std::string text; !stop.load(); ++requests) w.c.put_Cancel(), w.c.GetLastError(text);
    });
    const kit::Outcome r = kit::Convert(w.c, dir.write("h.csv", kit::Survey(5000)));
    stop = true;
    canceller.join();
    EXPECT_EQ(r.result, S_OK);
    EXPECT_LT(r.records, 5000);
    const kit::EdtImage e = kit::ReadEdt(TempDir::read(dir.file("h.EDT")));
    EXPECT_EQ(e.problem + std::to_string(e.records.size()), std::to_string(r.records));
}

TEST(ConverterThreads, ErrorTextReadWhileAnotherThreadFails) {
    TempDir dir;
    const std::string good = dir.write("g.csv", kit::Survey(2)), noOutput = dir.write("x.csv", kit::Survey(2));
    std::filesystem::create_directory(dir.file("x.EDT"));
    const std::set<std::string> known = {"", "Failed to open CSV file. " + dir.file("missing.csv") + ": No such file or directory",
                                         "Failed to open Bramix file. " + dir.file("x.EDT") + ": Is a directory"};
    CZeltoQvxConverter c;
    std::atomic<bool> stop{false};
    std::atomic<int> unknown{0};
    std::thread reader([&] {
        for (std::string text; !stop.load(); unknown += known.count(text) == 0) c.GetLastError(text);
    });
    for (int i = 0; i < 200; ++i) kit::Convert(c, i % 3 == 0 ? dir.file("missing.csv") : i % 3 == 1 ? noOutput : good);
    stop = true;
    reader.join();
    EXPECT_EQ(unknown.load(), 0);
}

// Many converters on many threads giving a serial run's bytes: the worker-thread cases of
// zelto2edt.cases.
