// The next-event scoring's vector path against its scalar path, on the
// collisions of real histories, with every instruction set this processor runs.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/run/engine_inputs.h"
#include "engine/run/histories.h"
#include "engine_case.h"

namespace korvana::engine {
namespace {

using namespace korvana::testing;

//! Hands every collision to two next-event tallies, one per path.
struct BothPaths {
    NextEventTally vector;
    NextEventTally scalar;

    template <class Physics>
    void collision(const Photon& photon, const TissueCoefficients& mu, const Physics& physics) {
        vector.collision(photon, mu, physics);
        scalar.collision(photon, mu, physics);
    }
    void escape(const Photon&, float, float, float) {}
    void endHistory() {
        vector.endHistory();
        scalar.endHistory();
    }
};

struct PathTallies {
    std::unique_ptr<BlockTallies> tallies = std::make_unique<BlockTallies>();
    SequencePosition position = SequencePosition::forBlock(3, 100, 0);
    TallyTarget target() { return TallyTarget{&tallies->scores, &tallies->moments}; }
};

// The paths do the geometry in the same float operations, so the rays, the
// energies after scattering and the cells are the same; the densities (float
// against double) and the vector exponentials differ in the last digits, and
// an attenuation exponent of up to about 20 (a deep site, a long way out)
// multiplies the total coefficient's rounding by as much: each contribution,
// and so each sum of them, agrees within 1e-4.
constexpr double TOLERANCE = 1e-4;

void expectClose(double vector, double scalar, const char* what, int index) {
    EXPECT_NEAR(vector, scalar, TOLERANCE * std::fabs(scalar)) << what << " " << index;
}

TEST(NextEventRays, VectorAndScalarPathsAgreeWithinFloatRounding) {
    ScopedWorkDir dir;
    copyEngineTables();
    writeSpectrum(smoothSpectrum());
    RunFileValues run;  // 20 cm object behind a curtain covering z <= -40 cm
    run.write();
    auto in = std::make_unique<EngineInputs>();
    loadEngineInputs(*in);
    const ScoringContext scoring = scoringContextFor(*in);
    const PhantomBox box = phantomBoxFor(in->run);

    for (const RayCode& code : rayCodes()) {
        SCOPED_TRACE(code.instructionSet);
        PathTallies vector, scalar;
        auto both = std::make_unique<BothPaths>(
            BothPaths{NextEventTally(in->tissue, scoring, {ScoringPath::Vector, 11, code.score}),
                      NextEventTally(in->tissue, scoring, {ScoringPath::Scalar, 11})});
        both->vector.open(vector.target(), vector.position);
        both->scalar.open(scalar.target(), scalar.position);
        FastPhysics physics(in->tissue);
        RandomStream stream = RandomStream::withFixedSeed();
        for (const int bin : {40, 100, 160}) {  // 20, 50 and 80 keV
            for (int n = 0; n < 400; ++n) {
                runHistory(binEnergyKev(bin), in->run, box, physics, *both, stream);
            }
        }
        vector.tallies->moments.closeStratum(1200);
        scalar.tallies->moments.closeStratum(1200);

        const Scores& v = vector.tallies->scores;
        const Scores& s = scalar.tallies->scores;
        for (int j = 1; j <= POINT_COUNT; ++j) {
            const std::size_t jj = static_cast<std::size_t>(j);
            ASSERT_GT(s.pointKerma[jj], 0.0f);
            expectClose(v.pointKerma[jj], s.pointKerma[jj], "point", j);
            for (int b = 1; b <= GRID_BINS; ++b) {
                const std::size_t bb = static_cast<std::size_t>(b);
                expectClose(v.pointSpectrum[jj][bb], s.pointSpectrum[jj][bb], "spectrum bin", b);
            }
        }
        int reached = 0;
        for (int i = 1; i <= GRID_COLUMNS; ++i) {
            for (int k = 1; k <= GRID_ROWS; ++k) {
                const float sk =
                    s.gridKerma[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
                const float vk =
                    v.gridKerma[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
                reached += sk > 0.0f;
                expectClose(vk, sk, "cell", KermaMoments::cellIndex(i, k));
            }
        }
        EXPECT_GT(reached, 600);  // the sums compared cover the grid, curtain shadow included
        for (int q = 0; q < KermaMoments::QUANTITY_COUNT; ++q) {
            expectClose(vector.tallies->moments.total(q), scalar.tallies->moments.total(q),
                        "moments of quantity", q);
        }
    }
}

}  // namespace
}  // namespace korvana::engine
