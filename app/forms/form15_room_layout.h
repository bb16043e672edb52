// Form15, "部屋の配置": the room around the object that the program keeps
// (ProgramState::scene) for the launch dialog and the live window. The
// shields and the eye points are rows of two tables, added, edited in place
// (moved, renamed, their lead changed) and removed; the table and a finite
// curtain are boxes of their own. Every edit is checked at once against the
// scene's rules and the main form's object (common/scene_file.h), and each
// fault is shown next to its entry in the windows' words.
#pragma once

#include <QStringList>

#include "app/widgets/form.h"
#include "common/scene_file.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace korvana::forms {

class Forms;

class Form15 : public Form {
public:
    explicit Form15(Forms& forms);

    //! Shows the program's room, checked against the main form's object.
    void openRoomLayout();

    //! The program's room changed elsewhere (the live window's "主画面に反映").
    void sceneChanged() { showScene(); }

    //! "遮へい板を追加": a new shield, with a name of its own.
    void Command1_Click();
    //! "選んだ遮へい板を削除": the current row of the shields.
    void Command2_Click();
    //! "目の位置を追加".
    void Command3_Click();
    //! "選んだ目の位置を削除".
    void Command4_Click();
    //! "閉じる".
    void Command5_Click() { hide(); }

    //! The faults shown now, each as "where: why" (empty: the room can be run).
    const QStringList& shownFaults() const { return m_faults; }

protected:
    //! Back in the panel, the faults are those of the main form's object as it is now.
    bool event(QEvent* event) override;

private:
    // The controls, in the order they are made (and so tabbed through).
    QTableWidget* const Grid1;  //!< shields
    QPushButton* const Command1;
    QPushButton* const Command2;
    QCheckBox* const Check1;    //!< a table
    QLineEdit* const Text1;     //!< its aluminium equivalent [mm]
    QComboBox* const Combo1;    //!< its side: exit, entrance
    QLineEdit* const Text2;     //!< its width along x [cm]
    QLabel* const Label3;       //!< the table's faults, or the filtration note
    QCheckBox* const Check2;    //!< a finite curtain
    QLineEdit* const Text3;     //!< its width along y [cm]
    QLineEdit* const Text4;     //!< its centre y [cm]
    QLabel* const Label4;       //!< the curtain's faults
    QTableWidget* const Grid2;  //!< eye points
    QPushButton* const Command3;
    QPushButton* const Command4;
    QLabel* const Label5;  //!< what the room holds, or how many faults
    QPushButton* const Command5;

    //! The program's room into the controls (without counting as an edit).
    void showScene();
    //! The controls into the program's room, checked; the windows that draw it follow.
    void takeEdits();
    void showFaults();
    //! A name no element of the list has yet: "遮へい板1", "遮へい板2", ...
    template <class Element>
    static std::string freshName(const std::vector<Element>& elements, const QString& stem);

    Forms& m_forms;
    bool m_showing = false;
    QStringList m_faults;
};

}  // namespace korvana::forms
