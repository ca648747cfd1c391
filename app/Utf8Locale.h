#pragma once

// Qt reads and writes file names and messages as UTF-8, and when the
// environment's locale uses another character set (LANG unset or "C", as in a
// container, a chroot or a service) it switches to a UTF-8 one itself, with a
// warning of several lines on stderr. The program makes the same switch first,
// silently, so that each of its messages stays one line in any locale. Only
// the character set changes: numbers, dates and messages keep the
// environment's locale. Call before the application object is made.
void useUtf8Locale();
