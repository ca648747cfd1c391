#include "present/SlideCache.h"

#include "present/SlideRenderer.h"

#include <sys/resource.h>

namespace present {

SlideCache::SlideCache(const SlideDeck &deck, QSize screenPixels, QObject *parent)
    : QObject(parent)
    , m_count(deck.count())
    , m_renderer(new SlideRenderer(deck, screenPixels)) {
    m_renderer->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_renderer, &QObject::deleteLater);
    connect(this, &SlideCache::wanted, m_renderer, &SlideRenderer::renderWanted);
    connect(m_renderer, &SlideRenderer::rendered, this, &SlideCache::arrived);
    // Making a slide yields to the window's own thread, which draws the
    // transition: on a busy machine a tile must not wait for the next slide.
    // (On Linux a priority set with pid 0 is the calling thread's alone.)
    connect(
        &m_thread, &QThread::started, this, [] { setpriority(PRIO_PROCESS, 0, 10); },
        Qt::DirectConnection);
    m_thread.setObjectName(QStringLiteral("slides"));
    m_thread.start();
}

SlideCache::~SlideCache() {
    // Nothing more is wanted: the worker skips what is queued and ends.
    m_renderer->setWanted(0, -1);
    m_thread.quit();
    m_thread.wait();
}

void SlideCache::keepAround(int index) {
    m_first = std::max(0, index - 1);
    m_last = std::min(m_count - 1, index + 2);
    m_renderer->setWanted(m_first, m_last);
    for (auto it = m_ready.begin(); it != m_ready.end();) {
        if (it.key() < m_first || it.key() > m_last)
            it = m_ready.erase(it);
        else
            ++it;
    }
    for (auto it = m_asked.begin(); it != m_asked.end();) {
        if (*it < m_first || *it > m_last)
            it = m_asked.erase(it);
        else
            ++it;
    }
    // What is needed soonest first: this one, the next, the previous, the one after.
    for (const int i : {index, index + 1, index - 1, index + 2}) {
        if (i < m_first || i > m_last || m_ready.contains(i) || m_asked.contains(i))
            continue;
        m_asked.insert(i);
        emit wanted(i);
    }
}

void SlideCache::arrived(int index, const QImage &screen) {
    m_asked.remove(index);
    if (index < m_first || index > m_last)
        return;
    m_ready.insert(index, screen);
    emit ready(index);
}

} // namespace present
