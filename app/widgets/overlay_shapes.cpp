#include "app/widgets/overlay_shapes.h"

#include <QPainter>

#include "app/widgets/picture_box.h"

namespace korvana::forms {

namespace {

// An overlay covers the picture's inner area, where its image is drawn, so
// the picture's transform places it.
void coverInnerArea(QWidget* overlay, PictureBox* picture, const char* name) {
    overlay->setObjectName(QString::fromLatin1(name));
    overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    overlay->setAttribute(Qt::WA_NoSystemBackground);
    overlay->setGeometry(picture->contentsRect());
}

}  // namespace

OverlayLine::OverlayLine(PictureBox* picture, const char* name, const QColor& colour,
                         int widthPixels)
    : QWidget(picture), m_picture(picture), m_colour(colour), m_width(widthPixels) {
    coverInnerArea(this, picture, name);
}

void OverlayLine::setEnds(double x1, double y1, double x2, double y2) {
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    update();
}

void OverlayLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(m_colour, m_width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(m_picture->toPixel(m_x1, m_y1), m_picture->toPixel(m_x2, m_y2));
}

OverlayShape::OverlayShape(PictureBox* picture, const char* name, const QColor& border,
                           const QColor& fill)
    : QWidget(picture), m_picture(picture), m_border(border), m_fill(fill) {
    coverInnerArea(this, picture, name);
}

void OverlayShape::setCorners(double x1, double y1, double x2, double y2) {
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    update();
}

void OverlayShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area =
        QRect(m_picture->toPixel(m_x1, m_y1), m_picture->toPixel(m_x2, m_y2)).normalized();
    if (m_fill.isValid()) painter.fillRect(area, m_fill);
    painter.setPen(QPen(m_border, 1));
    painter.drawRect(area);
}

}  // namespace korvana::forms
