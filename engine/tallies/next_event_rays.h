// The rays of one collision scored together in vector lanes: for each ray to
// a disc, the distance, solid angle and surface distance, the two attenuation
// exponentials (the total coefficient after incoherent scattering taken by
// the transport's log-log interpolation), the angular densities, the lead's
// transmission (the scene's, scene-inl.h) and the air's energy absorption, the same quantities as
// the scalar scoring (next_event.h) in the same float operations where the scalar scoring works in
// float. The densities, which the scalar scoring takes in double, and the exponentials and
// logarithms (Highway's vector math, with fused multiply-adds where the processor has them) differ
// from it in the last digits.
//
// The code is compiled for several instruction sets (SSE4, AVX2, AVX-512)
// and the scorer takes the widest the processor supports (rayCodes), so
// one binary uses the widest vectors of whatever x86-64 it runs on, and every
// thread and process on one machine computes exactly the same numbers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/energy_grid.h"
#include "engine/inputs/tissue_tables.h"
#include "engine/scene/scene.h"

namespace korvana::engine {

//! Rays of one collision at most: the nine points and up to 23 cells. A
//! multiple of 16, the float lanes of the widest vectors, so that every
//! vector the kernel loads lies inside the batch.
inline constexpr int MAX_RAYS = 32;
inline constexpr int RAY_LANE_MULTIPLE = 16;

//! The tables the rays read, in the layout the kernel gathers from. Indexed by
//! row number as the tables are (element 0 unused), padded to whole vectors.
struct RayTables {
    //! Scatter-factor rows 1..45: x [1/A]; for row j >= 2, the coherent
    //! density of x on (x(j-1), x(j)], and S(x)/S(max) at x(j-1) with its
    //! slope [A] on that row.
    alignas(64) std::array<float, 48> scatterX{};
    alignas(64) std::array<float, 48> coherentDensityOfX{};
    alignas(64) std::array<float, 48> previousX{};
    alignas(64) std::array<float, 48> incoherentRatioAtPrevious{};
    alignas(64) std::array<float, 48> incoherentRatioSlope{};
    //! The row search without a search: x(j) of rows 2..44 (+inf elsewhere),
    //! and on a uniform grid of x (rowCellsPerX cells per 1/A) the row at
    //! which a cell's search starts, from where at most rowSteps rows follow.
    alignas(64) std::array<float, 64> searchX{};
    std::vector<std::int32_t> rowAtCell;
    float rowCellsPerX = 0;  //!< [A]
    int rowSteps = 0;
    //! Tissue rows 1..N: energy [keV]; for row j >= 2 the logarithms of row
    //! j-1 and the differences to them, as the transport's lookups hold them.
    alignas(64) std::array<float, 32> tissueEnergy{};
    alignas(64) std::array<float, 32> previousLnEnergy{}, dLnEnergy{};
    alignas(64) std::array<float, 32> previousLnCoherent{}, dLnCoherent{};
    alignas(64) std::array<float, 32> previousLnIncoherent{}, dLnIncoherent{};
    alignas(64) std::array<float, 32> previousLnPhotoelectric{}, dLnPhotoelectric{};
    int tissueRows = 0;

    const GridTable* airEnergyAbsorption = nullptr;  //!< muen/rho of air [cm^2/g]
    Scene scene;  //!< the object the rays leave and the lead they pass

    RayTables(const TissueTables& tissue, const GridTable& air, const Scene& scene);
};

//! What the rays share: the collision's site, direction, energy and
//! coefficients, and the functions of its energy alone.
struct RayCollision {
    float x = 0, y = 0, z = 0;     //!< [cm] the site
    float u = 0, v = 0, w = 0;     //!< the direction before the collision
    float energy = 0;              //!< [keV]
    float muTotal = 0;             //!< [1/cm]
    float coherentShare = 0;       //!< coherent / total coefficient
    float incoherentShare = 0;     //!< incoherent / total coefficient
    float coherentNorm = 0;        //!< 2 pi times the coherent shape's integral over mu
    float incoherentNorm = 0;      //!< the same of the incoherent shape
    SceneAttenuation attenuation;  //!< the scene's at `energy`
    float airAtEnergy = 0;         //!< muen/rho of air at `energy` [cm^2/g]
};

//! The rays of a collision: their discs (input) and what each scattering
//! brings there (output). Rays from `count` up to the next multiple of
//! RAY_LANE_MULTIPLE must hold a valid disc too (any of the others).
struct RayBatch {
    int count = 0;
    alignas(64) std::array<float, MAX_RAYS> discX{}, discY{}, discZ{};  //!< [cm] the disc's point
    alignas(64) std::array<float, MAX_RAYS> discArea{};                 //!< [cm^2]
    alignas(64) std::array<float, MAX_RAYS> kermaWeight{};  //!< 1 for a point, the cell's weight

    //! Expected crossings times the lead's transmission; 0 when nothing arrives.
    alignas(64) std::array<float, MAX_RAYS> coherentWeighted{}, incoherentWeighted{};
    //! The kerma weighted E muen / sdir [keV cm^2/g] of the same crossings.
    alignas(64) std::array<float, MAX_RAYS> coherentKerma{}, incoherentKerma{};
    alignas(
        64) std::array<float, MAX_RAYS> scatteredEnergy{};  //!< [keV] after incoherent scattering
};

//! Scores the rays of `batch` from `collision`.
using RayKernel = void (*)(const RayTables& tables, const RayCollision& collision, RayBatch& batch);

struct RayCode {
    const char* instructionSet;  //!< "AVX3" (AVX-512), "AVX2", "SSE4", ...
    RayKernel score;
};

//! The vector code for each instruction set this processor runs, the widest
//! first; the last one runs on any x86-64.
std::vector<RayCode> rayCodes();

}  // namespace korvana::engine
