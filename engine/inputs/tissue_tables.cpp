#include "engine/inputs/tissue_tables.h"

#include <cmath>
#include <string>

#include "common/data_error.h"
#include "common/record_format.h"
#include "common/record_reader.h"
#include "common/text_file.h"
#include "engine/constants.h"

namespace korvana::engine {

namespace {

void require(bool condition, const SourcePosition& where, const std::string& problem) {
    if (!condition) throw DataError(where, problem);
}

const char* const REGENERATE =
    " - use the shipped ICRUSoft.dat or regenerate it with tools/make_tables.py";

}  // namespace

TissueTables loadTissueTables(const std::string& fileName) {
    const TextLines file = readTextFile(fileName, FileKind::PhysicsTable);
    LineCursor cursor(file);
    TissueTables t;

    const RecordFormat countFormat("(I3)");
    // Each line is taken before its position is: the position names the line read.
    const std::string_view countLine = cursor.nextLine("the row count N (I3)");
    RecordReader countReader(countFormat, countLine, cursor.position());
    const auto nextReals = [&cursor](const RecordFormat& format, const char* what) {
        const std::string_view line = cursor.nextLine(what);
        return readReals(format, line, cursor.position());
    };
    const long count = countReader.readInteger();
    require(count >= 2 && count <= MAX_TISSUE_ROWS, cursor.position(1),
            "row count " + std::to_string(count) +
                " is out of range (the table holds 2 to 25 energy rows)" + REGENERATE);
    t.rowCount = static_cast<int>(count);

    const RecordFormat densityFormat("(F9.6)");
    t.tissueDensity = nextReals(densityFormat, "the density (F9.6)")[0];

    const RecordFormat rowFormat("(E9.3,3E10.3)");
    for (int j = 1; j <= t.rowCount; ++j) {
        const std::vector<float> f = nextReals(rowFormat, "a cross-section row (E9.3,3E10.3)");
        TissueCrossSectionRow& row = t.rows[j];
        row.energy = f[0] * 1000.0f;
        row.coherent = f[1];
        row.incoherent = f[2];
        row.photoelectric = f[3];
        require(std::isfinite(row.energy) && row.energy > 0 &&
                    (j == 1 || row.energy > t.rows[j - 1].energy),
                cursor.position(1),
                "energy is not positive and ascending (rows are interpolated in ln E)" +
                    std::string(REGENERATE));
        const auto positiveFinite = [](float c) { return std::isfinite(c) && c > 0; };
        require(positiveFinite(row.coherent) && positiveFinite(row.incoherent) &&
                    positiveFinite(row.photoelectric),
                cursor.position(10),
                "a coefficient is not a positive finite number (coefficients are interpolated "
                "in log-log)" +
                    std::string(REGENERATE));
    }

    const RecordFormat scatterFormat("(E10.3,2E12.5)");
    for (int j = 1; j <= SCATTER_FACTOR_ROWS; ++j) {
        const std::vector<float> f =
            nextReals(scatterFormat, "a scatter-factor row (E10.3,2E12.5)");
        ScatterFactorRow& row = t.scatter[j];
        row.x = f[0];
        row.formFactorIntegral = f[1];
        row.incoherentFunction = f[2];
        require(std::isfinite(row.x) && std::isfinite(row.formFactorIntegral), cursor.position(1),
                "x or the form-factor integral is not a finite number" + std::string(REGENERATE));
        require(std::isfinite(row.incoherentFunction) && row.incoherentFunction >= 0,
                cursor.position(23),
                "S(x) is negative (its ratio to the maximum is an acceptance probability)" +
                    std::string(REGENERATE));
        // Coherent scattering draws x from the first row up and accepts only
        // sin(theta/2) = x hc/E <= 1, at every energy down to the 5 keV cut-off.
        require(j > 1 || row.x <= ENERGY_CUTOFF_KEV / HC_KEV_ANGSTROM, cursor.position(1),
                "the first x is above 5 keV/hc = 0.403 1/A (coherent scattering at low energies "
                "could find no angle)" +
                    std::string(REGENERATE));
        if (j > 1) {
            const ScatterFactorRow& previous = t.scatter[j - 1];
            require(
                row.x > previous.x, cursor.position(1),
                "x is not ascending (S(x) is interpolated between rows)" + std::string(REGENERATE));
            require(row.formFactorIntegral >= previous.formFactorIntegral, cursor.position(11),
                    "the form-factor integral decreases (it is a cumulative integral)" +
                        std::string(REGENERATE));
        }
    }
    t.incoherentFunctionMax = t.scatter[SCATTER_FACTOR_ROWS].incoherentFunction;
    t.formFactorIntegralMax = t.scatter[SCATTER_FACTOR_ROWS].formFactorIntegral;
    require(t.formFactorIntegralMax > 0 && t.incoherentFunctionMax > 0, cursor.position(11),
            "the last scatter-factor row has a zero integral or S(x) (both are used as "
            "normalisation maxima)" +
                std::string(REGENERATE));
    return t;
}

TissueCoefficients tissueCoefficients(const TissueTables& tables, float E) {
    int j = 2;
    while (j < tables.rowCount && tables.rows[j].energy <= E) ++j;
    const TissueCrossSectionRow& lo = tables.rows[j - 1];
    const TissueCrossSectionRow& hi = tables.rows[j];

    const float t =
        (std::log(E) - std::log(lo.energy)) / (std::log(hi.energy) - std::log(lo.energy));
    const auto logLog = [t](float a, float b) {
        return std::exp(std::log(a) + t * (std::log(b) - std::log(a)));
    };
    TissueCoefficients c;
    c.coherent = logLog(lo.coherent, hi.coherent);
    c.incoherent = logLog(lo.incoherent, hi.incoherent);
    c.photoelectric = logLog(lo.photoelectric, hi.photoelectric);
    c.total = c.photoelectric + c.incoherent + c.coherent;
    c.photoFraction = c.photoelectric / c.total;
    c.photoCoherentFraction = (c.photoelectric + c.coherent) / c.total;
    return c;
}

float incoherentFunctionAt(const TissueTables& tables, float x) {
    int j = 2;
    while (j < SCATTER_FACTOR_ROWS && tables.scatter[j].x <= x) ++j;
    const ScatterFactorRow& lo = tables.scatter[j - 1];
    const ScatterFactorRow& hi = tables.scatter[j];
    return lo.incoherentFunction +
           (x - lo.x) * (hi.incoherentFunction - lo.incoherentFunction) / (hi.x - lo.x);
}

float sampleCoherentX(const TissueTables& tables, float a) {
    int j = 2;
    while (j < SCATTER_FACTOR_ROWS && tables.scatter[j].formFactorIntegral <= a) ++j;
    const ScatterFactorRow& lo = tables.scatter[j - 1];
    const ScatterFactorRow& hi = tables.scatter[j];
    return lo.x + (hi.x - lo.x) * (a - lo.formFactorIntegral) /
                      (hi.formFactorIntegral - lo.formFactorIntegral);
}

}  // namespace korvana::engine
