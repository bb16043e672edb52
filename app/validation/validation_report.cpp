#include "app/validation/validation_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>

#include "app/results/constants.h"
#include "app/results/eye_lens_dose.h"
#include "app/results/result_set.h"
#include "app/spectrum/hvl_results.h"
#include "app/validation/beam_average.h"
#include "app/validation/kerma_comparison.h"
#include "app/validation/published_values.h"
#include "app/validation/scatter_fraction.h"
#include "app/validation/svg_plot.h"
#include "common/data_error.h"
#include "common/file_names.h"
#include "common/grid_tables.h"
#include "common/result_layout.h"
#include "common/uncertainty_file.h"
#include "engine/transport/geometry.h"

namespace korvana::validation {

namespace fs = std::filesystem;

namespace {

const char* const COLOURS[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e"};

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string scientific(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    return text;
}

std::string signedFixed(double value, int decimals) {
    return (value >= 0 ? "+" : "") + fixed(value, decimals);
}

std::string percent(double fraction, int decimals) { return fixed(100.0 * fraction, decimals); }

std::string orDash(const std::optional<double>& value, int decimals) {
    return value ? fixed(*value, decimals) : "-";
}

//! The angle [degree] of the point at array place j = 0..8 (point index j + 1).
double angleAtPlace(int j) { return pointAngleDeg(j + 1); }

//! The measuring point's distance [cm] from the field centre on the entrance
//! surface, where the engine places it.
double pointDistanceCm(int index) {
    return std::hypot(static_cast<double>(engine::POINT_PLANE_X),
                      static_cast<double>(engine::POINT_Z[static_cast<std::size_t>(index) + 1]));
}

void writePlot(const fs::path& file, const Plot& plot) {
    std::ofstream out(file, std::ios::binary);
    out << svgPlot(plot);
    if (!out) {
        throw DataError(file.string() + ": cannot be written - check the folder and its space");
    }
}

void require(const fs::path& file) {
    if (!fs::exists(file)) {
        throw DataError(file.string() +
                        ": missing - run tools/validate.sh, which makes every run first");
    }
}

struct Context {
    const ReportSettings& settings;
    fs::path run;
    fs::path plotDir;
    std::string plotLink;  //!< the plot folder relative to the report
    std::ostringstream md;

    std::string plot(const std::string& name, const Plot& p, const std::string& alt) {
        writePlot(plotDir / name, p);
        return "![" + alt + "](" + plotLink + "/" + name + ")\n";
    }
};

// ---------------------------------------------------------------- HVL

void hvlSection(Context& c) {
    auto& md = c.md;
    md << "## 1. First half-value layer against SpekPy\n\n"
       << "`korvana-spectrum` (Tucker's model, constant potential) for " << fixed(SPEKPY_HVL_KV, 0)
       << " kV and a " << fixed(SPEKPY_ANODE_ANGLE_DEG, 0)
       << "° tungsten target, the whole filtration given as inherent aluminium, then "
       << "`tavisen` (no air in either). Reference: " << SPEKPY_SOURCE << ".\n\n"
       << "| total filtration (mm Al) | Korvana HVL1 (mm Al) | SpekPy HVL1 (mm Al) | "
          "difference |\n|---|---|---|---|\n";
    for (const HvlReference& ref : SPEKPY_HVL1) {
        const fs::path folder = c.run / "hvl" / ("al" + fixed(ref.filtrationMmAl, 1));
        require(folder / HVL_FILE);
        const SpectrumFile spectrum =
            loadSpectrum((folder / SPECTRUM_FILE).string(), DescriptorLines::Read);
        const auto hvl = app::readHvlResults((folder / HVL_FILE).string());
        if (!hvl) {
            throw DataError((folder / HVL_FILE).string() + ": does not hold five numbers");
        }
        const double filtration =
            spectrum.descriptor.inherentFiltrationMmAl + spectrum.descriptor.addedAluminiumMm;
        md << "| " << fixed(filtration, 1) << " | " << fixed(hvl->firstHvlMm, 2) << " | "
           << fixed(ref.hvl1MmAl, 2) << " | "
           << signedFixed(100.0 * (hvl->firstHvlMm / ref.hvl1MmAl - 1.0), 1) << " % |\n";
    }
    md << "\n";
}

// ---------------------------------------------------------------- Hp(3)/Ka

void isoSection(Context& c) {
    auto& md = c.md;
    const app::ConversionTable table = app::loadConversionTable(
        (fs::path(c.settings.dataDir) / app::CONVERSION_TABLE_FILE).string());
    md << "## 2. Hp(3)/Ka over the ISO 4037 narrow-series beams N-60 and N-80\n\n"
       << "Spectra from `korvana-spectrum` (Tucker's model, constant potential, tungsten target "
          "at 20°, an assumption: the series is defined by its tube potential and filtration) "
          "with the series' filtration, 4 mm Al inherent and the copper filter of ISO 4037-1. "
          "The shipped conversion table `d-DperK.dDk` (Hp(3)/Ka on the ISO cylinder at 0°, see "
          "`data/README.md`) averaged over the spectrum as `korvana` applies it to a spectrum: "
          "each bin weighted by the air kerma its photons carry, sum Φ·K·h / sum Φ·K, as the "
          "coefficient is defined per unit air kerma. The photon-fluence-weighted mean of h is "
          "shown beside it only to show how much the weighting matters.\n\n"
       << "Sources: filtration and mean energy, " << ISO_4037_1_SOURCE << "; Hp(3)/Ka, "
       << ISO_4037_3_SOURCE << ".\n\n"
       << "| beam | kV | filtration | mean energy (keV) | ISO 4037-1 mean energy (keV) | "
          "Hp(3)/Ka, air-kerma weighted (Sv/Gy) | fluence weighted (Sv/Gy) | ISO 4037-3 (Sv/Gy) "
          "| difference |\n|---|---|---|---|---|---|---|---|---|\n";
    Plot plot;
    plot.title = "ISO 4037 narrow-series spectra as generated (air kerma per bin)";
    plot.x = {"photon energy (keV)", 0, 100, false, 10};
    plot.y = {"air kerma per 0.5 keV bin (relative, peak 1)", 0, 1.1, false, 0.2};
    int colour = 0;
    for (const IsoBeam& beam : ISO_NARROW_BEAMS) {
        const fs::path file = c.run / "iso" / beam.name / SPECTRUM_FILE;
        require(file);
        const SpectrumFile spectrum = loadSpectrum(file.string(), DescriptorLines::Read);
        const double averaged = kermaWeightedConversion(spectrum.spectrum, table);
        md << "| " << beam.name << " | " << fixed(spectrum.descriptor.tubeVoltageKv, 0) << " | "
           << fixed(spectrum.descriptor.inherentFiltrationMmAl, 1) << " mm Al + "
           << fixed(spectrum.descriptor.addedCopperMm, 1) << " mm Cu | "
           << fixed(meanEnergyKev(spectrum.spectrum), 1) << " | " << fixed(beam.meanEnergyKev, 0)
           << " | " << fixed(averaged, 3) << " | "
           << fixed(fluenceWeightedConversion(spectrum.spectrum, table), 3) << " | "
           << fixed(beam.hp3PerKerma, 2) << " | "
           << signedFixed(100.0 * (averaged / beam.hp3PerKerma - 1.0), 1) << " % |\n";
        PlotSeries series;
        series.label = beam.name;
        series.colour = COLOURS[colour++];
        series.style = SeriesStyle::Line;
        double peak = 0.0;
        for (int i = 1; i <= GRID_BINS; ++i) {
            peak = std::max(peak, spectrum.spectrum[i] * table.kermaCoefficient[i]);
        }
        for (int i = 1; i <= GRID_BINS && peak > 0.0; ++i) {
            series.x.push_back(binEnergyKev(i));
            series.y.push_back(spectrum.spectrum[i] * table.kermaCoefficient[i] / peak);
        }
        plot.series.push_back(series);
    }
    md << "\n" << c.plot("iso_spectra.svg", plot, "Air kerma spectra of N-60 and N-80") << "\n";
}

// ---------------------------------------------------------------- scatter fraction

struct ScatterRun {
    double kv = 0;
    double fieldAreaCm2 = 0;
    UncertaintyTable unc;
    app::RunConditions conditions;
};

ScatterRun loadScatterRun(const fs::path& folder) {
    const fs::path result = folder / "scatter.data";
    require(result);
    ScatterRun run;
    run.conditions = app::readResultConditions(result.string());
    run.kv = run.conditions.tubeVoltageKv;
    run.fieldAreaCm2 = run.conditions.fieldSizeXCm * run.conditions.fieldSizeYCm;
    run.unc = readUncertaintyFile(uncertaintyFileName(result.string()));
    return run;
}

void scatterSection(Context& c) {
    auto& md = c.md;
    std::vector<ScatterRun> runs = {loadScatterRun(c.run / "scatter" / "kv80"),
                                    loadScatterRun(c.run / "scatter" / "kv100")};
    const app::RunConditions& first = runs.front().conditions;
    md << "## 3. Scatter fraction against NCRP 147 / Simpkin–Dixon\n\n"
       << "`lumetrel` (" << runs.front().unc.estimator << " scoring, parallel mode) for "
       << fixed(runs[0].kv, 0) << " and " << fixed(runs[1].kv, 0) << " kV (constant potential, "
       << fixed(first.targetAngleDeg, 0) << "° target, " << fixed(first.inherentFiltrationMmAl, 1)
       << " + " << fixed(first.addedAluminiumMm, 1) << " mm Al), a "
       << fixed(first.phantomThicknessCm, 0) << " cm object at FSD "
       << fixed(first.focusSurfaceDistanceCm, 0) << " cm, " << fixed(first.fieldSizeYCm, 0) << " × "
       << fixed(first.fieldSizeXCm, 0) << " cm field, no curtain (lead "
       << fixed(first.curtainLeadMm, 2) << " mm), " << scientific(first.historyCount, 1)
       << " histories each. Korvana's air kerma ratio K at a measuring point (per unit primary "
          "air kerma at the entrance surface) becomes a scatter fraction by "
          "a = K · (r / 100 cm)² / A, with r the point's distance from the field centre on the "
          "entrance surface (points at x = 100 cm, z = 100 cot θ) and A the field area. The fit "
          "(in 10⁻⁶ cm⁻², θ in degrees): a = 8.434 + 1.60·10⁻² (kVp − 125) − 1.105·10⁻¹ θ + "
          "9.828·10⁻⁴ θ² − 1.741·10⁻⁶ θ³. Source: "
       << SCATTER_FRACTION_SOURCE << ".\n\n";

    Plot values;
    values.title = "Scatter fraction at 1 m per unit field area";
    values.x = {"scattering angle θ (degree)", 20, 160, false, 15};
    Plot ratios;
    ratios.title = "Korvana / NCRP 147 fit";
    ratios.x = values.x;
    std::vector<double> allValues;
    std::vector<double> allRatios = {1.0};
    std::vector<std::vector<double>> ratioPerRun;
    int colour = 0;
    for (const ScatterRun& run : runs) {
        md << "**" << fixed(run.kv, 0) << " kV**, field area " << fixed(run.fieldAreaCm2, 0)
           << " cm²\n\n"
           << "| θ (°) | r (cm) | K (Gy/Gy) | ± | a Korvana (10⁻⁶ cm⁻²) | a fit (10⁻⁶ cm⁻²) | "
              "Korvana / fit |\n|---|---|---|---|---|---|---|\n";
        PlotSeries measured;
        measured.label = "Korvana " + fixed(run.kv, 0) + " kV";
        measured.colour = COLOURS[colour];
        measured.style = SeriesStyle::Markers;
        PlotSeries fit;
        fit.label = "fit " + fixed(run.kv, 0) + " kV";
        fit.colour = COLOURS[colour];
        fit.style = SeriesStyle::Line;
        fit.dashed = true;
        PlotSeries ratio;
        ratio.label = fixed(run.kv, 0) + " kV";
        ratio.colour = COLOURS[colour];
        ++colour;
        std::vector<double> runRatios;
        for (int k = 0; k < POINT_COUNT; ++k) {
            const KermaUncertainty& point = run.unc.points[k];
            const double theta = angleAtPlace(k);
            const double r = pointDistanceCm(k);
            const double a = scatterFractionOf(point.airKermaRatio, r, run.fieldAreaCm2);
            const double aFit = fittedScatterFraction(theta, run.kv);
            const double relErr = point.relStdError.value_or(0.0);
            md << "| " << fixed(theta, 0) << " | " << fixed(r, 1) << " | "
               << scientific(point.airKermaRatio, 4) << " | "
               << (point.relStdError ? percent(*point.relStdError, 2) + " %" : "-") << " | "
               << fixed(a * 1e6, 3) << " | " << fixed(aFit * 1e6, 3) << " | " << fixed(a / aFit, 3)
               << " |\n";
            measured.x.push_back(theta);
            measured.y.push_back(a * 1e6);
            measured.yError.push_back(a * 1e6 * relErr);
            ratio.x.push_back(theta);
            ratio.y.push_back(a / aFit);
            ratio.yError.push_back(a / aFit * relErr);
            runRatios.push_back(a / aFit);
            allValues.push_back(a * 1e6);
            allRatios.push_back(a / aFit);
        }
        for (double theta = 30; theta <= 150.01; theta += 2.5) {
            fit.x.push_back(theta);
            fit.y.push_back(fittedScatterFraction(theta, run.kv) * 1e6);
            allValues.push_back(fit.y.back());
        }
        values.series.push_back(fit);
        values.series.push_back(measured);
        ratios.series.push_back(ratio);
        ratioPerRun.push_back(runRatios);
        md << "\n";
    }
    values.y = linearAxisFor("scatter fraction a (10⁻⁶ cm⁻²)", allValues, true);
    values.legendAtLeft = true;
    ratios.y = linearAxisFor("a Korvana / a fit", allRatios, true);
    ratios.horizontalLines = {1.0};
    ratios.legendAtLeft = true;
    md << c.plot("scatter_fraction.svg", values, "Scatter fraction against angle") << "\n"
       << c.plot("scatter_ratio.svg", ratios, "Korvana over the fit against angle") << "\n";

    // Where they differ, in this run's numbers.
    auto range = [&](int from, int to) {  // point indices, inclusive
        double low = INFINITY, high = -INFINITY;
        for (const auto& r : ratioPerRun) {
            for (int k = from; k <= to; ++k) {
                low = std::min(low, r[k]);
                high = std::max(high, r[k]);
            }
        }
        return fixed(low, 2) + " to " + fixed(high, 2);
    };
    md << "**Where and why they differ.** In this run Korvana gives " << range(0, 2)
       << " times the fit at the forward angles 30–60°, " << range(3, 5) << " at 75–105° and "
       << range(6, 8) << " at the backward angles 120–150°. The two are not the same quantity:\n\n"
       << "- The fit is a shielding-design envelope: a smooth cubic through scatter measured "
          "around phantoms, meant to bound the scattered kerma at 1 m for any direction and "
          "patient, and to be conservative. It depends on θ alone and on kVp only through one "
          "linear term, so it knows nothing of the object's thickness, the field's position in "
          "it or which side the measuring point is on.\n"
       << "- Korvana's points lie 100 cm to the side of the beam axis (x = 100 cm), beside an "
          "object 30 cm wide. A photon reaching a side point at θ near 90° leaves through the "
          "lateral face after crossing up to 15 cm of tissue sideways from the field, and one "
          "reaching a forward point (θ < 90°) has in addition to cross the rest of the slab "
          "towards its exit surface: both are attenuated on the way out, more at the lower "
          "voltage, which is why Korvana falls furthest below the fit at the forward and side "
          "angles and why the 80 kV ratios lie below the 100 kV ones.\n"
       << "- Backscattered photons (θ > 90°) come mostly from the first few centimetres below "
          "the entrance surface and leave through it with little tissue in the way; this is "
          "the situation closest to the phantom measurements behind the fit, and where the two "
          "agree best.\n"
       << "- r is taken from the field centre on the entrance surface, as the conversion asks; "
          "the scatter comes from a volume reaching into the object, so for the forward points "
          "the true distances are shorter and the inverse-square conversion is only "
          "approximate.\n\n";
}

// ---------------------------------------------------------------- next-event vs analog

struct ComparedCondition {
    std::string name;
    app::RunConditions analog;
    app::RunConditions nextEvent;
    UncertaintyTable analogUnc;
    UncertaintyTable nextEventUnc;
    PooledZ pooled;
};

std::string curtainText(const app::RunConditions& run) {
    if (run.curtainLeadMm <= 0.0) {
        return "none";
    }
    return fixed(run.curtainLeadMm, 2) + " mm Pb, L = " + fixed(run.curtainLengthCm, 0) + " cm" +
           (run.curtainLengthCm > 0.0 ? " (partly covering)" : " (whole side)");
}

//! The header of a table with a row per angle and a column per condition.
void angleTableHeader(std::ostream& md, const std::vector<ComparedCondition>& conditions) {
    md << "| θ (°) |";
    for (const ComparedCondition& cond : conditions) md << " " << cond.name << " |";
    md << "\n|---|";
    for (std::size_t i = 0; i < conditions.size(); ++i) md << "---|";
    md << "\n";
}

void comparisonSection(Context& c) {
    auto& md = c.md;
    std::vector<ComparedCondition> conditions;
    const fs::path root = c.run / "compare";
    require(root);
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.is_directory()) {
            folders.push_back(entry.path());
        }
    }
    std::sort(folders.begin(), folders.end());
    for (const fs::path& folder : folders) {
        ComparedCondition condition;
        condition.name = folder.filename().string();
        require(folder / "analog.data");
        require(folder / "next-event.data");
        condition.analog = app::readResultConditions((folder / "analog.data").string());
        condition.nextEvent = app::readResultConditions((folder / "next-event.data").string());
        condition.analogUnc = readUncertaintyFile((folder / "analog.unc.csv").string());
        condition.nextEventUnc = readUncertaintyFile((folder / "next-event.unc.csv").string());
        condition.pooled = pooledGridZ(condition.analogUnc, condition.nextEventUnc);
        conditions.push_back(std::move(condition));
    }

