#pragma once

#include <QFrame>
#include <QImage>

#include <vector>

namespace form {

// A picture box: shows its picture at natural size from the top-left corner
// inside its border, clipped. A picture whose device-pixel ratio is the
// screen's shows at full device resolution. PaintPicture draws over it and shows at once.
// Whatever was drawn stays through repaints (an expose, a change of screen or
// scale); only assigning a picture discards it.
class PictureBox : public QFrame {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture);

    // The outer size in twips, as laid out.
    float widthTwips() const { return m_widthTwips; }
    float heightTwips() const { return m_heightTwips; }
    void setSizeTwips(float width, float height);

    // Copies a rectangle of a picture (laid out at natural size from the
    // origin) onto the box's inner area. Every coordinate is in twips from
    // the inner top-left corner.
    void PaintPicture(const QImage &picture, float destLeft, float destTop, float destWidth,
                      float destHeight, float sourceLeft, float sourceTop, float sourceWidth,
                      float sourceHeight);

    // Marks the box as the target of a drag that it would accept. The mark is
    // drawn over the picture and is not part of surface().
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return m_highlighted; }

    // What the box's inner area shows, one device pixel per image pixel.
    QImage surface() const;

signals:
    // A PaintPicture has reached the surface: the rectangle it covered on the
    // inner area, in the surface's device pixels.
    void pictureDrawn(const QRect &deviceRect);

protected:
    void paintEvent(QPaintEvent *event) override;
    // Shift+F10 asks for the box's context menu, as the Menu key does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Stroke {
        QImage picture;
        float dest[4];
        float source[4];
    };

    void ensureSurface();
    QImage pictureSurface(qreal ratio) const;
    bool showsPictureAlone() const;
    void renderStroke(QImage &surface, const Stroke &stroke) const;

    QImage m_picture;
    std::vector<Stroke> m_strokes;
    QImage m_surface;
    qreal m_surfaceRatio = 0;
    // The last picture copied from, at the surface's ratio.
    mutable QImage m_strokeSource;
    mutable qint64 m_strokeSourceKey = 0;
    mutable qreal m_strokeSourceRatio = 0;
    float m_widthTwips = 0;
    float m_heightTwips = 0;
    bool m_highlighted = false;
};

} // namespace form
