#include "app/results/result_set.h"

#include <string>

#include "app/common/free_form_reader.h"
#include "common/text_file.h"

namespace korvana::app {

namespace {

void readConditions(FreeFormReader& reader, RunConditions& c) {
    c.phantomThicknessCm = reader.next("the phantom thickness (line 311)");
    c.focusSurfaceDistanceCm = reader.next("the focus-surface distance (line 312)");
    c.fieldSizeYCm = reader.next("the first field size (line 313)");
    c.fieldSizeXCm = reader.next("the second field size (line 314)");
    c.curtainLeadMm = reader.next("the curtain's lead thickness (line 315)");
    c.curtainLengthCm = reader.next("the curtain length (line 316)");
    c.tubeVoltageKv = reader.next("the tube voltage (line 317)");
    c.targetAngleDeg = reader.next("the target angle (line 318)");
    c.inherentFiltrationMmAl = reader.next("the inherent filtration (line 319)");
    c.addedAluminiumMm = reader.next("the added aluminium filter (line 320)");
    c.addedCopperMm = reader.next("the added copper filter (line 321)");
    c.historyCount = reader.next("the history count (line 322)");
}

// A spectrum value, an air kerma or a grid value: the engine writes none below 0.
double readNonNegative(FreeFormReader& reader, const std::string& what) {
    const double value = reader.next(what);
    if (value < 0.0) {
        throw DataError(reader.lastPosition(),
                        what +
                            " is negative (the engine writes none) - use a result file "
                            "written by the engine");
    }
    return value;
}

std::string binText(int bin) { return "bin " + std::to_string(bin); }

// Peaks: a value equal to the current peak also takes it, so a spectrum whose
// peak sits in several bins becomes exactly 1 in each of them.
double peakOf(const BinValues& values) {
    double peak = 0.0;
    for (int i = 1; i <= GRID_BINS; ++i) {
        if (values[i] >= peak) peak = values[i];
    }
    return peak;
}

BinValues scaledToPeak(const BinValues& values, double peak) {
    if (peak <= 0.0) return values;  // nothing to scale: the spectrum is 0 everywhere
    BinValues scaled{};
    for (int i = 1; i <= GRID_BINS; ++i) scaled[i] = values[i] / peak;
    return scaled;
}

}  // namespace

std::array<double, CONDITION_COUNT> conditionValues(const RunConditions& c) {
    return {c.phantomThicknessCm,     c.focusSurfaceDistanceCm, c.fieldSizeYCm,  c.fieldSizeXCm,
            c.curtainLeadMm,          c.curtainLengthCm,        c.tubeVoltageKv, c.targetAngleDeg,
            c.inherentFiltrationMmAl, c.addedAluminiumMm,       c.addedCopperMm, c.historyCount};
}

RunConditions readResultConditions(const std::string& fileName) {
    const TextLines file = readTextFile(fileName, FileKind::Result);
    if (file.lines.size() < static_cast<std::size_t>((FIRST_CONDITION_LINE - 1))) {
        throw DataError(SourcePosition{fileName, static_cast<int>(file.lines.size()), 0},
                        "the file has only " + std::to_string(file.lines.size()) +
                            " lines and ends before its run conditions (lines 311-322; the "
                            "file is short or not a result file) - choose a complete result file");
    }
    FreeFormReader reader(file, (FIRST_CONDITION_LINE - 1));
    RunConditions conditions;
    readConditions(reader, conditions);
    return conditions;
}

ResultSet readResultSet(const std::string& fileName) {
    return resultSetFromLines(readTextFile(fileName, FileKind::Result));
}

ResultSet resultSetFromLines(const TextLines& file) {
    FreeFormReader reader(file);
    ResultSet set;
    set.fileName = file.fileName;

    BinValues primary{};
    for (int i = 1; i <= GRID_BINS; ++i) {
        reader.next("the energy of " + binText(i));
        primary[i] = readNonNegative(reader, "the incident spectrum value of " + binText(i));
        for (int k = 1; k <= POINT_COUNT; ++k) {
            set.rawScatterSpectra[k][i] =
                readNonNegative(reader, "the scattered spectrum value of angle " +
                                            std::to_string(k) + " in " + binText(i));
        }
    }
    reader.next("the peak-bin photon count (line 301)");
    reader.next("the primary air kerma (line 301)");
    for (int k = 1; k <= POINT_COUNT; ++k) {
        const std::string line = " (line " + std::to_string(301 + k) + ")";
        reader.next("the spectrum peak" + line);
        reader.next("the air kerma" + line);
        set.pointKermaRatio[k] = readNonNegative(reader, "the air kerma ratio" + line);
    }
    readConditions(reader, set.conditions);
    for (int m = 1; m <= GRID_ROWS; ++m) {
        for (int n = 1; n <= GRID_COLUMNS; ++n) {
            set.kermaGrid[n][m] = readNonNegative(
                reader, "grid value " + std::to_string(n) + " of line " +
                            std::to_string((FIRST_CONDITION_LINE - 1) + CONDITION_COUNT + m));
        }
    }

    set.kermaMap = refineKermaGrid(set.kermaGrid);
    set.primaryPeak = peakOf(primary);
    set.primarySpectrum = scaledToPeak(primary, set.primaryPeak);
    for (int k = 1; k <= POINT_COUNT; ++k) {
        set.scatterPeak[k] = peakOf(set.rawScatterSpectra[k]);
        set.scatterSpectra[k] = scaledToPeak(set.rawScatterSpectra[k], set.scatterPeak[k]);
    }
    for (int k = 1; k <= POINT_COUNT; ++k) {
        if (set.scatterPeak[k] > set.scatterPeakAll) set.scatterPeakAll = set.scatterPeak[k];
    }
    return set;
}

void loadResultSet(const std::string& fileName, ResultSet& resultSet) {
    ResultSet loaded = readResultSet(fileName);  // throws before anything is replaced
    resultSet = std::move(loaded);
}

}  // namespace korvana::app
