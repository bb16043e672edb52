// Readers of the 300-row tables on the energy grid and of the beam spectrum file.
#pragma once

#include <string>

#include "common/energy_grid.h"
#include "common/text_file.h"

namespace korvana {

//! Reads 300 lines of `fileName` with `recordFormat` and keeps, for each line,
//! the `fieldNumber`-th numeric field (1-based). Every field of a line is read,
//! so a malformed value anywhere in a line is reported. Lines after 300 are ignored.
GridTable loadGridTable(const std::string& fileName, const char* recordFormat, int fieldNumber);

//! Mass energy-absorption coefficient of air [cm^2/g] from MU_en2016.dat.
GridTable loadAirEnergyAbsorption(const std::string& fileName);
//! Linear attenuation coefficient of lead [1/cm] from Pb.dat.
GridTable loadLeadAttenuation(const std::string& fileName);
//! Linear attenuation coefficient of aluminium [1/cm] from Aluminum.atc.
GridTable loadAluminiumAttenuation(const std::string& fileName);

//! Refuses a table that parses but cannot serve a run: every value of bins
//! `firstBin` to `lastBin` (the energies the run will look up) must be a
//! positive finite number, as attenuation and energy-absorption coefficients
//! are. Throws DataError with the file and the bin's line, naming `what` the
//! table gives and the energy range the run needs.
void requireServedBins(const GridTable& table, const std::string& fileName, int firstBin,
                       int lastBin, const char* what);

//! The six numbers that follow the spectrum in B_SPCTL.dat.
struct BeamDescriptor {
    float peakTimes1000 = 0;           //!< 1000 x the generator's largest bin before normalisation
    float tubeVoltageKv = 0;           //!< [kV]
    float targetAngleDeg = 0;          //!< [degree]
    float inherentFiltrationMmAl = 0;  //!< [mm Al equivalent]
    float addedAluminiumMm = 0;        //!< [mm]
    float addedCopperMm = 0;           //!< [mm]
};

//! B_SPCTL.dat: the relative photon fluence per bin (largest bin 1 as written) and its descriptor.
struct SpectrumFile {
    GridTable spectrum{};
    BeamDescriptor descriptor;
};

//! Reads lines 1-300 with "(F6.1,A1,F8.5)" and, when `withDescriptor`, the six
//! free-form descriptor lines that follow. A negative spectrum value is refused
//! with its line.
enum class DescriptorLines { Read, Ignore };
SpectrumFile loadSpectrum(const std::string& fileName, DescriptorLines descriptorLines);
//! The same reading of lines already in memory (a spectrum the interactive
//! program computed and formatted), so an in-process run takes exactly the
//! values the engine would read from the file.
SpectrumFile readSpectrumLines(const TextLines& file, DescriptorLines descriptorLines);

}  // namespace korvana
