#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

// What every mode of the command line checks the same way: the bytes of its
// arguments, options given twice, values that must be exact, and the one line
// a mistake is reported in.
namespace commandline {

// The mode a command line asks for, seen only where an option can stand: a
// mode's flag given as another option's value (`--source --export`) is that
// value, not a mode.
enum class Mode { Window, File, Luma, Present };
Mode modeOf(int argc, char *argv[]);

// The arguments as text. An argument whose bytes would not come back as the
// same bytes (a name that isn't valid in the locale's encoding) can't be
// opened or written under its own name, so it is refused, as a file name where
// one stands and as text elsewhere: the reason is set and nothing is returned.
std::optional<QStringList> argumentsOf(int argc, char *argv[], QString *problem);

// The name of an option the parser met more than once, or an empty string.
QString repeatedOption(const QCommandLineParser &parser);

// A whole number of digits only, from `min` to `max`; no sign, space or newline.
std::optional<int> exactNumber(const QString &text, int min, int max);

// The smallest and largest side of a picture the file modes make.
inline constexpr int kMinSide = 10;
inline constexpr int kMaxSide = 8192;

// "1920x1080" (or with a capital X or a multiplication sign), each side from
// kMinSide to kMaxSide, and nothing else around it.
std::optional<QSize> frameSize(const QString &text);

// `text` with each control character shown as an escape, so a message that
// quotes what the user typed stays one plain line.
QString shown(const QString &text);

// Prints "program: message" as one line on stderr and returns `status`.
int report(const QString &program, const QString &message, int status);

} // namespace commandline
