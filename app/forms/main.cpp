// korvana: the interactive program. Starts with the main input form in the
// current working directory, where the tables and the batch programs lie.
#include <QApplication>

#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/widgets/clock.h"
#include "app/widgets/process_starter.h"

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
