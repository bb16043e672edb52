#include "app/forms/form4_geometry.h"

#include "app/widgets/controls.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_export.h"

namespace korvana::forms {

Form4::Form4()
    : Form("Form4", QStringLiteral("Geometry"), 12600, 8400),
      Picture1(addPictureBox(page(), "Picture1", {120, 120, 5565, 7335})),
      Picture2(addPictureBox(page(), "Picture2", {5880, 120, 6600, 3600})),
      Command1(
          addCommandButton(page(), "Command1", QStringLiteral("Close"), {10200, 7680, 1455, 495})) {
    GeometrySketch sketch;
    sketch.curtainLengthCm = 10;
    sketch.curtainEntered = true;
    showGeometry(sketch);
    addExportMenu(Picture1, drawingExport(Picture1, QStringLiteral("geometry_side_view")));
    addExportMenu(Picture2, drawingExport(Picture2, QStringLiteral("geometry_top_view")));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Form4::showGeometry(const GeometrySketch& sketch) {
    m_sketch = sketch;
    m_sketch.allMeasuringPoints = true;
    drawGeometrySketch(*Picture1, m_sketch);
    drawSceneTopView(*Picture2, m_sketch);
}

GeometrySketch resultGeometry(const app::ResultSet& set) {
    GeometrySketch sketch;
    sketch.phantomThicknessCm = set.conditions.phantomThicknessCm;
    sketch.focusSurfaceCm = set.conditions.focusSurfaceDistanceCm;
    sketch.fieldShortCm = set.conditions.fieldSizeXCm;
    sketch.curtainLengthCm = set.conditions.curtainLengthCm;
    sketch.curtainEntered = set.conditions.curtainLeadMm > 0;
    sketch.scene = set.scene.value_or(SceneDescription{});
    return sketch;
}

}  // namespace korvana::forms
