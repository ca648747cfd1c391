#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace present {

class SlideCache;

// What the presenter sees on the other screen: the slide shown, the next one,
// "N / M" and the time since the show began.
class PresenterView : public QWidget {
    Q_OBJECT

public:
    explicit PresenterView(SlideCache &slides, QWidget *parent = nullptr);

    void setCurrent(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

signals:
    // Keys pressed here go to the slides.
    void keyPressed(QKeyEvent *event);

private:
    SlideCache &m_slides;
    int m_current = 0;
    QElapsedTimer m_since;
    QTimer m_clockTimer;
};

} // namespace present
