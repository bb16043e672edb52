#include "engine/run/engine_inputs.h"

#include <map>
#include <mutex>

#include "common/data_error.h"
#include "common/file_names.h"
#include "common/regular_file.h"
#include "engine/run/table_coverage.h"

namespace korvana::engine {

namespace {

//! Every ratio of the result file divides by the primary kerma: a run that
//! would have none is refused now, not after the histories.
void requirePrimaryKerma(const EngineInputs& in, const std::string& source) {
    if (!(primaryKerma(in.spectrum, in.air, in.run) > 0.0f)) {
        throw DataError(SourcePosition{source, 0, 0},
                        "the spectrum gives no primary air kerma (no bin from 5 keV up holds "
                        "photons) - compute the spectrum again in the main window");
    }
}

//! The scene must fit the run's object: no shield through it.
void requireSceneFitsObject(const EngineInputs& in, const std::string& source) {
    const auto faults = sceneObjectFaults(in.scene, objectExtentFor(in.run.phantomThickness));
    if (!faults.empty()) {
        throw DataError(SourcePosition{source, 0, 0}, describeSceneFault(faults.front()));
    }
}

}  // namespace

PhysicsTables loadPhysicsTables(const std::filesystem::path& directory) {
    PhysicsTables t;
    t.tissue = loadTissueTables((directory / TISSUE_TABLE_FILE).string());
    t.air = loadAirEnergyAbsorption((directory / AIR_TABLE_FILE).string());
    t.lead = loadLeadAttenuation((directory / LEAD_TABLE_FILE).string());
    const std::string aluminium = (directory / ALUMINIUM_TABLE_FILE).string();
    if (!nothingNamed(aluminium)) t.aluminium = loadAluminiumAttenuation(aluminium);
    return t;
}

std::shared_ptr<const PhysicsTables> sharedPhysicsTables(const std::filesystem::path& directory) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::shared_ptr<const PhysicsTables>> read;
    const std::filesystem::path key = std::filesystem::absolute(directory).lexically_normal();
    std::lock_guard lock(mutex);
    std::shared_ptr<const PhysicsTables>& tables = read[key];
    if (!tables) {
        try {
            tables = std::make_shared<const PhysicsTables>(loadPhysicsTables(directory));
        } catch (...) {
            read.erase(key);  // a failed reading is tried again at the next call
            throw;
        }
    }
    return tables;
}

void loadEngineInputs(EngineInputs& in, const std::string& sceneFile) {
    in.tissue = loadTissueTables(TISSUE_TABLE_FILE);
    in.air = loadAirEnergyAbsorption(AIR_TABLE_FILE);
    in.lead = loadLeadAttenuation(LEAD_TABLE_FILE);
    in.run = readRunFile(RUN_FILE);
    in.spectrumFile = loadSpectrum(SPECTRUM_FILE, DescriptorLines::Read);
    in.spectrum = prepareSpectrum(in.spectrumFile.spectrum, SPECTRUM_FILE);
    requireTablesServeRun(in);
    requirePrimaryKerma(in, SPECTRUM_FILE);
    if (sceneFile.empty()) return;
    in.scene = readSceneFile(sceneFile);
    requireSceneFitsObject(in, sceneFile);
    if (in.scene.table) in.aluminium = loadAluminiumAttenuation(ALUMINIUM_TABLE_FILE);
}

std::unique_ptr<EngineInputs> makeEngineInputs(const PhysicsTables& tables,
                                               const RunParameters& run,
                                               const SpectrumFile& spectrum,
                                               const SceneDescription& scene) {
    const std::string source = "the run parameters";
    checkRunParameters(run, source);
    if (const auto faults = sceneFaults(scene); !faults.empty()) {
        throw DataError(SourcePosition{"the scene", 0, 0}, describeSceneFault(faults.front()));
    }
    auto in = std::make_unique<EngineInputs>();
    in->tissue = tables.tissue;
    in->air = tables.air;
    in->lead = tables.lead;
    if (scene.table && !tables.aluminium) {
        throw DataError(SourcePosition{ALUMINIUM_TABLE_FILE, 0, 0},
                        "the scene's table needs the aluminium table, which is not there - "
                        "copy it beside the other tables");
    }
    if (tables.aluminium) in->aluminium = *tables.aluminium;
    in->run = run;
    in->scene = scene;
    requireSceneFitsObject(*in, "the scene");
    in->spectrumFile = spectrum;
    in->spectrum = prepareSpectrum(spectrum.spectrum, "the spectrum");
    requireTablesServeRun(*in);
    requirePrimaryKerma(*in, "the spectrum");
    return in;
}

}  // namespace korvana::engine
