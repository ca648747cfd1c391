#pragma once

#include "present/ShowOptions.h"
#include "present/SlideDeck.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QScreen;

namespace present {

class PresentationView;
class PresenterView;
class ScreenSaverInhibitor;
class SlideCache;

// A running show: the slides full screen on one screen, a presenter view on
// another if there is one, the screensaver held off, until Esc or until no
// screen is left.
class Show : public QObject {
    Q_OBJECT

public:
    Show(const SlideDeck &deck, const ShowOptions &options, QObject *parent = nullptr);
    ~Show() override;

    // The screen the slides go to: --screen's, or with two screens or more
    // the first that isn't the primary one (a projector beside a laptop), or
    // the only one. Null when --screen names none, with *error set.
    static QScreen *slideScreen(int chosen, QString *error);

    void start(QScreen *screen);

signals:
    void finished();

private:
    void screenRemoved(QScreen *screen);
    void placeViews(QScreen *slides);
    void end();

    SlideDeck m_deck;
    ShowOptions m_options;
    std::unique_ptr<SlideCache> m_cache;
    std::unique_ptr<PresentationView> m_view;
    std::unique_ptr<PresenterView> m_presenter;
    std::unique_ptr<ScreenSaverInhibitor> m_inhibitor;
    QPointer<QScreen> m_screen;
    bool m_ended = false;
};

} // namespace present
