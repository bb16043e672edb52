// Form1, the result browser. For now it holds only what the main form's
// start sequence fills (the angle list Combo1) and the way back to the main
// form; the file list, conditions, plots and air kerma column are built out
// with the result viewers next.
#pragma once

#include "form.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace korvana::forms {

class Forms;

class Form1 : public Form {
public:
    explicit Form1(Forms& forms);

    //! Shows the browser and hides the main form.
    void openResultBrowser();
    //! Shows the main form and hides the browser and the viewers it opened.
    void closeResultViewers();

    void Command3_Click() { closeResultViewers(); }
    void Command10_Click();

    QLabel* const Label39;
    QComboBox* const Combo1;     //!< angle of the scattered curve [degree]
    QPushButton* const Command3;  //!< "Exit"
    QPushButton* const Command10; //!< geometry window

protected:
    void unload() override { closeResultViewers(); }

private:
    Forms& m_forms;
};

}  // namespace korvana::forms
