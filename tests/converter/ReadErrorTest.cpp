// A read error part-way through a survey export (a failing disk, a lost network share)
// must fail the conversion, never pass for the end of a shorter file.
#include "ConverterTestKit.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/types.h>

// The reader's way in for tests: opens the stream a path names (null: the real file).
namespace zelto_detail {
extern std::FILE* (*g_openInputStream)(const char* path);
}

namespace {

using kit::Survey;

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

struct Outcome : kit::Outcome {
    int errorPosts = 0;
    std::string csv;
};

// A whole conversion of `bytes` (also written to a file, which the stand-in stream
// replaces) by a fresh converter, with the stream failing from byte `failAt` on.
Outcome Convert(const std::string& name, const std::string& bytes, std::size_t failAt) {
    const TempDir dir;
    const std::string csv = dir.write(name, bytes);
    FailingInput input(bytes, failAt);
    kit::Wired<> w;
    Outcome o;
    static_cast<kit::Outcome&>(o) = kit::Convert(w.c, csv, csv);
    o.errorPosts = w.rec.Count(WM_CONVERTERERROR);
    o.csv = csv;
    EXPECT_TRUE(kit::NoTemporaryLeft(dir));
    return o;
}

}  // namespace

TEST(ReadError, FailureAnywhereFailsTheConversion) {
    const std::string bytes = Survey(40);
    const std::size_t secondRecord = bytes.find('\n', bytes.find('\n') + 1) + 1;
    // Without a failure the stand-in stream reads like the file.
    Outcome o = Convert("whole.csv", bytes, bytes.size() + 1);
    EXPECT_EQ(o.result, S_OK);
    EXPECT_EQ(o.records, 40);
    EXPECT_EQ(o.errorPosts, 0);
    // On the first read, just after the record the header is taken from (read whole
    // and written before the failing read), and inside record 20.
    const struct { std::size_t failAt; int minRecords, maxRecords; } cases[] = {
        {0, 0, 0}, {secondRecord, 1, 1}, {bytes.size() / 2, 1, 39}};
    for (const auto& c : cases) {
        o = Convert("cut.csv", bytes, c.failAt);
        EXPECT_EQ(o.result, E_FAIL) << c.failAt;
        EXPECT_EQ(o.error, "Failed to parse CSV file. " + o.csv + ": Input/output error") << c.failAt;
        EXPECT_EQ(o.errorPosts, 1) << c.failAt;
        EXPECT_GE(o.records, c.minRecords) << c.failAt;
        EXPECT_LE(o.records, c.maxRecords) << c.failAt;
    }
}

