#pragma once

#include "form/ColorRef.h"
#include "form/Twips.h"

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

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

    // Draws a point, a filled disc DrawWidth pixels across, at (x, y) in twips.
    // It reaches the screen by the next display refresh at the latest.
    void PSet(float x, float y, ColorRef color);
    // Erases everything drawn on the surface, leaving the back colour.
    void Cls();
    // Shows at once whatever has been drawn and not yet shown.
    void present();

    QImage drawing() const { return m_drawing; }
    int presentCount() const { return m_presentCount; }

    void setVisible(bool visible) override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void centreOnScreen();
    void ensureDrawing();
    qint64 refreshIntervalNs() const;

    ColorRef m_backColor = 0x8000000F;
    float m_scaleWidth = 0;
    float m_scaleHeight = 0;
    int m_drawWidth = 1;
    bool m_centred = false;
    bool m_pressed = false;

    QImage m_drawing;
    QRect m_unshown;
    QElapsedTimer m_sinceShown;
    int m_presentCount = 0;
};

} // namespace form
