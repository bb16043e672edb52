#include "common/grid_tables.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "common/record_format.h"
#include "common/record_reader.h"
#include "common/run_limits.h"
#include "common/text_file.h"

namespace korvana {

namespace {

constexpr int SPECTRUM_VALUE_COLUMN = 8;  //!< first column of F8.5 in "(F6.1,A1,F8.5)"

}  // namespace

GridTable loadGridTable(const std::string& fileName, const char* recordFormat, int fieldNumber) {
    const RecordFormat format(recordFormat);
    const TextLines file = readTextFile(fileName, FileKind::PhysicsTable);
    LineCursor cursor(file);
    GridTable table{};
    for (int bin = 1; bin <= GRID_BINS; ++bin) {
        const std::string_view line =
            cursor.nextLine("the row of bin " + std::to_string(bin) + " " + format.text());
        const std::vector<float> fields = readReals(format, line, cursor.position());
        table[bin] = fields.at(static_cast<std::size_t>(fieldNumber - 1));
    }
    return table;
}

void requireServedBins(const GridTable& table, const std::string& fileName, int firstBin,
                       int lastBin, const char* what) {
    for (int bin = firstBin; bin <= lastBin; ++bin) {
        if (std::isfinite(table[bin]) && table[bin] > 0.0f) continue;
        char range[96];
        std::snprintf(range, sizeof range,
                      "%g keV (bin %d) is %g; the run needs %s from %g to %g keV",
                      static_cast<double>(binEnergyKev(bin)), bin, static_cast<double>(table[bin]),
                      what, static_cast<double>(binEnergyKev(firstBin)),
                      static_cast<double>(binEnergyKev(lastBin)));
        throw DataError(SourcePosition{fileName, bin, 0},
                        std::string("the value at ") + range +
                            ", each a positive finite number - use the shipped table or "
                            "regenerate it with tools/make_tables.py");
    }
}

GridTable loadAirEnergyAbsorption(const std::string& fileName) {
    return loadGridTable(fileName, "(E11.4,4E15.6)", 2);
}

GridTable loadLeadAttenuation(const std::string& fileName) {
    return loadGridTable(fileName, "(E9.3,E12.4)", 2);
}

GridTable loadAluminiumAttenuation(const std::string& fileName) {
    return loadGridTable(fileName, "(E10.4,E15.6)", 2);
}

SpectrumFile loadSpectrum(const std::string& fileName, DescriptorLines descriptorLines) {
    return readSpectrumLines(readTextFile(fileName, FileKind::Spectrum), descriptorLines);
}

SpectrumFile readSpectrumLines(const TextLines& file, DescriptorLines descriptorLines) {
    const RecordFormat format("(F6.1,A1,F8.5)");
    LineCursor cursor(file);
    SpectrumFile result;
    for (int bin = 1; bin <= GRID_BINS; ++bin) {
        const std::string_view line =
            cursor.nextLine("the spectrum value of bin " + std::to_string(bin));
        RecordReader reader(format, line, cursor.position());
        reader.readReal();  // the energy column: the bin follows from the line's position
        reader.readText();  // separator
        const float fluence = reader.readReal();
        // Both readers weight by it: a negative fluence would pass the HVL
        // calculator's sums unnoticed and give a plausible but false result.
        if (fluence < 0.0f) {
            throw DataError(cursor.position(SPECTRUM_VALUE_COLUMN),
                            "spectrum value of bin " + std::to_string(bin) +
                                " is negative (a photon fluence cannot be) - compute the "
                                "spectrum again in the main window");
        }
        result.spectrum[bin] = fluence;
    }
    if (descriptorLines == DescriptorLines::Read) {
        BeamDescriptor& d = result.descriptor;
        d.peakTimes1000 = cursor.nextFreeReal("1000 x the spectrum's largest value");
        // The result file repeats the beam's values in fixed columns: refuse
        // what they cannot hold before a run ends in a line of asterisks.
        const auto beamValue = [&cursor](const char* what, BeamField field) {
            const float value = cursor.nextFreeReal(what);
            if (const std::string problem = beamValueProblem(field, value); !problem.empty()) {
                throw DataError(cursor.position(1),
                                problem + " - compute the spectrum again in the main window");
            }
            return value;
        };
        d.tubeVoltageKv = beamValue("the tube voltage [kV]", BeamField::TubeVoltage);
        d.targetAngleDeg = beamValue("the target angle [degree]", BeamField::TargetAngle);
        d.inherentFiltrationMmAl =
            beamValue("the inherent filtration [mm Al]", BeamField::Filtration);
        d.addedAluminiumMm = beamValue("the added aluminium filter [mm]", BeamField::Filtration);
        d.addedCopperMm = beamValue("the added copper filter [mm]", BeamField::Filtration);
    }
    return result;
}

}  // namespace korvana
