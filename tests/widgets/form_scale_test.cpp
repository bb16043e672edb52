// A window larger than the screen is drawn smaller, controls and fonts
// together, down to the scale that fits 1280 x 720.
#include <QLabel>
#include <QTest>

#include "app/widgets/controls.h"
#include "app/widgets/form.h"

using namespace korvana::forms;

class FormScaleTest : public QObject {
    Q_OBJECT

private slots:
    void scaleFitsTheScreenDownTo1280x720() {
        const QSize browser(1488, 680);  // the result browser as designed
        const QSize map(1110, 912);      // the map window as designed
        QCOMPARE(displayScaleFor(browser, QSize(1920, 1080)), 1.0);
        QCOMPARE(displayScaleFor(QSize(500, 300), QSize(1366, 768)), 1.0);
        // At 1366 x 768 both fit whole: the browser by its width, the map by its height.
        const double browserScale = displayScaleFor(browser, QSize(1366, 768));
        QVERIFY(browserScale < 1.0 && browser.width() * browserScale <= 1366 - 8);
        const double mapScale = displayScaleFor(map, QSize(1366, 768));
        QVERIFY(mapScale < browserScale && map.height() * mapScale <= 768 - 34);
        // Below 1280 x 720 the scale stays that of 1280 x 720 and the page scrolls.
        QCOMPARE(displayScaleFor(map, QSize(800, 600)), displayScaleFor(map, QSize(1280, 720)));
    }

    void aScaledFormPlacesItsControlsAndFontsAtItsScale() {
        scaleFormsToFit(QSize(1366, 768));
        QLabel* label = nullptr;
        Form* form = nullptr;
        {
            const DisplayScaleGuard guard;
            form = new Form("Wide", QStringLiteral("wide"), 1488 * 15, 680 * 15);
            label = addLabel(form->page(), "Label1", QStringLiteral("x"), {1500, 1500, 3000, 330});
        }
        scaleFormsToFit(QSize());
        const double scale = displayScaleFor(QSize(1488, 680), QSize(1366, 768));
        QCOMPARE(form->page()->width(), static_cast<int>(std::lround(1488 * scale)));
        QCOMPARE(label->width(), static_cast<int>(std::lround(200 * scale)));
        QCOMPARE(currentDisplayScale(), 1.0);  // put back for the next window
        const double pointSize = form->font().pointSizeF();
        form->showModeless();
        QVERIFY(form->font().pointSizeF() < pointSize);
        delete form;
    }
};

QTEST_MAIN(FormScaleTest)
#include "form_scale_test.moc"
