#include "form.h"

#include <QCloseEvent>
#include <QGuiApplication>

namespace korvana::forms {

Form::Form(const char* name, const QString& caption, int widthTwips, int heightTwips)
    : QWidget(nullptr, Qt::Window) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setFixedSize(twipSizeToPixels(widthTwips, heightTwips));
}

void Form::showModeless() {
    show();
    // The headless test platform has no stacking order to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
    activateWindow();
}

void Form::closeEvent(QCloseEvent* event) {
    event->ignore();
    unload();
}

}  // namespace korvana::forms
