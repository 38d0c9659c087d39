#include "GridCommand.h"

#include "GridBytes.h"
#include "GridGtx.h"
#include "GridImage.h"
#include "GridLibraryFormat.h"
#include "GridNtv2.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace {

void Usage(std::FILE* to) {
    std::fputs(
        "usage: vortan grid import [--subgrid NAME] [--text TEXT] [--densify N] IN OUT\n"
        "       vortan grid info FILE\n"
        "import: a GTX geoid model or an NTv2 datum-shift grid (.gsb) into the library's grid\n"
        "        format, for the Geoid and DynDatum keys of a definition file. NTv2 files with\n"
        "        several sub-grids give one: --subgrid NAME, by default the first top-level one.\n"
        "        --text: the grid's descriptive text (at most 30 bytes are kept).\n"
        "        --densify N: N x N cells for each cell, new nodes interpolated bilinearly, so\n"
        "        that lookups between the old nodes follow the bilinear surface N times closer.\n"
        "info:   extent, spacing, counts, values per node, text and value range of a grid in\n"
        "        the library's format, GTX or NTv2.\n",
        to);
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = s[s.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

std::string Seconds(double s) { return NumberText(s) + "\""; }

// The description shared by import and info.
void Describe(std::ostream& out, const GridImage& g, const std::vector<std::string>& valueNames) {
    out << "text:      " << g.text << "\n"
        << "extent:    latitude " << DegreesText(g.south) << " to " << DegreesText(g.North()) << ", longitude "
        << DegreesText(g.west) << " to " << DegreesText(g.East()) << " (degrees, east positive)\n"
        << "spacing:   latitude " << Seconds(g.latStepSec) << ", longitude " << Seconds(g.lonStepSec)
        << " (arc-seconds)\n"
        << "counts:    " << g.rows << " rows, " << g.cols << " columns, " << g.values
        << (g.values == 1 ? " value" : " values") << " per node\n";
    const std::vector<ValueRange> ranges = ValueRanges(g);
    for (size_t k = 0; k < ranges.size(); ++k) {
        const ValueRange& r = ranges[k];
        out << "value " << k + 1;
        if (k < valueNames.size()) out << " (" << valueNames[k] << ")";
        out << ": ";
        if (r.present > 0)
            out << "min " << FloatText(static_cast<float>(r.min)) << ", max " << FloatText(static_cast<float>(r.max));
        else
            out << "no value";
        out << "; " << r.present << " nodes";
        if (r.missing > 0) out << ", " << r.missing << " missing (NaN)";
        out << "\n";
    }
}

const std::vector<std::string> kGeoidValues = {"metres"};
const std::vector<std::string> kShiftValues = {"latitude shift, arc-seconds",
                                               "longitude shift, arc-seconds east"};

std::vector<std::string> ValueNames(int32_t values) {
    if (values == 1) return kGeoidValues;
    if (values == 2) return kShiftValues;
    if (values >= 3) return {"dx, metres", "dy, metres", "dz, metres"};
    return {};
}

int Import(std::ostream& os, const std::string& in, const std::string& out, const std::string& subgrid,
           const std::string* text, int32_t densify) {
    const std::string bytes = gridbytes::ReadFile(in);
    GridImage g;
    std::vector<std::string> notes;
    std::string format;
    if (LooksLikeNtv2(bytes)) {
        const Ntv2File f = ReadNtv2(in, bytes);
        const size_t pick = ChooseSubGrid(f, in, subgrid);
        g = Ntv2Grid(f, pick, bytes);
        format = "NTv2, sub-grid " + f.subGrids[pick].name;
        std::string left;
        for (size_t i = 0; i < f.subGrids.size(); ++i)
            if (i != pick) left += (left.empty() ? "" : ", ") + f.subGrids[i].name;
        if (!left.empty()) notes.push_back("sub-grids left out: " + left);
    } else if (!subgrid.empty()) {
        throw GridError(in + ": --subgrid applies to NTv2 grids only");
    } else if (LooksLikeGtx(bytes) || EndsWithNoCase(in, ".gtx")) {
        g = ReadGtx(in, bytes);
        g.text = std::filesystem::path(in).filename().string();
        format = "GTX";
        if (AddWrapColumn(g))
            notes.push_back("the grid goes round the globe: its first column is repeated at " +
                            DegreesText(g.East()) + " degrees east");
    } else {
        throw GridError(in + ": not a GTX or NTv2 grid (an NTv2 file begins with NUM_OREC; a GTX file's size "
                             "is 40 bytes plus 4 a node of its header's counts)");
    }
    if (densify > 1) {
        for (const double sec : {g.latStepSec, g.lonStepSec})
            if (std::fabs(sec / densify - std::round(sec / densify)) > 1e-6)
                throw GridError(in + ": --densify " + std::to_string(densify) + ": the spacing of " + Seconds(sec) +
                                " does not divide into " + std::to_string(densify) + " whole arc-seconds");
        // Checked before the nodes are made: memory for them and the file.
        const double size = 4.0 * g.values * ((g.cols - 1.0) * densify + 1.0) * ((g.rows - 1.0) * densify + 1.0);
        if (size > 4294967296.0)
            throw GridError(in + ": --densify " + std::to_string(densify) + ": the grid would take " +
                            NumberText(size / 1073741824.0, 1) + " GiB, more than the 4 GiB allowed");
        Densify(g, densify);
        notes.push_back("densified " + std::to_string(densify) + " x " + std::to_string(densify) +
                        ": new nodes interpolated bilinearly");
    }
    if (text != nullptr) g.text = *text;
    if (g.text.size() > 30) {
        notes.push_back("the text \"" + g.text + "\" is cut to its first 30 bytes");
        g.text.resize(30);
    }
    for (const std::string& n : CheckLibraryGrid(g, out)) notes.push_back(n);
    WriteFileAtomically(out, LibraryGridBytes(g));
    os << "imported:  " << in << " (" << format << ")\n"
       << "written:   " << out << "\n";
    Describe(os, g, ValueNames(g.values));
    for (const std::string& n : notes) os << "note:      " << n << "\n";
    return 0;
}

int Info(std::ostream& os, const std::string& path) {
    const std::string bytes = gridbytes::ReadFile(path);
    os << "file:      " << path << "\n";
    if (LooksLikeNtv2(bytes)) {
        const Ntv2File f = ReadNtv2(path, bytes);
        os << "format:    NTv2, " << f.subGrids.size() << " sub-grid" << (f.subGrids.size() == 1 ? "" : "s")
           << ", from " << f.systemFrom << " to " << f.systemTo << "\n";
        for (size_t i = 0; i < f.subGrids.size(); ++i) {
            const Ntv2SubGrid& s = f.subGrids[i];
            os << "sub-grid " << i + 1 << ": " << s.name << " (parent " << s.parent << ")\n";
            Describe(os, Ntv2Grid(f, i, bytes), kShiftValues);
        }
        return 0;
    }
    const bool signature = HasLibrarySignature(bytes);
    if ((signature || !LooksLikeGtx(bytes)) && LooksLikeLibraryGrid(bytes)) {
        const GridImage g = ReadLibraryGrid(path, bytes);
        os << "format:    library grid " << (signature ? "(signature QUORVANE)" : "(no signature)") << "\n"
           << "header:    " << NumberText(g.header1) << " " << NumberText(g.header2) << "\n";
        Describe(os, g, ValueNames(g.values));
        return 0;
    }
    if (LooksLikeGtx(bytes) || EndsWithNoCase(path, ".gtx")) {
        const GridImage g = ReadGtx(path, bytes);
        os << "format:    GTX\n";
        Describe(os, g, kGeoidValues);
        return 0;
    }
    throw GridError(path + ": not a grid in the library's format, GTX or NTv2");
}

}  // namespace

int RunGridCommand(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        Usage(args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    const std::string verb = args[0];
    std::string subgrid, text;
    bool haveText = false;
    int32_t densify = 1;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--subgrid" || a == "--text") && verb == "import") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "vortan grid: %s needs a value\n", a.c_str());
                return 2;
            }
            (a == "--subgrid" ? subgrid : text) = args[++i];
            if (a == "--text") haveText = true;
            if (a == "--subgrid" && subgrid.empty()) {
                std::fprintf(stderr, "vortan grid: --subgrid needs a name\n");
                return 2;
            }
        } else if (a == "--densify" && verb == "import") {
            const std::string v = i + 1 < args.size() ? args[++i] : "";
            int32_t n = 0;
            const auto res = std::from_chars(v.data(), v.data() + v.size(), n);
            if (v.empty() || res.ec != std::errc() || res.ptr != v.data() + v.size() || n < 1 || n > 100) {
                std::fprintf(stderr, "vortan grid: --densify takes a whole number 1 to 100\n");
                return 2;
            }
            densify = n;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "vortan grid: unknown option %s\n", a.c_str());
            Usage(stderr);
            return 2;
        } else {
            files.push_back(a);
        }
    }
    const size_t want = verb == "import" ? 2 : verb == "info" ? 1 : 0;
    if (want == 0 || files.size() != want) {
        if (want == 0) std::fprintf(stderr, "vortan grid: unknown command %s\n", verb.c_str());
        Usage(stderr);
        return 2;
    }
    // Whatever the process locale: the classic one for every number written.
    std::ostringstream os;
    os.imbue(std::locale::classic());
    std::string failure;
    try {
        if (verb == "import")
            Import(os, files[0], files[1], subgrid, haveText ? &text : nullptr, densify);
        else
            Info(os, files[0]);
    } catch (const GridError& e) {
        failure = e.what();
    } catch (const std::bad_alloc&) {
        failure = "not enough memory for the grid";
    }
    std::cout << os.str();
    std::cout.flush();
    if (failure.empty()) return 0;
    std::fprintf(stderr, "vortan grid: %s\n", failure.c_str());
    return 1;
}
