#include "engine/simulation.h"

#include "common/data_error.h"
#include "common/file_names.h"
#include "engine/constants.h"
#include "engine/fast_physics.h"
#include "engine/geometry.h"
#include "engine/history.h"
#include "engine/literal_physics.h"
#include "engine/scoring_sequence.h"
#include "engine/table_coverage.h"

namespace korvana::engine {

void loadEngineInputs(EngineInputs& in) {
    in.tissue = loadTissueTables(TISSUE_TABLE_FILE);
    in.air = loadAirEnergyAbsorption(AIR_TABLE_FILE);
    in.lead = loadLeadAttenuation(LEAD_TABLE_FILE);
    in.run = readRunFile(RUN_FILE);
    in.spectrumFile = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Read);
    in.spectrum = prepareSpectrum(in.spectrumFile.spectrum, SPECTRUM_FILE);
    requireTablesServeRun(in);
    // Every ratio of the result file divides by the primary kerma: refuse a run
    // that would have none now, not after the histories.
    if (!(primaryKerma(in.spectrum, in.air, in.run) > 0.0f)) {
        throw DataError(SourcePosition{SPECTRUM_FILE, 0, 0},
                        "the spectrum gives no primary air kerma (no bin from 5 keV up holds "
                        "photons) - compute the spectrum again in the main window");
    }
}

namespace {

template <class Physics>
void walkBins(const EngineInputs& in, Physics& physics, RandomStream& stream,
              const std::function<void(int bin)>& onBin, KermaMoments* moments) {
    const PhantomBox box = phantomBoxFor(in.run);
    for (int bin = FIRST_SIMULATED_BIN; bin <= in.spectrum.topBin; ++bin) {
        onBin(bin);
        physics.startSequence(ScoringSequence::forBlock(SINGLE_STREAM_SCORING_SEED, bin, 0));
        const std::int64_t count = binPhotonCount(in.spectrum, bin, in.run.historyCount);
        const float binEnergy = binEnergyKev(bin);
        for (std::int64_t n = 0; n < count; ++n) {
            runHistory(binEnergy, in.run, box, physics, stream);
        }
        if (moments && count > 0) moments->closeStratum(count);
    }
}

}  // namespace

void simulate(const EngineInputs& in, TransportBuild build, RandomStream& stream, Scores& scores,
              const std::function<void(int bin)>& onBin, KermaMoments* moments,
              Estimator estimator) {
    const ScoringContext scoring{in.air, in.lead, leadCurtainFor(in.run), phantomBoxFor(in.run)};
    if (build == TransportBuild::Fast) {
        FastPhysics physics(in.tissue, scoring, scores, moments);
        if (estimator == Estimator::NextEvent) physics.useNextEvent();
        walkBins(in, physics, stream, onBin, moments);
    } else {
        LiteralPhysics physics(in.tissue, scoring, scores, moments);
        walkBins(in, physics, stream, onBin, moments);
    }
}

}  // namespace korvana::engine
