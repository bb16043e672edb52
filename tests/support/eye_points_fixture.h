// A scene with eye points beside a result file, as a run with a scene file
// leaves it: NAME.scene.json written by the scene writer and NAME.points.csv
// by the points writer, paired with the result file already there.
#pragma once

#include <string>
#include <vector>

#include "common/points_file.h"
#include "common/scene_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"
#include "temp_dir.h"

namespace korvana::testing {

//! One eye point and what the engine scored there.
struct EyePointRow {
    std::string name;
    std::array<double, 3> positionCm{};
    double airKermaRatio = 0;
    double relErrPercent = 0;
};

//! A room: a ceiling shield partly over the measuring plane, a finite
//! curtain and an exit-side table, and no eye points yet.
inline SceneDescription sampleRoom() {
    SceneDescription scene;
    scene.shields.push_back({"ceiling", 0.5, {55, 0, -45}, 60, 75, 20});
    scene.curtain = SceneCurtain{90, 0};
    scene.table = SceneTable{1.2, TableSide::Exit, 50};
    return scene;
}

//! Writes `scene` with `rows` as its eye points beside `resultFileName`, and
//! the points file with their kermas paired with that result.
inline void writeEyePointsBeside(const std::string& resultFileName,
                                 const std::vector<EyePointRow>& rows,
                                 SceneDescription scene = sampleRoom()) {
    EyePointTable table;
    scene.eyePoints.clear();
    for (const EyePointRow& row : rows) {
        scene.eyePoints.push_back({row.name, row.positionCm});
        EyePointResult point;
        point.name = row.name;
        point.positionCm = row.positionCm;
        point.airKermaRatio = row.airKermaRatio;
        point.relErrPercent = row.relErrPercent;
        point.vov = 0.01;
        table.points.push_back(point);
    }
    table.histories = 1000000;
    table.resultDigest = resultDigest(readTextFile(resultFileName, FileKind::Result).lines);
    writeSceneFile(sceneFileName(resultFileName), scene);
    writeLines(pointsFileName(resultFileName), pointsFileLines(table));
}

}  // namespace korvana::testing
