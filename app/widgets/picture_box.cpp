#include "app/widgets/picture_box.h"

#include <QPainter>
#include <cmath>

namespace korvana::forms {

namespace {
constexpr int BORDER_PIXELS = 2;
}

PictureBox::PictureBox(QWidget* parent, QSize outerSize, PictureBorder border) : QFrame(parent) {
    const int borderPixels = border == PictureBorder::Sunken ? BORDER_PIXELS : 0;
    if (borderPixels > 0) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(borderPixels);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    setFixedSize(outerSize);
    const QSize inner = outerSize - QSize(2 * borderPixels, 2 * borderPixels);
    m_image = QImage(inner.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_scaleWidth = m_image.width();
    m_scaleHeight = m_image.height();
    clear();
}

void PictureBox::setScale(double left, double top, double width, double height) {
    m_scaleLeft = left;
    m_scaleTop = top;
    m_scaleWidth = width;
    m_scaleHeight = height;
    m_current = QPointF(left, top);
}

QPointF PictureBox::toPixelF(double x, double y) const {
    return QPointF((x - m_scaleLeft) * m_image.width() / m_scaleWidth,
                   (y - m_scaleTop) * m_image.height() / m_scaleHeight);
}

QPoint PictureBox::toPixel(double x, double y) const {
    const QPointF p = toPixelF(x, y);
    return QPoint(static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y())));
}

void PictureBox::clear() {
    m_image.fill(m_backColour);
    m_ops.clear();
    m_ops.push_back({DrawOp::Kind::Fill, {}, {}, m_image.rect(), m_backColour, 1, {}, {}});
    m_current = QPointF(m_scaleLeft, m_scaleTop);
    update();
}

void PictureBox::drawSegment(QPoint from, QPoint to, const QColor& colour) {
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, m_drawWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (from == to) {
        painter.drawPoint(from);
    } else {
        painter.drawLine(from, to);
    }
    m_ops.push_back({DrawOp::Kind::Segment, from, to, {}, colour, m_drawWidth, {}, {}});
    update();
}

void PictureBox::line(double x1, double y1, double x2, double y2, const QColor& colour) {
    drawSegment(toPixel(x1, y1), toPixel(x2, y2), colour);
    m_current = QPointF(x2, y2);
}

void PictureBox::lineTo(double x, double y, const QColor& colour) {
    line(m_current.x(), m_current.y(), x, y, colour);
}

void PictureBox::rectangle(double x1, double y1, double x2, double y2, const QColor& colour) {
    const QPoint a = toPixel(x1, y1);
    const QPoint b = toPixel(x2, y2);
    const QPoint c(b.x(), a.y());
    const QPoint d(a.x(), b.y());
    drawSegment(a, c, colour);
    drawSegment(c, b, colour);
    drawSegment(b, d, colour);
    drawSegment(d, a, colour);
    m_current = QPointF(x2, y2);
}

void PictureBox::filledRectangle(double x1, double y1, double x2, double y2, const QColor& colour) {
    const QRect area = QRect(toPixel(x1, y1), toPixel(x2, y2)).normalized();
    QPainter painter(&m_image);
    painter.fillRect(area, colour);
    m_ops.push_back({DrawOp::Kind::FilledRect, {}, {}, area, colour, 1, {}, {}});
    m_current = QPointF(x2, y2);
    update();
}

void PictureBox::point(double x, double y, const QColor& colour) {
    const QPoint p = toPixel(x, y);
    drawSegment(p, p, colour);
    m_current = QPointF(x, y);
}

void PictureBox::text(double x, double y, const QString& text, const QColor& colour) {
    QPainter painter(&m_image);
    painter.setFont(m_textFont);
    painter.setPen(colour);
    const QPoint corner = toPixel(x, y);
    painter.drawText(QRect(corner, QSize(m_image.width() * 2, m_image.height() * 2)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    m_ops.push_back({DrawOp::Kind::Text, corner, {}, {}, colour, 1, text, m_textFont});
    update();
}

void PictureBox::replay(QPainter& painter) const {
    painter.save();
    painter.setClipRect(m_image.rect());
    std::size_t n = 0;
    while (n < m_ops.size()) {
        const DrawOp& op = m_ops[n];
        switch (op.kind) {
            case DrawOp::Kind::Fill:
            case DrawOp::Kind::FilledRect:
                painter.fillRect(op.area, op.colour);
                ++n;
                break;
            case DrawOp::Kind::Text:
                painter.setFont(op.font);
                painter.setPen(op.colour);
                painter.drawText(QRect(op.from, QSize(m_image.width() * 2, m_image.height() * 2)),
                                 Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, op.text);
                ++n;
                break;
            case DrawOp::Kind::Segment: {
                // Segments that continue one another in one pen form one polyline.
                QPolygon line{op.from, op.to};
                std::size_t next = n + 1;
                while (next < m_ops.size() && m_ops[next].kind == DrawOp::Kind::Segment &&
                       m_ops[next].from == line.back() && m_ops[next].colour == op.colour &&
                       m_ops[next].width == op.width && op.from != op.to &&
                       m_ops[next].from != m_ops[next].to) {
                    line << m_ops[next].to;
                    ++next;
                }
                painter.setPen(
                    QPen(op.colour, op.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
                painter.setBrush(Qt::NoBrush);
                if (op.from == op.to) {
                    painter.drawPoint(op.from);
                } else {
                    painter.drawPolyline(line);
                }
                n = next;
                break;
            }
        }
    }
    painter.restore();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), m_image);
}

}  // namespace korvana::forms
