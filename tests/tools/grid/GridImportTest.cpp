// `vortan grid import` and `grid info` on GTX and NTv2 files built here:
// known values at known nodes, read back through the library's own lookups
// (Undulation, and InvWGS84Conv on a definition file naming the grid), the
// sub-grid choice of NTv2, and files the import must refuse without leaving
// anything behind.
#include "CommaDecimalLocale.h"
#include "GridCommand.h"
#include "SuiteFolderTest.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <locale>
#include <string>
#include <vector>

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
constexpr double kSec = 3.14159265358979323846 / 648000.0;

template <typename T>
void Put(std::string& s, T v, std::endian order) {
    char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    if (order != std::endian::native)
        for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
    s.append(b, sizeof(T));
}

// A GTX file: value(row from the south, column from the west), metres.
std::string Gtx(double south, double west, double latStep, double lonStep, int32_t rows, int32_t cols,
                const std::function<float(int, int)>& value) {
    std::string s;
    for (double d : {south, west, latStep, lonStep}) Put(s, d, std::endian::big);
    Put(s, rows, std::endian::big);
    Put(s, cols, std::endian::big);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) Put(s, value(r, c), std::endian::big);
    return s;
}

// geoid value of the GTX tests, with one null node at row 2, column 5
float GeoidNode(int r, int c) {
    return r == 2 && c == 5 ? -88.8888f : 10.0f * static_cast<float>(r) + 0.25f * static_cast<float>(c) - 5.0f;
}

// An NTv2 sub-grid; extent and spacing in arc-seconds, longitudes west-positive
// as the format has them. shift(row, column counted from the east) gives the
// latitude shift and the west-positive longitude shift.
struct SubGrid {
    std::string name, parent;
    double s, n, e, w, latInc, lonInc;
    std::function<std::pair<float, float>(int, int)> shift;
    int32_t count = -1;  // GS_COUNT when not the true node count
};

std::string Ntv2(const std::vector<SubGrid>& grids, std::endian order = std::endian::little,
                 const char* type = "SECONDS") {
    std::string s;
    const auto key = [&](const char* k) { s += (std::string(k) + "        ").substr(0, 8); };
    const auto text = [&](const char* k, const std::string& v) {
        key(k);
        s += (v + "        ").substr(0, 8);
    };
    const auto integer = [&](const char* k, int32_t v) {
        key(k);
        Put(s, v, order);
        Put(s, int32_t{0}, order);
    };
    const auto real = [&](const char* k, double v) {
        key(k);
        Put(s, v, order);
    };
    integer("NUM_OREC", 11);
    integer("NUM_SREC", 11);
    integer("NUM_FILE", static_cast<int32_t>(grids.size()));
    text("GS_TYPE", type);
    text("VERSION", "NTv2.0");
    text("SYSTEM_F", "OLD");
    text("SYSTEM_T", "NEW");
    for (const char* k : {"MAJOR_F", "MINOR_F", "MAJOR_T", "MINOR_T"}) real(k, 6378137.0);
    for (const SubGrid& g : grids) {
        const int rows = static_cast<int>(std::lround((g.n - g.s) / g.latInc)) + 1;
        const int cols = static_cast<int>(std::lround((g.w - g.e) / g.lonInc)) + 1;
        text("SUB_NAME", g.name);
        text("PARENT", g.parent);
        text("CREATED", "");
        text("UPDATED", "");
        real("S_LAT", g.s);
        real("N_LAT", g.n);
        real("E_LONG", g.e);
        real("W_LONG", g.w);
        real("LAT_INC", g.latInc);
        real("LONG_INC", g.lonInc);
        integer("GS_COUNT", g.count >= 0 ? g.count : rows * cols);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const auto [dLat, dLonW] = g.shift(r, c);
                for (float v : {dLat, dLonW, 0.01f, 0.01f}) Put(s, v, order);
            }
    }
    text("END", "");
    return s;
}

