#pragma once

#include <QCommandLineOption>
#include <QList>

namespace commandline {

// The options of --export and --atlas, which are read together so that each
// can say which of the others it doesn't take.
struct FileOptions {
    FileOptions();
    QList<QCommandLineOption> all() const;

    QCommandLineOption exportFile;
    QCommandLineOption atlasFile;
    QCommandLineOption effect;
    QCommandLineOption source;
    QCommandLineOption cover;
    QCommandLineOption scale;
    QCommandLineOption loop;
    // At a size of its own, as a video, or as a slideshow.
    QCommandLineOption size;
    QCommandLineOption fps;
    QCommandLineOption photos;
    QCommandLineOption effects;
    QCommandLineOption hold;
};

} // namespace commandline
