// Form1, the result browser: the result files of the working directory, the
// run conditions of the one clicked, and after "OK" the loaded ResultSet's
// air kerma at 45 to 135 degrees, spectrum plots, the air kerma behind an
// extra lead layer, and the buttons to the map, the eye lens dose and the
// geometry window.
#pragma once

#include <QList>
#include <QStringList>
#include <string>
#include <vector>

#include "app/widgets/form.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvana::forms {

class FileListBox;
class Forms;
class PictureBox;

class Form1 : public Form {
public:
    explicit Form1(Forms& forms);

    //! Empties the boxes (Text5 "0"), clears the plot, red and unticked,
    //! disables the plot and viewer buttons, lists the files, shows the
    //! browser and hides the main form.
    void openResultBrowser();
    //! The browser opened as above on `fileName` (a result in the working
    //! directory) selected, its run conditions shown and loaded, as a click
    //! on it and OK would.
    void openResultBrowserOn(const QString& fileName);
    //! Shows the main form and hides the browser and the viewers it opened.
    void closeResultViewers();

    //! readResultConditions: the clicked file's twelve run conditions.
    void File1_Click();
    //! loadResultSet: the selected file into the shared ResultSet.
    void Command11_Click();
    //! resetBrowser.
    void Command4_Click();
    void Command3_Click() { closeResultViewers(); }
    //! plotPrimarySpectrum.
    void Command5_Click();
    //! plotScatterSpectrum.
    void Command6_Click();
    //! computeLeadProtectedKerma.
    void Command8_Click();
    //! openEyeLensDose.
    void Command2_Click();
    //! drawKermaMap.
    void Command1_Click();
    void Command10_Click();

    //! Frame and axes of the spectrum plot, after clearing it.
    void drawSpectrumAxes();

    //! The angle list of the scattered curve [degree] and the angle shown at first.
    void setAngleChoices(const QStringList& angles, const QString& shown);

    //! The palette number scattered curves are drawn in (Option1..4: 12, 9, 10, 0).
    int drawColour() const { return m_drawColour; }

private:
    // The controls, in the order they are made (and so tabbed through).
    QLabel* const Label14;
    FileListBox* const File1;      //!< "*.data" of the working directory
    QPushButton* const Command11;  //!< "OK"
    QPushButton* const Command4;   //!< "Reset"
    QPushButton* const Command3;   //!< "Exit"
    // Run conditions of the clicked file, in file order (lines 311-322)
    QLineEdit* const Text1;      //!< phantom thickness [cm]
    QLineEdit* const Text2;      //!< FSD [cm]
    QLineEdit* const Text3;      //!< first field size [cm]
    QLineEdit* const Text4;      //!< second field size [cm]
    QLineEdit* const Text26;     //!< curtain lead [mm]
    QLineEdit* const Text27;     //!< curtain length [cm]
    QLineEdit* const Text9;      //!< tube voltage [kV]
    QLineEdit* const Text8;      //!< target angle [degree]
    QLineEdit* const Text12;     //!< inherent filtration [mm Al]
    QLineEdit* const Text10;     //!< added Al [mm]
    QLineEdit* const Text11;     //!< added Cu [mm]
    QLineEdit* const Text25;     //!< histories
    PictureBox* const Picture1;  //!< spectrum plot, 869 x 565 units
    QPushButton* const Command5;
    QPushButton* const Command6;
    QCheckBox* const Check1;  //!< scattered curves relative to the file's largest
    QLabel* const Label39;
    QComboBox* const Combo1;  //!< angle of the scattered curve [degree]
    QGroupBox* const Frame1;
    QRadioButton* const Option1;   //!< Red
    QRadioButton* const Option2;   //!< Blue
    QRadioButton* const Option3;   //!< Green
    QRadioButton* const Option4;   //!< Black
    QPushButton* const Command10;  //!< geometry window
    // Air kerma at 45 ... 135 degrees [Gy per Gy at the entrance surface]
    QLineEdit* const Text6;
    QLineEdit* const Text7;
    QLineEdit* const Text13;
    QLineEdit* const Text14;
    QLineEdit* const Text15;
    QLineEdit* const Text16;
    QLineEdit* const Text17;
    QLineEdit* const Text5;       //!< extra lead layer [mm]
    QPushButton* const Command8;  //!< computes the column behind that layer
    // The same behind the extra lead layer
    QLineEdit* const Text18;
    QLineEdit* const Text19;
    QLineEdit* const Text20;
    QLineEdit* const Text21;
    QLineEdit* const Text22;
    QLineEdit* const Text23;
    QLineEdit* const Text24;
    QPushButton* const Command2;  //!< eye lens dose
    QPushButton* const Command1;  //!< distribution map
    //! Relative standard error of each air kerma (45 ... 135 degrees), beside
    //! its box; empty for a result without uncertainties.
    const QList<QLabel*> errorLabels;
    //! Which estimator made the result; empty for a result without uncertainties.
    QLabel* const Label87;

protected:
    void unload() override { closeResultViewers(); }

private:
    void buildCaptions();
    //! Picture1's menu: the plot as PNG or SVG, its spectra and the air kerma as CSV.
    void addExportMenus();
    std::vector<std::string> airKermaCsvLines();
    void drawLeadButtonIcon();
    void setConditionTexts(const QStringList& texts);
    QList<QLineEdit*> allTextBoxes() const;
    QList<QLineEdit*> kermaBoxes() const;
    QList<QLineEdit*> protectedKermaBoxes() const;
    void setViewerButtonsEnabled(bool enabled);
    //! The error labels and the kerma boxes' tooltips from the loaded result.
    void showKermaErrors();
    void clearKermaErrors();

    Forms& m_forms;
    int m_drawColour = 12;
};

}  // namespace korvana::forms
