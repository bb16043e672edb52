#include "app/forms/form6_incident_spectrum.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/common/picture_format.h"
#include "app/forms/form2_main_input.h"
#include "app/forms/forms.h"
#include "app/results/csv_export.h"
#include "app/spectrum/hvl_results.h"
#include "app/widgets/controls.h"
#include "app/widgets/message_box.h"
#include "app/widgets/palette.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_export.h"
#include "common/file_names.h"

namespace korvana::forms {

namespace {

constexpr int POLL_MS = 100;  // [ms] between looks for HVL_S2.dat

}  // namespace

Form6::Form6(Forms& forms)
    : Form("Form6", QStringLiteral("Incident X-ray spectrum"), 11295, 7440),
      Picture3(addPictureBox(page(), "Picture3", {120, 120, 10935, 6375})),
      Command1(addCommandButton(page(), "Command1", QStringLiteral("OK"), {3720, 6600, 1455, 495})),
      Command2(
          addCommandButton(page(), "Command2", QStringLiteral("Cancel"), {6000, 6600, 1455, 495})),
      m_forms(forms) {
    Picture3->setScale(0, 0, 6000, 2500);
    addExportMenu(
        Picture3,
        drawingExport(Picture3, QStringLiteral("incident_spectrum"),
                      {{SAVE_CSV_CAPTION, [] { return QStringLiteral("incident_spectrum.csv"); },
                        [this] {
                            return m_drawnSpectrum ? app::incidentSpectrumCsv(*m_drawnSpectrum)
                                                   : std::vector<std::string>{};
                        }}}));
    setDefaultButton(Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form6::drawIncidentSpectrum(const app::SpectrumArray& incidentSpectrum, double spectrumPeak) {
    m_drawnSpectrum = incidentSpectrum;
    PictureBox& p = *Picture3;
    const QColor grey = rgbColor(128, 128, 128);
    const QColor red = rgbColor(255, 0, 0);
    const QColor black = paletteColor(0);

    p.clear();
    p.setDrawWidth(1);
    for (int x = 1300; x <= 5200; x += 300) p.line(x, 100, x, 2100, grey);  // every 10 keV
    for (int y = 300; y <= 1900; y += 200) p.line(1000, y, 5500, y, grey);  // every 0.1
    p.text(1000, 2120, QStringLiteral("0"), black);
    p.text(2450, 2120, QStringLiteral("50"), black);
    p.text(3900, 2120, QStringLiteral("100"), black);
    p.text(5400, 2120, QStringLiteral("150"), black);
    p.text(3750, 2250, QStringLiteral("Photon energy in keV"), black);
    p.text(200, 500, QStringLiteral("Relative"), black);
    p.text(230, 650, QStringLiteral("Photon"), black);
    p.text(250, 800, QStringLiteral("Fluence"), black);
    // The relative fluence at the top, half way and the bottom of the frame,
    // each centred on its grid line.
    p.text(810, 40, QStringLiteral("1.0"), black);
    p.text(810, 1040, QStringLiteral("0.5"), black);
    p.text(900, 2040, QStringLiteral("0"), black);

    p.setDrawWidth(2);
    p.point(1000, 2100, black);
    const double peak = spectrumPeak > 0 ? spectrumPeak : 1;  // an empty spectrum lies flat
    // Bin i is a step 15 units wide centred on its energy 0.5 i keV, joined by verticals.
    for (int i = 2; i < static_cast<int>(incidentSpectrum.size()); ++i) {
        const double y = 2100 - 2000 * incidentSpectrum[static_cast<std::size_t>(i)] / peak;
        p.lineTo(1000 + 15.0 * (i - 1) + 7.5, y, red);
        p.lineTo(1000 + 15.0 * i + 7.5, y, red);
    }
    p.setDrawWidth(2);
    p.rectangle(1000, 100, 5500, 2100, black);
    showModelessOver(&m_forms.form2());
}

void Form6::readHvlResults() {
    // tavisen writes the file whole (under another name, then renamed) and it
    // is removed before tavisen starts, so a readable file is this spectrum's.
    Command1->setEnabled(false);
    std::optional<app::HvlResults> results = app::readHvlResults(HVL_FILE);
    QElapsedTimer waited;
    waited.start();
    while (!results && waited.elapsed() < m_hvlWaitMs) {
        QEventLoop pause;
        QTimer::singleShot(POLL_MS, &pause, &QEventLoop::quit);
        pause.exec();
        results = app::readHvlResults(HVL_FILE);
    }
    Command1->setEnabled(true);
    if (!results) {
        showMessage(this,
                    QStringLiteral("HVL の計算結果 (HVL_S2.dat) がまだありません。\n"
                                   "少し待ってからもう一度 OK を押して下さい。"
                                   "続けて表示されるときは、Ｘ線スペクトルを計算し直して下さい。"),
                    MessageIcon::Exclamation);
        return;
    }
    QCoreApplication::processEvents();

    m_forms.form2().showHvlResults(*results);
    hide();
}

}  // namespace korvana::forms
