// Form2, the main input form: geometry (1), irradiation conditions (2), lead
// curtain (3), the incident spectrum (4), a simulation start (5), the result
// browser and Exit. Values live in the text boxes and are read afresh at every
// button press.
#pragma once

#include <QString>

#include "app/forms/scene_drawing.h"
#include "app/run/run_file.h"
#include "app/spectrum/hvl_results.h"
#include "app/spectrum/irradiation_conditions.h"
#include "app/widgets/form.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace korvana::forms {

class Forms;
class PictureBox;

//! Every entry of steps (1) to (3) as typed, and the rectification chosen:
//! what a window that works on the main form's case reads and writes back.
struct MainFormEntries {
    QString thicknessCm, fsdCm, fieldLongCm, fieldShortCm;
    QString tubeVoltageKv, targetAngleDeg, inherentMmAl, aluminiumMm, copperMm;
    QString curtainLeadMm, curtainLengthCm;
    app::RectificationMode rectification = app::RectificationMode::ConstantPotential;
};

class Form2 : public Form {
public:
    explicit Form2(Forms& forms);

    //! Start sequence: material tables, Form1's angle list, Form5's glasses list, defaults.
    void Form2_Load();
    void Option7_Click();
    void Option8_Click();
    void Option9_Click();
    //! Step (4): computes the spectrum, starts tavisen and shows Form6.
    void Command1_Click();
    //! Result browser.
    void Command2_Click();
    //! Step (5): curtain checks, then Form12.
    void Command3_Click();
    //! Exit: deletes the three work files (errors ignored) and ends the program.
    void Command4_Click();

    //! The run conditions of steps (1) and (3) the launch dialog writes into
    //! the run file: thickness, FSD, both field sizes, the curtain's lead and
    //! length, as typed (history count and result name are the dialog's own).
    app::RunFileTexts runConditions() const;
    //! Form6's OK: the HVL calculator's results into the reference boxes, and
    //! the focus to the curtain's lead equivalent, the next entry of the steps.
    void showHvlResults(const app::HvlResults& results);
    //! The geometry of steps (1) and (3) as typed, in the room the program
    //! keeps (ProgramState::scene), as the schematic draws it.
    GeometrySketch geometrySketch() const;
    //! The room changed (the room panel): the schematic follows.
    void sceneChanged() { redrawGeometry(); }
    //! The entries of steps (1) to (3) as they stand.
    MainFormEntries entries() const;
    //! Puts `entries` into the boxes and chooses their rectification, as the
    //! user would by typing and clicking.
    void setEntries(const MainFormEntries& entries);

    //! "ケースを保存…": the entries of this form and of the launch dialog into
    //! a case file (NAME.korvana.json) the user chooses.
    void Command6_Click();
    //! "ケースを開く…": a case file's entries into this form and the launch
    //! dialog; a newer or damaged file is refused with its key and reason.
    void Command7_Click();

protected:
    //! Closing the window ends the program without deleting the work files.
    void unload() override;

private:
    // Step (1): geometry [cm]
    QLineEdit* const Text6;   //!< thickness of the irradiated object
    QLineEdit* const Text7;   //!< focus-to-entrance-surface distance
    QLineEdit* const Text13;  //!< field size at FSD, long axis
    QLineEdit* const Text14;  //!< field size at FSD, short axis
    // Step (2): irradiation conditions
    QLineEdit* const Text1;  //!< tube voltage [kV]
    QLineEdit* const Text5;  //!< target angle [degree]
    QLineEdit* const Text2;  //!< inherent filtration [mm Al equivalent]
    QLineEdit* const Text3;  //!< added aluminium filter [mm]
    QLineEdit* const Text4;  //!< added copper filter [mm]
    QGroupBox* const Frame1;
    QRadioButton* const Option7;  //!< constant potential
    QRadioButton* const Option8;  //!< three-phase 12-peak
    QRadioButton* const Option9;  //!< single-phase full-wave
    // Reference data, filled by Form6's OK
    QLineEdit* const Text9;   //!< half-value layer [mm Al]
    QLineEdit* const Text10;  //!< effective energy [keV]
    QLineEdit* const Text11;  //!< photon fluence per 1.0 C/kg [photons/mm^2]
    // Step (3): lead curtain
    QLineEdit* const Text8;   //!< lead equivalent [mm Pb]
    QLineEdit* const Text12;  //!< length L [cm]

    QPushButton* const Command1;
    QPushButton* const Command3;
    QPushButton* const Command2;
    QPushButton* const Command4;
    PictureBox* const Picture3;  //!< live geometry schematic
    PictureBox* const Picture2;  //!< icon of the steps
    PictureBox* const Picture1;  //!< icon on the result browser button

    void buildCaptions();
    //! The buttons of the live estimate window (Ctrl+L) and of the runs panel.
    void addLiveEstimateButton();
    void addCaseButtons();
    bool loadTables();
    void generateSpectrum();
    void redrawGeometry();

    Forms& m_forms;
};

}  // namespace korvana::forms
