#include "InterpFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kDegToRad = kPi / 180.0;
constexpr int32_t kHeaderSize = 96;
constexpr char kSignature[8] = {'Q', 'U', 'O', 'R', 'V', 'A', 'N', 'E'};

// Grid files are little-endian whatever the host.
template <typename T>
T ReadLE(const unsigned char* p) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, p, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) {
        for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
    }
    T v;
    std::memcpy(&v, b, sizeof(T));
    return v;
}

bool SignatureMatches(const unsigned char* p) {
    for (int i = 0; i < 8; ++i) {
        unsigned char c = p[i];
        if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
        if (c != static_cast<unsigned char>(kSignature[i])) return false;
    }
    return true;
}

// Reads exactly n bytes at offset; false on a short read or an error.
bool ReadAt(int fd, void* into, size_t n, int64_t offset) {
    auto* p = static_cast<unsigned char*>(into);
    while (n > 0) {
        const ssize_t got = ::pread(fd, p, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

// A grid spacing in degrees rounded to whole arc-seconds: the files store
// spacings such as 2 minutes in single precision (0.0333333). Returns the
// step in radians, or 0 when the spacing is unusable (not finite, below half
// an arc-second, or too large to count in arc-seconds).
double StepFromSpacing(float spacing) {
    const double s = static_cast<double>(spacing);
    if (!std::isfinite(s) || s <= 0.0 || s * 3600.0 + 0.5 >= 2147483647.0) return 0.0;
    const auto n = static_cast<int32_t>(s * 3600.0 + 0.5);
    if (n < 1) return 0.0;
    return n / 3600.0 * kDegToRad;
}
}  // namespace

InterpFile::InterpFile(const char* path, bool westPositive) {
    const uint32_t code = Open(path, westPositive).take();
    if (code != 0) RaiseError(code, 4);
}

InterpFile::~InterpFile() { Close(); }

void InterpFile::Close() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    lower_.clear();
    lower_.shrink_to_fit();
    upper_.clear();
    upper_.shrink_to_fit();
    cachedRow_ = cachedCol_ = -1;
}

errcode InterpFile::Open(const char* path, bool westPositive) {
    Close();
    path_ = path != nullptr ? path : "";
    rows_ = cols_ = values_ = recordSize_ = 0;
    south_ = north_ = west_ = east_ = latStep_ = lonStep_ = 0.0;
    header1_ = header2_ = 0.0;
    std::memset(description_, 0, sizeof description_);

    if (path == nullptr) return errcode(1, 4);
    int fd = -1;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errcode(1, 4);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return errcode(1, 4);
    }

    unsigned char h[kHeaderSize];
    if (!ReadAt(fd, h, sizeof h, 0)) {
        ::close(fd);
        return errcode(3, 4);
    }

    const double south = static_cast<double>(ReadLE<float>(h + 84)) * kDegToRad;
    const double west = static_cast<double>(ReadLE<float>(h + 76)) * kDegToRad;
    // Written as negated ranges so that a NaN origin is refused as well.
    if (!(south >= -kPi / 2 && south <= kPi / 2 && west >= -kPi && west <= kPi)) {
        ::close(fd);
        return errcode(2, 4);
    }

    // A header that cannot describe a grid is refused before anything is
    // computed from it: no division by a zero step, no allocation sized by
    // a corrupt count, no record offset that overflows.
    const double latStep = StepFromSpacing(ReadLE<float>(h + 88));
    const double lonStep = StepFromSpacing(ReadLE<float>(h + 80));
    const int32_t cols = ReadLE<int32_t>(h + 64);
    const int32_t rows = ReadLE<int32_t>(h + 68);
    const int32_t values = ReadLE<int32_t>(h + 72);
    const bool countsOk = cols >= 1 && rows >= 1 && values >= 1 &&
                          static_cast<int64_t>(cols) * values <= (std::numeric_limits<int32_t>::max() - 4) / 4;
    // Only counts that passed give a size: two huge counts of a corrupt
    // header would overflow even a 64-bit product.
    const int64_t recordSize = countsOk ? 4 + 4 * static_cast<int64_t>(cols) * values : 0;
    if (latStep == 0.0 || lonStep == 0.0 || !countsOk || recordSize < kHeaderSize ||
        static_cast<int64_t>(st.st_size) / recordSize < static_cast<int64_t>(rows) + 1) {
        ::close(fd);
        return errcode(3, 4);
    }

    try {
        lower_.assign(static_cast<size_t>(recordSize / 4), 0.0f);
        upper_.assign(static_cast<size_t>(recordSize / 4), 0.0f);
    } catch (const std::bad_alloc&) {
        ::close(fd);
        Close();
        return errcode(3, 4);
    }

    fd_ = fd;
    south_ = south;
    west_ = west;
    latStep_ = latStep;
    lonStep_ = lonStep;
    rows_ = rows;
    cols_ = cols;
    values_ = values;
    recordSize_ = static_cast<int32_t>(recordSize);
    north_ = south_ + (rows_ - 1) * latStep_;
    east_ = west_ + (cols_ - 1) * lonStep_;
    cachedRow_ = cachedCol_ = -1;

    if (SignatureMatches(h + 56)) {
        std::memcpy(description_, h, 30);
        header1_ = ReadLE<double>(h + 32);
        header2_ = ReadLE<double>(h + 40);
    } else {
        std::memcpy(description_, h, 56);
    }
    flag_ = 0;

    if (westPositive) {
        const double w = west_;
        west_ = -east_;
        east_ = -w;
    }
    return errcode(0);
}

