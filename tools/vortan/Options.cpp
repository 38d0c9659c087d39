#include "Options.h"

#include "PointCommands.h"
#include "PointParser.h"
#include "ZeltoVersion.h"

#include <cstdio>

void PrintUsage(std::FILE* to) {
    std::string text =
        "usage: vortan --def FILE.ini [--section NAME] [--precision N] COMMAND [FILE...]\n"
        "       vortan grid import [--subgrid NAME] [--text TEXT] [--densify N] IN OUT\n"
        "       vortan grid info FILE\n"
        "       vortan --version | --help\n"
        "Points are read one a line from the FILEs (\"-\" or none: standard input),\n"
        "fields separated by blanks, tabs or commas; results go to standard output,\n"
        "one line for each input line. Text after the coordinates is copied to the\n"
        "end of the output line; blank lines and lines starting with # pass through.\n"
        "A line that fails prints \"*\" for each result and its error on standard error.\n"
        "commands:\n"
        "  info                      the geodesy: projection, ellipsoid, units, datum, geoid, adjustment\n";
    for (const PointCommand& c : PointCommands()) {
        std::string head = "  " + std::string(c.name) + " ";
        head.resize(14, ' ');
        head += std::string(c.reads);
        head.resize(36, ' ');
        text += head + "-> " + std::string(c.prints) + ": " + std::string(c.what) + "\n";
    }
    text +=
        "Angles: decimal degrees, D\xC2\xB0M\xE2\x80\xB2S\xE2\x80\xB3 or DdM'S\" with a hemisphere letter before or after,\n"
        "or D:M:S with a hemisphere letter or a sign.\n"
        "--precision N: decimals of lengths (default 3); degrees get N+6.\n"
        "Exit status: 0 every line converted, 1 a line or an input failed, 2 usage.\n";
    std::fputs(text.c_str(), to);
}

std::optional<int> ParseOptions(int argc, char** argv, Options& o) {
    bool onlyOperands = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool operand = onlyOperands || a.empty() || a[0] != '-' || a == "-";
        if (operand) {
            if (o.command.empty()) o.command = a;
            else o.files.push_back(a);
            continue;
        }
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "vortan: %s needs a value\n", name);
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        if (a == "--") {
            onlyOperands = true;
        } else if (a == "--def" || a == "--section") {
            auto v = value(a.c_str());
            if (!v) return 2;
            (a == "--def" ? o.def : o.section) = *v;
        } else if (a == "--precision") {
            auto v = value("--precision");
            if (!v) return 2;
            auto p = ParseNumber(*v);
            if (!p || *p < 0 || *p > 15 || *p != static_cast<int>(*p)) {
                std::fprintf(stderr, "vortan: --precision takes a whole number 0 to 15\n");
                return 2;
            }
            o.precision = static_cast<int>(*p);
        } else if (a == "-h" || a == "--help") {
            PrintUsage(stdout);
            return 0;
        } else if (a == "--version") {
            std::fputs(ZeltoVersionText("vortan").c_str(), stdout);
            return 0;
        } else {
            std::fprintf(stderr, "vortan: unknown option %s\n", a.c_str());
            PrintUsage(stderr);
            return 2;
        }
    }
    if (o.def.empty() || o.command.empty()) {
        PrintUsage(stderr);
        return 2;
    }
    if (o.command != "info" && FindPointCommand(o.command) == nullptr) {
        std::fprintf(stderr, "vortan: unknown command %s\n", o.command.c_str());
        PrintUsage(stderr);
        return 2;
    }
    if (o.command == "info" && !o.files.empty()) {
        std::fprintf(stderr, "vortan: info reads no input: %s\n", o.files.front().c_str());
        return 2;
    }
    return std::nullopt;
}
