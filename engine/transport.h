// Photon histories in the irradiated object: free flights, photoelectric
// absorption, coherent and incoherent scattering, escape.
//
// The transport is analog: every history has weight 1. The order and number
// of random draws are part of the result: the same inputs give the same file.
#pragma once

#include "geometry.h"
#include "photon.h"
#include "random_stream.h"
#include "run_parameters.h"
#include "scores.h"
#include "tissue_tables.h"

namespace korvana::engine {

//! A scattering's outcome: the new energy and the polar scattering angle.
struct ScatteringResult {
    float energy = 0;    //!< [keV]
    float cosTheta = 1;  //!< cos of the scattering angle
    float sinTheta = 0;
};

//! Klein-Nishina by Kahn's rejection method, then a rejection on the incoherent
//! scattering function S(x)/S(max) below x = 10 1/A.
ScatteringResult sampleIncoherent(float E, const TissueTables& tissue, RandomStream& stream);

//! Form-factor sampling by inversion of the cumulative table, then the Thomson
//! factor (1 + cos^2)/2 by rejection. The energy does not change.
ScatteringResult sampleCoherent(float E, const TissueTables& tissue, RandomStream& stream);

//! Turns the photon's direction by the scattering angle and a uniform azimuth (one draw).
void turnDirection(Photon& photon, float cosScatter, float sinScatter, RandomStream& stream);

//! Everything a history reads or writes.
struct TransportContext {
    const TissueTables& tissue;
    const RunParameters& run;
    PhantomBox box;
    ScoringContext scoring;
};

//! One history of a photon of `binEnergy` [keV], from the source to its end.
void runHistory(float binEnergy, const TransportContext& context, RandomStream& stream,
                Scores& scores);

}  // namespace korvana::engine
