// FileHelpers.h - the low-level file work that the converter's readers, writers and
// messages share. Internal to the converter library.
#pragma once

#include <cstddef>
#include <string>

namespace zelto_detail {

// Writes all `size` bytes at `data` to the file `fd`, again where a write was interrupted or
// took only part. False (errno set; ENOSPC for a write that took nothing) when one failed.
bool WriteAll(int fd, const char* data, std::size_t size);

// A path as a message shows it: the message is a C string, so a NUL in the path is shown
// as "\0" and what follows it still shows.
std::string ShownPath(const std::string& path);

// The system's reason why `path` cannot be read as a survey export or definition file
// ("No such file or directory", "Is a directory", ...); empty when it can.
std::string UnreadableReason(const std::string& path);

}  // namespace zelto_detail
