// Text-mode file streams for the converter: CR LF line ends on disk, LF in memory.
#include "ZeltoQvxConverter.h"

#include "FileHelpers.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
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
// The reader's block. A line longer than the block grows it (doubling); the block
// shrinks back once the pending bytes fit the normal size again.
constexpr std::size_t kReadBlock = 1 << 18;
// Bytes allocated past the block, so that 16 bytes after every line handed out can be read.
constexpr std::size_t kLineSlack = 16;
// Written bytes handed to the kernel's write-back at a time.
constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;
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
    // The block is the buffer: reads of a whole block go straight into it.
    std::setvbuf(m_fp, nullptr, _IONBF, 0);
    return true;
}

// Moves the pending bytes to the front of the block and reads after them, as many as
// fit. A block full of one unfinished line is doubled first.
bool CZeltoTextReader::Refill()
{
    if (m_atEnd || m_fp == nullptr)
        return false;
    const std::size_t pending = m_end - m_begin;
    if (!m_block || pending == m_capacity || (m_capacity > kReadBlock && pending < kReadBlock / 2)) {
        const std::size_t size = pending == m_capacity && m_block ? 2 * m_capacity : kReadBlock;
        std::unique_ptr<char[]> grown(new (std::nothrow) char[size + kLineSlack]);
        if (!grown) {
            // A line too long for the memory: the conversion fails as on a read error
            // instead of taking what was read so far for the end of the file.
            m_streamError = true;
            m_atEnd = true;
            return false;
        }
        if (pending > 0)
            std::memcpy(grown.get(), m_block.get() + m_begin, pending);
        m_block = std::move(grown);
        m_capacity = size;
    } else if (m_begin > 0 && pending > 0) {
        std::memmove(m_block.get(), m_block.get() + m_begin, pending);
    }
    m_begin = 0;
    m_end = pending;
    const std::size_t got = std::fread(m_block.get() + m_end, 1, m_capacity - m_end, m_fp);
    m_end += got;
    if (std::ferror(m_fp)) {
        // The lines read before the error are still handed out; then the reader fails.
        m_streamError = true;
        m_atEnd = true;
        return got > 0;
    }
    if (got < m_capacity - pending)
        m_atEnd = true;  // fread gives less than asked only at the end (or on an error)
    return got > 0;
}

bool CZeltoTextReader::ReadLine(std::string_view& line)
{
    line = {};
    for (;;) {
        if (m_fp == nullptr)
            return false;
        const char* const base = m_block.get();
        const std::size_t from = m_begin + m_scanned;
        const void* lf = from < m_end ? std::memchr(base + from, '\n', m_end - from) : nullptr;
        if (lf != nullptr) {
            const auto at = static_cast<std::size_t>(static_cast<const char*>(lf) - base);
            std::size_t len = at - m_begin;
            if (len > 0 && base[at - 1] == '\r')
                --len;
            line = std::string_view(base + m_begin, len);
            m_begin = at + 1;
            m_scanned = 0;
            return true;
        }
        m_scanned = m_end - m_begin;
        if (!Refill()) {
            if (m_streamError) {
                // A read error closes the reader and is remembered (Failed) until the next
                // Open, so a failing disk never passes for the end of a short survey; the
                // part of a line before the error is not a line.
                m_failed = true;
                Close();
                return false;
            }
            if (m_begin == m_end)
                return false;
            // The last line has no LF: it is handed out as it stands (a CR stays).
            line = std::string_view(m_block.get() + m_begin, m_end - m_begin);
            m_begin = m_end;
            m_scanned = 0;
            return true;
        }
    }
}

bool CZeltoTextReader::ReadLine(std::string& line)
{
    std::string_view view;
    const bool got = ReadLine(view);
    line.assign(view);
    return got;
}

bool CZeltoTextReader::Rewind()
{
    if (m_fp == nullptr)
        return false;
    std::clearerr(m_fp);
    m_begin = m_end = m_scanned = 0;
    m_atEnd = m_streamError = false;
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
    m_block.reset();
    m_capacity = m_begin = m_end = m_scanned = 0;
    m_atEnd = m_streamError = false;
}

CZeltoTextWriter::~CZeltoTextWriter() { Close(); }

bool CZeltoTextWriter::Create(const std::string& path)
{
    Close();
    m_failed = false;
    m_handed = m_started = 0;
    m_writeBackEarly = false;
    // What fopen's "wb" does, except that an empty file (the temporary made for a
    // conversion) is not truncated again: on ext4 a truncation to zero makes the
    // closing of the file wait for all of it to be written to disk.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || (st.st_size != 0 && ::ftruncate(fd, 0) != 0) || (m_fp = ::fdopen(fd, "wb")) == nullptr) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return false;
    }
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

bool CZeltoTextWriter::WriteBytes(std::string_view bytes)
{
    if (m_fp == nullptr) {
        m_failed = true;
        return false;
    }
    if (bytes.empty() || m_failed)
        return !m_failed;
    // A block of records goes to the file in one call, not copied through the stream's
    // buffer first; what the stream holds goes before it.
    if (std::fflush(m_fp) != 0) {
        m_failed = true;
        return false;
    }
    const int fd = fileno(m_fp);
    if (!zelto_detail::WriteAll(fd, bytes.data(), bytes.size())) {
        m_failed = true;
        return false;
    }
    m_handed += bytes.size();
#if defined(__linux__)
    if (m_writeBackEarly && m_handed - m_started >= kWriteBackStep) {
        (void)::sync_file_range(fd, static_cast<off_t>(m_started), static_cast<off_t>(m_handed - m_started),
                                SYNC_FILE_RANGE_WRITE);
        m_started = m_handed;
    }
#endif
    return true;
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
