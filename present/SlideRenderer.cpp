#include "present/SlideRenderer.h"

#include "form/LoadPicture.h"
#include "present/PdfDocument.h"

#include <QPainter>

namespace present {

SlideRenderer::SlideRenderer(const SlideDeck &deck, QSize screenPixels)
    : m_deck(deck)
    , m_screen(screenPixels) {}

SlideRenderer::~SlideRenderer() = default;

void SlideRenderer::setWanted(int first, int last) {
    m_firstWanted = first;
    m_lastWanted = last;
}

void SlideRenderer::renderWanted(int index) {
    if (index < m_firstWanted || index > m_lastWanted)
        return;
    emit rendered(index, render(index));
}

PdfDocument &SlideRenderer::documentOf(const QString &path) {
    if (!m_open || m_openPath != path) {
        m_open.reset();
        m_open = std::make_unique<PdfDocument>(path);
        m_openPath = path;
    }
    return *m_open;
}

QImage SlideRenderer::render(int index) {
    QImage screen(m_screen, QImage::Format_RGB32);
    screen.fill(Qt::black);
    if (index < 0 || index >= m_deck.count())
        return screen;
    const Slide &slide = m_deck.slides().at(index);
    QImage picture;
    QString problem;
    if (!slide.picture.isNull()) {
        picture = form::fitPictureInside(slide.picture, m_screen);
    } else if (slide.page >= 0) {
        PdfDocument &pdf = documentOf(slide.path);
        picture = pdf.render(slide.page, m_screen);
        if (picture.isNull())
            problem = pdf.isOpen() ? QStringLiteral("Страница %1 от %2 не може да бъде показана.")
                                         .arg(slide.page + 1)
                                         .arg(form::shownPath(slide.path))
                                   : pdf.error();
    } else {
        form::PictureProblem why;
        picture = form::LoadPicture(slide.path, m_screen, 1.0, why, form::PictureFit::Inside);
        problem = why.bulgarian();
    }

    QPainter p(&screen);
    if (picture.isNull()) {
        // The file changed since the show began: this slide says so, and the
        // show goes on.
        p.setPen(Qt::white);
        QFont font = p.font();
        font.setPixelSize(std::max(12, m_screen.height() / 40));
        p.setFont(font);
        p.drawText(screen.rect().adjusted(m_screen.width() / 20, 0, -m_screen.width() / 20, 0),
                   Qt::AlignCenter | Qt::TextWordWrap, problem);
        return screen;
    }
    p.drawImage(QPoint((m_screen.width() - picture.width()) / 2,
                       (m_screen.height() - picture.height()) / 2),
                picture);
    return screen;
}

} // namespace present
