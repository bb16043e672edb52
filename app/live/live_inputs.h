// What the live estimate computes from: the main form's entries (geometry,
// beam, filtration, rectification, curtain) as numbers, plus the lead glasses
// the eye lens dose adds and the room (shields, table, eye points). The window holds its own copy;
// the texts made here go through the same readers as the main form's, so the same corrections (30
// and 149.5 kV, 1 mm inherent filtration) and refusals apply.
#pragma once

#include <string>
#include <vector>

#include "app/run/run_file.h"
#include "app/spectrum/irradiation_conditions.h"
#include "common/scene_file.h"

namespace korvana::app {

struct LiveInputs {
    // Geometry [cm]
    double phantomThicknessCm = 20;
    double focusSurfaceCm = 80;
    double fieldLongCm = 25;
    double fieldShortCm = 25;
    // Beam
    double tubeVoltageKv = 80;
    double targetAngleDeg = 12;
    double inherentFiltrationMmAl = 2.5;
    double addedAluminiumMm = 1.5;
    double addedCopperMm = 0;
    RectificationMode rectification = RectificationMode::ConstantPotential;
    // Curtain
    double curtainLeadMm = 0.35;  //!< [mm Pb]
    double curtainLengthCm = 60;  //!< [cm] from the exit surface up (curtain_rule.h)
    // Eye lens dose
    double glassesMm = 0.07;  //!< [mm Pb] protective glasses
    // The room: shields, table, finite curtain, eye points; empty for none
    SceneDescription scene;

    bool operator==(const LiveInputs&) const = default;
};

//! The default case with its curtain (common/default_case.h).
LiveInputs defaultLiveInputs();

//! A number as the window writes it into a text: up to 10 significant digits,
//! no exponent for ordinary values ("0.35", "149.5", "80").
std::string liveNumberText(double value);

//! The texts of step (2) for the spectrum generator.
ConditionTexts liveConditionTexts(const LiveInputs& inputs);

//! The run file's eight lines for `historyCount` histories and `resultName`
//! (without extension), as the launch dialog writes them.
std::vector<std::string> liveRunFileLines(const LiveInputs& inputs, double historyCount,
                                          const std::string& resultName);

}  // namespace korvana::app
