// Byte-order helpers and whole-file reading for the grid formats: GTX is
// big-endian, NTv2 either (its first record tells), the library's own format
// little-endian, whatever the host.
#ifndef VORTAN_TOOL_GRIDBYTES_H
#define VORTAN_TOOL_GRIDBYTES_H

#include "GridImage.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace gridbytes {

template <typename T>
T Read(const char* p, std::endian order) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, p, sizeof(T));
    if (order != std::endian::native)
        for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
    T v;
    std::memcpy(&v, b, sizeof(T));
    return v;
}

template <typename T>
void PutLE(char* p, T v) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    if constexpr (std::endian::native == std::endian::big)
        for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
    std::memcpy(p, b, sizeof(T));
}

// The whole file; a GridError naming the file and the system's reason when it
// cannot be read.
inline std::string ReadFile(const std::string& path) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw GridError(path + ": cannot open: " + std::strerror(errno != 0 ? errno : ENOENT));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw GridError(path + ": cannot read: " + std::strerror(errno != 0 ? errno : EIO));
    return bytes;
}

}  // namespace gridbytes

#endif