// 50..51 N, 8..10 E: 3 rows of 49 columns (150" apart), shifts that differ
// at every node, so that a row or column taken from the wrong end shows.
SubGrid Germanish() {
    return {"MAIN", "NONE", 180000, 183600, -36000, -28800, 1800, 150, [](int r, int cE) {
                return std::pair{1.5f + 0.25f * static_cast<float>(r) + 0.0625f * static_cast<float>(cE),
                                 4.0f - 0.125f * static_cast<float>(cE)};
            }};
}

struct Outcome {
    int rc;
    std::string out, err;
};

class GridImport : public SuiteFolderTest {
protected:
    Outcome Grid(std::vector<std::string> args) {
        args.insert(args.begin(), "grid");
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int rc = RunGridCommand(static_cast<int>(argv.size()), argv.data());
        std::string out = testing::internal::GetCapturedStdout();
        return {rc, out, testing::internal::GetCapturedStderr()};
    }
    // Imports the bytes (written as `name`) into the datum folder as `grid`.
    Outcome Import(const std::string& name, const std::string& bytes, const std::string& grid,
               std::vector<std::string> options = {}) {
        options.push_back(Write(name, bytes));
        options.push_back(DatumFolder(grid));
        options.insert(options.begin(), "import");
        return Grid(options);
    }
};

TEST_F(GridImport, GtxNodesReadBackThroughUndulation) {
    // 40..41.5 N, laid out from 350 E (= 10 W) in 30' steps to 1.5 E.
    const Outcome run = Import("geoid.gtx", Gtx(40.0, 350.0, 0.5, 0.5, 4, 24, GeoidNode), "geoid.grd");
    ASSERT_EQ(run.rc, 0) << run.err;
    GEODESY h = Open(std::string(kClarkeUtm11) + "Geoid=geoid.grd\n");
    ASSERT_NE(h, nullptr);
    struct Case {
        double lat, lon;
        int row, col;  // the node, or row -1: outside the grid
    };
    const Case cases[] = {
        {40.0, -10.0, 0, 0},  {40.5, 0.0, 1, 20},    {41.0, 1.5, 2, 23},  // eastern edge
        {41.5, -8.5, 3, 3},   {41.5, 1.5, 3, 23},    // northern edge, north-east corner
        {39.99, 0.0, -1, 0},  {40.0, 1.51, -1, 0},   {41.0, -10.01, -1, 0},
    };
    for (const Case& c : cases) {
        double n = -1.0;
        const int ok = Undulation(h, c.lat * kDegToRad, c.lon * kDegToRad, &n);
        if (c.row < 0) {
            EXPECT_EQ(ok, 0) << c.lat << " " << c.lon;
            EXPECT_EQ(GetGeodesyError(), 8);
        } else {
            EXPECT_EQ(ok, 1) << c.lat << " " << c.lon;
            EXPECT_NEAR(n, GeoidNode(c.row, c.col), 1e-9) << c.lat << " " << c.lon;
        }
    }
    // The GTX null node is a NaN in the grid: every cell around it has no
    // undulation (error 8, the correction alone), never the null value as if it
    // were one, nor a NaN reported as success.
    for (const auto& [lat, lon] : {std::pair{41.0, -7.5}, std::pair{40.75, -7.25}, std::pair{41.25, -7.75}}) {
        double n = 0.0;
        const int ok = Undulation(h, lat * kDegToRad, lon * kDegToRad, &n);
        EXPECT_EQ(ok, 0) << lat << " " << lon << ": " << n;
        EXPECT_EQ(GetGeodesyError(), 8);
        EXPECT_EQ(n, 0.0);
    }
}

