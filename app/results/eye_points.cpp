#include "app/results/eye_points.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/results/eye_position.h"
#include "common/data_error.h"
#include "common/regular_file.h"

namespace korvana::app {

namespace {

// The points file writes positions to fewer digits than the scene file may hold.
bool samePosition(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    for (std::size_t n = 0; n < 3; ++n) {
        if (std::abs(a[n] - b[n]) > 1e-6 * std::max(1.0, std::abs(a[n]))) return false;
    }
    return true;
}

// Why the points file's points are not the scene's eye points; empty when they are.
std::string pointsMismatch(const SceneDescription& scene, const EyePointTable& table) {
    if (scene.eyePoints.size() != table.points.size()) {
        return "it holds " + std::to_string(table.points.size()) + " eye points, the scene " +
               std::to_string(scene.eyePoints.size());
    }
    for (std::size_t n = 0; n < table.points.size(); ++n) {
        const SceneEyePoint& wanted = scene.eyePoints[n];
        const EyePointResult& found = table.points[n];
        if (found.name != wanted.name) {
            return "row " + std::to_string(n + 1) + " is \"" + found.name + "\", the scene's \"" +
                   wanted.name + "\"";
        }
        if (!samePosition(found.positionCm, wanted.positionCm)) {
            return "\"" + found.name + "\" lies elsewhere than in the scene";
        }
    }
    return {};
}

}  // namespace

void attachScene(ResultSet& set) {
    set.scene.reset();
    set.eyePoints.reset();
    const std::string sceneName = sceneFileName(set.fileName);
    std::optional<SceneDescription> scene;
    if (!nothingNamed(sceneName)) scene = readSceneFile(sceneName);
    std::optional<EyePointTable> points = readPointsBeside(set.fileName);
    const std::string pointsName = pointsFileName(set.fileName);
    if (scene && !scene->eyePoints.empty() && !points) {
        throw DataError(SourcePosition{sceneName, 0, 0},
                        "names " + std::to_string(scene->eyePoints.size()) +
                            " eye points, but their results " + pointsName +
                            " are missing (the run wrote them beside the result, and they were "
                            "moved or deleted) - restore the file or run the simulation again");
    }
    if (scene && points) {
        if (const std::string mismatch = pointsMismatch(*scene, *points); !mismatch.empty()) {
            throw DataError(SourcePosition{pointsName, 0, 0},
                            "does not belong to the scene " + sceneName + " (" + mismatch +
                                ") - its eye points do not apply; run the simulation again");
        }
    }
    set.scene = std::move(scene);
    if (points && !points->points.empty()) set.eyePoints = std::move(points);
}

bool hasEyePoints(const ResultSet& set) { return set.eyePoints && !set.eyePoints->points.empty(); }

EyePointDoses computeEyePointDoses(const ResultSet& set, const EyeLensDoseTables& tables,
                                   double glassesMm, double protectionMm,
                                   const std::optional<Workload>& workload) {
    EyePointDoses doses;
    doses.glassesMm = glassesMm;
    doses.protectionMm = protectionMm;
    doses.workload = workload;
    if (workload) doses.entranceKermaGy = entranceKermaPerProcedureGy(*workload, set.conditions);
    const EyeLensDose bare = computeEyeLensDose(set, tables, 0.0, protectionMm);
    const EyeLensDose withGlasses = computeEyeLensDose(set, tables, glassesMm, protectionMm);
    if (!hasEyePoints(set)) return doses;
    for (const EyePointResult& point : set.eyePoints->points) {
        EyePointDose dose;
        dose.point = point;
        const EyePosition direction{point.positionCm[0], point.positionCm[2]};
        dose.directionDeg = directionAngleDeg(direction);
        dose.spectrumAngleIndex = nearestShownAngle(direction);
        const int k = dose.spectrumAngleIndex;
        dose.bareDose = eyeLensDoseWithSpectrumOf(bare, k, point.airKermaRatio);
        dose.glassesDose = eyeLensDoseWithSpectrumOf(withGlasses, k, point.airKermaRatio);
        if (workload) {
            const long long procedures = workload->proceduresPerYear;
            if (dose.bareDose) {
                dose.bareYear = annualDoseOf(*dose.bareDose, point.relErrPercent,
                                             doses.entranceKermaGy, procedures);
            }
            if (dose.glassesDose) {
                dose.glassesYear = annualDoseOf(*dose.glassesDose, point.relErrPercent,
                                                doses.entranceKermaGy, procedures);
            }
        }
        doses.points.push_back(std::move(dose));
    }
    return doses;
}

}  // namespace korvana::app
