#include "GridLibraryFormat.h"

#include "GridBytes.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kHeader = 96;
constexpr char kSignature[9] = "QUORVANE";

struct Header {
    int32_t cols, rows, values;
    float west, lonSpacing, south, latSpacing;
    int64_t recordSize;  // 0 when the counts cannot give one
};

Header ReadHeader(const std::string& bytes) {
    using gridbytes::Read;
    constexpr auto le = std::endian::little;
    const char* p = bytes.data();
    Header h{Read<int32_t>(p + 64, le), Read<int32_t>(p + 68, le), Read<int32_t>(p + 72, le),
             Read<float>(p + 76, le),   Read<float>(p + 80, le),   Read<float>(p + 84, le),
             Read<float>(p + 88, le),   0};
    if (h.cols >= 1 && h.rows >= 1 && h.values >= 1 &&
        static_cast<int64_t>(h.cols) * h.values <= (std::numeric_limits<int32_t>::max() - 4) / 4)
        h.recordSize = 4 + 4 * static_cast<int64_t>(h.cols) * h.values;
    return h;
}

// Whole arc-seconds of a spacing as the library rounds it; 0 when unusable.
double RoundedSeconds(float spacing) {
    const double s = spacing;
    if (!std::isfinite(s) || s <= 0.0 || s * 3600.0 + 0.5 >= 2147483647.0) return 0.0;
    return std::floor(s * 3600.0 + 0.5);
}

bool Whole(double seconds, int32_t count) {
    return std::fabs(seconds - std::round(seconds)) * std::max(count - 1, 1) <= 1e-3;
}

std::string SystemReason() { return std::strerror(errno); }
}  // namespace

bool HasLibrarySignature(const std::string& bytes) {
    if (bytes.size() < kHeader) return false;
    for (int i = 0; i < 8; ++i) {
        char c = bytes[static_cast<size_t>(56 + i)];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kSignature[i]) return false;
    }
    return true;
}

bool LooksLikeLibraryGrid(const std::string& bytes) {
    if (bytes.size() < kHeader) return false;
    const Header h = ReadHeader(bytes);
    return h.recordSize >= static_cast<int64_t>(kHeader) && RoundedSeconds(h.lonSpacing) >= 1.0 &&
           RoundedSeconds(h.latSpacing) >= 1.0 && h.south >= -90.0f && h.south <= 90.0f && h.west >= -180.0f &&
           h.west <= 180.0f && static_cast<int64_t>(bytes.size()) / h.recordSize >= int64_t{h.rows} + 1;
}

GridImage ReadLibraryGrid(const std::string& path, const std::string& bytes) {
    if (!LooksLikeLibraryGrid(bytes))
        throw GridError(path + ": not a usable grid in the library's format (header or size)");
    const Header h = ReadHeader(bytes);
    GridImage g;
    const bool signed_ = HasLibrarySignature(bytes);
    g.text = std::string(bytes.data(), signed_ ? 30 : 56);
    g.text.resize(std::strlen(g.text.c_str()));
    if (signed_) {
        g.header1 = gridbytes::Read<double>(bytes.data() + 32, std::endian::little);
        g.header2 = gridbytes::Read<double>(bytes.data() + 40, std::endian::little);
    }
    g.west = h.west;
    g.south = h.south;
    g.lonStepSec = RoundedSeconds(h.lonSpacing);
    g.latStepSec = RoundedSeconds(h.latSpacing);
    g.cols = h.cols;
    g.rows = h.rows;
    g.values = h.values;
    const size_t perRow = static_cast<size_t>(h.cols) * static_cast<size_t>(h.values);
    g.nodes.resize(perRow * static_cast<size_t>(h.rows));
    for (size_t r = 0; r < static_cast<size_t>(h.rows); ++r) {
        const char* rec = bytes.data() + (r + 1) * static_cast<size_t>(h.recordSize) + 4;
        for (size_t i = 0; i < perRow; ++i)
            g.nodes[r * perRow + i] = gridbytes::Read<float>(rec + 4 * i, std::endian::little);
    }
    return g;
}

