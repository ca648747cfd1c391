#pragma once

#include <QString>

// The folder a file dialog opens in: where the user last chose a file in it,
// or the user's pictures the first time (the home folder where there is no
// such folder), never the folder the program happened to be started from.
QString dialogFolder(const QString &lastUsed);
