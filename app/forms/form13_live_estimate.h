// Form13, "即時見積もり": the what-if window. It holds its own copy of the
// main form's entries, each in a spin box, with sliders for those users
// explore most (curtain lead equivalent and length, tube voltage, object
// thickness, glasses). A change stops the estimate under way at once and,
// once the entries rest for DEBOUNCE_MS, starts a new one on the live core's
// worker thread (app/live); the rounds come back as queued calls, so the
// window never waits. It shows the air kerma ratio per angle with error bars,
// the eye lens dose without and with glasses, the annual dose of a workload,
// HVL1 and the effective energy, a side view of the scene and the precision
// reached; a pinned state is drawn beside the current one with the ratio.
// The room comes from the room panel (ProgramState::scene); the first
// shield's x and z and the first eye point's z are entries of their own, so
// the numbers follow as a shield or an eye moves, and the eye points' rows
// follow the angles' in the table.
#pragma once

#include <QTimer>
#include <memory>
#include <optional>

#include "app/live/live_worker.h"
#include "app/results/annual_eye_lens_dose.h"
#include "app/widgets/form.h"

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QTableWidget;

namespace korvana::forms {

class Forms;
class PictureBox;

class Form13 : public Form {
public:
    explicit Form13(Forms& forms);
    ~Form13() override;

    //! Quiet time after the last change before an estimate starts [ms].
    static constexpr int DEBOUNCE_MS = 150;

    //! Takes the main form's entries, reads the tables (once per process) and
    //! shows the window with an estimate under way.
    void openLiveEstimate();
    //! The window's entries as numbers.
    app::LiveInputs inputs() const;
    //! Sets every entry (without starting an estimate by itself).
    void setInputs(const app::LiveInputs& inputs);
    //! The program's room changed in the room panel: an open window takes it
    //! and estimates anew (a closed one takes it when it opens).
    void sceneChanged();

    //! "比較用に固定": the shown round becomes the comparison.
    void Command1_Click();
    //! "固定を解除".
    void Command2_Click();
    //! "結果として保存…": NAME.data and NAME.unc.csv of the shown round.
    void Command3_Click();
    //! "主画面に反映": the entries go back to the main form.
    void Command4_Click();
    //! "閉じる" (and the window frame): the estimate under way stops, so a
    //! closed window leaves the cores free.
    void Command5_Click();

