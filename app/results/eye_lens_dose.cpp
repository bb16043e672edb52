#include "app/results/eye_lens_dose.h"

#include <cmath>

#include "app/common/free_form_reader.h"
#include "app/common/picture_format.h"
#include "app/results/constants.h"
#include "app/results/kerma_uncertainty.h"
#include "app/results/lead_protection.h"
#include "common/file_names.h"
#include "common/text_file.h"

namespace korvana::app {

namespace {

double readCoefficient(FreeFormReader& reader, const std::string& what) {
    const double value = reader.next(what);
    if (value < 0.0) {
        throw DataError(reader.lastPosition(),
                        what +
                            " is negative (coefficients per photon are 0 or more) - restore "
                            "the shipped table");
    }
    return value;
}

}  // namespace

ConversionTable loadConversionTable(const std::string& fileName) {
    const TextLines file = readTextFile(fileName, FileKind::PhysicsTable);
    FreeFormReader reader(file);
    ConversionTable table;
    for (int i = 1; i <= GRID_BINS; ++i) {
        const std::string record = " of record " + std::to_string(i);
        reader.next("the energy" + record);
        table.kermaCoefficient[i] = readCoefficient(reader, "the air kerma coefficient" + record);
        table.doseCoefficient3mm[i] = readCoefficient(reader, "the 3 mm dose coefficient" + record);
    }
    return table;
}

EyeLensDoseTables loadEyeLensDoseTables(const std::string& directory) {
    EyeLensDoseTables tables;
    tables.conversion = loadConversionTable(fileInDirectory(directory, CONVERSION_TABLE_FILE));
    tables.leadAttenuationEye = loadAttenuationTable(fileInDirectory(directory, LEAD_TABLE_FILE));
    return tables;
}

EyeLensDose computeEyeLensDose(const ResultSet& set, const EyeLensDoseTables& tables,
                               double glassesMm, double protectionMm) {
    const double thicknessCm = leadThicknessCm(glassesMm) + leadThicknessCm(protectionMm);
    const ConversionTable& conversion = tables.conversion;
    EyeLensDose result;
    for (int k = FIRST_SHOWN_ANGLE; k <= LAST_SHOWN_ANGLE; ++k) {
        // The photons of each bin that pass the lead weight both coefficients.
        double kermaSum = 0.0;
        double doseSum = 0.0;
        for (int i = 1; i <= GRID_BINS; ++i) {
            const double transmittedShape =
                std::exp(-tables.leadAttenuationEye[i] * thicknessCm) * set.scatterSpectra[k][i];
            kermaSum += conversion.kermaCoefficient[i] * transmittedShape;
            doseSum += conversion.doseCoefficient3mm[i] * transmittedShape;
        }
        const double fraction =
            transmittedFraction(set.rawScatterSpectra[k], tables.leadAttenuationEye, thicknessCm);
        result.transmittedFraction[k] = fraction;
        if (kermaSum > 0.0) {
            const double ratio = doseSum / kermaSum;
            result.doseConversionRatio[k] = ratio;
            result.eyeLensDose[k] = set.pointKermaRatio[k] * fraction * ratio;
        } else if (fraction == 0.0) {
            result.eyeLensDose[k] = 0.0;  // nothing passes: no kerma, no dose
        }
        if (result.eyeLensDose[k]) result.relStdErrorPercent[k] = pointRelativeErrorPercent(set, k);
    }
    return result;
}

std::optional<double> eyeLensDoseWithSpectrumOf(const EyeLensDose& dose, int angleIndex,
                                                double kermaRatio) {
    const std::size_t k = static_cast<std::size_t>(angleIndex);
    if (!dose.eyeLensDose[k]) return std::nullopt;
    if (!dose.doseConversionRatio[k]) return 0.0;  // nothing passes the lead
    return kermaRatio * dose.transmittedFraction[k] * *dose.doseConversionRatio[k];
}

std::string doseConversionRatioText(const std::optional<double>& ratio) {
    return ratio ? formatPicture(*ratio, "0.000") : "-";
}

std::string eyeLensDoseText(const std::optional<double>& dose) {
    return dose ? formatPicture(*dose, "0.000E+00") : "-";
}

}  // namespace korvana::app
