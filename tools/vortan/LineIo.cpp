#include "LineIo.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {
constexpr std::size_t kBlock = 1 << 16;
}

LineReader::LineReader(int fd) : fd_(fd), buf_(kBlock) {}

bool LineReader::Fill() {
    if (begin_ > 0) {  // keep the unfinished line at the front
        std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);  // a line longer than the buffer
    for (;;) {
        const ssize_t n = ::read(fd_, buf_.data() + end_, buf_.size() - end_);
        if (n > 0) {
            end_ += static_cast<std::size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = errno;
        eof_ = true;
        return false;
    }
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        const char* first = buf_.data() + begin_;
        const void* nl = std::memchr(first, '\n', end_ - begin_);
        std::size_t length = 0;
        if (nl != nullptr) {
            length = static_cast<std::size_t>(static_cast<const char*>(nl) - first);
            begin_ += length + 1;
        } else if (eof_ || !Fill()) {
            if (begin_ == end_) return false;
            first = buf_.data() + begin_;
            length = end_ - begin_;
            begin_ = end_;
        } else {
            continue;
        }
        if (length > 0 && first[length - 1] == '\r') --length;
        line = std::string_view(first, length);
        return true;
    }
}

OutputBuffer::OutputBuffer(int fd) : fd_(fd), interactive_(::isatty(fd) == 1) { text_.reserve(kBlock + 4096); }

OutputBuffer::~OutputBuffer() { Flush(); }

bool OutputBuffer::EndLine() {
    if (interactive_ || text_.size() >= kBlock) return Flush();
    return error_ == 0;
}

bool OutputBuffer::Flush() {
    std::size_t done = 0;
    while (error_ == 0 && done < text_.size()) {
        const ssize_t n = ::write(fd_, text_.data() + done, text_.size() - done);
        if (n >= 0) done += static_cast<std::size_t>(n);
        else if (errno != EINTR) error_ = errno;
    }
    text_.clear();
    return error_ == 0;
}
