#include "engine/run/result_file.h"

#include <algorithm>

#include "common/record_format.h"
#include "common/record_writer.h"
#include "engine/constants.h"

namespace korvana::engine {

namespace {

float ratio(float value, float reference) { return reference == 0.0f ? 0.0f : value / reference; }

}  // namespace

float pointKermaRatio(const RunTotals& totals, const Scores& scores, int point) {
    return ratio(scores.pointKerma[point] / POINT_DISC_AREA, totals.primaryKerma);
}

float gridKermaRatio(const RunTotals& totals, const Scores& scores, int column, int row) {
    return ratio(scores.gridKerma[column][row], totals.primaryKerma);
}

UncertaintyTable uncertaintyTableFor(const RunTotals& totals, const Scores& scores,
                                     const KermaMoments& moments, const std::string& estimator) {
    const auto entry = [&moments](float value, int q) {
        KermaUncertainty u;
        u.airKermaRatio = value;
        if (value != 0.0f) {
            u.relStdError = moments.relativeError(q);
            u.vov = moments.varianceOfVariance(q);
            u.unstable = moments.unstable(q);
        }
        u.fewHistories = moments.contributingHistories(q) < MIN_CONTRIBUTING_HISTORIES;
        return u;
    };
    UncertaintyTable table;
    table.estimator = estimator;
    for (int j = 1; j <= POINT_COUNT; ++j) {
        table.points[j - 1] =
            entry(pointKermaRatio(totals, scores, j), KermaMoments::pointIndex(j));
    }
    for (int i = 1; i <= GRID_COLUMNS; ++i) {
        for (int k = 1; k <= GRID_ROWS; ++k) {
            table.grid[i - 1][k - 1] =
                entry(gridKermaRatio(totals, scores, i, k), KermaMoments::cellIndex(i, k));
        }
    }
    return table;
}

float eyePointKermaRatio(const RunTotals& totals, const Scores& scores, int eye) {
    return ratio(scores.eyeKerma[static_cast<std::size_t>(eye)] / POINT_DISC_AREA,
                 totals.primaryKerma);
}

EyePointTable eyePointTableFor(const RunTotals& totals, const Scores& scores,
                               const KermaMoments& moments, const SceneDescription& scene) {
    EyePointTable table;
    const int count = std::min(static_cast<int>(scene.eyePoints.size()), EyePoints::CAPACITY);
    for (int e = 0; e < count; ++e) {
        const SceneEyePoint& place = scene.eyePoints[static_cast<std::size_t>(e)];
        EyePointResult point;
        point.name = place.name;
        point.positionCm = place.positionCm;
        point.airKermaRatio = eyePointKermaRatio(totals, scores, e);
        const int q = KermaMoments::eyePointIndex(e);
        if (point.airKermaRatio != 0.0) {
            point.relErrPercent = 100.0 * moments.relativeError(q);
            point.vov = moments.varianceOfVariance(q);
            point.unstable = moments.unstable(q);
        }
        table.points.push_back(std::move(point));
    }
    return table;
}

RunTotals finishRun(Scores& scores, const PreparedSpectrum& spectrum,
                    const GridTable& airEnergyAbsorption, const RunParameters& run) {
    RunTotals totals;
    totals.primaryKerma = primaryKerma(spectrum, airEnergyAbsorption, run);
    totals.peakBinPhotons = spectrum.normalised[spectrum.peakBin] * run.historyCount;

    const float perDiscArea = 1.0f / GRID_DISC_AREA;
    for (auto& column : scores.gridKerma) {
        for (float& value : column) value *= perDiscArea;
    }

    for (int j = 1; j <= POINT_COUNT; ++j) {
        GridTable& spectrumAtPoint = scores.pointSpectrum[j];
        float peak = 0;
        float sum = 0;
        for (int b = 1; b <= GRID_BINS; ++b) {
            if (spectrumAtPoint[b] > peak) peak = spectrumAtPoint[b];
            sum += spectrumAtPoint[b];
        }
        totals.pointSpectrumPeak[j] = peak;
        // A point no photon reached (or reached only through underflowing
        // transmissions) keeps its spectrum of zeros.
        if (sum == 0.0f) continue;
        for (int b = 1; b <= GRID_BINS; ++b) spectrumAtPoint[b] /= sum;
    }
    return totals;
}

std::vector<std::string> resultFileLines(const RunTotals& totals, const Scores& scores,
                                         const PreparedSpectrum& spectrum, const RunParameters& run,
                                         const BeamDescriptor& beam) {
    std::vector<std::string> lines;
    lines.reserve(RESULT_FILE_LINES);

    const RecordFormat spectrumLine("(F6.1,10E10.4)");
    for (int b = 1; b <= GRID_BINS; ++b) {
        RecordWriter w(spectrumLine);
        w.real(binEnergyKev(b)).real(spectrum.normalised[b]);
        for (int j = 1; j <= POINT_COUNT; ++j) w.real(scores.pointSpectrum[j][b]);
        lines.push_back(w.line());
    }

    const RecordFormat kermaLine("(E10.4,2X,E10.4)");
    lines.push_back(
        RecordWriter(kermaLine).real(totals.peakBinPhotons).real(totals.primaryKerma).line());

    const RecordFormat pointLine("(E10.4,2X,E10.4,2X,E10.4)");
    for (int j = 1; j <= POINT_COUNT; ++j) {
        lines.push_back(RecordWriter(pointLine)
                            .real(totals.pointSpectrumPeak[j])
                            .real(scores.pointKerma[j] / POINT_DISC_AREA)
                            .real(pointKermaRatio(totals, scores, j))
                            .line());
    }

    const RecordFormat f51("(F5.1)"), f53("(F5.3)"), f73("(F7.3)"), e81("(E8.1)");
    const auto single = [&lines](const RecordFormat& format, float value) {
        lines.push_back(RecordWriter(format).real(value).line());
    };
    single(f51, run.phantomThickness);
    single(f51, run.focusSurfaceDistance);
    single(f51, run.fieldSizeY);
    single(f51, run.fieldSizeX);
    single(f53, run.curtainLeadThickness * 10.0f);
    single(f51, run.curtainLength);
    single(f51, beam.tubeVoltageKv);
    single(f51, beam.targetAngleDeg);
    single(f73, beam.inherentFiltrationMmAl);
    single(f73, beam.addedAluminiumMm);
    single(f73, beam.addedCopperMm);
    single(e81, run.historyCount);

    const RecordFormat gridLine("(21E11.4)");
    for (int k = 1; k <= GRID_ROWS; ++k) {
        RecordWriter w(gridLine);
        for (int i = 1; i <= GRID_COLUMNS; ++i) {
            w.real(gridKermaRatio(totals, scores, i, k));
        }
        lines.push_back(w.line());
    }
    return lines;
}

}  // namespace korvana::engine
