// Writing whole buffers, paths shown in messages, and why an input cannot be read.
#include "FileHelpers.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelto_detail {

bool WriteAll(int fd, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t w = ::write(fd, data + done, size - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            if (w == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(w);
    }
    return true;
}

std::string ShownPath(const std::string& path)
{
    std::string shown;
    for (const char ch : path) shown += ch == '\0' ? std::string("\\0") : std::string(1, ch);
    return shown;
}

std::string UnreadableReason(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
    if (!S_ISREG(st.st_mode)) return "Not a regular file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return {};
}

}  // namespace zelto_detail
