#include "app/widgets/process_starter.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace korvana::forms {

namespace {

bool displayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

//! Arguments that make `terminal` run `command` (a program and its arguments) in its window.
QStringList terminalArguments(const QString& terminal, const QStringList& command) {
    const QString separator = QFileInfo(terminal).fileName() == QLatin1String("gnome-terminal")
                                  ? QStringLiteral("--")
                                  : QStringLiteral("-e");
    return QStringList{separator} + command;
}

}  // namespace

SystemProcessStarter::SystemProcessStarter(QStringList terminals)
    : m_terminals(std::move(terminals)) {}

QStringList SystemProcessStarter::defaultTerminals() {
    return {QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm"),
            QStringLiteral("gnome-terminal"), QStringLiteral("konsole")};
}

QString SystemProcessStarter::findTerminal() const {
    if (!displayAvailable()) return {};
    for (const QString& name : m_terminals) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return {};
}

StartOutcome SystemProcessStarter::start(const StartRequest& request) {
    StartOutcome outcome;
    const QString workDir = QDir::currentPath();
    const QString program = QDir(workDir).absoluteFilePath(request.program);
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        outcome.error = QStringLiteral("%2 に実行できるプログラム %1 がありません")
                            .arg(request.program, workDir);
        return outcome;
    }

    QProcess process;
    process.setWorkingDirectory(workDir);
    process.setStandardInputFile(QProcess::nullDevice());
    if (request.style == WindowStyle::Hidden) {
        process.setProgram(program);
        process.setArguments(request.arguments);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    } else if (const QString terminal = findTerminal(); !terminal.isEmpty()) {
        // The terminal gives the program a console of its own, Enter key
        // included; its output also goes into the log, line by line as the
        // program writes it, so the run can be followed from korvana.
        process.setProgram(terminal);
        const QStringList shell =
            request.logFileName.isEmpty()
                ? QStringList{program} + request.arguments
                : QStringList{QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                              QStringLiteral("log=$1; shift; \"$0\" \"$@\" 2>&1 | tee \"$log\""),
                              program, request.logFileName} +
                      request.arguments;
        process.setArguments(terminalArguments(terminal, shell));
        outcome.terminal = QFileInfo(terminal).fileName();
        outcome.logFileName = request.logFileName;
    } else {
        // No terminal: both output streams into one log, in order.
        process.setProgram(QStringLiteral("/bin/sh"));
        process.setArguments(
            QStringList{QStringLiteral("-c"),
                        QStringLiteral("log=$1; shift; exec \"$0\" \"$@\" >\"$log\" 2>&1"), program,
                        request.logFileName} +
            request.arguments);
        outcome.logFileName = request.logFileName;
    }
    qint64 pid = 0;
    outcome.started = process.startDetached(&pid);
    if (!outcome.started) {
        outcome.error = QStringLiteral("%1 を起動できません（%2）")
                            .arg(process.program(), process.errorString());
    }
    return outcome;
}

}  // namespace korvana::forms
