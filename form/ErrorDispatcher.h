#pragma once

#include "form/RuntimeError.h"

#include <functional>

namespace form {

// Every event handler of the program is entered through here. A run-time error
// is reported and ends the program; no exception ever reaches Qt's event loop.
void dispatch(const std::function<void()> &handler);

// Whether a handler entered through dispatch() is running now.
bool handlerRunning();

// What happens to an error that a handler raised. The default shows the
// platform's message box and ends the process with a non-zero status.
using ErrorReporter = std::function<void(const RuntimeError &)>;
void setErrorReporter(ErrorReporter reporter);
void reportAndExit(const RuntimeError &error);

// The title of error message boxes: the program's title.
void setApplicationTitle(const QString &title);

} // namespace form
