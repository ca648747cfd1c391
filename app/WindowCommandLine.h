#pragma once

#include <optional>

class PhotoOptions;

namespace commandline {
class CommandLine;
}

// The window's command line: --help, --version, --source and --cover, and
// mistakes in them. None of them needs a display, so they are answered from a
// text console too. Returns the exit status when the program ends here,
// nothing when the window is to open with `photos`.
std::optional<int> answerCommandLine(commandline::CommandLine &line, PhotoOptions &photos);
