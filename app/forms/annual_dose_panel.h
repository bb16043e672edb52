// The eye lens window's workload panel: the dose record's value per
// procedure (P_KA or entrance air kerma) and the procedures per year, an
// optional eye position, and the year's Hp(3) per angle without and with the
// window's glasses, coloured by where it stands against the limit, with the
// procedures per year that keep it below 20 mSv. The inputs are kept between
// sessions; the table exports as CSV from its context menu.
#pragma once

#include <QGroupBox>
#include <functional>
#include <optional>

#include "app/common/colour.h"
#include "app/results/annual_eye_lens_dose.h"
#include "app/widgets/controls.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace korvana::forms {

//! How an input that makes no sense is told.
enum class InputFaults {
    Shown,  //!< in a message box, the table unchanged (a button pressed)
    Quiet,  //!< in place of the table, which empties (an input being typed)
};

//! The background of a dose cell by its verdict: green, yellow, red.
app::Rgb verdictColour(app::DoseVerdict verdict);

//! A workload out of its bounds (app::checkWorkload), in the windows' words.
QString workloadFaultText(const app::WorkloadFault& fault);

class AnnualDosePanel : public QGroupBox {
public:
    AnnualDosePanel(QWidget* parent, TwipRect where);

    //! Reads the panel's inputs and fills the table for the loaded result
    //! with the window's glasses and protection. An input that makes no
    //! sense is named as `faults` says. Glasses of 0 mm are no glasses: their
    //! columns say so instead of repeating the doses without. Returns whether
    //! the table was filled.
    bool showAnnualDose(const app::ResultSet& set, const app::EyeLensDoseTables& tables,
                        double glassesMm, double protectionMm,
                        InputFaults faults = InputFaults::Shown);
    //! Names a fault of an input as `faults` says.
    void reportInputFault(const QString& text, InputFaults faults);
    //! Calls `changed` whenever one of the panel's inputs changes.
    void onInputChanged(const std::function<void()>& changed);
    //! Empties the table (another result or the window opened again).
    void clearTable();
    //! The table shown, with the workload it was computed for; empty while
    //! the table is empty.
    const std::optional<app::AnnualEyeLensDose>& shownTable() const { return m_shown; }

    QRadioButton* const Option5;    //!< the value is P_KA [Gy cm2]
    QRadioButton* const Option6;    //!< the value is the entrance air kerma [mGy]
    QLineEdit* const Text30;        //!< value per procedure
    QLineEdit* const Text31;        //!< procedures per year
    QCheckBox* const Check2;        //!< at an eye position
    QLineEdit* const Text32;        //!< eye x [cm]
    QLineEdit* const Text33;        //!< eye z [cm]
    CommandButton* const Command5;  //!< computes (the window connects it)
    QTableWidget* const Grid1;      //!< the annual table
    QLabel* const Label80;          //!< the procedures figure of the highest dose
    QLabel* const Label81;          //!< what the eye row stands for

private:
    void storeInputs() const;
    void fillTable(const app::AnnualEyeLensDose& year);

    std::optional<app::AnnualEyeLensDose> m_shown;
};

}  // namespace korvana::forms
