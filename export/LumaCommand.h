#pragma once

#include <optional>

// `tessaline --luma DIR [--size WxH] [--format pgm|png]`: writes the 69 luma
// maps into DIR with no display. Returns the exit status when the command line
// asks for maps, nothing when it is about something else.
std::optional<int> runLumaCommand(int argc, char *argv[]);
