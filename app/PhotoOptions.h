#pragma once

#include <QCommandLineOption>
#include <QImage>
#include <QString>

#include <optional>

class QCommandLineParser;
class Tessaline;

// The command line's `--source FILE` and `--cover FILE`: the photos the window
// opens with instead of the built-in ones.
class PhotoOptions {
public:
    PhotoOptions();

    void addTo(QCommandLineParser &parser) const;
    // Takes the file names from a parsed command line.
    void read(const QCommandLineParser &parser);

    // Reads the named files before any window opens. A file that can't be
    // used is reported in one line on stderr, and the status to exit with
    // (2) is returned.
    std::optional<int> load(const QString &program, qreal devicePixelRatio);

    // Puts the photos into a window that is not shown yet, at the window's
    // pixel density.
    void applyTo(Tessaline &window);

private:
    // Reads both files; keeps the photos read before unless both succeed.
    bool loadAt(qreal devicePixelRatio, QString *error);

    QCommandLineOption m_sourceOption;
    QCommandLineOption m_coverOption;
    QString m_sourcePath;
    QString m_coverPath;
    QImage m_source;
    QImage m_cover;
};