    md << "## 4. Next-event against analog scoring\n\n"
       << "Each condition is run twice with `lumetrel` in the parallel mode: analog scoring "
          "and the next-event estimator, with different seeds (the two estimators share the "
          "transport and its random numbers, so the same seed would correlate them and "
          "shrink z). For each of the nine points the ratio next-event / analog and "
          "z = (next-event − analog) / sqrt(s_a² + s_n²), with s the standard errors from the "
          "two `.unc.csv` files; for the 651 grid cells z pooled over the cells whose kerma is "
          "above 0 in both runs. Two honest estimates give z distributed about as a standard "
          "normal: RMS z near 1 and about 0.3 % of the cells beyond 3σ (2 of 651).\n\n"
       << "Histories as the result files record them (one significant digit).\n\n"
       << "| condition | kV | object (cm) | field (cm) | curtain | histories analog | histories "
          "next-event |\n|---|---|---|---|---|---|---|\n";
    for (const ComparedCondition& cond : conditions) {
        const app::RunConditions& r = cond.analog;
        md << "| " << cond.name << " | " << fixed(r.tubeVoltageKv, 0) << " | "
           << fixed(r.phantomThicknessCm, 0) << " | " << fixed(r.fieldSizeYCm, 0) << " × "
           << fixed(r.fieldSizeXCm, 0) << " | " << curtainText(r) << " | "
           << scientific(r.historyCount, 1) << " | " << scientific(cond.nextEvent.historyCount, 1)
           << " |\n";
    }
    md << "\nThe nine points, next-event / analog (z):\n\n";
    angleTableHeader(md, conditions);
    Plot points;
    points.title = "Measuring points: next-event / analog (±1 combined standard error)";
    points.x = {"scattering angle θ (degree)", 20, 160, false, 15};
    std::vector<double> allRatios = {1.0};
    int colour = 0;
    for (const ComparedCondition& cond : conditions) {
        PlotSeries series;
        series.label = cond.name;
        series.colour = COLOURS[colour % 5];
        series.style = SeriesStyle::Markers;
        for (int k = 0; k < POINT_COUNT; ++k) {
            const TallyComparison t =
                compareTally(cond.analogUnc.points[k], cond.nextEventUnc.points[k]);
            // Side by side: each condition's markers a little apart from the others'.
            series.x.push_back(angleAtPlace(k) + 1.5 * (colour - 1.5));
            series.y.push_back(t.ratio.value_or(NAN));
            series.yError.push_back(t.combinedRelErr.value_or(0.0));
            if (t.ratio && t.combinedRelErr) {
                allRatios.push_back(*t.ratio + *t.combinedRelErr);
                allRatios.push_back(*t.ratio - *t.combinedRelErr);
            }
        }
        ++colour;
        points.series.push_back(series);
    }
    for (int k = 0; k < POINT_COUNT; ++k) {
        md << "| " << fixed(angleAtPlace(k), 0) << " |";
        for (const ComparedCondition& cond : conditions) {
            const TallyComparison t =
                compareTally(cond.analogUnc.points[k], cond.nextEventUnc.points[k]);
            md << " " << orDash(t.ratio, 4) << " (" << (t.z ? signedFixed(*t.z, 2) : "-") << ") |";
        }
        md << "\n";
    }
    md << "\nRelative standard errors of the points (analog / next-event):\n\n";
    angleTableHeader(md, conditions);
    for (int k = 0; k < POINT_COUNT; ++k) {
        md << "| " << fixed(angleAtPlace(k), 0) << " |";
        for (const ComparedCondition& cond : conditions) {
            const auto& a = cond.analogUnc.points[k].relStdError;
            const auto& n = cond.nextEventUnc.points[k].relStdError;
            md << " " << (a ? percent(*a, 2) + " %" : "-") << " / "
               << (n ? percent(*n, 2) + " %" : "-") << " |";
        }
        md << "\n";
    }
    md << "\nThe grid, z pooled over the cells:\n\n"
       << "| condition | cells compared | RMS z | mean z | cells beyond 3σ | largest abs(z) | "
          "cells with few_histories |\n|---|---|---|---|---|---|---|\n";
    for (const ComparedCondition& cond : conditions) {
        const PooledZ& p = cond.pooled;
        md << "| " << cond.name << " | " << p.cells << " | " << fixed(p.rmsZ, 2) << " | "
           << signedFixed(p.meanZ, 2) << " | " << p.beyond3Sigma << " | " << fixed(p.largestAbsZ, 1)
           << " | " << p.fewHistories << " |\n";
    }
    points.y = linearAxisFor("next-event / analog", allRatios, false);
    points.horizontalLines = {1.0};
    md << "\n" << c.plot("next_event_points.svg", points, "Point ratios next-event over analog");

