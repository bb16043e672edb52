// A picture area: a framed widget whose drawing lives in a persistent image,
// so a covered window repaints from it and tests read its pixels.
//
// Drawing takes user coordinates set by setScale (origin and extent over the
// inner area; y may grow downward or upward). A user point maps to the image
// pixel ((x - left) * innerWidth / width, (y - top) * innerHeight / height),
// rounded to the nearest pixel. Pen widths are in pixels. Drawing is aliased,
// so every operation sets whole pixels in exactly the given colour.
//
// The operations since the last clear are also kept, so the same drawing can
// be replayed as vectors (an SVG export) with the same pixel coordinates.
#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <vector>

class QPainter;

namespace korvana::forms {

enum class PictureBorder {
    Sunken,  //!< a 2-pixel sunken frame around the inner area
    None,    //!< the inner area is the whole widget (icons)
};

class PictureBox : public QFrame {
public:
    //! `outerSize` in pixels includes the border; the scale starts as one unit
    //! per pixel with the origin at the top left.
    PictureBox(QWidget* parent, QSize outerSize, PictureBorder border = PictureBorder::Sunken);

    //! User coordinates: (left, top) at the inner area's top left corner,
    //! `width` x `height` units over the whole inner area.
    void setScale(double left, double top, double width, double height);
    //! Image pixel of a user point, unrounded and rounded.
    QPointF toPixelF(double x, double y) const;
    QPoint toPixel(double x, double y) const;

    void setBackColor(const QColor& colour) { m_backColour = colour; }
    void setDrawWidth(int pixels) { m_drawWidth = pixels < 1 ? 1 : pixels; }
    void setTextFont(const QFont& font) { m_textFont = font; }

    //! Fills the image with the back colour; the current position returns to (left, top).
    void clear();
    void line(double x1, double y1, double x2, double y2, const QColor& colour);
    //! Line from the current position; (x, y) becomes the current position.
    void lineTo(double x, double y, const QColor& colour);
    void rectangle(double x1, double y1, double x2, double y2, const QColor& colour);
    void filledRectangle(double x1, double y1, double x2, double y2, const QColor& colour);
    //! A dot of the pen width; (x, y) becomes the current position.
    void point(double x, double y, const QColor& colour);
    //! Text with its upper left corner at (x, y).
    void text(double x, double y, const QString& text, const QColor& colour = Qt::black);

    QPointF currentPosition() const { return m_current; }
    const QImage& image() const { return m_image; }

    //! Draws the operations since the last clear on `painter`, in image
    //! pixels; joined lines of one colour and width become one polyline.
    void replay(QPainter& painter) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    //! One drawing operation as the image received it, in image pixels.
    struct DrawOp {
        enum class Kind { Fill, Segment, FilledRect, Text } kind;
        QPoint from;
        QPoint to;
        QRect area;
        QColor colour;
        int width = 1;
        QString text;
        QFont font;
    };

    void drawSegment(QPoint from, QPoint to, const QColor& colour);
    std::vector<DrawOp> m_ops;

    QImage m_image;
    QColor m_backColour = Qt::white;
    QFont m_textFont;
    int m_drawWidth = 1;
    double m_scaleLeft = 0;
    double m_scaleTop = 0;
    double m_scaleWidth = 1;
    double m_scaleHeight = 1;
    QPointF m_current;
};

}  // namespace korvana::forms