bool InterpFile::ReadRecord(int32_t record, std::vector<float>& into) {
    ++recordReads_;
    static_assert(sizeof(float) == 4);
    if (!ReadAt(fd_, into.data(), static_cast<size_t>(recordSize_),
                static_cast<int64_t>(record) * recordSize_))
        return false;
    if constexpr (std::endian::native == std::endian::big) {
        for (float& f : into) f = ReadLE<float>(reinterpret_cast<const unsigned char*>(&f));
    }
    return true;
}

errcode InterpFile::Lookup(double lat, double lon, int32_t* count, double* out) {
    if (count != nullptr) *count = 0;
    if (fd_ < 0) return errcode(3, 4);
    if (east_ > kPi && lon < 0.0) lon += 2.0 * kPi;
    // Negated so that NaN coordinates count as outside.
    if (!(lat >= south_ && lat <= north_ && lon >= west_ && lon <= east_)) return errcode(4, 4);

    auto i = static_cast<int32_t>((lat - south_) / latStep_);
    auto j = static_cast<int32_t>((lon - west_) / lonStep_);
    if (i > rows_ - 1) i = rows_ - 1;
    if (j > cols_ - 1) j = cols_ - 1;

    if (i != cachedRow_ || j != cachedCol_) {
        // The cache is claimed only once both rows are in: a failed read
        // must not leave a half-filled cell for the next lookup to trust.
        cachedRow_ = cachedCol_ = -1;
        if (!ReadRecord(i + 1, lower_)) return errcode(3, 4);
        // On the northern edge row there is no row beyond: its nodes have
        // weight 0 and are not read.
        upperInside_ = i + 1 < rows_;
        if (upperInside_) {
            if (!ReadRecord(i + 2, upper_)) return errcode(3, 4);
        } else {
            std::fill(upper_.begin(), upper_.end(), 0.0f);
        }
        cachedRow_ = i;
        cachedCol_ = j;
    }

    const double fy = (lat - (i * latStep_ + south_)) / latStep_;
    const double fx = (lon - (j * lonStep_ + west_)) / lonStep_;
    const bool eastInside = j + 1 < cols_;
    const size_t west = 1 + static_cast<size_t>(j) * static_cast<size_t>(values_);
    const size_t east = west + static_cast<size_t>(values_);
    for (int32_t k = 0; k < values_; ++k) {
        const auto kk = static_cast<size_t>(k);
        corners_[0] = lower_[west + kk];
        corners_[1] = eastInside ? static_cast<double>(lower_[east + kk]) : 0.0;
        corners_[2] = eastInside ? static_cast<double>(upper_[east + kk]) : 0.0;
        corners_[3] = upper_[west + kk];
        out[k] = Interpolate(corners_, fx, fy);
    }
    if (count != nullptr) *count = values_;
    return errcode(0);
}

double InterpFile::Interpolate(const double c[4], double fx, double fy) {
    // w(a, b) = s(a) s(b) with the cubic step s(t) = 3t^2 - 2t^3, written out.
    const auto w = [](double a, double b) { return a * a * b * b * (9.0 - 6.0 * a - 6.0 * b + 4.0 * a * b); };
    double r = 0.0;
    r += c[0] * w(1.0 - fx, 1.0 - fy);
    r += c[1] * w(fx, 1.0 - fy);
    r += c[2] * w(fx, fy);
    r += c[3] * w(1.0 - fx, fy);
    return r;
}
