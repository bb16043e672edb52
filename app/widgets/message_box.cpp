#include "app/widgets/message_box.h"

#include <QMessageBox>

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
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void showMessage(QWidget* parent, const QString& text, MessageIcon icon) {
    if (messageHook()) {
        messageHook()(MessageRecord{icon, PROGRAM_TITLE, text});
        return;
    }
    QMessageBox box(boxIcon(icon), PROGRAM_TITLE, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

void setMessageHook(MessageHook hook) { messageHook() = std::move(hook); }

}  // namespace korvana::forms
