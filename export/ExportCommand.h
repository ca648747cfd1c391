#pragma once

#include <optional>

namespace exporting {

// The file-writing modes of the command line, which need no display:
//   tessaline --export FILE [--effect N] [--source F] [--cover F] [--scale K] [--loop]
//   tessaline --atlas FILE.png [--scale K]
// Returns the exit status when the command line asks for one of them (0 done,
// 1 failed, 2 misused), nothing when it asks for something else.
std::optional<int> runFileCommand(int argc, char *argv[]);

} // namespace exporting