std::vector<std::string> CheckLibraryGrid(const GridImage& g, const std::string& out) {
    const std::string why = out + ": the library's grid format cannot hold this grid: ";
    if (g.cols < 1 || g.rows < 1 || g.values < 1)
        throw GridError(why + "it has " + std::to_string(g.cols) + " columns, " + std::to_string(g.rows) +
                        " rows, " + std::to_string(g.values) + " values per node");
    // A spacing given in degrees (GTX) carries the rounding of its binary
    // form; it passes when that rounding, summed over the grid, stays below a
    // thousandth of an arc-second (3 cm).
    for (const auto& [name, sec, count] : {std::tuple{"latitude", g.latStepSec, g.rows},
                                           std::tuple{"longitude", g.lonStepSec, g.cols}}) {
        if (!std::isfinite(sec) || sec < 1.0 || sec > 1296000.0 || !Whole(sec, count))
            throw GridError(why + "the " + name + " spacing of " + NumberText(sec) +
                            " arc-seconds is not a whole number of arc-seconds (1 to 1296000)");
    }
    const int64_t perRecord = static_cast<int64_t>(g.cols) * g.values;
    if (perRecord < 23)
        throw GridError(why + "a row of " + std::to_string(g.cols) + " nodes of " + std::to_string(g.values) +
                        " values is shorter than the 96-byte header record (at least 23 values a row)");
    if (perRecord > (std::numeric_limits<int32_t>::max() - 4) / 4 ||
        (static_cast<int64_t>(g.rows) + 1) * (4 + 4 * perRecord) > (int64_t{1} << 40))
        throw GridError(why + "it is too large");
    if (!(g.south >= -90.0 && g.south <= 90.0 && g.west >= -180.0 && g.west <= 180.0))
        throw GridError(why + "its origin " + NumberText(g.south) + " " + NumberText(g.west) +
                        " lies outside -90..90 degrees latitude, -180..180 longitude");
    if (g.North() > 90.0 + 1e-9)
        throw GridError(why + "its rows reach " + NumberText(g.North()) + " degrees latitude");
    if (g.nodes.size() != static_cast<size_t>(perRecord) * static_cast<size_t>(g.rows))
        throw GridError(why + "its node values do not match its counts");

    std::vector<std::string> notes;
    for (const auto& [name, deg] : {std::pair{"south", g.south}, std::pair{"west", g.west}}) {
        const double stored = static_cast<float>(deg);
        if (stored != deg)
            notes.push_back(std::string("the ") + name + " edge " + NumberText(deg) +
                            " degrees is stored in single precision as " + NumberText(stored) + " (off by " +
                            NumberText(std::fabs(stored - deg) * 3600.0, 5) + " arc-seconds; the nodes move by as much" +
                            (stored > deg ? ", and points on that edge itself fall outside the grid)" : ")"));
    }
    return notes;
}

std::string LibraryGridBytes(const GridImage& g) {
    const size_t perRow = static_cast<size_t>(g.cols) * static_cast<size_t>(g.values);
    const size_t record = 4 + 4 * perRow;
    std::string bytes(record * (static_cast<size_t>(g.rows) + 1), '\0');
    char* h = bytes.data();
    std::memcpy(h, g.text.data(), std::min<size_t>(g.text.size(), 30));
    gridbytes::PutLE(h + 32, g.header1);
    gridbytes::PutLE(h + 40, g.header2);
    std::memcpy(h + 56, kSignature, 8);
    gridbytes::PutLE(h + 64, g.cols);
    gridbytes::PutLE(h + 68, g.rows);
    gridbytes::PutLE(h + 72, g.values);
    gridbytes::PutLE(h + 76, static_cast<float>(g.west));
    gridbytes::PutLE(h + 80, static_cast<float>(std::round(g.lonStepSec) / 3600.0));
    gridbytes::PutLE(h + 84, static_cast<float>(g.south));
    gridbytes::PutLE(h + 88, static_cast<float>(std::round(g.latStepSec) / 3600.0));
    for (size_t r = 0; r < static_cast<size_t>(g.rows); ++r) {
        char* rec = bytes.data() + (r + 1) * record;
        gridbytes::PutLE(rec, static_cast<int32_t>(r));  // the lead field: the row number, never read
        for (size_t i = 0; i < perRow; ++i) gridbytes::PutLE(rec + 4 + 4 * i, g.nodes[r * perRow + i]);
    }
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw GridError(path + ": cannot create a file in " + folder.string() + ": " + SystemReason());
    const auto fail = [&](const std::string& what) {
        const std::string reason = SystemReason();
        ::close(fd);
        ::unlink(temp.c_str());
        throw GridError(path + ": " + what + ": " + reason);
    };
    // mkstemp makes the file private; a grid is as readable as any other file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) fail("cannot set the permissions");
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            fail("cannot write");
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) fail("cannot write");
    if (::close(fd) != 0) {
        const std::string reason = SystemReason();
        ::unlink(temp.c_str());
        throw GridError(path + ": cannot write: " + reason);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = SystemReason();
        ::unlink(temp.c_str());
        throw GridError(path + ": cannot replace: " + reason);
    }
}
