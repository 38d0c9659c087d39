// EdtOutputFile.h - where a conversion's .EDT goes while it is being written.
//
// The records go to a temporary file beside the target (".NAME.EDT.xxxxxx" in the
// target's folder) that replaces the target in one rename when the conversion is
// complete. A conversion that fails leaves the target as it was and no temporary
// behind. Internal to the converter library.
#pragma once

#include <string>

namespace zelto_detail {

// The input's .EDT path: in the input's folder, the input's file name up to its last full
// stop (the whole name when it has none), then ".EDT".
std::string EdtPathFor(const std::string& csvPath);

class PendingEdt {
public:
    PendingEdt() = default;
    ~PendingEdt() { Discard(); }
    PendingEdt(const PendingEdt&) = delete;
    PendingEdt& operator=(const PendingEdt&) = delete;

    // Checks the target and creates the temporary. Refuses a target that is the input itself
    // (the same file through any name or link, or a name equal but for letter case), a target
    // that is not a regular file, and a folder that cannot take the temporary. On failure
    // `reason` holds the system's reason and nothing exists on disk.
    bool Begin(const std::string& input, const std::string& target, std::string& reason);
    const std::string& TempPath() const { return m_temp; }
    // Whether a file stood at the target when Begin looked.
    bool Replaces() const { return m_replaces; }

    // Puts the written temporary in the target's place: replacing any file there, or (with
    // replace false, for a cancelled run) only where no file of that name exists; an existing
    // file then stays as it was and the temporary is removed. `kept` tells whether the
    // temporary took the target's place. False with `reason` when the rename fails.
    bool Commit(bool replace, bool& kept, std::string& reason);
    // Removes the temporary, if any.
    void Discard() noexcept;

private:
    void Release() noexcept;
    std::string m_target;  // the file to replace: a link's target when the name is a link
    std::string m_temp;
    int m_slot = -1;  // entry of the signal-time removal list
    bool m_replaces = false;
};

}  // namespace zelto_detail
