#include "app/forms/form10_conversion_factor.h"

#include "app/forms/conversion_factor_plot.h"
#include "app/widgets/controls.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_export.h"

namespace korvana::forms {

Form10::Form10()
    : Form("Form10", QStringLiteral("  Air kerma to absorbed dose at 3 mm in depth"), 7440, 5400),
      Picture1(addPictureBox(page(), "Picture1", {120, 120, 7200, 4320})),
      Command1(
          addCommandButton(page(), "Command1", QStringLiteral("Close"), {5760, 4680, 1455, 495})) {
    addExportMenu(Picture1, drawingExport(Picture1, QStringLiteral("conversion_factor")));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Form10::showConversionFactor(const app::ConversionTable& table, const QWidget* owner) {
    drawConversionFactorPlot(*Picture1, table);
    showModelessOver(owner);
}

}  // namespace korvana::forms
