// `vortan grid`: brings public geoid models (GTX) and datum-shift grids
// (NTv2) into the library's own grid format, and describes grid files.
//
//   vortan grid import [--subgrid NAME] [--text TEXT] IN OUT
//   vortan grid info FILE
//
// Messages go to standard output (what was done, the description) and
// standard error (refusals, prefixed "vortan grid: "). Numbers are written
// the same way whatever the process locale.
#ifndef VORTAN_TOOL_GRIDCOMMAND_H
#define VORTAN_TOOL_GRIDCOMMAND_H

// argv holds the arguments after the word "grid"; returns the process exit status (0 done,
// 1 refused or failed, 2 usage).
int RunGridCommand(int argc, char** argv);

#endif
