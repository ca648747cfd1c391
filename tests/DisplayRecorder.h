#pragma once

#include "form/PictureBox.h"

#include <QEvent>
#include <QImage>
#include <QList>
#include <QObject>

// Keeps what the display showed each time it reached the screen.
class DisplayRecorder : public QObject {
public:
    explicit DisplayRecorder(form::PictureBox &display)
        : m_display(display) {
        display.installEventFilter(this);
    }

    QList<QImage> frames;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            frames.append(m_display.surface());
        return false;
    }

private:
    form::PictureBox &m_display;
};
