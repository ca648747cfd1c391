#include "present/Show.h"

#include "form/WindowSystem.h"
#include "present/PresentationView.h"
#include "present/PresenterView.h"
#include "present/ScreenSaverInhibitor.h"
#include "present/SlideCache.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include <cmath>
#include <cstdio>

namespace present {

namespace {

QSize devicePixels(const QScreen *screen) {
    const qreal ratio = screen->devicePixelRatio();
    const QSize logical = screen->geometry().size();
    return QSize(int(std::lround(logical.width() * ratio)),
                 int(std::lround(logical.height() * ratio)));
}

// Two screens showing different parts of the desktop: not a mirror, and not
// the whole desktop that some X servers list beside its monitors.
bool apart(const QScreen *a, const QScreen *b) {
    return a != b && !a->geometry().intersects(b->geometry());
}

// Full screen on `screen`: the window is told its screen before it is shown,
// which is the only say a Wayland program has in where it goes.
void placeOn(QWidget *widget, QScreen *screen) {
    widget->winId();
    if (QWindow *window = widget->windowHandle())
        window->setScreen(screen);
    widget->setGeometry(screen->geometry());
    widget->showFullScreen();
}

} // namespace

Show::Show(const SlideDeck &deck, const ShowOptions &options, QObject *parent)
    : QObject(parent)
    , m_deck(deck)
    , m_options(options) {
    connect(qApp, &QGuiApplication::screenRemoved, this, &Show::screenRemoved);
}

Show::~Show() = default;

QScreen *Show::slideScreen(int chosen, QString *error) {
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (chosen >= 0) {
        if (chosen < screens.size())
            return screens.at(chosen);
        *error = QStringLiteral("there is no screen %1: this display has %2")
                     .arg(chosen + 1)
                     .arg(screens.size());
        return nullptr;
    }
    QScreen *primary = QGuiApplication::primaryScreen();
    for (QScreen *screen : screens) {
        if (apart(screen, primary))
            return screen;
    }
    return primary;
}

void Show::start(QScreen *screen) {
    if (!m_inhibitor) {
        m_inhibitor = std::make_unique<ScreenSaverInhibitor>(QStringLiteral("presenting"));
        if (!m_inhibitor->holding())
            std::fprintf(stderr, "%s: the screensaver is not held off: %s\n",
                         qPrintable(QCoreApplication::applicationName().toLower()),
                         qPrintable(m_inhibitor->problem()));
    }
    const int first = m_view ? m_view->current() : 0;
    m_presenter.reset();
    m_view.reset();
    m_cache = std::make_unique<SlideCache>(m_deck, devicePixels(screen));
    m_screen = screen;

    m_view = std::make_unique<PresentationView>(*m_cache, m_options);
    m_view->setWindowTitle(QStringLiteral("Tessaline"));
    connect(m_view.get(), &PresentationView::leaving, this, &Show::end);
    // Transitions shown whole, never a frame torn between two slides.
    form::keepComposited(m_view.get());
    placeOn(m_view.get(), screen);
    m_view->begin(std::min(first, m_deck.count()));
    m_view->activateWindow();

    // The presenter's view, on another screen if there is one.
    for (QScreen *other : QGuiApplication::screens()) {
        if (!apart(other, screen))
            continue;
        m_presenter = std::make_unique<PresenterView>(*m_cache);
        connect(m_view.get(), &PresentationView::slideChanged, m_presenter.get(),
                &PresenterView::setCurrent);
        connect(m_presenter.get(), &PresenterView::keyPressed, m_view.get(),
                [this](QKeyEvent *event) { QCoreApplication::sendEvent(m_view.get(), event); });
        placeOn(m_presenter.get(), other);
        m_presenter->setCurrent(m_view->current());
        break;
    }
    m_view->activateWindow();
}

void Show::screenRemoved(QScreen *screen) {
    if (m_ended)
        return;
    if (screen != m_screen) {
        // The presenter's screen went: the slides carry on alone.
        if (m_presenter && m_presenter->screen() == screen)
            m_presenter.reset();
        return;
    }
    // The slides' screen went: they move to a screen that is left, at its size.
    QList<QScreen *> left = QGuiApplication::screens();
    left.removeOne(screen);
    left.removeIf([](const QScreen *other) { return other->geometry().isEmpty(); });
    if (left.isEmpty()) {
        end();
        return;
    }
    QScreen *primary = QGuiApplication::primaryScreen();
    start(left.contains(primary) ? primary : left.constFirst());
}

void Show::end() {
    if (m_ended)
        return;
    m_ended = true;
    m_presenter.reset();
    if (m_view)
        m_view->hide();
    emit finished();
}

} // namespace present
