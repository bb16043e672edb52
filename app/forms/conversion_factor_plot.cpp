#include "app/forms/conversion_factor_plot.h"

#include <QString>

#include "app/results/eye_lens_dose.h"
#include "app/widgets/palette.h"
#include "app/widgets/picture_box.h"
#include "common/energy_grid.h"

namespace korvana::forms {

void drawConversionFactorPlot(PictureBox& picture, const app::ConversionTable& table) {
    const QSize inner = picture.image().size();
    picture.setScale(0, 0, inner.width(), inner.height());
    picture.clear();
    const ConversionPlotFrame f;
    const QColor grey = paletteColor(8);
    const QColor black = paletteColor(0);

    picture.setDrawWidth(1);
    for (int kev = 25; kev < 150; kev += 25) {
        picture.line(f.xOf(kev), f.top, f.xOf(kev), f.bottom, grey);
    }
    for (double ratio = 0.5; ratio < f.maxRatio; ratio += 0.5) {
        picture.line(f.left, f.yOf(ratio), f.right, f.yOf(ratio), grey);
    }
    for (int kev = 0; kev <= 150; kev += 50) {
        picture.text(f.xOf(kev) - 8, f.bottom + 4, QString::number(kev), black);
    }
    for (double ratio = 0.0; ratio <= f.maxRatio; ratio += 0.5) {
        picture.text(f.left - 30, f.yOf(ratio) - 8, QString::number(ratio, 'f', 1), black);
    }
    picture.text(f.xOf(60), f.bottom + 22, QStringLiteral("Photon energy  (keV)"), black);
    picture.text(f.left + 8, f.top + 4,
                 QStringLiteral("D3mm / Kair  (Gy/Gy)  mono-energetic photons"), black);

    // The curve joins the bins that have a defined ratio; a bin without one
    // (no kerma weight) breaks it.
    picture.setDrawWidth(2);
    const QColor red = paletteColor(12);
    bool penDown = false;
    for (int i = 1; i <= GRID_BINS; ++i) {
        const double kerma = table.kermaCoefficient[i];
        if (!(kerma > 0.0)) {
            penDown = false;
            continue;
        }
        const double ratio = table.doseCoefficient3mm[i] / kerma;
        const double x = f.xOf(i * BIN_WIDTH_KEV);
        const double y = f.yOf(std::min(ratio, f.maxRatio));
        if (penDown) {
            picture.lineTo(x, y, red);
        } else {
            picture.point(x, y, red);
            penDown = true;
        }
    }
    picture.setDrawWidth(2);
    picture.rectangle(f.left, f.top, f.right, f.bottom, black);
}

}  // namespace korvana::forms
