#pragma once

#include "present/SlideDeck.h"

#include <QImage>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QThread>

namespace present {

class SlideRenderer;

// The slides around the one shown, made ahead on a worker thread so that a
// key press never waits for a decode: the previous one, the current one and
// the two after it. Any other is let go, so a long PDF takes no more memory
// than a short one.
class SlideCache : public QObject {
    Q_OBJECT

public:
    SlideCache(const SlideDeck &deck, QSize screenPixels, QObject *parent = nullptr);
    ~SlideCache() override;

    int count() const { return m_count; }
    // The slide's picture of the whole screen, or a null image while it is
    // being made.
    QImage screen(int index) const { return m_ready.value(index); }
    // Keeps the slides around `index` and asks for those missing, `index` first.
    void keepAround(int index);

signals:
    void ready(int index);
    // For the worker.
    void wanted(int index);

private:
    void arrived(int index, const QImage &screen);

    int m_count;
    int m_first = 0;
    int m_last = -1;
    QMap<int, QImage> m_ready;
    QSet<int> m_asked;
    QThread m_thread;
    SlideRenderer *m_renderer;
};

} // namespace present
