// The real process starter with small shell programs in a scratch working
// directory: hidden start, detached start with closed input and a log, the
// terminal's command line, and a program that is not there.
#include "app/widgets/process_starter.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include "temp_dir.h"

using namespace korvana::forms;
using korvana::testing::ScopedWorkDir;

namespace {

void writeProgram(const QString& name, const QByteArray& script) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + script);
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
}

QByteArray contentOf(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ProcessStarterTest : public QObject {
    Q_OBJECT

private slots:
    void hiddenProgramRunsInTheWorkingDirectory() {
        ScopedWorkDir dir;
        writeProgram("calc", "pwd > where.txt\necho console text\n");
        SystemProcessStarter starter(QStringList{});
        const StartOutcome outcome = starter.start({"calc", WindowStyle::Hidden, {}, {}});
        QVERIFY(outcome.started);
        QTRY_COMPARE(contentOf("where.txt").trimmed(), QDir::currentPath().toUtf8());
        QVERIFY(!QFile::exists("calc.log"));
    }

    void withoutTerminalItRunsDetachedWithClosedInputAndALog() {
        ScopedWorkDir dir;
        // Waits for Enter as the engine does; closed input lets it go on at once.
        writeProgram("engine",
                     "echo banner \"$@\"\nread answer\necho after enter >&2\ntouch done\n");
        qputenv("DISPLAY", ":99");  // a display alone does not help without a terminal
        SystemProcessStarter starter(QStringList{});
        const StartOutcome outcome = starter.start({"engine",
                                                    WindowStyle::NormalWithFocus,
                                                    "run one.log",
                                                    {"--threads", "0", "two words"}});
        qunsetenv("DISPLAY");
        QVERIFY(outcome.started);
        QVERIFY(outcome.terminal.isEmpty());
        QCOMPARE(outcome.logFileName, QStringLiteral("run one.log"));
        QTRY_VERIFY(QFile::exists("done"));
        QCOMPARE(contentOf("run one.log"),
                 QByteArray("banner --threads 0 two words\nafter enter\n"));
    }

    void terminalGetsTheProgramToRunAndCopiesItsOutputToTheLog() {
        ScopedWorkDir dir;
        writeProgram("engine", "echo ran \"$@\"\necho oops >&2\n");
        // Records its command line and runs what follows -e, as a terminal would.
        writeProgram("fake-term", "echo \"$@\" > terminal-args.txt\nshift\n\"$@\" > shown.txt\n");
        const QString terminal = QDir::current().absoluteFilePath("fake-term");
        qputenv("DISPLAY", ":99");
        SystemProcessStarter starter({QStringLiteral("no-such-terminal"), terminal});
        const StartOutcome outcome =
            starter.start({"engine", WindowStyle::NormalWithFocus, "x y.log", {"--threads", "0"}});
        qunsetenv("DISPLAY");
        QVERIFY(outcome.started);
        QCOMPARE(outcome.terminal, QStringLiteral("fake-term"));
        QCOMPARE(outcome.logFileName, QStringLiteral("x y.log"));
        QTRY_VERIFY(contentOf("terminal-args.txt").startsWith("-e /bin/sh -c "));
        QVERIFY(contentOf("terminal-args.txt")
                    .trimmed()
                    .endsWith(QDir::current().absoluteFilePath("engine").toUtf8() +
                              " x y.log --threads 0"));
        // The console shows what the program writes, and the log holds the same.
        QTRY_COMPARE(contentOf("shown.txt"), QByteArray("ran --threads 0\noops\n"));
        QTRY_COMPARE(contentOf("x y.log"), QByteArray("ran --threads 0\noops\n"));
    }

    void noDisplayMeansNoTerminal() {
        ScopedWorkDir dir;
        writeProgram("engine", "echo ran\n");
        writeProgram("fake-term", "touch terminal-used\n");
        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        SystemProcessStarter starter({QDir::current().absoluteFilePath("fake-term")});
        const StartOutcome outcome =
            starter.start({"engine", WindowStyle::NormalWithFocus, "e.log", {}});
        if (!display.isEmpty()) qputenv("DISPLAY", display);
        if (!wayland.isEmpty()) qputenv("WAYLAND_DISPLAY", wayland);
        QVERIFY(outcome.started);
        QTRY_COMPARE(contentOf("e.log"), QByteArray("ran\n"));
        QVERIFY(!QFile::exists("terminal-used"));
    }

    void missingProgramIsNotStarted() {
        ScopedWorkDir dir;
        SystemProcessStarter starter(QStringList{});
        const StartOutcome outcome = starter.start({"tavisen", WindowStyle::Hidden, {}, {}});
        QVERIFY(!outcome.started);
        QVERIFY(outcome.error.contains(QStringLiteral("tavisen")));
        QFile notExecutable("lumetrel");
        QVERIFY(notExecutable.open(QIODevice::WriteOnly));
        notExecutable.close();
        QVERIFY(!starter.start({"lumetrel", WindowStyle::NormalWithFocus, "l.log", {}}).started);
    }
};

QTEST_MAIN(ProcessStarterTest)
#include "process_starter_test.moc"
