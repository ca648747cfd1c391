#include "present/PdfDocument.h"

#include "form/LoadPicture.h"
#include "form/OptionalModule.h"
#include "present/PdfModuleApi.h"

#include <QFile>
#include <QMutex>

#include <algorithm>
#include <cmath>

namespace present {

namespace {

// The module's functions, resolved once for every thread.
struct PdfFunctions {
    TessalinePdfOpen open = nullptr;
    TessalinePdfClose close = nullptr;
    TessalinePdfPageCount pageCount = nullptr;
    TessalinePdfPageSize pageSize = nullptr;
    TessalinePdfRender render = nullptr;
    TessalinePdfRelease release = nullptr;
    QString error;
};

const PdfFunctions &pdfFunctions() {
    static QMutex mutex;
    static PdfFunctions functions;
    static bool loaded = false;
    QMutexLocker lock(&mutex);
    if (loaded)
        return functions;
    loaded = true;
    static form::OptionalModule module(QStringLiteral("pdf"));
    PdfFunctions f;
    f.open = reinterpret_cast<TessalinePdfOpen>(module.resolve("tessaline_pdf_open"));
    f.close = reinterpret_cast<TessalinePdfClose>(module.resolve("tessaline_pdf_close"));
    f.pageCount =
        reinterpret_cast<TessalinePdfPageCount>(module.resolve("tessaline_pdf_page_count"));
    f.pageSize = reinterpret_cast<TessalinePdfPageSize>(module.resolve("tessaline_pdf_page_size"));
    f.render = reinterpret_cast<TessalinePdfRender>(module.resolve("tessaline_pdf_render"));
    f.release = reinterpret_cast<TessalinePdfRelease>(module.resolve("tessaline_pdf_release"));
    if (f.open && f.close && f.pageCount && f.pageSize && f.render && f.release)
        functions = f;
    else
        functions.error = module.errorString();
    return functions;
}

void releasePoppler(void *image) {
    auto *rendered = static_cast<TessalinePdfImage *>(image);
    pdfFunctions().release(rendered);
    delete rendered;
}

} // namespace

PdfDocument::PdfDocument(const QString &path)
    : m_path(path) {
    const PdfFunctions &f = pdfFunctions();
    if (!f.open) {
        m_error = QStringLiteral("can't show %1: %2").arg(form::shownPath(path), f.error);
        return;
    }
    int problem = TessalinePdfOpened;
    m_document = f.open(QFile::encodeName(path).constData(), &problem);
    switch (problem) {
    case TessalinePdfOpened:
        return;
    case TessalinePdfLocked:
        m_error = QStringLiteral("can't show %1: the PDF is password-protected");
        break;
    case TessalinePdfNoRender:
        m_error = QStringLiteral("can't show %1: this Poppler library can't render pages");
        break;
    default:
        m_error = QStringLiteral("can't show %1: not a PDF, or damaged");
        break;
    }
    m_error = m_error.arg(form::shownPath(path));
}

PdfDocument::~PdfDocument() {
    if (m_document)
        pdfFunctions().close(m_document);
}

int PdfDocument::pageCount() const {
    return m_document ? pdfFunctions().pageCount(m_document) : 0;
}

QSizeF PdfDocument::pageSize(int page) const {
    double width = 0;
    double height = 0;
    if (!m_document || !pdfFunctions().pageSize(m_document, page, &width, &height))
        return {};
    return {width, height};
}

QImage PdfDocument::render(int page, QSize fit) const {
    const QSizeF points = pageSize(page);
    if (points.isEmpty() || fit.isEmpty())
        return {};
    // One resolution both ways keeps the page's shape; Poppler's pixel size is
    // the page's points at that resolution, which fits inside `fit`.
    const double dpi =
        72.0 * std::min(fit.width() / points.width(), fit.height() / points.height());
    auto *rendered = new TessalinePdfImage{};
    if (!pdfFunctions().render(m_document, page, dpi, dpi, rendered)) {
        delete rendered;
        return {};
    }
    // Poppler's pixels are Qt's ARGB32: wrapped, not copied, and given back
    // to the module when the last QImage sharing them goes.
    return QImage(rendered->bits, rendered->width, rendered->height, rendered->bytesPerLine,
                  QImage::Format_ARGB32, releasePoppler, rendered);
}

} // namespace present
