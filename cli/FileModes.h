#pragma once

#include <QList>
#include <QString>

// Each file-making mode, in a file of its own, over one command line.
namespace commandline {

class CommandLine;
struct FileOptions;

// --atlas FILE.png: every effect in one picture, at `scale`.
int writeAtlas(CommandLine &line, const FileOptions &options, int scale);
// --export FILE: one reveal at the window's size, at `scale`, as .gif or .webp.
int writeReveal(CommandLine &line, const FileOptions &options, int scale);
// --export FILE at a size of its own, as a video, or a slideshow of --photos.
bool wantsSlides(const CommandLine &line, const FileOptions &options);
int writeSlides(CommandLine &line, const FileOptions &options);
// --luma FOLDER: the 69 luma maps.
int writeLumaMaps(CommandLine &line);

// "17" or "017" is effect 17; anything else, or a number past the catalogue, is none (0).
int effectNumber(const QString &text);
// "17,23,5" or "all": effects used in turn; empty on a mistake.
QList<int> effectList(const QString &text);
// The line that refuses an effect number.
QString noSuchEffect(const QString &text);

} // namespace commandline
