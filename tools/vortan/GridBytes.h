// Byte-order helpers and whole-file reading for the grid formats: GTX is
// big-endian, NTv2 either (its first record tells), the library's own format
// little-endian, whatever the host.
#ifndef VORTAN_TOOL_GRIDBYTES_H
#define VORTAN_TOOL_GRIDBYTES_H

#include "GridImage.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
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
// cannot be read (a folder, a device, an unreadable file).
inline std::string ReadFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) throw GridError(path + ": cannot open: " + ec.message());
    if (!std::filesystem::is_regular_file(status)) throw GridError(path + ": cannot open: not a file");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw GridError(path + ": cannot open: " + std::strerror(errno != 0 ? errno : EACCES));
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) bytes.append(chunk, static_cast<size_t>(in.gcount()));
    if (in.bad()) throw GridError(path + ": cannot read: " + std::strerror(errno != 0 ? errno : EIO));
    return bytes;
}

}  // namespace gridbytes

#endif
