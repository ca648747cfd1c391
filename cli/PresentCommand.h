#pragma once

#include "present/ShowOptions.h"
#include "present/SlideDeck.h"

#include <QString>

#include <variant>

namespace commandline {

// tessaline --present FILE... [--effects LIST] [--duration S] [--screen N]
struct Presentation {
    QString program;
    present::SlideDeck deck;
    present::ShowOptions options;
    // --present alone: the files are chosen in a file dialog first.
    bool choose = false;
};

// Whether the command line asks for a show.
bool asksToPresent(int argc, char *argv[]);

// Reads the options and checks every file, before any window: the exit status
// when the program ends here (2 for a mistake in the options, 1 for a file
// that can't be shown), or the show to run.
std::variant<int, Presentation> readPresentation(int argc, char *argv[]);

// Runs the show on the application already made, after a file dialog when
// the files are to be chosen; its exit status.
int runPresentation(const Presentation &presentation);

} // namespace commandline
