// A fuzz target's private folder under /tmp, made on first use and removed with all its
// files when the target exits, so that runs of the fuzzers leave nothing behind.
#ifndef ZELTO_FUZZ_SCRATCH_FOLDER_H
#define ZELTO_FUZZ_SCRATCH_FOLDER_H

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class ScratchFolder {
public:
    // name: the start of the folder's name ("fuzz_csv_file" gives /tmp/fuzz_csv_file_XXXXXX).
    explicit ScratchFolder(const std::string& name) : path_("/tmp/" + name + "_XXXXXX") {
        if (::mkdtemp(path_.data()) == nullptr) std::abort();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

#endif
