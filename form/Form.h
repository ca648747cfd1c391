#pragma once

#include "form/ColorRef.h"
#include "form/Twips.h"

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <vector>

namespace form {

// A top-level form with a fixed-single border, laid out in twips. Its own
// surface takes transient drawing (PSet, Cls) behind every control; a click on
// that surface, not on a control, is the form's click.
class Form : public QWidget {
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr);

    void setClientSizeTwips(int width, int height);
    void setBackColor(ColorRef color);
    ColorRef backColor() const { return m_backColor; }

    // Places a control on the form. Its clicks stay with it, never the form's.
    void place(QWidget *control, const TwipsRect &twips);

    // The client area in the form's own units.
    float ScaleWidth() const { return m_scaleWidth; }
    float ScaleHeight() const { return m_scaleHeight; }

    int DrawWidth() const { return m_drawWidth; }
    void setDrawWidth(int pixels) { m_drawWidth = pixels; }

    // Draws a point, a filled disc DrawWidth pixels across centred on (x, y) in
    // twips, in exactly the given colour. It reaches the screen with the next
    // present.
    void PSet(float x, float y, ColorRef color);
    // Erases everything drawn on the surface, at once, leaving the controls
    // and the back colour.
    void Cls();
    // Shows at once whatever has been drawn and not yet shown.
    void present();
    // Blocks, handling no events, until the display's next refresh: one
    // refresh interval after the last present reached the screen, or not at
    // all if that has gone by. The screen's own rate, 60 Hz where it does not
    // say.
    void waitForRefresh();

    // The surface's drawing, one device pixel per image pixel, transparent
    // where nothing is drawn; and how many times drawing reached the screen.
    QImage drawing() const { return m_drawing; }
    int presentCount() const { return m_presentCount; }

    void setVisible(bool visible) override;

signals:
    void clicked();
    // The form has accepted a close request and is about to go, with no
    // handler running.
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // One row of a disc: where it starts from the disc's left edge, and how
    // many pixels it spans.
    struct DiscRow {
        int offset;
        int length;
    };

    void centreOnScreen();
    void nextClick();
    void ensureDrawing();
    void ensureDisc(int diameter);
    QRegion uncovered(const QRect &area) const;
    qint64 refreshIntervalNs() const;

    ColorRef m_backColor = 0x8000000F;
    float m_scaleWidth = 0;
    float m_scaleHeight = 0;
    int m_drawWidth = 1;
    bool m_centred = false;
    bool m_pressed = false;
    bool m_closing = false; // a close was asked for and is still to come
    int m_waitingClicks = 0;

    QImage m_drawing;
    std::vector<DiscRow> m_disc;
    QRect m_unshown; // drawn since the last present, in logical pixels
    QRect m_drawn;   // drawn since the last Cls
    QElapsedTimer m_sinceShown;
    int m_presentCount = 0;
};

} // namespace form
