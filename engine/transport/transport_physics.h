// What the history loop asks of its physics: the tissue coefficients and the
// samplers, nothing else. Two builds answer it with bit-identical values:
// LiteralPhysics (literal_physics.h), which searches and takes logarithms at
// every lookup as the tables define them, and FastPhysics (fast_physics.h),
// which answers from tables precomputed once per thread.
#pragma once

#include <concepts>

#include "engine/inputs/tissue_tables.h"
#include "engine/transport/random_stream.h"
#include "engine/transport/scattering.h"

namespace korvana::engine {

template <class P>
concept TransportPhysics = requires(P& physics, const P& constPhysics, RandomStream& stream,
                                    float value, float& out) {
    //! the coefficients at E [keV] (may keep a cache, hence not const)
    { physics.coefficients(value) } -> std::same_as<TissueCoefficients>;
    //! the total coefficient [1/cm] at any energy, leaving every cache alone
    { constPhysics.totalCoefficient(value) } -> std::same_as<float>;
    { constPhysics.incoherentFunctionAt(value) } -> std::same_as<float>;
    { constPhysics.incoherentFunctionMax() } -> std::same_as<float>;
    //! one draw r: sampleCoherentX(r x max)
    { constPhysics.coherentX(stream) } -> std::same_as<float>;
    //! one draw: cos and sin of the azimuth
    constPhysics.azimuth(stream, out, out);
    //! sampleIncoherent's result
    { physics.incoherent(value, stream) } -> std::same_as<ScatteringResult>;
    //! draws r1 and r2 (again while r1 is 0); returns -ln(r1)/mu [cm], r2 in `out`
    { physics.flightLength(stream, value, out) } -> std::same_as<float>;
};

}  // namespace korvana::engine
