#pragma once

#include "present/SlideDeck.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <atomic>
#include <map>
#include <memory>

namespace present {

class PdfDocument;

// Makes each slide a picture of the whole screen, on a worker thread of its
// own: the slide fitted inside the screen at its device pixels, centred on
// black. PDF documents are opened on that thread and used only there.
class SlideRenderer : public QObject {
    Q_OBJECT

public:
    SlideRenderer(const SlideDeck &deck, QSize screenPixels);
    ~SlideRenderer() override;

    // The slides still wanted; a request outside them by the time the worker
    // reaches it is skipped. Safe from any thread.
    void setWanted(int first, int last);

    // The slide as the screen shows it, made on the calling thread.
    QImage render(int index);

public slots:
    void renderWanted(int index);

signals:
    void rendered(int index, const QImage &screen);

private:
    PdfDocument &documentOf(const QString &path);

    SlideDeck m_deck;
    QSize m_screen;
    std::atomic<int> m_firstWanted{0};
    std::atomic<int> m_lastWanted{0};
    // The document of the last PDF used; a show of several PDFs opens each
    // again when it reaches it.
    QString m_openPath;
    std::unique_ptr<PdfDocument> m_open;
};

} // namespace present