TEST_F(GridImport, GlobalGtxGetsItsWrapColumn) {
    // 24 columns of 15 degrees go once round: the first column comes again in
    // the east, so the last cell (165 to 180 E) interpolates towards it,
    // whether the file starts at 180 W or at 0 E.
    for (const double west : {-180.0, 0.0}) {
        SCOPED_TRACE(west);
        const auto node = [](int r, int c) { return static_cast<float>(100 * r + c); };
        const Outcome run = Import("world.gtx", Gtx(-15.0, west, 15.0, 15.0, 3, 24, node), "world.grd");
        ASSERT_EQ(run.rc, 0) << run.err;
        EXPECT_NE(run.out.find("its first column is repeated"), std::string::npos) << run.out;
        GEODESY h = Open(std::string(kClarkeUtm11) + "Geoid=world.grd\n", "world.ini");
        ASSERT_NE(h, nullptr);
        const double lastLon = west + 345.0;  // column 23
        const double lastMid = lastLon + 7.5 > 180.0 ? lastLon + 7.5 - 360.0 : lastLon + 7.5;
        double n = 0.0;
        ASSERT_EQ(Undulation(h, 0.0, lastMid * kDegToRad, &n), 1);
        EXPECT_NEAR(n, (node(1, 23) + node(1, 0)) / 2.0, 1e-9);
        ASSERT_EQ(Undulation(h, 0.0, 180.0 * kDegToRad, &n), 1);
        EXPECT_NEAR(n, west == 0.0 ? node(1, 12) : node(1, 0), 1e-9);
        DestroyGeodesy(h);
        opened.pop_back();
    }
}

TEST_F(GridImport, DensifiedGtxFollowsTheBilinearSurface) {
    const std::string gtx = Write("geoid.gtx", Gtx(40.0, 350.0, 0.5, 0.5, 4, 24, GeoidNode));
    const Outcome run = Grid({"import", "--densify", "2", gtx, DatumFolder("fine.grd")});
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_NE(run.out.find("counts:    7 rows, 47 columns"), std::string::npos) << run.out;
    GEODESY h = Open(std::string(kClarkeUtm11) + "Geoid=fine.grd\n");
    ASSERT_NE(h, nullptr);
    const auto mean = [](std::initializer_list<std::pair<int, int>> nodes) {
        double sum = 0.0;
        for (const auto& [r, c] : nodes) sum += GeoidNode(r, c);
        return sum / static_cast<double>(nodes.size());
    };
    struct Case {
        double lat, lon, expected;
    };
    const Case cases[] = {
        {40.5, 0.0, GeoidNode(1, 20)},                               // an old node
        {40.25, -10.0, mean({{0, 0}, {1, 0}})},                      // half way along a column
        {40.25, -9.75, mean({{0, 0}, {0, 1}, {1, 0}, {1, 1}})},      // a cell's centre
        {41.5, 1.25, mean({{3, 22}, {3, 23}})},                      // on the northern edge
    };
    for (const Case& c : cases) {
        double n = 0.0;
        ASSERT_EQ(Undulation(h, c.lat * kDegToRad, c.lon * kDegToRad, &n), 1);
        EXPECT_NEAR(n, c.expected, 1e-6) << c.lat << " " << c.lon;
    }
    double n = 0.0;  // beside the null node the new node is missing too
    EXPECT_EQ(Undulation(h, 41.0 * kDegToRad, -7.25 * kDegToRad, &n), 0) << n;

    const Outcome odd = Grid({"import", "--densify", "7", gtx, DatumFolder("odd.grd")});
    EXPECT_EQ(odd.rc, 1);
    EXPECT_NE(odd.err.find("--densify 7: the spacing of 1800\" does not divide into 7 whole arc-seconds"),
              std::string::npos)
        << odd.err;
    EXPECT_FALSE(std::filesystem::exists(DatumFolder("odd.grd")));
    EXPECT_EQ(Grid({"import", "--densify", "0", gtx, DatumFolder("odd.grd")}).rc, 2);
}

