#include "app/widgets/controls.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "app/widgets/picture_box.h"

namespace korvana::forms {

namespace {

template <typename Control>
Control* place(Control* control, const char* name, TwipRect where) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(where.toPixels());
    return control;
}

}  // namespace

void CommandButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = rect().adjusted(4, 2, -4, -2);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text());
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QLabel* addLabel(QWidget* parent, const char* name, const QString& caption, TwipRect where) {
    auto* label = place(new QLabel(caption, parent), name, where);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLineEdit* addTextBox(QWidget* parent, const char* name, TwipRect where) {
    return place(new QLineEdit(parent), name, where);
}

void makeReadOnly(QLineEdit* box) {
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
}

CommandButton* addCommandButton(QWidget* parent, const char* name, const QString& caption,
                                TwipRect where, const QString& toolTip) {
    auto* button = place(new CommandButton(caption, parent), name, where);
    button->setAutoDefault(false);
    if (!toolTip.isNull()) button->setToolTip(toolTip);
    return button;
}

QRadioButton* addOptionButton(QWidget* parent, const char* name, const QString& caption,
                              TwipRect where) {
    return place(new QRadioButton(caption, parent), name, where);
}

QGroupBox* addFrame(QWidget* parent, const char* name, const QString& caption, TwipRect where) {
    return place(new QGroupBox(caption, parent), name, where);
}

QComboBox* addComboBox(QWidget* parent, const char* name, TwipRect where) {
    auto* combo = place(new QComboBox(parent), name, where);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

namespace {

PictureBox* placePicture(QWidget* parent, const char* name, TwipRect where, PictureBorder border) {
    const QRect pixels = where.toPixels();
    auto* picture = new PictureBox(parent, pixels.size(), border);
    picture->setObjectName(QString::fromLatin1(name));
    picture->move(pixels.topLeft());
    return picture;
}

}  // namespace

PictureBox* addPictureBox(QWidget* parent, const char* name, TwipRect where) {
    return placePicture(parent, name, where, PictureBorder::Sunken);
}

PictureBox* addIconBox(QWidget* parent, const char* name, TwipRect where) {
    return placePicture(parent, name, where, PictureBorder::None);
}

void fitTextToWidth(QLabel* label) {
    QFont font = label->font();
    double size = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    while (QFontMetrics(font).horizontalAdvance(label->text()) > label->width() && size > 6.0) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    label->setFont(font);
}

}  // namespace korvana::forms
