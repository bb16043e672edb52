// The angular densities' normalisations, kept for the process, follow the
// tables the densities are built from.
#include "engine/tallies/angular_density.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/run/engine_inputs.h"
#include "engine_case.h"

namespace korvana::engine {
namespace {

using namespace korvana::testing;

TEST(AngularDensities, KeptNormalisationsFollowTheScatterFactorTable) {
    ScopedWorkDir dir;
    copyEngineTables();
    writeSpectrum(smoothSpectrum());
    RunFileValues{}.write();
    auto in = std::make_unique<EngineInputs>();
    loadEngineInputs(*in);
    auto changed = std::make_unique<TissueTables>(in->tissue);
    for (int j = 2; j <= SCATTER_FACTOR_ROWS; ++j) {
        changed->scatter[static_cast<std::size_t>(j)].formFactorIntegral *= 1.5f;
        changed->scatter[static_cast<std::size_t>(j)].incoherentFunction *= 0.5f;
    }
    changed->incoherentFunctionMax *= 0.5f;
    constexpr double TWO_PI = 6.283185307179586;
    // Built in turn from the shipped tables, the changed ones and the shipped
    // ones again: each time the integrals of its own tables.
    for (const TissueTables* tables : {&in->tissue, changed.get(), &in->tissue}) {
        const AngularDensities densities(*tables);
        for (const double E : {10.0, 60.5, 150.0}) {
            EXPECT_DOUBLE_EQ(densities.coherentNormalisation(E),
                             TWO_PI * densities.coherentIntegral(E))
                << E;
            EXPECT_DOUBLE_EQ(densities.incoherentNormalisation(E),
                             TWO_PI * densities.incoherentIntegral(E))
                << E;
        }
    }
}

}  // namespace
}  // namespace korvana::engine
