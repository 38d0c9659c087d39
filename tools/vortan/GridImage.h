// GridImage: a regular latitude/longitude grid held whole in memory, the form
// in which `vortan grid` carries a geoid model or a datum-shift grid from a
// public format (GTX, NTv2) to the library's own grid format and back.
//
// Conventions: degrees for the origin, arc-seconds for the spacing, longitudes
// positive eastward. Nodes run row by row from the southern row northward,
// each row from the western column eastward; the values of one node are
// consecutive. A missing node (a GTX null value) is a quiet NaN.
#ifndef VORTAN_TOOL_GRIDIMAGE_H
#define VORTAN_TOOL_GRIDIMAGE_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Every refusal of the grid tool: a message that names the file and what is
// wrong with it, printed as it stands.
class GridError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct GridImage {
    std::string text;        // descriptive text (30 bytes survive in the library format)
    double west = 0.0;       // longitude of the first column, degrees east
    double south = 0.0;      // latitude of the first row, degrees north
    double lonStepSec = 0.0; // spacing, arc-seconds
    double latStepSec = 0.0;
    int32_t cols = 0, rows = 0, values = 0;
    double header1 = 0.0, header2 = 0.0;  // the library format's two header doubles
    std::vector<float> nodes;             // cols*rows*values, order as above

    float At(int32_t row, int32_t col, int32_t k) const {
        return nodes[(static_cast<size_t>(row) * static_cast<size_t>(cols) + static_cast<size_t>(col)) *
                         static_cast<size_t>(values) + static_cast<size_t>(k)];
    }
    double East() const { return west + (cols - 1) * lonStepSec / 3600.0; }
    double North() const { return south + (rows - 1) * latStepSec / 3600.0; }
};

// A grid whose columns go once round the globe (cols * spacing = 360 degrees)
// gets its first column again as an eastern column, so that the last cell
// before the starting meridian can be interpolated. Returns true when the
// column was added.
bool AddWrapColumn(GridImage& g);

// Splits every cell into n x n cells whose new nodes are the bilinear
// interpolation of the old ones (the interpolation GTX and NTv2 grids are made
// for): looked up with the library's own weights, the finer grid follows the
// public tools' surface n times more closely between the old nodes. A new
// node with a missing (NaN) node among the corners that weigh in is missing.
// The spacings must divide by n into whole arc-seconds (checked by the caller).
void Densify(GridImage& g, int32_t n);

// Range of one value over the grid's nodes; missing nodes are counted apart.
struct ValueRange {
    double min = 0.0, max = 0.0;
    int64_t present = 0, missing = 0;
};
std::vector<ValueRange> ValueRanges(const GridImage& g);

// Locale-independent text of a number: the shortest text that reads back to
// the same double, or `decimals` fixed decimals when decimals >= 0.
std::string NumberText(double v, int decimals = -1);
// The shortest text of a single-precision value (grid node values).
std::string FloatText(float v);
// Degrees with at most 8 decimals, trailing zeros dropped.
std::string DegreesText(double v);

#endif
