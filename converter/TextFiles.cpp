// Text-mode file streams for the converter: CR LF line ends on disk, LF in memory.
#include "ZeltoQvxConverter.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/types.h>

// Test seam: hands the reader a stream whose reads fail part-way through, which no file
// on a healthy disk does on demand. Null in every program.
namespace zelto_detail {
std::FILE* (*g_openInputStream)(const char* path) = nullptr;
}

namespace {
// Survey exports run to hundreds of megabytes: read and write them in large blocks.
constexpr std::size_t kStreamBuffer = 1 << 18;

// Line buffer of getdelim, one per thread: the text is copied into the caller's string
// before ReadLine returns, so readers on the same thread can share it.
struct LineScratch {
    char* data = nullptr;
    std::size_t size = 0;
    ~LineScratch() { std::free(data); }
};
thread_local LineScratch tScratch;
}  // namespace

CZeltoTextReader::~CZeltoTextReader() { Close(); }

bool CZeltoTextReader::Open(const std::string& path)
{
    Close();
    m_failed = false;
    if (zelto_detail::g_openInputStream != nullptr) {
        m_fp = zelto_detail::g_openInputStream(path.c_str());
        return m_fp != nullptr;
    }
    // A survey export is a regular file. A folder opens on POSIX but holds no lines, a FIFO
    // would block the open until another program writes to it (hence the non-blocking
    // open) and a device such as /dev/zero never ends: all are refused as unopenable.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    m_fp = ::fdopen(fd, "rb");
    if (m_fp == nullptr) {
        ::close(fd);
        return false;
    }
    std::setvbuf(m_fp, nullptr, _IOFBF, kStreamBuffer);
    return true;
}

// A read error closes the reader and is remembered (Failed) until the next Open, so a
// failing disk never passes for the end of a short survey.
bool CZeltoTextReader::ReadLine(std::string& line)
{
    line.clear();
    if (m_fp == nullptr)
        return false;
    ssize_t n = getdelim(&tScratch.data, &tScratch.size, '\n', m_fp);
    if (std::ferror(m_fp)) {
        m_failed = true;
        Close();
        return false;
    }
    if (n <= 0)
        return false;
    auto len = static_cast<std::size_t>(n);
    if (tScratch.data[len - 1] == '\n') {
        --len;
        if (len > 0 && tScratch.data[len - 1] == '\r')
            --len;
    }
    line.assign(tScratch.data, len);
    if (tScratch.size > (std::size_t{1} << 20)) {
        // Do not keep the buffer of one huge line for the rest of the thread's life.
        std::free(tScratch.data);
        tScratch.data = nullptr;
        tScratch.size = 0;
    }
    return true;
}

bool CZeltoTextReader::Rewind()
{
    if (m_fp == nullptr)
        return false;
    std::clearerr(m_fp);
    return std::fseek(m_fp, 0, SEEK_SET) == 0;
}

std::uint64_t CZeltoTextReader::Size() const
{
    if (m_fp == nullptr)
        return 0;
    struct stat st {};
    if (fstat(fileno(m_fp), &st) != 0 || st.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

void CZeltoTextReader::Close()
{
    if (m_fp != nullptr) {
        std::fclose(m_fp);
        m_fp = nullptr;
    }
}

CZeltoTextWriter::~CZeltoTextWriter() { Close(); }

bool CZeltoTextWriter::Create(const std::string& path)
{
    Close();
    m_failed = false;
    m_fp = std::fopen(path.c_str(), "wb");
    if (m_fp == nullptr)
        return false;
    std::setvbuf(m_fp, nullptr, _IOFBF, kStreamBuffer);
    return true;
}

bool CZeltoTextWriter::Write(const std::string& text)
{
    if (m_fp == nullptr) {
        m_failed = true;
        return false;
    }
    // The converted text goes to the stream in chunks: a block of records is one call,
    // not two for every line.
    char chunk[16384];
    std::size_t used = 0;
    auto flush = [&] {
        if (used > 0 && std::fwrite(chunk, 1, used, m_fp) != used)
            m_failed = true;
        used = 0;
    };
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* stop = lf == nullptr ? end : lf;
        auto n = static_cast<std::size_t>(stop - p);
        if (n + 2 > sizeof chunk - used) {
            flush();
            if (n + 2 > sizeof chunk) {  // a line longer than the chunk goes straight through
                if (n > 0 && std::fwrite(p, 1, n, m_fp) != n)
                    m_failed = true;
                p += n;
                n = 0;
            }
        }
        std::memcpy(chunk + used, p, n);
        used += n;
        if (lf == nullptr)
            break;
        chunk[used++] = '\r';
        chunk[used++] = '\n';
        p = lf + 1;
    }
    flush();
    return !m_failed;
}

bool CZeltoTextWriter::Close()
{
    if (m_fp == nullptr)
        return !m_failed;
    if (std::fflush(m_fp) != 0 || std::ferror(m_fp))
        m_failed = true;
    if (std::fclose(m_fp) != 0)
        m_failed = true;
    m_fp = nullptr;
    return !m_failed;
}
