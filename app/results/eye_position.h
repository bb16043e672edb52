// A worker's eyes somewhere beside the object rather than at a measuring
// point: the air kerma there from the distribution grid, and the measuring
// angle whose scattered spectrum stands for the radiation arriving there.
//
// The measuring points lie 100 cm beside the beam axis; staff eyes are often
// nearer. The grid (x = 50..150 cm, z = -100..50 cm, 5 cm apart) gives the
// kerma at any point of its area by the map's interpolation, linear along x
// and along z (bilinear). The grid keeps no spectra, so the spectrum-weighted
// factors (lead transmission, D3mm/Kair) are those of the shown measuring
// angle nearest in direction as seen from the field centre on the entrance
// surface (the origin), where the scattered radiation comes from.
#pragma once

#include <optional>
#include <string_view>

#include "app/results/result_set.h"

namespace korvana::app {

//! A point in the engine's coordinates [cm]: x beside the beam axis towards
//! the worker, z along the beam (negative towards the focus).
struct EyePosition {
    double xCm = 0;
    double zCm = 0;
};

//! "X,Z" as typed, two plain decimal numbers; none when it is not that.
std::optional<EyePosition> parseEyePosition(std::string_view text);

//! Whether the point lies within the grid's area, edges included.
bool isInsideGrid(const EyePosition& eye);

//! The grid's kerma at a point and its uncertainty.
struct GridKerma {
    double kermaRatio = 0;                     //!< [Gy per Gy at the entrance surface]
    std::optional<double> relStdErrorPercent;  //!< when the result has uncertainties and kerma
    bool unstable = false;      //!< a grid point it is made from has an unreliable error
    bool fewHistories = false;  //!< a grid point it is made from rests on few histories
};

//! The bilinear interpolation of the grid at `eye`: at a grid point exactly
//! that point's value. Its error is the weighted sum of the four grid points'
//! standard errors, the largest the interpolation can have whatever the
//! correlation between neighbouring points (they share histories); at a grid
//! point it is that point's error. Throws DataError when `eye` is outside
//! the grid's area.
GridKerma interpolateGridKerma(const ResultSet& set, const EyePosition& eye);

//! The direction of `eye` from the origin as a scattering angle [degree],
//! 0 along the beam, 90 straight beside the entrance surface.
double directionAngleDeg(const EyePosition& eye);

//! The shown angle index k = 2..8 (45 to 135 degrees) nearest to that
//! direction; a tie takes the smaller angle. Directions beyond 135 degrees
//! (the grid reaches 153) take 135.
int nearestShownAngle(const EyePosition& eye);

}  // namespace korvana::app
