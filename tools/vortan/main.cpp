// vortan: a project's geodesy at the command line, a filter in the manner of
// cs2cs, proj and GeodSolve. Output line n belongs to input line n.
#include "GeodesyErrorText.h"
#include "GridCommand.h"
#include "InfoCommand.h"
#include "LineIo.h"
#include "Options.h"
#include "PointCommands.h"

#include "vortan.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Commands that bring their own arguments and need no definition file; each
// runs with the arguments after its name and returns the exit status.
// Adding one is one entry here and its declaration above.
struct StandaloneCommand {
    std::string_view name;
    int (*run)(int argc, char** argv);
};
constexpr StandaloneCommand kStandalone[] = {
    {"help", [](int, char**) { PrintUsage(stdout); return 0; }},
    {"grid", RunGridCommand},
};

std::string ErrorText(int code) {
    const char* known = GeodesyErrorText(code);
    return known != nullptr ? known : "Unknown";
}

bool PassesThrough(std::string_view line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';  // blank or comment
}

// Runs the point command over one input; returns false when a line or the
// input failed. Errors name the file, except for standard input.
bool FilterInput(const PointCommand& command, GEODESY h, const NumberFormat& format, const std::string& name,
                 OutputBuffer& out) {
    const bool standardInput = name == "-";
    const int fd = standardInput ? 0 : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        out.Flush();
        std::fprintf(stderr, "vortan: %s: cannot open: %s\n", name.c_str(), std::strerror(errno));
        return false;
    }
    const std::string where = standardInput ? "" : name + ": ";
    LineReader in(fd);
    std::string_view line;
    std::string error;
    bool clean = true;
    for (long n = 1; in.Next(line); ++n) {
        if (PassesThrough(line)) {
            out.Text().append(line);
            out.Text() += '\n';
        } else if (!RunPointLine(command, h, format, line, out.Text(), error)) {
            out.Flush();  // the marker line first, then its reason
            std::fprintf(stderr, "%sline %ld: %s\n", where.c_str(), n, error.c_str());
            clean = false;
        }
        if (!out.EndLine()) break;
    }
    if (in.Error() != 0) {
        out.Flush();
        std::fprintf(stderr, "vortan: %s: read error: %s\n", standardInput ? "standard input" : name.c_str(),
                     std::strerror(in.Error()));
        clean = false;
    }
    if (!standardInput) ::close(fd);
    return clean;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        for (const StandaloneCommand& c : kStandalone)
            if (c.name == argv[1]) return c.run(argc - 2, argv + 2);

    Options o;
    if (auto stop = ParseOptions(argc, argv, o)) return *stop;

    GEODESY h = CreateFileGeodesy(o.def.c_str(), o.section.c_str());
    const int openCode = GetGeodesyError();
    if (!h) {
        std::fprintf(stderr, "vortan: %s [%s]: error %d: %s\n", o.def.c_str(), o.section.c_str(), openCode,
                     ErrorText(openCode).c_str());
        return 1;
    }
    if (openCode == 9)
        std::fprintf(stderr, "vortan: warning: error 9: %s; the geoid is not used\n", ErrorText(9).c_str());
    const NumberFormat format{o.precision, o.precision + 6};
    int rc = 0;
    if (o.command == "info") {
        if (const int code = PrintGeodesyInfo(h, format, o.def, o.section)) {
            std::fprintf(stderr, "vortan: error %d: %s\n", code, ErrorText(code).c_str());
            rc = 1;
        }
    } else {
        const PointCommand& command = *FindPointCommand(o.command);
        if (o.files.empty()) o.files.emplace_back("-");
        OutputBuffer out(1);
        for (const std::string& name : o.files) {
            if (!FilterInput(command, h, format, name, out)) rc = 1;
            if (out.Error() != 0) break;
        }
        if (!out.Flush()) {
            if (out.Error() != EPIPE)
                std::fprintf(stderr, "vortan: write error: %s\n", std::strerror(out.Error()));
            rc = 1;
        }
    }
    DestroyGeodesy(h);
    return rc;
}
