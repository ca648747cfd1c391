#pragma once

#include <QString>

// Qt gives up by aborting when it can open no window system at all. Between
// these two calls, around the making of the application object, that failure
// becomes one line on stderr, naming what was tried, and exit status 1. Qt's
// own reports of platforms it tried and passed over are kept back, so a
// working X display beside a stale Wayland setting starts without a word.
void watchPlatformStart(const QString &programName);
void platformStarted();
