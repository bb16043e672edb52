// Base of every window: a top-level, modeless widget with its form name as
// object name, a caption and a fixed size in twips. Forms are created once
// (see Forms) and afterwards only shown and hidden.
#pragma once

#include <QWidget>

#include "twips.h"

namespace korvana::forms {

class Form : public QWidget {
public:
    Form(const char* name, const QString& caption, int widthTwips, int heightTwips);

    //! Shows the form, raised and active, without blocking the others.
    void showModeless();

protected:
    //! Closing by the window frame: the form hides unless a form says otherwise.
    void closeEvent(QCloseEvent* event) override;
    //! Called when the user closes the window; the default just hides it.
    virtual void unload() { hide(); }
};

}  // namespace korvana::forms
