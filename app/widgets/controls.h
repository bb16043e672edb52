// Controls placed on a form at positions in twips, each with its name as the
// Qt object name (Text5, Command3, Option7 ...), so code and tests find it.
#pragma once

#include <QPushButton>
#include <QString>

#include "app/widgets/twips.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace korvana::forms {

class PictureBox;

//! A push button whose caption wraps at blanks to fit its width. Enter (as
//! well as the space bar) presses it when it has the focus.
class CommandButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

QLabel* addLabel(QWidget* parent, const char* name, const QString& caption, TwipRect where);

//! Makes the label's font smaller, a point at a time, until its text fits its
//! width (at most down to 6 points), so the text does not run past the label.
void fitTextToWidth(QLabel* label);
QLineEdit* addTextBox(QWidget* parent, const char* name, TwipRect where);
//! A box that only shows values: read-only and out of the Tab chain (a click
//! still selects its text for copying).
void makeReadOnly(QLineEdit* box);
CommandButton* addCommandButton(QWidget* parent, const char* name, const QString& caption,
                                TwipRect where, const QString& toolTip = QString());
//! Option buttons with the same parent exclude each other.
QRadioButton* addOptionButton(QWidget* parent, const char* name, const QString& caption,
                              TwipRect where);
//! A titled frame; controls inside take positions relative to it.
QGroupBox* addFrame(QWidget* parent, const char* name, const QString& caption, TwipRect where);
//! An editable combo list.
QComboBox* addComboBox(QWidget* parent, const char* name, TwipRect where);
//! A framed picture area; an icon has no frame.
PictureBox* addPictureBox(QWidget* parent, const char* name, TwipRect where);
PictureBox* addIconBox(QWidget* parent, const char* name, TwipRect where);

}  // namespace korvana::forms
