#pragma once

#include "present/ShowOptions.h"
#include "present/TransitionTiming.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace form {
class Announcer;
}

namespace present {

class SlideCache;

// The slides, full screen: each step forward a tile transition from the slide
// shown to the next, timed from the key press; a step back or a jump cuts.
// Only the tiles that change are repainted.
class PresentationView : public QWidget {
    Q_OBJECT

public:
    PresentationView(SlideCache &slides, const ShowOptions &options, QWidget *parent = nullptr);

    // The slide shown, from 0; the slide count for the end screen.
    int current() const { return m_current; }
    // Shows slide `index` once it is ready.
    void begin(int index = 0);

signals:
    // The slide shown changed (after a cut, or when a transition starts).
    void slideChanged(int index);
    // Esc: the show is to end.
    void leaving();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    enum class Blank { None, Black, White };

    void next();
    void previous();
    void go(int index, bool animated);
    void slideReady(int index);
    void arrive(int index, bool animated);
    void tick();
    void finishTransition();
    QRect tileDeviceRect(int step) const;
    QRect toLogical(const QRect &device) const;
    void showPointer();

    SlideCache &m_slides;
    ShowOptions m_options;
    int m_current = -1;
    int m_effectTurn = 0;
    // A move waiting for its slide to be made.
    std::optional<int> m_pending;
    bool m_pendingAnimated = false;

    QImage m_shown;    // the slide shown, or the one a transition leaves
    QImage m_incoming; // the slide a transition reveals
    std::optional<TransitionTiming> m_transition;
    int m_tilesShown = 0;
    QElapsedTimer m_pressed;
    QElapsedTimer m_clock;
    QTimer m_frameTimer;

    Blank m_blank = Blank::None;
    bool m_help = false;
    QString m_typed;
    QTimer m_pointerTimer;
    form::Announcer *m_announcer;
};

} // namespace present
