// Form3, "Air kerma distribution": the loaded result's air kerma beside the
// object as a colour map in percent of its maximum, under a schematic of the
// beam, the object and the lead curtain, with a mouse readout of position,
// percent and air kerma.
//
// Picture1's user coordinates: 4 units a cm, X = 4 (x - 50), Y = 200 - 4 z
// (Y up); the map covers X = 0..400, Y = 0..600.
#pragma once

#include <optional>
#include <string>

#include "app/results/kerma_map.h"
#include "app/widgets/form.h"
#include "common/uncertainty_file.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvana::app {
struct MapSchematic;
struct ResultSet;
struct RunConditions;
}  // namespace korvana::app

namespace korvana::forms {

class OverlayLine;
class OverlayShape;
class PictureBox;

class Form3 : public Form {
public:
    Form3();

    //! The legend, the cross-hair hidden, the readouts empty.
    void Form3_Load();
    //! The condition boxes of a loaded result.
    void showConditions(const app::RunConditions& conditions);
    //! Paints `set`'s map, grid and schematic and shows the window. The
    //! readouts then describe this painting until the next one.
    void drawKermaMap(const app::ResultSet& set);
    //! Cross-hair and readouts for the pointer at (X, Y) in Picture1's units.
    void showKermaAt(double x, double y);
    void Command1_Click() { hide(); }

private:
    // The controls, in the order they are made (and so tabbed through).
    QLabel* const Label1;         //!< title
    PictureBox* const Picture1;   //!< map and schematic
    PictureBox* const Picture7;   //!< colour legend, 100 x 110 units
    QLineEdit* const Text9;       //!< tube voltage [kV]
    QLineEdit* const Text8;       //!< target angle [degree]
    QLineEdit* const Text12;      //!< inherent filtration [mm Al]
    QLineEdit* const Text10;      //!< added Al [mm]
    QLineEdit* const Text11;      //!< added Cu [mm]
    QLineEdit* const Text1;       //!< phantom thickness [cm]
    QLineEdit* const Text2;       //!< FSD [cm]
    QLineEdit* const Text3;       //!< first field size [cm]
    QLineEdit* const Text4;       //!< second field size [cm]
    QLineEdit* const Text25;      //!< histories
    QLineEdit* const Text5;       //!< curtain lead [mm] or "-"
    QLineEdit* const Text6;       //!< curtain length [cm] or "-"
    QLabel* const Label36;        //!< the map's 100 % [Gy per Gy]
    QLabel* const Label39;        //!< readout x [cm]
    QLabel* const Label40;        //!< readout z [cm]
    QLabel* const Label45;        //!< readout [%]
    QLabel* const Label47;        //!< readout air kerma [Gy per Gy]
    QLabel* const Label76;        //!< readout relative error of the nearest grid point, when known
    QLabel* const Label74;        //!< "Pb" beside the curtain
    QLabel* const Label78;        //!< under it, the width of a finite curtain
    QLabel* const Label77;        //!< what the room of the result holds
    OverlayLine* const Line3;     //!< beam edge, focus to the left field edge
    OverlayLine* const Line4;     //!< beam edge, right field edge to the focus
    OverlayLine* const Line14;    //!< curtain
    OverlayLine* const Line41;    //!< horizontal cross-hair
    OverlayLine* const Line42;    //!< vertical cross-hair
    OverlayShape* const Shape1;   //!< object
    OverlayShape* const Shape2;   //!< map frame
    OverlayShape* const Shape3;   //!< couch bar, or the room's table
    QPushButton* const Command1;  //!< "Close"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCaptions();
    //! The map's and the legend's menu: the picture as PNG, the refined grid as CSV.
    void addExportMenus();
    void drawLegend();
    void paintMap();
    void drawGridAndMarks();
    void placeSchematic(const app::MapSchematic& schematic);
    //! The room's shields, table caption and eye points over the map.
    void drawRoom(const app::MapSchematic& schematic);
    static QString roomSummary(const app::MapSchematic& schematic);

    app::KermaMap m_paintedMap;                              //!< the map the readouts describe
    std::optional<UncertaintyTable> m_paintedUncertainties;  //!< of the painted result
    std::string m_paintedFileName;                           //!< empty until a map is painted
};

}  // namespace korvana::forms
