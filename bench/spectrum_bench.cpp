// Time of one spectrum computation at 149.5 kV (the longest: most bins and the
// longest electron-energy sums) for each rectification, with the shipped tables.
// The interactive program's window waits this long at step (4).
//
// usage: spectrum_bench [repetitions]   (default 5)
// Prints the fastest and the mean time of one computation per mode.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/spectrum/material_tables.h"
#include "app/spectrum/spectrum_generator.h"

namespace {

using namespace korvana::app;

MaterialTables shippedTables() {
    const std::string dir = KORVANA_DATA_DIR;
    MaterialTables tables;
    tables.tungstenAttenuation = loadAttenuationTable(dir + "/Tungsten.dat");
    tables.aluminiumAttenuation = loadAttenuationTable(dir + "/Aluminum.atc");
    tables.copperAttenuation = loadAttenuationTable(dir + "/Copper.dat");
    tables.leadAttenuationGui = loadAttenuationTable(dir + "/Pb.dat");
    return tables;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const MaterialTables tables = shippedTables();
    struct Mode {
        RectificationMode mode;
        const char* name;
    };
    std::printf("spectrum at 149.5 kV, 12 deg, 2.5 + 1.5 mm Al, %d repetitions\n", repetitions);
    for (const Mode& m :
         {Mode{RectificationMode::ConstantPotential, "1 constant potential"},
          Mode{RectificationMode::ThreePhase12Peak, "2 three-phase 12-peak"},
          Mode{RectificationMode::SinglePhaseFullWave, "3 single-phase full-wave"}}) {
        IrradiationConditions c;  // the default filtration and angle
        c.tubeVoltageKv = 149.5;
        c.rectification = m.mode;
        double fastest = 1e300;
        double total = 0.0;
        double peak = 0.0;
        for (int r = 0; r < repetitions; ++r) {
            const auto start = std::chrono::steady_clock::now();
            peak = computeIncidentSpectrum(c, tables).spectrumPeak;
            const double ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            fastest = std::min(fastest, ms);
            total += ms;
        }
        std::printf("  %-26s fastest %9.2f ms   mean %9.2f ms   (peak %.6g)\n", m.name, fastest,
                    total / repetitions, peak);
    }
    return 0;
}
