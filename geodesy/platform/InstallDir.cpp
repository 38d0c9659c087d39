#include "InstallDir.h"

#include "DebugLog.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include <unistd.h>

namespace {

std::mutex g_mutex;
char g_dir[kMaxPathChars + 1] = {0};

void Store(std::string_view dir) {
    size_t n = dir.size() <= kMaxPathChars ? dir.size() : 0;
    std::memcpy(g_dir, dir.data(), n);
    g_dir[n] = '\0';
}

void Find() {
    // The registry keys of the Windows suite have no counterpart here: the
    // environment variable comes first, then the program's own folder.
    if (const char* env = std::getenv("QVO_BRAMIX"); env && *env) {
        if (std::strlen(env) <= kMaxPathChars) {
            Store(env);
            return;
        }
        // Cut, it would name another folder; say why the program's folder
        // is searched for the grids instead.
        DebugLog("QVO_BRAMIX is longer than %d characters; the program's folder is used",
                 static_cast<int>(kMaxPathChars));
    }
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    std::string_view path(exe, static_cast<size_t>(n));
    size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return;
    // The folder of "/prog" is "/", not the empty string.
    Store(slash == 0 ? std::string_view("/") : path.substr(0, slash));
}

}  // namespace

const char* GetInstallDir(char* buffer) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_dir[0] == '\0') Find();
    if (buffer) std::memcpy(buffer, g_dir, std::strlen(g_dir) + 1);
    return g_dir;
}

void ResetInstallDirCache() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_dir[0] = '\0';
}

std::string_view GridFileName(std::string_view value) {
    size_t cut = value.find_last_of("\\/");
    return cut == std::string_view::npos ? value : value.substr(cut + 1);
}

std::optional<std::string> DatumFilePath(std::string_view installDir, std::string_view value) {
    // Without a directory the path would start at the root ("/datum/..."):
    // another folder than any the suite installed.
    if (installDir.empty()) return std::nullopt;
    std::string path(installDir);
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    path += "/datum/";
    path += GridFileName(value);
    if (path.size() > kMaxPathChars) return std::nullopt;
    return path;
}
