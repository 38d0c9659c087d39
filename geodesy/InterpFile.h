// InterpFile: a regular latitude/longitude grid file (geoid or datum shift),
// read two rows at a time and interpolated.
#ifndef VORTAN_INTERPFILE_H
#define VORTAN_INTERPFILE_H

// Placeholder until the grid reader is written.
class InterpFile {
public:
    InterpFile() = default;
    ~InterpFile() = default;
    InterpFile(const InterpFile&) = delete;
    InterpFile& operator=(const InterpFile&) = delete;
};

#endif