    // The distribution of grid z against the standard normal.
    constexpr double BIN = 0.5;
    constexpr double LIMIT = 6.0;
    const int bins = static_cast<int>(2 * LIMIT / BIN);
    Plot histogram;
    histogram.title = "Grid cells: distribution of z (outside ±6 counted in the end bins)";
    histogram.x = {"z = (next-event − analog) / combined standard error", -LIMIT, LIMIT, false, 1};
    std::vector<double> heights = {0.0};
    colour = 0;
    int largestCells = 0;
    for (const ComparedCondition& cond : conditions) {
        PlotSeries series;
        series.label = cond.name;
        series.colour = COLOURS[colour++ % 5];
        series.style = SeriesStyle::Steps;
        std::vector<double> counts(bins, 0.0);
        for (const double z : cond.pooled.zValues) {
            const int bin =
                std::clamp(static_cast<int>(std::floor((z + LIMIT) / BIN)), 0, bins - 1);
            counts[bin] += 1.0;
        }
        for (int i = 0; i <= bins; ++i) {
            series.x.push_back(-LIMIT + BIN * i);
        }
        series.y = counts;
        heights.insert(heights.end(), counts.begin(), counts.end());
        largestCells = std::max(largestCells, cond.pooled.cells);
        histogram.series.push_back(series);
    }
    PlotSeries normal;
    normal.label = "standard normal, " + std::to_string(largestCells) + " cells";
    normal.colour = "#000000";
    normal.style = SeriesStyle::Line;
    normal.dashed = true;
    for (double z = -LIMIT; z <= LIMIT + 1e-9; z += 0.1) {
        normal.x.push_back(z);
        normal.y.push_back(largestCells * BIN * std::exp(-0.5 * z * z) /
                           std::sqrt(2 * std::numbers::pi));
        heights.push_back(normal.y.back());
    }
    histogram.series.push_back(normal);
    histogram.y = linearAxisFor("cells per 0.5 in z", heights, true);
    md << c.plot("next_event_grid_z.svg", histogram, "Distribution of grid z") << "\n";
}

// ---------------------------------------------------------------- air mu_en/rho

void airSection(Context& c) {
    auto& md = c.md;
    const GridTable air =
        loadAirEnergyAbsorption((fs::path(c.settings.dataDir) / AIR_TABLE_FILE).string());
    md << "## 5. Air μen/ρ of the shipped table against NIST\n\n"
       << "`data/MU_en2016.dat` as the programs read it, at the NIST energies from 5 to 150 "
          "keV (all on the 0.5 keV grid). Source: "
       << NIST_SOURCE << ".\n\n"
       << "The NIST values are given to four significant digits; the last column is half a "
          "unit of their last digit, the difference their rounding alone can make. The "
          "shipped table holds six digits.\n\n"
       << "| E (keV) | shipped (cm²/g) | NIST (cm²/g) | difference | NIST rounding |\n"
          "|---|---|---|---|---|\n";
    Plot plot;
    plot.title = "Air μen/ρ: shipped table against NIST";
    plot.x = {"photon energy (keV)", 4, 200, true, 0};
    PlotSeries series;
    series.label = "(shipped − NIST) / NIST";
    series.style = SeriesStyle::LineMarkers;
    std::vector<double> diffs = {0.0};
    for (const NistValue& nist : NIST_AIR_MU_EN) {
        const int bin = static_cast<int>(std::lround(nist.keV / BIN_WIDTH_KEV));
        const double shipped = air[bin];
        const double diff = 100.0 * (shipped / nist.muEnRho - 1.0);
        md << "| " << fixed(nist.keV, 0) << " | " << scientific(shipped, 6) << " | "
           << scientific(nist.muEnRho, 4) << " | " << signedFixed(diff, 3) << " % | ± "
           << fixed(100.0 * 0.5e-3 * std::pow(10.0, std::floor(std::log10(nist.muEnRho))) /
                        nist.muEnRho,
                    3)
           << " % |\n";
        series.x.push_back(nist.keV);
        series.y.push_back(diff);
        diffs.push_back(diff);
    }
    plot.series.push_back(series);
    plot.y = linearAxisFor("difference (%)", diffs, true);
    plot.horizontalLines = {0.0};
    md << "\n" << c.plot("air_mu_en.svg", plot, "Air mu_en/rho difference from NIST") << "\n";
}

}  // namespace

