// The one way the program shows a message: a box with a fixed text, an icon
// and one OK button, or a question with Yes and No, titled with the program's
// name. Tests install a hook that records the message instead of showing it
// and gives the answer.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace korvana::forms {

enum class MessageIcon {
    None,         //!< information without an icon
    Exclamation,  //!< a problem with the user's input
    Critical,     //!< a file or a program that failed
    Question,     //!< a choice the user makes before something is done
};

enum class MessageButtons {
    Ok,     //!< one OK button
    YesNo,  //!< Yes and No, No the default
};

enum class MessageAnswer { Ok, Yes, No };

struct MessageRecord {
    MessageIcon icon = MessageIcon::None;
    QString title;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
};

//! Caption of every message box.
inline const QString PROGRAM_TITLE = QStringLiteral("Korvana");

//! Shows `text` and returns the button the user pressed (at once under a
//! hook). A question closed without an answer answers No.
MessageAnswer showMessage(QWidget* parent, const QString& text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

//! Records a message and answers it in place of the user.
using MessageHook = std::function<MessageAnswer(const MessageRecord&)>;

//! Replaces the box by `hook`; an empty hook restores the box.
void setMessageHook(MessageHook hook);

}  // namespace korvana::forms
