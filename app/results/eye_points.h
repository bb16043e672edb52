// The eye points of a result: where the run's scene put the worker's eyes,
// the air kerma the engine scored there, and the eye lens dose it gives with
// and without protective glasses, for a workload the year's Hp(3).
//
// The engine scores an eye point's air kerma but keeps no spectrum of it
// (NAME.points.csv holds one number per point). The spectrum-weighted factors
// that turn kerma into eye lens dose behind lead (the lead's transmitted
// fraction F and D3mm/Kair, eye_lens_dose.h) are therefore those of the shown
// measuring point nearest in direction as seen from the field centre on the
// entrance surface, where the scattered radiation comes from: the measuring
// points lie in the plane y = 0, so the nearest of them in direction is the
// one nearest to the eye point's direction projected onto that plane
// (nearestShownAngle of x and z; eye_position.h, the same rule as for the eye
// position on the grid). The eye point's own kerma, with whatever the scene's
// shields, table and curtain took from it, is the engine's; only the shape
// of its spectrum is borrowed. A measuring point behind the curtain while the
// eye point is not (or the other way round) or behind other shields lends a
// spectrum hardened differently from the eye point's, which changes F and
// D3mm/Kair by a few per cent for glasses of 0.07 mm lead and more behind
// thick lead; every reader says which angle's spectrum it used.
#pragma once

#include <optional>
#include <vector>

#include "app/results/annual_eye_lens_dose.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/result_set.h"
#include "app/results/workload.h"

namespace korvana::app {

//! Reads the scene and the eye points beside `set.fileName` into `set.scene`
//! and `set.eyePoints`, each empty when its file is not there (a result of a
//! run without a scene file, or without eye points). Throws DataError, and
//! leaves both empty, for a damaged scene or points file, a points file of
//! another run (readPointsBeside), a scene whose eye points have no results
//! beside it, or a points file whose points are not the scene's. The result
//! itself stays usable.
void attachScene(ResultSet& set);

//! Whether the result has eye points with results to show.
bool hasEyePoints(const ResultSet& set);

//! One eye point's doses [Gy per Gy at the entrance surface].
struct EyePointDose {
    EyePointResult point;        //!< name, position, air kerma and its error
    int spectrumAngleIndex = 0;  //!< the shown measuring point whose spectrum is used
    double directionDeg = 0;     //!< the point's direction in the x-z plane [degree]
    //! Behind the protection only, and with the glasses added; empty where
    //! the borrowed spectrum's D3mm/Kair does not exist (0/0).
    std::optional<double> bareDose;
    std::optional<double> glassesDose;
    //! With a workload: the year without and with the glasses.
    std::optional<AnnualDose> bareYear;
    std::optional<AnnualDose> glassesYear;
};

struct EyePointDoses {
    double glassesMm = 0;     //!< [mm Pb]
    double protectionMm = 0;  //!< [mm Pb]
    std::optional<Workload> workload;
    double entranceKermaGy = 0;        //!< [Gy] per procedure, with a workload
    std::vector<EyePointDose> points;  //!< in the scene's order; empty without eye points
};

//! The eye points' doses of a result with attached eye points (attachScene),
//! glasses and protection as one lead layer as for the measuring points. The
//! relative error of every dose is the eye point's kerma's. Throws DataError
//! as computeEyeLensDose and, with a workload, computeAnnualEyeLensDose do.
EyePointDoses computeEyePointDoses(const ResultSet& set, const EyeLensDoseTables& tables,
                                   double glassesMm, double protectionMm,
                                   const std::optional<Workload>& workload = std::nullopt);

}  // namespace korvana::app