void writeValidationReport(const ReportSettings& settings) {
    const fs::path report(settings.reportFile);
    Context c{settings,
              fs::path(settings.runDir),
              report.parent_path() / report.stem(),
              report.stem().string(),
              {}};
    fs::create_directories(c.plotDir);

    auto& md = c.md;
    md << "# Validation of Korvana\n\n"
       << "Made by `tools/validate.sh` on " << settings.date << " from commit `" << settings.commit
       << "`" << (settings.elapsed.empty() ? "" : " in " + settings.elapsed) << ". "
       << "Every Korvana number below comes from that run's programs (`korvana-spectrum`, "
          "`tavisen`, `lumetrel`) and the shipped tables; the published values are cited "
          "where they appear. Rerun with `tools/validate.sh` to regenerate this file and its "
          "plots.\n\n";
    if (!settings.notes.empty()) {
        md << "How the runs were made:\n\n";
        for (const std::string& note : settings.notes) {
            md << "- " << note << "\n";
        }
        md << "\n";
    }
    hvlSection(c);
    isoSection(c);
    scatterSection(c);
    comparisonSection(c);
    airSection(c);

    std::ofstream out(report, std::ios::binary);
    out << md.str();
    if (!out) {
        throw DataError(report.string() + ": cannot be written - check the folder and its space");
    }
}

}  // namespace korvana::validation
