// A read error part-way through a survey export (a failing disk, a lost network share)
// must fail the conversion, never pass for the end of a shorter file.
#include "TempDir.h"
#include "ZeltoQvxConverter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

// The reader's way in for tests: opens the stream a path names (null: the real file).
namespace zelto_detail {
extern std::FILE* (*g_openInputStream)(const char* path);
}

namespace {

class Recorder : public CConverterMessageWnd {
public:
    void Post(unsigned int message, std::uintptr_t, std::intptr_t) noexcept override {
        std::lock_guard<std::mutex> lock(m);
        ids.push_back(message);
    }
    int Count(unsigned int id) {
        std::lock_guard<std::mutex> lock(m);
        int n = 0;
        for (unsigned int i : ids) n += i == id;
        return n;
    }
    std::mutex m;
    std::vector<unsigned int> ids;
};

const char kRecord[] =
    ",,12.30,12.80,,,,,,,,,,,,1.5,,,,,,,,,,,,,,,,N 32\xC2\xB0" "45\xE2\x80\xB2" "30.50\xE2\x80\xB3,"
    "W 117\xC2\xB0" "12\xE2\x80\xB2" "00.00\xE2\x80\xB3,,09/13/2011,16:58:03.25,7,,3.25,";

std::string Survey(int records) {
    std::string s = "titles\r\n";
    for (int i = 0; i < records; ++i) s += std::string(kRecord) + "\r\n";
    return s;
}

// A stream over the bytes of a file whose every read at or beyond `failAt` fails with EIO,
// as a bad sector does; reads before it return at most `chunk` bytes.
struct FailingSource {
    std::string bytes;
    std::size_t pos = 0;
    std::size_t failAt = 0;
    std::size_t chunk = 512;
};
FailingSource gSource;

ssize_t SourceRead(void* cookie, char* buf, std::size_t size) {
    auto* s = static_cast<FailingSource*>(cookie);
    if (s->pos >= s->failAt) {
        errno = EIO;
        return -1;
    }
    std::size_t n = std::min({size, s->chunk, s->failAt - s->pos, s->bytes.size() - s->pos});
    s->bytes.copy(buf, n, s->pos);
    s->pos += n;
    return static_cast<ssize_t>(n);
}

int SourceSeek(void* cookie, off64_t* offset, int whence) {
    auto* s = static_cast<FailingSource*>(cookie);
    if (whence != SEEK_SET || *offset < 0) return -1;
    s->pos = static_cast<std::size_t>(*offset);
    return 0;
}

std::FILE* OpenFailing(const char*) {
    gSource.pos = 0;
    return fopencookie(&gSource, "rb", cookie_io_functions_t{SourceRead, nullptr, SourceSeek, nullptr});
}

// Installs the failing stream for one test and removes it again.
class FailingInput {
public:
    FailingInput(std::string bytes, std::size_t failAt) {
        gSource = FailingSource{std::move(bytes), 0, failAt};
        zelto_detail::g_openInputStream = OpenFailing;
    }
    ~FailingInput() { zelto_detail::g_openInputStream = nullptr; }
    FailingInput(const FailingInput&) = delete;
    FailingInput& operator=(const FailingInput&) = delete;
};

struct Outcome {
    long status;
    std::string error;
    int records;
    int errorPosts;
};

Outcome Convert(const std::string& csv) {
    Recorder rec;
    CZeltoQvxConverter c;
    c.put_AppMessageWnd(&rec);
    Outcome o{};
    o.status = c.ReadZeltoFile(csv);
    if (o.status == S_OK) o.status = c.WriteQVXFile(csv);
    c.GetLastError(o.error);
    o.records = c.get_CSVRecords();
    o.errorPosts = rec.Count(WM_CONVERTERERROR);
    return o;
}

}  // namespace

TEST(ReadError, StreamWithoutFailureConvertsEveryRecord) {
    // The stand-in stream itself reads like the file: all 40 records, S_OK.
    TempDir dir;
    const std::string bytes = Survey(40);
    const std::string csv = dir.write("whole.csv", bytes);
    FailingInput input(bytes, bytes.size() + 1);
    const Outcome o = Convert(csv);
    EXPECT_EQ(o.status, S_OK);
    EXPECT_EQ(o.records, 40);
    EXPECT_EQ(o.errorPosts, 0);
}

TEST(ReadError, FailureMidFileFailsTheConversion) {
    TempDir dir;
    const std::string bytes = Survey(40);
    const std::string csv = dir.write("midway.csv", bytes);
    // Past the title and the first record (the header's pass), inside record 20.
    FailingInput input(bytes, bytes.size() / 2);
    const Outcome o = Convert(csv);
    EXPECT_EQ(o.status, E_FAIL);
    EXPECT_EQ(o.error, "Failed to parse CSV file.");
    EXPECT_EQ(o.errorPosts, 1);
    EXPECT_GT(o.records, 0);
    EXPECT_LT(o.records, 40);
}

TEST(ReadError, FailureJustAfterTheHeaderRecordFailsTheConversion) {
    TempDir dir;
    const std::string bytes = Survey(40);
    const std::string csv = dir.write("early.csv", bytes);
    const std::size_t secondRecord = bytes.find('\n', bytes.find('\n') + 1) + 1;
    FailingInput input(bytes, secondRecord);
    const Outcome o = Convert(csv);
    EXPECT_EQ(o.status, E_FAIL);
    EXPECT_EQ(o.error, "Failed to parse CSV file.");
    EXPECT_EQ(o.records, 1);  // the first record was read whole and written before the failing read
}

TEST(ReadError, FailureOnTheFirstReadFailsTheConversion) {
    TempDir dir;
    const std::string bytes = Survey(3);
    const std::string csv = dir.write("first.csv", bytes);
    FailingInput input(bytes, 0);
    const Outcome o = Convert(csv);
    EXPECT_EQ(o.status, E_FAIL);
    EXPECT_EQ(o.error, "Failed to parse CSV file.");
    EXPECT_EQ(o.records, 0);
}

TEST(ReadError, ReaderClosesOnAReadErrorAndStaysOpenAtTheEnd) {
    const std::string bytes = "title\nline one\r\nline two\n";
    {
        FailingInput input(bytes, bytes.size());  // every byte readable, then EIO
        CZeltoTextReader r;
        ASSERT_TRUE(r.Open("ignored"));
        std::string line;
        EXPECT_TRUE(r.ReadLine(line));
        EXPECT_EQ(line, "title");
        EXPECT_TRUE(r.ReadLine(line));
        EXPECT_EQ(line, "line one");
        EXPECT_TRUE(r.ReadLine(line));
        EXPECT_EQ(line, "line two");
        EXPECT_FALSE(r.ReadLine(line));  // the read past the data fails
        EXPECT_FALSE(r.IsOpen());
        EXPECT_TRUE(r.Failed());
    }
    {
        TempDir dir;
        const std::string path = dir.write("plain.txt", bytes);
        CZeltoTextReader r;
        ASSERT_TRUE(r.Open(path));
        std::string line;
        int lines = 0;
        while (r.ReadLine(line)) ++lines;
        EXPECT_EQ(lines, 3);
        EXPECT_TRUE(r.IsOpen());  // the end of a file is no error
        EXPECT_FALSE(r.Failed());
    }
}
