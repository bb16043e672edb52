// The room panel's wiring: opened from the main form, its rows kept in the
// program's state as they are added, edited and removed, and each fault the
// core finds shown beside its entry.
#include "app/forms/form15_room_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/forms/form2_main_input.h"
#include "fakes.h"
#include "viewer_helpers.h"

using namespace korvana;
using namespace korvana::forms;
using namespace korvana::testing;

namespace {

Form15& openPanel(FormsFixture& world) {
    control<QPushButton>(world.forms->form2(), "Command9")->click();
    return world.forms->form15();
}

void edit(QTableWidget* grid, int row, int column, const QString& text) {
    grid->item(row, column)->setText(text);
}

}  // namespace

class Form15RoomLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void shieldsAndEyePointsAreAddedMovedAndRemovedInTheProgramsRoom() {
        FormsFixture world;
        Form15& room = openPanel(world);
        QVERIFY(room.isVisible());
        QCOMPARE(room.windowTitle(), QStringLiteral("部屋の配置"));
        const SceneDescription& scene = world.forms->state().scene;

        control<QPushButton>(room, "Command1")->click();
        control<QPushButton>(room, "Command1")->click();
        control<QPushButton>(room, "Command3")->click();
        QCOMPARE(scene.shields.size(), std::size_t{2});
        QCOMPARE(scene.eyePoints.size(), std::size_t{1});
        QVERIFY(scene.shields[0].name != scene.shields[1].name);
        QVERIFY(room.shownFaults().isEmpty());

        auto* shields = control<QTableWidget>(room, "Grid1");
        auto* eyes = control<QTableWidget>(room, "Grid2");
        edit(shields, 1, 2, QStringLiteral("70"));  // the second shield's centre x
        edit(shields, 1, 7, QStringLiteral("-20"));
        edit(eyes, 0, 3, QStringLiteral("-55"));
        QCOMPARE(scene.shields[1].centreCm[0], 70.0);
        QCOMPARE(scene.shields[1].tiltDeg, -20.0);
        QCOMPARE(scene.eyePoints[0].positionCm[2], -55.0);

        control<QCheckBox>(room, "Check1")->click();
        QVERIFY(scene.table.has_value());

        shields->setCurrentCell(0, 0);
        control<QPushButton>(room, "Command2")->click();
        QCOMPARE(scene.shields.size(), std::size_t{1});
        QCOMPARE(scene.shields[0].centreCm[0], 70.0);  // the second one stayed
        eyes->setCurrentCell(0, 0);
        control<QPushButton>(room, "Command4")->click();
        QVERIFY(scene.eyePoints.empty());
        QCOMPARE(shields->rowCount(), 1);
        QCOMPARE(eyes->rowCount(), 0);
    }

    void eachFaultIsShownBesideItsEntry() {
        FormsFixture world;
        Form15& room = openPanel(world);
        control<QPushButton>(room, "Command1")->click();
        control<QPushButton>(room, "Command3")->click();
        auto* shields = control<QTableWidget>(room, "Grid1");
        auto* eyes = control<QTableWidget>(room, "Grid2");

        edit(eyes, 0, 1, QStringLiteral("10"));  // on the object's side of x = 15 cm
        QVERIFY2(eyes->item(0, 4)->text().contains(QStringLiteral("作業者側")),
                 qPrintable(eyes->item(0, 4)->text()));
        QVERIFY(eyes->item(0, 1)->background().color() != QColor(Qt::white));
        QCOMPARE(shields->item(0, 8)->text(), QStringLiteral("OK"));

        // Through the object the main form describes (20 cm thick).
        edit(shields, 0, 2, QStringLiteral("0"));
        edit(shields, 0, 4, QStringLiteral("10"));
        QVERIFY2(shields->item(0, 8)->text().contains(QStringLiteral("被照射体")),
                 qPrintable(shields->item(0, 8)->text()));
        QCOMPARE(room.shownFaults().size(), 2);
        QVERIFY(control<QLabel>(room, "Label5")->text().contains(QStringLiteral("2 件")));

        // A shield under the object, reached when the main form's object grows thicker.
        edit(shields, 0, 4, QStringLiteral("40"));
        edit(shields, 0, 6, QStringLiteral("20"));
        QCOMPARE(shields->item(0, 8)->text(), QStringLiteral("OK"));
        control<QLineEdit>(world.forms->form2(), "Text6")->setText(QStringLiteral("40"));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&room, &activate);
        QVERIFY2(shields->item(0, 8)->text().contains(QStringLiteral("被照射体")),
                 qPrintable(shields->item(0, 8)->text()));

        // A table under the couch lies in the beam: the panel says where it belongs.
        control<QCheckBox>(room, "Check1")->click();
        control<QComboBox>(room, "Combo1")->setCurrentIndex(1);
        QVERIFY2(control<QLabel>(room, "Label3")->text().contains(QStringLiteral("ろ過")),
                 qPrintable(control<QLabel>(room, "Label3")->text()));
        control<QLineEdit>(room, "Text1")->setText(QStringLiteral("-1"));
        QVERIFY2(control<QLabel>(room, "Label3")->text().contains(QStringLiteral("0 未満")),
                 qPrintable(control<QLabel>(room, "Label3")->text()));
    }
};

QTEST_MAIN(Form15RoomLayoutTest)
#include "form15_room_layout_test.moc"