TEST_F(GridImport, Ntv2ShiftsReadBackThroughADefinitionFile) {
    const SubGrid g = Germanish();
    const Outcome run = Import("shift.gsb", Ntv2({g}), "shift.grd");
    ASSERT_EQ(run.rc, 0) << run.err;
    EXPECT_NE(run.out.find("longitude 8 to 10 (degrees, east positive)"), std::string::npos) << run.out;
    GEODESY h = Open(
        "[Geodesy]\nProjection=TME\nSemiMajorAxis=6377397.155\nFlattening=299.1528128\nCentralMeridian=9\n"
        "DynDatum=C:\\Suite\\datum\\shift.grd\n");
    ASSERT_NE(h, nullptr) << GetGeodesyError();
    // Nodes by (row, column from the east, as NTv2 stores them): the corners
    // and one inside. From the project datum to WGS-84 the point moves by the
    // node's shift, the NTv2 longitude shift counting westward.
    const int nodes[][2] = {{0, 0}, {0, 48}, {2, 0}, {2, 48}, {1, 17}};
    for (const auto& [r, cE] : nodes) {
        const double lat = (180000.0 + r * 1800.0) / 3600.0, lon = (36000.0 - cE * 150.0) / 3600.0;
        double phi = lat * kDegToRad, lam = lon * kDegToRad, height = 0.0;
        ASSERT_EQ(InvWGS84Conv(h, &phi, &lam, &height), 1);
        const auto [dLat, dLonW] = g.shift(r, cE);
        EXPECT_NEAR(phi, lat * kDegToRad + dLat * kSec, kMmAngle) << r << " " << cE;
        EXPECT_NEAR(lam, lon * kDegToRad - dLonW * kSec, kMmAngle) << r << " " << cE;
    }
}

TEST_F(GridImport, Ntv2SubGridIsChosenByNameOrFirstParent) {
    // Big-endian, two top-level grids and a finer child of the second.
    const auto constant = [](float dLat) {
        return [dLat](int, int) { return std::pair{dLat, 0.0f}; };
    };
    const std::string file = Ntv2({{"WEST", "NONE", 180000, 183600, 0, 7200, 1800, 600, constant(1.0f)},
                                   {"EAST", "NONE", 180000, 183600, -36000, -28800, 1800, 600, constant(2.0f)},
                                   {"FINE", "EAST", 181800, 182400, -33000, -31800, 300, 60, constant(3.0f)}},
                                  std::endian::big);
    const std::string ini = "[Geodesy]\nProjection=TME\nSemiMajorAxis=6378137\nFlattening=298.257223563\n"
                            "DynDatum=pick.grd\n";
    struct Case {
        std::vector<std::string> options;
        double lat, lon, dLat;  // a point of the imported grid and its shift
        const char* message;
    };
    const Case cases[] = {
        {{}, 50.5, -1.0, 1.0, "sub-grids left out: EAST, FINE"},
        {{"--subgrid", "EAST"}, 50.5, 9.0, 2.0, "sub-grids left out: WEST, FINE"},
        {{"--subgrid", "FINE"}, 50.6, 9.0, 3.0, "sub-grids left out: WEST, EAST"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const Outcome run = Import("multi.gsb", file, "pick.grd", c.options);
        ASSERT_EQ(run.rc, 0) << run.err;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
        GEODESY h = CreateFileGeodesy(Write("pick.ini", ini).c_str(), "Geodesy");
        ASSERT_NE(h, nullptr);
        double phi = c.lat * kDegToRad, lam = c.lon * kDegToRad;
        InvWGS84Conv(h, &phi, &lam, nullptr);
        EXPECT_NEAR(phi, c.lat * kDegToRad + c.dLat * kSec, kMmAngle);
        DestroyGeodesy(h);
    }
    const Outcome none = Import("multi.gsb", file, "none.grd", {"--subgrid", "NOPE"});
    EXPECT_EQ(none.rc, 1);
    EXPECT_NE(none.err.find("no sub-grid named \"NOPE\"; its sub-grids: WEST, EAST, FINE"), std::string::npos)
        << none.err;
    EXPECT_FALSE(std::filesystem::exists(DatumFolder("none.grd")));
}

TEST_F(GridImport, UnusableFilesAreRefusedAndLeaveNothingBehind) {
    const std::string gtx = Gtx(40.0, 350.0, 0.5, 0.5, 4, 24, GeoidNode);
    std::string brokenGtx = gtx;
    std::memset(brokenGtx.data() + 32, 0, 4);  // rows 0
    const std::string ntv2 = Ntv2({Germanish()});
    std::string noNumFile = ntv2;
    std::memcpy(noNumFile.data() + 32, "NUM_FILX", 8);
    SubGrid wrongCount = Germanish(), halfSecond = Germanish();
    wrongCount.count = 100;
    halfSecond.latInc = 1800.5;
    halfSecond.n = 180000 + 2 * 1800.5;
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"cut.gtx", gtx.substr(0, gtx.size() - 10), "need 424 bytes, the file has 414 (truncated)"},
        {"broken.gtx", brokenGtx, "not a usable GTX header"},
        {"narrow.gtx", Gtx(40.0, 0.0, 0.5, 0.5, 4, 10, GeoidNode), "shorter than the 96-byte header record"},
        {"fraction.gtx", Gtx(40.0, 0.0, 0.3 / 3600, 0.5, 4, 24, GeoidNode),
         "latitude spacing of 0.3 arc-seconds is not a whole number"},
        {"cut.gsb", ntv2.substr(0, ntv2.size() - 100), "the file ends inside its 147 nodes (truncated"},
        {"header.gsb", noNumFile, "NTv2 overview header: the record NUM_FILE is missing"},
        {"count.gsb", Ntv2({wrongCount}), "GS_COUNT 100 does not match 3 rows of 49 columns"},
        {"half.gsb", Ntv2({halfSecond}), "latitude spacing of 1800.5 arc-seconds is not a whole number"},
        {"minutes.gsb", Ntv2({Germanish()}, std::endian::little, "MINUTES"), "only SECONDS"},
        {"text.bin", "no grid at all", "not a GTX or NTv2 grid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A grid of the same name from before stays as it was.
        Write("datum/old.grd", "previous");
        const Outcome run = Import(c.name, c.bytes, "old.grd");
        EXPECT_EQ(run.rc, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(TempDir::read(DatumFolder("old.grd")), "previous");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "datum"), {}), 1);
    }
    const Outcome noFolder = Grid({"import", Write("ok.gtx", gtx), dir.file("no/such/folder/g.grd")});
    EXPECT_EQ(noFolder.rc, 1);
    EXPECT_NE(noFolder.err.find("cannot create a file in"), std::string::npos) << noFolder.err;
    EXPECT_EQ(Grid({"info", dir.path().string()}).rc, 1);  // a folder
    EXPECT_EQ(Grid({"import", "only-one"}).rc, 2);
    EXPECT_EQ(Grid({"import", "--subgrid", "A", Write("s.gtx", gtx), DatumFolder("s.grd")}).rc, 1);
}

