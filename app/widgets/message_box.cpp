#include "app/widgets/message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace korvana::forms {

namespace {

MessageHook& messageHook() {
    static MessageHook hook;
    return hook;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer showMessage(QWidget* parent, const QString& text, MessageIcon icon,
                          MessageButtons buttons) {
    if (messageHook()) return messageHook()(MessageRecord{icon, PROGRAM_TITLE, text, buttons});
    if (buttons == MessageButtons::Ok) {
        QMessageBox box(boxIcon(icon), PROGRAM_TITLE, text, QMessageBox::Ok, parent);
        box.setObjectName(QStringLiteral("MessageBox"));
        box.exec();
        return MessageAnswer::Ok;
    }
    QMessageBox box(boxIcon(icon), PROGRAM_TITLE, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void setMessageHook(MessageHook hook) { messageHook() = std::move(hook); }

}  // namespace korvana::forms
