#include "cli/FileOptions.h"

namespace commandline {

FileOptions::FileOptions()
    : exportFile(QStringLiteral("export"), QStringLiteral("Write a reveal to FILE."),
                 QStringLiteral("FILE"))
    , atlasFile(QStringLiteral("atlas"), QStringLiteral("Write the atlas to FILE.png."),
                QStringLiteral("FILE"))
    , effect(QStringLiteral("effect"), QStringLiteral("Effect 1 to 69."), QStringLiteral("N"),
             QStringLiteral("1"))
    , source(QStringLiteral("source"), QStringLiteral("Picture revealed."), QStringLiteral("F"))
    , cover(QStringLiteral("cover"), QStringLiteral("Picture covered."), QStringLiteral("F"))
    , scale(QStringLiteral("scale"), QStringLiteral("Size, 1 to 4."), QStringLiteral("K"),
            QStringLiteral("1"))
    , loop(QStringLiteral("loop"), QStringLiteral("Repeat for ever."))
    , size(QStringLiteral("size"), QStringLiteral("Frame size."), QStringLiteral("WxH"))
    , fps(QStringLiteral("fps"), QStringLiteral("Video frame rate."), QStringLiteral("N"))
    , photos(QStringLiteral("photos"), QStringLiteral("A slideshow of the pictures given."))
    , effects(QStringLiteral("effects"), QStringLiteral("The slideshow's effects, or all."),
              QStringLiteral("LIST"))
    , hold(QStringLiteral("hold"), QStringLiteral("Seconds each photo stays."),
           QStringLiteral("S")) {}

QList<QCommandLineOption> FileOptions::all() const {
    return {exportFile, atlasFile, effect, source, cover,   scale,
            loop,       size,      fps,    photos, effects, hold};
}

} // namespace commandline
