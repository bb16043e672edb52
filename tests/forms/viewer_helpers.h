// Helpers of the result viewers' window tests: controls by name, picture
// pixels, and a browser with a result file loaded through its own buttons.
#pragma once

#include <QColor>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/forms/form1_result_browser.h"
#include "app/forms/forms.h"
#include "app/widgets/file_list_box.h"
#include "app/widgets/picture_box.h"

namespace korvana::testing {

//! A form's control, found by its name as a user's tools would find it.
template <typename T>
T* control(const QWidget& form, const char* name) {
    T* found = form.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s on %s", name, qPrintable(form.objectName()));
    return found;
}

//! A file of a few bytes, enough to be listed.
inline void touch(const char* name) {
    QFile file(QString::fromLatin1(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x\r\n");
}

inline QColor pixelAt(const forms::PictureBox* picture, int x, int y) {
    return picture->image().pixelColor(x, y);
}

//! The topmost row of column `x` in `colour`, or -1.
inline int topmostRowOf(const forms::PictureBox* picture, int x, const QColor& colour) {
    const QImage& image = picture->image();
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) == colour) return y;
    }
    return -1;
}

//! Pixels of `image` inside `area` that are not `background`.
inline int countNot(const QImage& image, const QRect& area, const QColor& background) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) != background;
        }
    }
    return count;
}

//! Clicks `fileName` in the browser's file list.
inline void clickFile(forms::Forms& forms, const QString& fileName) {
    forms::FileListBox* list = control<forms::FileListBox>(forms.form1(), "File1");
    const QList<QListWidgetItem*> items = list->findItems(fileName, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(fileName));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.front()).center());
    QCOMPARE(list->selectedFileName(), fileName);
}

//! Opens the browser from the main form, clicks `fileName` in its list.
inline void openAndClick(forms::Forms& forms, const QString& fileName) {
    forms.form2().findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    clickFile(forms, fileName);
}

//! Opens the browser, clicks `fileName` and presses OK.
inline void openAndLoad(forms::Forms& forms, const QString& fileName) {
    openAndClick(forms, fileName);
    control<QPushButton>(forms.form1(), "Command11")->click();
}

}  // namespace korvana::testing
