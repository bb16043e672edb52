// Form12, "Monte Carlo simulation": the number of histories and the result
// name; Start writes B2F.txt and starts lumetrel in a window of its own.
// Two check boxes choose how the engine runs: on all cores ("--threads 0")
// and with the point-detector estimator ("--estimator next-event", checked
// until the user unchecks it); both choices are kept from one start of
// korvana to the next. Below the buttons, the expected wall time of the run
// as entered (app/run/run_time_estimate.h); a started run is followed in the
// runs panel, which opens. When the program keeps a room (the room panel),
// its summary is shown, the run reads it from LAUNCH_SCENE_FILE ("--scene"),
// and a room with eye points runs only with the point-detector estimator,
// which alone scores them.
#pragma once

#include <QString>

#include "app/run/case_file.h"
#include "app/widgets/form.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvana::forms {

class Forms;

//! The room the launch dialog hands to the engine, beside the run file.
inline constexpr const char* LAUNCH_SCENE_FILE = "B2F.scene.json";

class Form12 : public Form {
public:
    explicit Form12(Forms& forms);

    //! Resets both fields (500000000 histories, today's date as the name, or
    //! those of a case opened since) and shows the form.
    void openLaunchDialog();

    //! The launch dialog's entries of a case: histories, name, and the two
    //! choices as "threads" ("0" for all cores) and "estimator".
    app::CaseEntries caseEntries() const;
    //! Takes a case's entries: its choices at once (and kept), its histories
    //! and name for the next opening.
    void takeCaseEntries(const app::CaseEntries& entries);
    //! Start: checks the name and the values, asks when B_SPCTL.dat is not the
    //! main form's spectrum or the result exists, writes B2F.txt, starts
    //! lumetrel, tells the user, hides.
    void Command1_Click();
    //! Cancel: hides; nothing is written.
    void Command2_Click() { hide(); }

    //! The engine's arguments for the ticked boxes, and "--scene" with
    //! LAUNCH_SCENE_FILE when the program keeps a room.
    QStringList engineArguments() const;

private:
    // The controls, in the order they are made (and so tabbed through).
    QLabel* const Label5;
    QLabel* const Label1;
    QLineEdit* const Text1;  //!< number of histories
    QLabel* const Label2;
    QLabel* const Label3;
    QLabel* const Label4;
    QLineEdit* const Text2;   //!< result name without extension
    QCheckBox* const Check1;  //!< all cores
    QCheckBox* const Check2;  //!< point-detector estimator
    QPushButton* const Command1;
    QPushButton* const Command2;
    QLabel* const Label6;  //!< expected wall time
    QLabel* const Label7;  //!< the room's summary

    //! The threads the engine will run on: every core, or one stream.
    int engineThreads() const;
    //! The expected wall time for the histories and choices as they stand.
    void showExpectedTime();
    //! B_SPCTL.dat is what the engine runs: when it is not the spectrum of the
    //! main form's irradiation conditions, asks whether to run it anyway.
    //! True: go on.
    bool confirmSpectrum();
    //! Asks before the run replaces an existing result file. True: go on.
    bool confirmReplacing(const QString& resultFile);
    //! The room's summary, and the estimator a room with eye points needs.
    void showRoom();
    //! Refuses a room the engine would refuse, or eye points without the
    //! point-detector estimator, and writes LAUNCH_SCENE_FILE. True: go on.
    bool writeRoom();
    //! Measures this machine's engine rates once, when the working directory
    //! keeps none yet; without the tables the estimate keeps its seed.
    void calibrateRatesOnce();

    Forms& m_forms;
    QString m_caseHistories;  //!< from an opened case, for the next opening; empty: none
    QString m_caseName;
    bool m_calibrationTried = false;  //!< tried once per process, even if it could not be kept
};

}  // namespace korvana::forms
