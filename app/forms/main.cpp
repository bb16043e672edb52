// korvana: the interactive program. Starts with the main input form in the
// current working directory, where the tables and the batch programs lie.
#include <QApplication>
#include <iostream>
#include <string>

#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/widgets/clock.h"
#include "app/widgets/process_starter.h"
#include "common/version.h"

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so they need no display.
    for (int n = 1; n < argc; ++n) {
        const std::string argument = argv[n];
        if (argument == "--help" || argument == "-h") {
            std::cout << "usage: korvana   (in a working directory with the tables, lumetrel and "
                         "tavisen)\nStarts the interactive program with its main input form; "
                         "it needs a display.\nThe command-line tools: korvana-results, "
                         "korvana-spectrum, korvana-study (each with --help).\n";
            return 0;
        }
        if (argument == "--version") {
            std::cout << korvana::versionLine("korvana") << '\n';
            return 0;
        }
    }
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
