// The one way the program shows a message: a box with a fixed text, an icon
// and one OK button, titled with the program's name. Tests install a hook
// that records the message instead of showing it.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace korvana::forms {

enum class MessageIcon {
    None,         //!< information without an icon
    Exclamation,  //!< a problem with the user's input
    Critical,     //!< a file or a program that failed
};

struct MessageRecord {
    MessageIcon icon = MessageIcon::None;
    QString title;
    QString text;
};

//! Caption of every message box.
inline const QString PROGRAM_TITLE = QStringLiteral("Korvana");

//! Shows `text` and returns when the user has pressed OK (or at once under a hook).
void showMessage(QWidget* parent, const QString& text, MessageIcon icon);

using MessageHook = std::function<void(const MessageRecord&)>;

//! Replaces the box by `hook`; an empty hook restores the box.
void setMessageHook(MessageHook hook);

}  // namespace korvana::forms
