#pragma once

#include <QStringView>

namespace form {

// The platform's lenient reading of a number from text: blanks, tabs and line
// feeds anywhere are ignored, an optional sign is taken, then the longest
// leading run of decimal digits with at most one decimal point. Text without
// such a run reads as 0.
double lenientNumber(QStringView text);

} // namespace form