TEST_F(GridImport, InfoReadsTheSameUnderADecimalCommaLocale) {
    ASSERT_EQ(Import("geoid.gtx", Gtx(40.0, 350.0, 0.5, 0.5, 4, 24, GeoidNode), "geoid.grd").rc, 0);
    const std::string ntv2 = Write("shift.gsb", Ntv2({Germanish()}));
    CommaDecimalLocale comma;
    std::locale saved;
    try {
        std::locale::global(std::locale("de_DE.UTF-8"));
    } catch (const std::runtime_error&) {
    }
    const Outcome geoid = Grid({"info", DatumFolder("geoid.grd")});
    const Outcome shift = Grid({"info", ntv2});
    std::locale::global(saved);
    if (!comma.Active()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    ASSERT_EQ(geoid.rc, 0) << geoid.err;
    for (const char* line : {"format:    library grid (signature QUORVANE)\n", "text:      geoid.gtx\n",
                             "extent:    latitude 40 to 41.5, longitude -10 to 1.5 (degrees, east positive)\n",
                             "spacing:   latitude 1800\", longitude 1800\" (arc-seconds)\n",
                             "counts:    4 rows, 24 columns, 1 value per node\n",
                             "value 1 (metres): min -5, max 30.75; 95 nodes, 1 missing (NaN)\n"})
        EXPECT_NE(geoid.out.find(line), std::string::npos) << line << geoid.out;
    ASSERT_EQ(shift.rc, 0) << shift.err;
    for (const char* line : {"format:    NTv2, 1 sub-grid, from OLD to NEW\n", "sub-grid 1: MAIN (parent NONE)\n",
                             "value 2 (longitude shift, arc-seconds east): min -4, max 2; 147 nodes\n"})
        EXPECT_NE(shift.out.find(line), std::string::npos) << line << shift.out;
}

}  // namespace
