// The command line of vortan.
#ifndef VORTAN_TOOL_OPTIONS_H
#define VORTAN_TOOL_OPTIONS_H

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

struct Options {
    std::string def;                // --def: the definition file
    std::string section = "Geodesy";
    int precision = 3;              // decimals of lengths; degrees get 6 more
    std::string command;
    std::vector<std::string> files;  // the inputs; "-" is standard input, none means standard input
};

void PrintUsage(std::FILE* to);

// Reads the options. Returns the exit status when the program is to stop
// here (0 after --help or --version, 2 after a usage error, with its message
// printed), nothing when the command is to run.
std::optional<int> ParseOptions(int argc, char** argv, Options& options);

#endif
