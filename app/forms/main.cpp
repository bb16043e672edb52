// korvana: the interactive program. Starts with the main input form in the
// current working directory, where the tables and the batch programs lie.
#include <QApplication>

#include "clock.h"
#include "form2_main_input.h"
#include "forms.h"
#include "process_starter.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvana"));
    // The main form ends the program (Exit or closing it); other windows only hide.
    QApplication::setQuitOnLastWindowClosed(false);

    korvana::forms::SystemProcessStarter starter;
    korvana::forms::SystemClock clock;
    korvana::forms::Forms forms(starter, clock);
    forms.setEndHandler([] { QCoreApplication::quit(); });
    forms.form2().showModeless();
    return QApplication::exec();
}
