// Form5, "Eye lens dose": for a lead protection plus protective glasses, per
// angle 45 to 135 degrees the conversion factor D3mm/Kair of the spectrum that
// passes the lead and the eye lens dose of the loaded result with its
// relative error; beside them, the workload panel turns the doses into this
// year's Hp(3) against the limit (annual_dose_panel.h). Below, the eye points
// of the result's room (eye_points.h) with their eye lens doses and, once
// the workload panel has computed, their year.
#pragma once

#include <QStringList>
#include <optional>

#include "app/results/csv_export.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/workload.h"
#include "app/widgets/form.h"

class QComboBox;
class QGroupBox;
class QTableWidget;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvana::forms {

class AnnualDosePanel;
class Forms;
enum class InputFaults;

class Form5 : public Form {
public:
    explicit Form5(Forms& forms);

    //! Reads d-DperK.dDk and Pb.dat afresh; when both read, names the loaded
    //! result, sets the protection to "0", empties the results and shows the
    //! window. A table that cannot be read is reported and the window stays
    //! closed. Returns whether it was shown.
    bool openEyeLensDose();
    //! The glasses list [mm Pb] and the entry shown at first.
    void setGlassesChoices(const QStringList& glasses, const QString& shown);
    //! computeEyeLensDose.
    void Command1_Click();
    //! The conversion factor of mono-energetic photons (Form10).
    void Command2_Click();
    //! Hides Form10 and this window.
    void Command4_Click();
    //! The workload panel's annual table, with this window's glasses and
    //! protection; from then on until the window opens again, the table
    //! follows every change of its inputs, the glasses and the protection.
    void Command5_Click();

private:
    // The controls, in the order they are made (and so tabbed through).
    QLineEdit* const Text1;  //!< the result file in use
    QLabel* const Label14;
    QLineEdit* const Text3;  //!< lead protection [mm]
    QLabel* const Label1;
    QComboBox* const Combo2;  //!< lead equivalence of protective glasses [mm Pb]
    QLabel* const Label3;
    QPushButton* const Command1;  //!< "OK"
    // D3mm/Kair at 45 ... 135 degrees
    QLineEdit* const Text6;
    QLineEdit* const Text7;
    QLineEdit* const Text13;
    QLineEdit* const Text14;
    QLineEdit* const Text15;
    QLineEdit* const Text16;
    QLineEdit* const Text17;
    // Eye lens dose at 45 ... 135 degrees [Gy per Gy at the entrance surface]
    QLineEdit* const Text4;
    QLineEdit* const Text8;
    QLineEdit* const Text9;
    QLineEdit* const Text10;
    QLineEdit* const Text11;
    QLineEdit* const Text12;
    QLineEdit* const Text19;
    QPushButton* const Command2;
    QPushButton* const Command4;  //!< "Close"
    //! The eye lens doses' relative standard errors at 45 ... 135 degrees.
    QList<QLabel*> errorLabels;
    AnnualDosePanel* const annualPanel;  //!< Frame2, right of the designed area
    QGroupBox* const Frame3;             //!< the eye points, under the designed area
    QTableWidget* const Grid2;           //!< one row per eye point
    QLabel* const Label82;               //!< what the eye points' doses rest on

protected:
    void unload() override { Command4_Click(); }

private:
    void buildCaptions();
    QList<QLineEdit*> ratioBoxes() const;
    QList<QLineEdit*> doseBoxes() const;
    //! The annual table for the entries as they stand; faults told as `faults` says.
    void showAnnualDose(InputFaults faults);
    void annualInputChanged();
    //! The eye points' rows for the entries as they stand, their year for
    //! `workload` when the annual table is shown.
    void showEyePoints(double glassesMm, double protectionMm,
                       const std::optional<app::Workload>& workload);
    //! Empties the rows and says whether the loaded result has eye points.
    void clearEyePoints();

    Forms& m_forms;
    std::optional<app::EyeLensDoseTables> m_tables;  //!< read at the last opening
    //! The table the result boxes show; empty while they are empty.
    std::optional<app::EyeLensDoseTable> m_shownDose;
    bool m_annualFollows = false;  //!< the annual table was asked for since the opening
};

}  // namespace korvana::forms
