// The room (common/scene_file.h) in the windows' words: why the core refuses
// a part of it, and what it holds in one line.
#pragma once

#include <QString>
#include <vector>

#include "common/scene_file.h"

namespace korvana::forms {

//! What is wrong with the entry and what to do, in Japanese, without the
//! file's key (the windows show it next to the entry).
QString sceneFaultText(const SceneFault& fault);

//! The entry a fault is about, as the room panel names it: "遮へい板 1 行目
//! 「天井」", "目の位置 2 行目", "寝台", "カーテン".
QString sceneFaultPlaceText(const SceneFault& fault);

//! "遮へい板 1 枚、寝台、目の位置 1 点"; "なし" for the room of a run without a scene file.
QString sceneSummaryText(const SceneDescription& scene);

//! Every fault of the room in a run of this object thickness [cm]: what the
//! description alone tells, then each shield through the object.
std::vector<SceneFault> roomFaults(const SceneDescription& scene, double phantomThicknessCm);

//! Whether a run of this room needs a scene file (anything but {"version": 1}).
bool sceneIsEmpty(const SceneDescription& scene);

}  // namespace korvana::forms
