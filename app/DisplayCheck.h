#pragma once

#include <QString>

// Why the window could not open here, in one line, or an empty string when a
// display is within reach. Qt gives up on a missing display by aborting, so
// the program asks first and says so plainly instead.
QString displayProblem();