    //! Number of the latest estimate started (0 before the first).
    std::uint64_t estimateNumber() const { return m_request; }
    //! Estimates stopped by a change so far.
    int cancelledEstimates() const;
    //! Number of the estimate the shown round belongs to (0 before any).
    std::uint64_t shownEstimateNumber() const { return m_roundRequest; }
    //! The round shown (it may belong to an earlier estimate); null before any.
    const app::LiveRound* shownRound() const { return m_round.get(); }
    bool hasPin() const { return m_pin.has_value(); }

private:
    // The controls, in the order they are made (and so tabbed through).
    QDoubleSpinBox* const Text1;   //!< object thickness [cm]
    QDoubleSpinBox* const Text2;   //!< focus-to-surface distance [cm]
    QDoubleSpinBox* const Text3;   //!< field size, long axis [cm]
    QDoubleSpinBox* const Text4;   //!< field size, short axis [cm]
    QDoubleSpinBox* const Text5;   //!< tube voltage [kV]
    QDoubleSpinBox* const Text6;   //!< target angle [degree]
    QDoubleSpinBox* const Text7;   //!< inherent filtration [mm Al]
    QDoubleSpinBox* const Text8;   //!< added aluminium [mm]
    QDoubleSpinBox* const Text9;   //!< added copper [mm]
    QDoubleSpinBox* const Text10;  //!< curtain lead equivalent [mm Pb]
    QDoubleSpinBox* const Text11;  //!< curtain length L [cm]
    QDoubleSpinBox* const Text12;  //!< glasses lead equivalent [mm Pb]
    QDoubleSpinBox* const Text15;  //!< the first shield's centre x [cm]
    QDoubleSpinBox* const Text16;  //!< the first shield's centre z [cm]
    QDoubleSpinBox* const Text17;  //!< the first eye point's z [cm]
    QComboBox* const Combo3;       //!< rectification
    QComboBox* const Combo1;       //!< target precision
    QSlider* const HScroll1;       //!< curtain lead equivalent, 0 to 1.0 mm
    QSlider* const HScroll2;       //!< curtain length
    QSlider* const HScroll3;       //!< tube voltage
    QSlider* const HScroll4;       //!< object thickness
    QSlider* const HScroll5;       //!< glasses
    QSlider* const HScroll6;       //!< the first shield's x
    QSlider* const HScroll7;       //!< the first shield's z
    QSlider* const HScroll8;       //!< the first eye point's z
    QGroupBox* const Frame1;       //!< the workload
    QRadioButton* const Option1;   //!< workload as P_KA [Gy cm2]
    QRadioButton* const Option2;   //!< workload as entrance air kerma [mGy]
    QLineEdit* const Text13;       //!< value per procedure
    QLineEdit* const Text14;       //!< procedures per year
    QPushButton* const Command1;
    QPushButton* const Command2;
    QPushButton* const Command3;
    QPushButton* const Command4;
    QPushButton* const Command5;  //!< close
    PictureBox* const Picture1;   //!< kerma ratio per angle
    PictureBox* const Picture2;   //!< side view of the scene
    QTableWidget* const Grid1;    //!< per angle: kerma, eye lens doses, annual, ratio to the pin
    QLabel* const Label1;         //!< HVL1 and effective energy
    QLabel* const Label2;         //!< comparison with the pin
    QLabel* const Label3;         //!< status: precision, photons, seconds
    QLabel* const Label21;        //!< the first shield's name
    QLabel* const Label22;
    QLabel* const Label23;  //!< the first eye point's name

protected:
    void unload() override { Command5_Click(); }

private:
    struct Pin {
        app::LiveInputs inputs;
        std::shared_ptr<const app::LiveRound> round;
    };

    void inputChanged();
    void startEstimate();
    void receive(std::uint64_t request, const app::LiveUpdate& update);
    void showBeam();
    void showRound();
    void fillTable();
    void redrawPlot();
    void redrawScene();
    //! One annual dose in the table's cell, coloured by its verdict.
    void showYear(int row, int column, const app::AnnualDose& dose);
    void showComparison();
    void limitCurtainLength();
    //! The room's entries: enabled and named for the room's first shield and eye point.
    void showRoomEntries();
    std::vector<std::string> csvLines() const;

    Forms& m_forms;
    std::shared_ptr<const app::LiveTables> m_tables;
    QTimer m_debounce;
    std::uint64_t m_request = 0;
    std::uint64_t m_roundRequest = 0;
    std::shared_ptr<const app::LiveBeam> m_beam;
    std::shared_ptr<const app::LiveRound> m_round;
    app::LiveInputs m_pendingInputs;  //!< the inputs of the latest estimate started
    app::LiveInputs m_roundInputs;    //!< the inputs m_round belongs to
    bool m_running = false;
    //! The entries changed since the latest estimate started: its updates
    //! (the rounds still queued, the word of its cancel) no longer count.
    bool m_waitingForRest = false;
    bool m_settingInputs = false;
    //! The room as set (setInputs); inputs() puts the entries' positions into it.
    SceneDescription m_scene;
    std::optional<Pin> m_pin;
    std::unique_ptr<app::LiveWorker> m_worker;  //!< last: its thread posts to this window
};

//! The main form's entries as the live window takes them (an empty lead
//! equivalent is no curtain lead), and back. The one place that reads and
//! writes Form2 for the live window.
app::LiveInputs liveInputsFromMainForm(Forms& forms);
void copyLiveInputsToMainForm(Forms& forms, const app::LiveInputs& inputs);

}  // namespace korvana::forms
