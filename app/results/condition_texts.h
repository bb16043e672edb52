// The run conditions of a result file as the viewers' boxes show them.
#pragma once

#include <array>
#include <string>

#include "app/results/constants.h"
#include "app/results/result_set.h"

namespace korvana::app {

//! The shortest plain decimal that reads back as `value`: no exponent, no
//! trailing zeros, a 0 before the point (0.25, 20, 1500000); 0 for zero.
std::string shortestDecimal(double value);

//! The history count as shown: "0.0E+00" (10^6 shows as 1.0E+06).
std::string historyCountText(double historyCount);

//! The browser's twelve boxes in file order (lines 311-322): shortest
//! decimals, the history count by historyCountText.
std::array<std::string, CONDITION_COUNT> browserConditionTexts(const RunConditions& conditions);

//! The map window's condition boxes.
struct MapConditionTexts {
    std::string tubeVoltage;           //!< Text9
    std::string targetAngle;           //!< Text8
    std::string inherentFiltration;    //!< Text12
    std::string addedAluminium;        //!< Text10
    std::string addedCopper;           //!< Text11
    std::string phantomThickness;      //!< Text1
    std::string focusSurfaceDistance;  //!< Text2
    std::string fieldSizeY;            //!< Text3
    std::string fieldSizeX;            //!< Text4
    std::string historyCount;          //!< Text25
    std::string curtainLead;           //!< Text5, "-" without a curtain
    std::string curtainLength;         //!< Text6, "-" without a curtain
};
MapConditionTexts mapConditionTexts(const RunConditions& conditions);

//! A curtain is drawn and described only when its lead thickness is above 0.
inline bool hasCurtain(const RunConditions& conditions) { return conditions.curtainLeadMm > 0.0; }

}  // namespace korvana::app
