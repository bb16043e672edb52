// Line and rectangle controls that lie above a picture area's drawing, placed
// in its user coordinates: they can be moved, shown and hidden without
// repainting the picture (the map's cross-hair, beam edges, object, curtain).
// They let the mouse through to the picture beneath.
#pragma once

#include <QColor>
#include <QWidget>
#include <algorithm>

namespace korvana::forms {

class PictureBox;

class OverlayLine : public QWidget {
public:
    OverlayLine(PictureBox* picture, const char* name, const QColor& colour, int widthPixels);

    //! Moves the line's ends, in the picture's user coordinates.
    void setEnds(double x1, double y1, double x2, double y2);
    double x1() const { return m_x1; }
    double y1() const { return m_y1; }
    double x2() const { return m_x2; }
    double y2() const { return m_y2; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureBox* m_picture;
    QColor m_colour;
    int m_width;
    double m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
};

//! An outlined rectangle, optionally filled.
class OverlayShape : public QWidget {
public:
    OverlayShape(PictureBox* picture, const char* name, const QColor& border,
                 const QColor& fill = QColor());

    //! Opposite corners in the picture's user coordinates.
    void setCorners(double x1, double y1, double x2, double y2);
    double left() const { return std::min(m_x1, m_x2); }
    double right() const { return std::max(m_x1, m_x2); }
    double low() const { return std::min(m_y1, m_y2); }
    double high() const { return std::max(m_y1, m_y2); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureBox* m_picture;
    QColor m_border;
    QColor m_fill;
    double m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
};

}  // namespace korvana::forms
