#include "present/SlideDeck.h"

#include "form/LoadPicture.h"
#include "present/PdfDocument.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace present {

namespace {

// A page is shown at whatever resolution fits the screen, so its size costs
// nothing; one with no area, or so long and thin that it would be less than a
// pixel wide on any screen, can't be shown.
constexpr double kMinPagePoints = 1.0;
constexpr double kMaxPageAspect = 10000.0;
// The check decodes photos at a small size: a large JPEG at a fraction of its
// pixels, which keeps many photos quick to check.
constexpr QSize kCheckSize{64, 64};

QString pageProblem(QSizeF points) {
    if (!std::isfinite(points.width()) || !std::isfinite(points.height()) ||
        points.width() < kMinPagePoints || points.height() < kMinPagePoints)
        return QStringLiteral("has no size");
    const double aspect =
        std::max(points.width() / points.height(), points.height() / points.width());
    if (aspect > kMaxPageAspect)
        return QStringLiteral("is %1 × %2 points, too long and thin to show")
            .arg(points.width())
            .arg(points.height());
    return {};
}

} // namespace

bool isPdfFile(const QString &path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    // Readers accept the signature anywhere in the first kilobyte.
    return file.read(1024).contains("%PDF-");
}

std::optional<SlideDeck> SlideDeck::open(const QStringList &files, QString *error) {
    SlideDeck deck;
    for (const QString &path : files) {
        if (!isPdfFile(path)) {
            form::PictureProblem problem;
            if (form::LoadPicture(path, kCheckSize, 1.0, problem, form::PictureFit::Inside)
                    .isNull()) {
                *error = problem.english();
                return std::nullopt;
            }
            deck.m_slides.append(Slide{path, -1, {}});
            continue;
        }
        const PdfDocument pdf(path);
        if (!pdf.isOpen()) {
            *error = pdf.error();
            return std::nullopt;
        }
        const int pages = pdf.pageCount();
        if (pages <= 0) {
            *error =
                QStringLiteral("can't show %1: the PDF has no pages").arg(form::shownPath(path));
            return std::nullopt;
        }
        for (int page = 0; page < pages; ++page) {
            if (const QString problem = pageProblem(pdf.pageSize(page)); !problem.isEmpty()) {
                *error = QStringLiteral("can't show %1: page %2 %3")
                             .arg(form::shownPath(path))
                             .arg(page + 1)
                             .arg(problem);
                return std::nullopt;
            }
            deck.m_slides.append(Slide{path, page, {}});
        }
    }
    if (deck.m_slides.isEmpty()) {
        *error = QStringLiteral("nothing to show");
        return std::nullopt;
    }
    return deck;
}

SlideDeck SlideDeck::of(const QList<Slide> &slides) {
    SlideDeck deck;
    deck.m_slides = slides;
    return deck;
}

} // namespace present
