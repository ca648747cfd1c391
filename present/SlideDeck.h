#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace present {

// One slide of a show: a photo file, a page of a PDF file, or a picture already
// in memory (the window's own photographs).
struct Slide {
    QString path;
    int page = -1; // from 0 for a PDF page, -1 for a photo
    QImage picture;
};

// Everything a show presents, in order, every file checked before anything is
// shown.
class SlideDeck {
public:
    // Reads each file: a PDF (by its signature) adds each of its pages, any
    // other file must be a picture the one loader reads. A file that can't be
    // used stops it: nothing is returned and *error names the file and why.
    static std::optional<SlideDeck> open(const QStringList &files, QString *error);
    static SlideDeck of(const QList<Slide> &slides);

    const QList<Slide> &slides() const { return m_slides; }
    int count() const { return int(m_slides.size()); }

private:
    QList<Slide> m_slides;
};

// Whether the file starts as a PDF does.
bool isPdfFile(const QString &path);

} // namespace present
