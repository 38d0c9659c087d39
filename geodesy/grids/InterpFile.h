// InterpFile: a regular latitude/longitude grid file (geoid or datum shift),
// read two rows at a time and interpolated.
//
// File layout (little-endian), a sequence of records of 4 + 4*cols*values
// bytes. Record 0 holds the 96-byte header; grid row r (r = 0 southernmost)
// is record r + 1: a 4-byte lead field, then cols*values float32, node by node
// from the western edge eastward, the values of one node consecutive.
//
// Header: bytes 0..29 descriptive text, 32 and 40 two doubles (only with the
// signature), 56 the signature "QUORVANE" (any letter case), 64 cols, 68 rows,
// 72 values (int32), 76 west longitude, 80 longitude spacing, 84 south
// latitude, 88 latitude spacing (float32, degrees). Without the signature
// bytes 0..55 are the descriptive block and both header values are 0.
//
// The file stays open for the grid's life; only the two rows around the
// current cell are held in memory. Rows are read with positioned reads, so
// the only shared state is the cell cache and the row buffers: one grid must
// still not be used by two threads at once.
#ifndef VORTAN_INTERPFILE_H
#define VORTAN_INTERPFILE_H

#include "errcode.h"

#include <cstdint>
#include <string>
#include <vector>

class InterpFile {
public:
    // Open codes (all severity 4): 1 the file cannot be opened, 2 the grid
    // origin is out of range, 3 the header cannot be read or does not describe
    // a usable grid (counts below 1, spacings not positive and finite or below
    // half an arc-second, records shorter than the header or sizes too large,
    // a file shorter than its rows).
    // Lookup code 4: point outside the grid (or not a finite number); code 3:
    // a row could not be read (the file changed under the grid).

    // Runs Open; a failed Open is thrown as an errcode (severity 4) carrying
    // the Open code, so a constructed grid is always usable.
    InterpFile(const char* path, bool westPositive);
    ~InterpFile();
    InterpFile(const InterpFile&) = delete;
    InterpFile& operator=(const InterpFile&) = delete;

    // Reads the header of the file at path and prepares the row buffers;
    // replaces whatever grid this object held. westPositive: longitudes in
    // the file count positive westward (both users in the library pass false).
    // On failure the object holds no grid and every Lookup fails.
    errcode Open(const char* path, bool westPositive);

    // Interpolates every value stored per node at (lat, lon), radians, and
    // writes Values() doubles to out. *count (when given) gets Values(), or 0
    // on failure. The grid's edges are inside. A grid whose east edge lies
    // beyond 180 degrees (laid out 0..360) takes negative longitudes + 2 pi.
    errcode Lookup(double lat, double lon, int32_t* count, double* out);

    // The value in one cell from its corners (south-west, south-east,
    // north-east, north-west) and the fractions fx (east), fy (north) in 0..1:
    // bilinear weights taken through the cubic step s(t) = 3t^2 - 2t^3.
    static double Interpolate(const double corners[4], double fx, double fy);

    const std::string& Path() const noexcept { return path_; }
    bool IsOpen() const noexcept { return fd_ >= 0; }
    int32_t Rows() const noexcept { return rows_; }
    int32_t Cols() const noexcept { return cols_; }
    int32_t Values() const noexcept { return values_; }
    int32_t RecordSize() const noexcept { return recordSize_; }
    double South() const noexcept { return south_; }   // radians
    double North() const noexcept { return north_; }
    double West() const noexcept { return west_; }
    double East() const noexcept { return east_; }
    double LatStep() const noexcept { return latStep_; }
    double LonStep() const noexcept { return lonStep_; }
    double HeaderValue1() const noexcept { return header1_; }
    double HeaderValue2() const noexcept { return header2_; }
    // The descriptive block: 30 or 56 bytes from the header, NUL-padded.
    const char* Description() const noexcept { return description_; }
    // Number of row records read from the file so far (two per new cell).
    int64_t RecordReads() const noexcept { return recordReads_; }

private:
    void Close() noexcept;
    bool ReadRecord(int32_t record, std::vector<float>& into);

    int fd_ = -1;
    std::string path_;
    double south_ = 0.0, north_ = 0.0, west_ = 0.0, east_ = 0.0;
    double latStep_ = 0.0, lonStep_ = 0.0;
    double header1_ = 0.0, header2_ = 0.0;
    int32_t rows_ = 0, cols_ = 0, values_ = 0, recordSize_ = 0;
    std::vector<float> lower_, upper_;
    bool upperInside_ = false;  // false on the northern edge row
    int32_t cachedRow_ = -1, cachedCol_ = -1;
    double corners_[4] = {0.0, 0.0, 0.0, 0.0};
    char description_[57] = {};
    uint8_t flag_ = 0;
    int64_t recordReads_ = 0;
};

#endif
