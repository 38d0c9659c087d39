// The .EDT written beside its target and renamed into place, and the list of temporaries
// that a program's signal handler removes.
#include "EdtOutputFile.h"

#include "ZeltoQvxConverter.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <pthread.h>
#include <time.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Temporaries of the conversions in progress, for RemovePartialEdtFiles. A signal handler
// may run at any point of a worker's conversion, so an entry is only read while its state
// says its path is complete. One entry per converting thread; 128 is twice the most
// workers zelto2edt starts.
//
// An entry names its temporary before the file is created (kCreating), and creation checks
// gClosing only after that; RemovePartialEdtFiles sets gClosing before it reads the entries.
// So a temporary is either seen by the removal or never created: a creation under way on
// another thread is waited for, and none starts once the removal has begun.
constexpr int kSlots = 128;
enum SlotState : int { kFree = 0, kFilling = 1, kCreating = 2, kReady = 3 };
struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<pthread_t> creator{};
    char path[PATH_MAX];
};
Slot gSlots[kSlots];
std::atomic<bool> gClosing{false};

// Claims an entry for `path` in the kCreating state; -1 when the list is full or a removal
// has begun (then no file may be created).
int Claim(const std::string& path, bool& closing) noexcept
{
    closing = false;
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (gSlots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(gSlots[i].path, path.c_str(), path.size() + 1);
            gSlots[i].creator.store(::pthread_self());
            gSlots[i].state.store(kCreating);
            if (gClosing.load()) {
                gSlots[i].state.store(kFree);
                closing = true;
                return -1;
            }
            return i;
        }
    }
    return -1;  // more conversions at once than entries: this one is not removed on a signal
}

void Unregister(int slot) noexcept
{
    if (slot >= 0) gSlots[slot].state.store(kFree);
}

std::string Reason(int err) { return std::strerror(err); }

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A reference to the file at `path` that keeps it in existence while held (not opened for
// reading or writing); -1 when there is none or the system has no such reference.
int HoldForRemoval(const std::string& path)
{
#ifdef O_PATH
    return ::open(path.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
#else
    (void)path;
    return -1;
#endif
}

}  // namespace

void RemovePartialEdtFiles() noexcept
{
    gClosing.store(true);
    const pthread_t self = ::pthread_self();
    for (auto& slot : gSlots) {
        // A creation under way on another thread ends within microseconds; wait for it (at
        // most half a second, should that thread be stopped).
        const bool elsewhere = !::pthread_equal(slot.creator.load(), self);
        for (int i = 0; elsewhere && i < 500 && slot.state.load() == kCreating; ++i) {
            const timespec ms{0, 1000000};
            ::nanosleep(&ms, nullptr);
        }
        // Interrupted on this very thread in the instant of creation, the file may or may
        // not exist yet; its random name is this conversion's, so it goes too.
        const int state = slot.state.load();
        if (state == kReady || state == kCreating) ::unlink(slot.path);
    }
}

std::string EdtPathForInput(const std::string& csvPath) { return zelto_detail::EdtPathFor(csvPath); }

namespace zelto_detail {

std::string EdtPathFor(const std::string& csvPath)
{
    const std::size_t slash = csvPath.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = csvPath.rfind('.');
    const std::size_t end = dot != std::string::npos && dot >= nameAt ? dot : csvPath.size();
    return csvPath.substr(0, end) + ".EDT";
}

bool PendingEdt::Begin(const std::string& input, const std::string& target, std::string& reason)
{
    Discard();
    m_target = target;
    m_replaces = false;
    struct stat in {}, out {};
    const bool inputSeen = ::stat(input.c_str(), &in) == 0;
    if (SameNameIgnoringCase(NameOf(input), NameOf(target)) ||
        (inputSeen && ::stat(target.c_str(), &out) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)) {
        reason = "the output would replace its own input";
        return false;
    }
    // A target name beyond the file system's limit could take no file's place.
    if (NameOf(target).size() > 255) {
        reason = Reason(ENAMETOOLONG);
        return false;
    }
    mode_t keepMode = 0;
    struct stat link {};
    if (::lstat(target.c_str(), &link) == 0) {
        if (S_ISLNK(link.st_mode)) {
            // A link named as the .EDT stays a link: its target is the file replaced.
            char* real = ::realpath(target.c_str(), nullptr);
            if (real == nullptr && errno != ENOENT) { reason = Reason(errno); return false; }
            if (real != nullptr) {
                m_target = real;
                std::free(real);
            }
        }
        if (::stat(m_target.c_str(), &out) == 0) {
            if (S_ISDIR(out.st_mode)) { reason = Reason(EISDIR); return false; }
            if (!S_ISREG(out.st_mode)) { reason = "Not a regular file"; return false; }
            keepMode = out.st_mode & 07777;  // a replaced file keeps its permissions
            m_replaces = true;
        }
    }
    // The temporary shares the target's folder, so that the rename never crosses file
    // systems; its name starts with a full stop and is random, so it meets no survey file.
    // A name near the file system's limit of 255 bytes is shortened for the temporary.
    const std::string stem = FolderOf(m_target) + "/." + NameOf(m_target).substr(0, 255 - 8) + ".";
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 rng(std::random_device{}() ^ static_cast<std::uint64_t>(::getpid()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 6; ++i) name += kChars[rng() % (sizeof kChars - 1)];
        bool closing = false;
        const int slot = Claim(name, closing);
        if (closing) {
            reason = Reason(EINTR);  // the program is ending on a signal
            return false;
        }
        // 0666 less the umask, as a newly created output has always had.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int err = errno;
            Unregister(slot);
            if (err == EEXIST) continue;
            reason = Reason(err);
            return false;
        }
        if (slot >= 0) gSlots[slot].state.store(kReady);
        if (keepMode != 0) (void)::fchmod(fd, keepMode);
        ::close(fd);
        m_temp = name;
        m_slot = slot;
        return true;
    }
    reason = Reason(EEXIST);
    return false;
}

bool PendingEdt::Commit(bool replace, bool& kept, std::string& reason)
{
    kept = false;
    if (m_temp.empty()) { reason = Reason(ENOENT); return false; }
    // The temporary takes the target's name; on failure it goes and the target stays.
    auto renameIntoPlace = [&] {
        // The file replaced is held open across the rename, so that its removal (freeing
        // its blocks, on some file systems waiting for the disk to discard them) happens
        // at the close below and not inside the rename, where the folder stays locked and
        // every other rename into it (a second converter's) would wait for it.
        const int replaced = HoldForRemoval(m_target);
        const bool moved = std::rename(m_temp.c_str(), m_target.c_str()) == 0;
        const int err = errno;
        if (replaced >= 0) ::close(replaced);
        if (!moved) {
            reason = Reason(err);
            Discard();
            return false;
        }
        kept = true;
        Release();
        return true;
    };
    if (replace) return renameIntoPlace();
    // Only where no file of that name exists: a hard link is made or refused in one step.
    if (::link(m_temp.c_str(), m_target.c_str()) == 0) {
        kept = true;
    } else if (errno != EEXIST) {
        // A file system without hard links: test, then rename.
        struct stat st {};
        if (::lstat(m_target.c_str(), &st) != 0 && errno == ENOENT) return renameIntoPlace();
    }
    Discard();
    return true;
}

void PendingEdt::Release() noexcept
{
    Unregister(m_slot);
    m_slot = -1;
    m_temp.clear();
}

void PendingEdt::Discard() noexcept
{
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    Release();
}

}  // namespace zelto_detail
