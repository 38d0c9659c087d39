// The installation directory of the survey suite and the paths of the grid
// files (datum shifts, geoid models) kept in its "datum" folder.
#ifndef VORTAN_INSTALLDIR_H
#define VORTAN_INSTALLDIR_H

#include <optional>
#include <string>
#include <string_view>

// Paths handed to the grid reader and definition files may have at most this
// many characters (the 256-byte buffers of the suite's other programs).
inline constexpr size_t kMaxPathChars = 255;

// The suite's directory: the environment variable "QVO_BRAMIX" (at most 255
// characters), else the folder of the running program. Found once and cached
// for the process; later calls return the cache. When buffer is given (at
// least 256 bytes) the directory is copied into it. Never null.
const char* GetInstallDir(char* buffer = nullptr);

// Forgets the cached directory so the next call looks again (tests only).
void ResetInstallDirCache();

// The file-name part of a DynDatum or Geoid value: the text after the last
// backslash or slash, the whole value when it has neither.
std::string_view GridFileName(std::string_view value);

// installDir + "/datum/" + GridFileName(value); nullopt when the result would
// exceed kMaxPathChars (a longer path is refused, never cut into the name of
// another file) or when installDir is empty (no directory was found).
std::optional<std::string> DatumFilePath(std::string_view installDir, std::string_view value);

#endif
