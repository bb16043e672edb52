// Base of every window: a top-level, modeless widget with its form name as
// object name, a caption and a designed size in twips. Forms are created once
// (see Forms) and afterwards only shown and hidden.
//
// The controls sit on the form's page, a widget of exactly the designed size
// inside a scroll area without a frame: on a screen at least as large as the
// form the window looks as designed. On a smaller screen korvana draws the
// window smaller, its twips-to-pixel factor and its fonts scaled together,
// down to the scale at which it would fit a 1280 x 720 screen; below that the
// window opens no larger than the screen's available area and the page
// scrolls. The user may resize the window either way; extra space stays empty.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include "app/widgets/twips.h"

class QScrollArea;

namespace korvana::forms {

class Form : public QWidget {
public:
    Form(const char* name, const QString& caption, int widthTwips, int heightTwips);

    //! Shows the form, raised and active, without blocking the others. The
    //! first showing fits the window to the screen.
    void showModeless();
    //! The same, centred over `owner` (when shown) as far as the screen allows.
    void showModelessOver(const QWidget* owner);

    //! The designed area that holds the controls.
    QWidget* page() const { return m_page; }
    QScrollArea* scrollArea() const { return m_scrollArea; }

    //! The form's main action: drawn as default, pressed by Enter anywhere in
    //! the form where no control uses the key itself.
    void setDefaultButton(QPushButton* button);
    QPushButton* defaultButton() const { return m_defaultButton; }
    //! Escape closes the form as its window frame would (for the windows
    //! korvana adds; the designed forms keep the key to their controls).
    void setClosedByEscape() { m_closedByEscape = true; }

protected:
    //! Closing by the window frame: the form hides unless a form says otherwise.
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    //! Called when the user closes the window; the default just hides it.
    virtual void unload() { hide(); }

private:
    void fitToScreen(const QWidget* owner);

    QWidget* m_page;
    QScrollArea* m_scrollArea;
    QPointer<QPushButton> m_defaultButton;
    bool m_fitted = false;
    bool m_closedByEscape = false;
    double m_scale = 1.0;  //!< display scale of this form
};

//! Where a window of client size `wanted` goes on a screen whose available
//! area is `available`, with `frame` the room the window frame adds (left +
//! right, title bar + bottom): no larger than the area, and moved so that
//! its frame's top left and title bar are inside it. `topLeft` is the
//! client area's wished top left.
QRect fittedWindowRect(QSize wanted, QPoint topLeft, QRect available, QMargins frame);

//! The scale at which a window designed `designed` pixels large fits the
//! screen's available area `available` with a typical frame: 1 when it fits
//! as designed, never below the scale at which it would fit 1280 x 720.
double displayScaleFor(QSize designed, QSize available);

//! From now on, forms built are scaled to fit a screen of this available
//! area (korvana's start; without it, as in the tests, forms keep their size).
void scaleFormsToFit(QSize available);

}  // namespace korvana::forms
