#pragma once

#include <QString>

#include <optional>

namespace commandline {

// The modes of the command line that make files and need no display:
//   tessaline --export FILE [--effect N] [--source F] [--cover F] [--scale K] [--loop]
//   tessaline --export FILE --size WxH ... and --photos for slideshows
//   tessaline --atlas FILE.png [--scale K]
//   tessaline --luma DIR [--size WxH] [--format pgm|png]
// Returns the exit status when the command line asks for one of them (0 done,
// 1 failed, 2 misused), nothing when it is for the window.
std::optional<int> runFileCommand(int argc, char *argv[]);

// The file modes as the window's --help lists them after its own options;
// `man tessaline` tells the details.
QString fileCommandsHelp();

} // namespace commandline
