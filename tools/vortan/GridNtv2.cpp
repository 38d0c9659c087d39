#include "GridNtv2.h"

#include "GridBytes.h"

#include <cmath>

namespace {
constexpr size_t kRecord = 16;

std::string Trimmed(const char* p, size_t n) {
    std::string s(p, n);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// The records of one header block, by key.
class HeaderBlock {
public:
    HeaderBlock(const std::string& bytes, size_t at, size_t count, std::endian order, const std::string& where)
        : bytes_(bytes), at_(at), count_(count), order_(order), where_(where) {}
    const char* Find(const char* key) const {
        const size_t len = std::strlen(key);
        for (size_t i = 0; i < count_; ++i) {
            const char* rec = bytes_.data() + at_ + i * kRecord;
            if (std::memcmp(rec, key, len) == 0 && (len == 8 || Trimmed(rec + len, 8 - len).empty())) return rec + 8;
        }
        throw GridError(where_ + ": the record " + key + " is missing");
    }
    std::string Text(const char* key) const { return Trimmed(Find(key), 8); }
    int32_t Int(const char* key) const { return gridbytes::Read<int32_t>(Find(key), order_); }
    double Double(const char* key) const { return gridbytes::Read<double>(Find(key), order_); }

private:
    const std::string& bytes_;
    size_t at_, count_;
    std::endian order_;
    std::string where_;
};

std::endian OrderOf(const std::string& bytes) {
    if (gridbytes::Read<int32_t>(bytes.data() + 8, std::endian::little) == 11) return std::endian::little;
    if (gridbytes::Read<int32_t>(bytes.data() + 8, std::endian::big) == 11) return std::endian::big;
    // Other record counts are legal; take the order that gives a small one.
    const int32_t le = gridbytes::Read<int32_t>(bytes.data() + 8, std::endian::little);
    return le > 0 && le < 4096 ? std::endian::little : std::endian::big;
}

// Count of nodes along one axis: extent / increment + 1, refused unless whole.
int32_t NodeCount(double from, double to, double inc, const std::string& where, const char* axis) {
    if (!(std::isfinite(from) && std::isfinite(to) && std::isfinite(inc)) || inc <= 0.0 || to < from)
        throw GridError(where + ": the " + axis + " extent " + NumberText(from) + " to " + NumberText(to) +
                        " with increment " + NumberText(inc) + " describes no grid");
    const double n = (to - from) / inc;
    if (std::fabs(n - std::round(n)) > 1e-6 || n + 1 > 1e8)
        throw GridError(where + ": the " + axis + " extent " + NumberText(to - from) +
                        "\" is not a whole number of increments of " + NumberText(inc) + "\"");
    return static_cast<int32_t>(std::round(n)) + 1;
}
}  // namespace

bool LooksLikeNtv2(const std::string& bytes) {
    return bytes.size() >= kRecord && bytes.compare(0, 8, "NUM_OREC") == 0;
}

Ntv2File ReadNtv2(const std::string& path, const std::string& bytes) {
    if (!LooksLikeNtv2(bytes)) throw GridError(path + ": not an NTv2 grid: it does not begin with NUM_OREC");
    const std::endian order = OrderOf(bytes);
    const int32_t orec = gridbytes::Read<int32_t>(bytes.data() + 8, order);
    if (orec < 3 || orec > 4096 || bytes.size() < static_cast<size_t>(orec) * kRecord)
        throw GridError(path + ": broken NTv2 overview header (NUM_OREC " + std::to_string(orec) + ", " +
                        std::to_string(bytes.size()) + " bytes)");
    const HeaderBlock overview(bytes, 0, static_cast<size_t>(orec), order, path + ": NTv2 overview header");
    const int32_t srec = overview.Int("NUM_SREC");
    const int32_t count = overview.Int("NUM_FILE");
    if (srec < 9 || srec > 4096 || count < 1 || count > 100000)
        throw GridError(path + ": broken NTv2 overview header (NUM_SREC " + std::to_string(srec) + ", NUM_FILE " +
                        std::to_string(count) + ")");
    const std::string type = overview.Text("GS_TYPE");
    if (type != "SECONDS")
        throw GridError(path + ": NTv2 unit \"" + type + "\" is not supported; only SECONDS (arc-seconds)");

    Ntv2File f;
    f.systemFrom = overview.Text("SYSTEM_F");
    f.systemTo = overview.Text("SYSTEM_T");
    size_t at = static_cast<size_t>(orec) * kRecord;
    for (int32_t i = 0; i < count; ++i) {
        const std::string where = path + ": NTv2 sub-grid " + std::to_string(i + 1) + " of " + std::to_string(count);
        if (bytes.size() < at + static_cast<size_t>(srec) * kRecord)
            throw GridError(where + ": the file ends inside its header (truncated)");
        const HeaderBlock h(bytes, at, static_cast<size_t>(srec), order, where);
        Ntv2SubGrid s;
        s.name = h.Text("SUB_NAME");
        s.parent = h.Text("PARENT");
        s.south = h.Double("S_LAT");
        s.north = h.Double("N_LAT");
        s.eastW = h.Double("E_LONG");
        s.westW = h.Double("W_LONG");
        s.latInc = h.Double("LAT_INC");
        s.lonInc = h.Double("LONG_INC");
        const int32_t nodes = h.Int("GS_COUNT");
        s.rows = NodeCount(s.south, s.north, s.latInc, where + " \"" + s.name + "\"", "latitude");
        s.cols = NodeCount(s.eastW, s.westW, s.lonInc, where + " \"" + s.name + "\"", "longitude");
        if (static_cast<int64_t>(s.rows) * s.cols != nodes)
            throw GridError(where + " \"" + s.name + "\": GS_COUNT " + std::to_string(nodes) + " does not match " +
                            std::to_string(s.rows) + " rows of " + std::to_string(s.cols) + " columns");
        s.dataOffset = at + static_cast<size_t>(srec) * kRecord;
        at = s.dataOffset + static_cast<size_t>(nodes) * kRecord;
        if (bytes.size() < at)
            throw GridError(where + " \"" + s.name + "\": the file ends inside its " + std::to_string(nodes) +
                            " nodes (truncated: " + std::to_string(bytes.size()) + " of at least " +
                            std::to_string(at) + " bytes)");
        f.subGrids.push_back(s);
    }
    return f;
}

GridImage Ntv2Grid(const Ntv2File& f, size_t index, const std::string& bytes) {
    const Ntv2SubGrid& s = f.subGrids.at(index);
    const std::endian order = OrderOf(bytes);
    GridImage g;
    g.text = f.systemFrom + " to " + f.systemTo + " " + s.name;
    g.south = s.south / 3600.0;
    g.west = -s.westW / 3600.0;
    g.latStepSec = s.latInc;
    g.lonStepSec = s.lonInc;
    g.rows = s.rows;
    g.cols = s.cols;
    g.values = 2;
    g.nodes.resize(static_cast<size_t>(s.rows) * static_cast<size_t>(s.cols) * 2);
    for (int32_t r = 0; r < s.rows; ++r) {
        for (int32_t c = 0; c < s.cols; ++c) {
            // Stored from the east: file column 0 is the library's last.
            const size_t rec = s.dataOffset + (static_cast<size_t>(r) * static_cast<size_t>(s.cols) +
                                               static_cast<size_t>(c)) * kRecord;
            const float dLat = gridbytes::Read<float>(bytes.data() + rec, order);
            const float dLonWest = gridbytes::Read<float>(bytes.data() + rec + 4, order);
            const size_t to = (static_cast<size_t>(r) * static_cast<size_t>(s.cols) +
                               static_cast<size_t>(s.cols - 1 - c)) * 2;
            g.nodes[to] = dLat;
            g.nodes[to + 1] = -dLonWest;
        }
    }
    return g;
}

size_t ChooseSubGrid(const Ntv2File& f, const std::string& path, const std::string& name) {
    for (size_t i = 0; i < f.subGrids.size(); ++i) {
        const Ntv2SubGrid& s = f.subGrids[i];
        if (name.empty() ? s.parent == "NONE" : s.name == name) return i;
    }
    std::string names;
    for (const Ntv2SubGrid& s : f.subGrids) names += (names.empty() ? "" : ", ") + s.name;
    throw GridError(path + ": " +
                    (name.empty() ? std::string("no top-level sub-grid (parent NONE)")
                                  : "no sub-grid named \"" + name + "\"") +
                    "; its sub-grids: " + names);
}
