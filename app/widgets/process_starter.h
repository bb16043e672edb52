// Starting the batch programs (tavisen, lumetrel) from the working directory
// without waiting for them and without tracking them: they keep running after
// korvana ends. Behind an interface so tests can record the starts.
#pragma once

#include <QString>
#include <QStringList>

namespace korvana::forms {

enum class WindowStyle {
    Hidden,           //!< no window, no console text
    NormalWithFocus,  //!< a terminal window of its own that gets the focus
};

struct StartRequest {
    QString program;  //!< file name in the working directory, e.g. "lumetrel"
    WindowStyle style = WindowStyle::Hidden;
    QString logFileName;    //!< a copy of the console text (all of it without a terminal)
    QStringList arguments;  //!< given to the program in every way it is started
};

struct StartOutcome {
    bool started = false;
    QString terminal;     //!< the terminal program used; empty when none
    QString logFileName;  //!< where the console text is copied; empty: nowhere
    QString error;        //!< why it could not be started
};

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    virtual StartOutcome start(const StartRequest& request) = 0;
};

//! Starts real processes. A program with a window runs in the first terminal
//! found on PATH when a display is available, its output shown there and
//! copied into the log; otherwise it runs detached with standard input closed
//! (so it needs no Enter key) and its output in the log only.
class SystemProcessStarter : public ProcessStarter {
public:
    explicit SystemProcessStarter(QStringList terminals = defaultTerminals());
    StartOutcome start(const StartRequest& request) override;

    //! x-terminal-emulator, xterm, gnome-terminal, konsole.
    static QStringList defaultTerminals();

private:
    QString findTerminal() const;

    QStringList m_terminals;
};

}  // namespace korvana::forms
