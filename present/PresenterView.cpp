#include "present/PresenterView.h"

#include "present/SlideCache.h"

#include <QKeyEvent>
#include <QPainter>

namespace present {

PresenterView::PresenterView(SlideCache &slides, QWidget *parent)
    : QWidget(parent)
    , m_slides(slides) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("Tessaline: изглед на водещия"));
    m_since.start();
    connect(&m_clockTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_clockTimer.start(1000);
    connect(&m_slides, &SlideCache::ready, this, [this](int index) {
        if (index == m_current || index == m_current + 1)
            update();
    });
}

void PresenterView::setCurrent(int index) {
    m_current = index;
    update();
}

void PresenterView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), QColor(24, 24, 24));
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const int margin = std::max(8, width() / 60);
    QFont font = p.font();
    font.setPixelSize(std::max(12, height() / 20));
    p.setFont(font);
    p.setPen(Qt::white);

    // The slide shown on the left, larger; the next one on the right.
    const QRect current(margin, margin, width() * 3 / 5 - 2 * margin, height() * 3 / 4 - margin);
    const QRect next(width() * 3 / 5, margin, width() * 2 / 5 - margin, height() / 2 - margin);
    const auto drawSlide = [&p](const QRect &area, const QImage &screen, const QString &absent) {
        p.fillRect(area, Qt::black);
        if (screen.isNull()) {
            p.drawText(area, Qt::AlignCenter, absent);
            return;
        }
        const QSize fitted = screen.size().scaled(area.size(), Qt::KeepAspectRatio);
        const QRect target(area.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
        p.drawImage(target, screen);
    };
    const bool ended = m_current >= m_slides.count();
    drawSlide(current, ended ? QImage() : m_slides.screen(m_current),
              ended ? QStringLiteral("Край") : QString());
    drawSlide(next, m_slides.screen(m_current + 1),
              m_current + 1 >= m_slides.count() ? QStringLiteral("Край") : QString());

    const qint64 seconds = m_since.elapsed() / 1000;
    const QString status = QStringLiteral("%1 / %2    %3:%4:%5")
                               .arg(std::min(m_current + 1, m_slides.count()))
                               .arg(m_slides.count())
                               .arg(seconds / 3600)
                               .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                               .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    p.drawText(
        QRect(margin, height() * 3 / 4 + margin, width() - 2 * margin, height() / 4 - 2 * margin),
        Qt::AlignLeft | Qt::AlignVCenter, status);
}

void PresenterView::keyPressEvent(QKeyEvent *event) {
    emit keyPressed(event);
}

} // namespace present
