#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

struct TessalinePdf;

namespace present {

// One PDF file's pages, through the PDF module, which is loaded the first time
// a document is opened. An object is used by one thread only: the show renders
// on a worker thread, each with documents of its own.
class PdfDocument {
public:
    // Opens `path`; on failure isOpen() is false and error() is one line that
    // names the file and the reason.
    explicit PdfDocument(const QString &path);
    ~PdfDocument();
    PdfDocument(const PdfDocument &) = delete;
    PdfDocument &operator=(const PdfDocument &) = delete;

    bool isOpen() const { return m_document != nullptr; }
    QString error() const { return m_error; }
    int pageCount() const;
    // The page's size in points, as it is shown; empty if it can't be read.
    QSizeF pageSize(int page) const;
    // The page scaled to lie whole inside `fit` device pixels, on white paper;
    // a null image on failure.
    QImage render(int page, QSize fit) const;

private:
    QString m_path;
    TessalinePdf *m_document = nullptr;
    QString m_error;
};

} // namespace present
