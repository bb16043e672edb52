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
#include "app/validation/shield_transmission.h"
#include "app/validation/svg_plot.h"
#include "common/data_error.h"
#include "common/file_names.h"
#include "common/grid_tables.h"
#include "common/points_file.h"
#include "common/result_layout.h"
#include "common/scene_file.h"
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
    //! The room both runs simulated (the analog run's scene file); empty without one.
    std::optional<SceneDescription> scene;
};

//! The pairs in the folders under `root`, in name order: analog.data and
//! next-event.data with their uncertainty files, and the scene saved beside
//! the analog result when the runs had one.
std::vector<ComparedCondition> loadComparedConditions(const fs::path& root) {
    require(root);
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.is_directory()) {
            folders.push_back(entry.path());
        }
    }
    std::sort(folders.begin(), folders.end());
    std::vector<ComparedCondition> conditions;
    for (const fs::path& folder : folders) {
        ComparedCondition condition;
        condition.name = folder.filename().string();
        const fs::path analog = folder / "analog.data";
        const fs::path nextEvent = folder / "next-event.data";
        require(analog);
        require(nextEvent);
        condition.analog = app::readResultConditions(analog.string());
        condition.nextEvent = app::readResultConditions(nextEvent.string());
        condition.analogUnc = readUncertaintyFile(uncertaintyFileName(analog.string()));
        condition.nextEventUnc = readUncertaintyFile(uncertaintyFileName(nextEvent.string()));
        condition.pooled = pooledGridZ(condition.analogUnc, condition.nextEventUnc);
        const fs::path scene = sceneFileName(analog.string());
        if (fs::exists(scene)) {
            condition.scene = readSceneFile(scene.string());
        }
        conditions.push_back(std::move(condition));
    }
    return conditions;
}

//! The largest abs(z) of the nine points; 0 when none was compared.
double largestPointZ(const ComparedCondition& cond) {
    double largest = 0.0;
    for (int k = 0; k < POINT_COUNT; ++k) {
        const std::optional<double> z =
            compareTally(cond.analogUnc.points[k], cond.nextEventUnc.points[k]).z;
        if (z) {
            largest = std::max(largest, std::abs(*z));
        }
    }
    return largest;
}

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

void comparisonTables(Context& c, const std::vector<ComparedCondition>& conditions,
                      const std::string& plotPrefix);

void comparisonSection(Context& c) {
    auto& md = c.md;
    const std::vector<ComparedCondition> conditions = loadComparedConditions(c.run / "compare");

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
    comparisonTables(c, conditions, "");
}

//! The tables and plots of a set of pairs: each point's ratio and z, the
//! points' errors, z pooled over the grid, and the plots of both, named with
//! `plotPrefix` in front.
void comparisonTables(Context& c, const std::vector<ComparedCondition>& conditions,
                      const std::string& plotPrefix) {
    auto& md = c.md;
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
            series.x.push_back(angleAtPlace(k) +
                               1.5 * (colour - 0.5 * static_cast<double>(conditions.size() - 1)));
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
    md << "\n"
       << c.plot(plotPrefix + "next_event_points.svg", points,
                 "Point ratios next-event over analog");

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
    md << c.plot(plotPrefix + "next_event_grid_z.svg", histogram, "Distribution of grid z") << "\n";
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

// ---------------------------------------------------------------- the room

//! Next-event and analog agree on a room when the grid's RMS z stays within
//! this and no point's abs(z) exceeds POINT_Z_LIMIT.
constexpr double ROOM_GRID_RMS_Z_LIMIT = 1.2;
constexpr double ROOM_POINT_Z_LIMIT = 3.0;

std::string shortNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string position(const std::array<double, 3>& p) {
    return "(" + shortNumber(p[0]) + ", " + shortNumber(p[1]) + ", " + shortNumber(p[2]) + ") cm";
}

std::string shieldText(const SceneShield& shield) {
    return fixed(shield.leadMm, 2) + " mm Pb, " + shortNumber(shield.widthCm) + " × " +
           shortNumber(shield.heightCm) + " cm (y × z) centred at " + position(shield.centreCm) +
           (shield.tiltDeg != 0.0 ? ", tilted " + shortNumber(shield.tiltDeg) + "°" : "");
}

//! The room's parts in words, for the tables.
std::string sceneText(const SceneDescription& scene) {
    std::vector<std::string> parts;
    for (const SceneShield& shield : scene.shields) {
        parts.push_back("shield " + shieldText(shield));
    }
    if (scene.curtain) {
        parts.push_back("curtain " + shortNumber(scene.curtain->widthCm) +
                        " cm wide at y = " + shortNumber(scene.curtain->centreYCm) + " cm");
    }
    if (scene.table) {
        parts.push_back("table " + fixed(scene.table->alEquivalentMm, 1) + " mm Al on the " +
                        (scene.table->side == TableSide::Exit ? "exit" : "entrance") +
                        " surface, " + shortNumber(scene.table->widthCm) + " cm wide");
    }
    for (const SceneEyePoint& eye : scene.eyePoints) {
        parts.push_back("eye point " + eye.name + " at " + position(eye.positionCm));
    }
    if (parts.empty()) {
        return "none";
    }
    std::string text = parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) text += "; " + parts[i];
    return text;
}

SceneDescription sceneBeside(const fs::path& result) {
    const fs::path file = sceneFileName(result.string());
    require(file);
    return readSceneFile(file.string());
}

//! The unshielded run of the room's runs: its conditions, tallies and spectra.
struct OpenRun {
    fs::path file;
    app::ResultSet result;
    UncertaintyTable unc;
};

void roomComparison(Context& c, const OpenRun& open) {
    auto& md = c.md;
    const std::vector<ComparedCondition> conditions =
        loadComparedConditions(c.run / "rooms" / "compare");
    md << "### 6.1 Next-event against analog with shields and the table\n\n"
       << "Each room is run by both estimators as in section 4 (different seeds, the same "
          "statistics). A shield or the table is not a transport region: both estimators "
          "multiply every scored contribution whose straight path crosses it by "
          "exp(−μ·t / cos(incidence)), the analog one for the photons that cross a disc, the "
          "next-event one for its rays. They share that rule but reach the discs by entirely "
          "different paths, so agreement tests the crossings' geometry (partial cover, the "
          "tilt, the table beside the exit surface) as well as the estimators. The rooms are "
          "chosen so that the lead covers some points and leaves others free, as the last "
          "table shows: a shield in the plane x = 62 cm over z from −60 to 0 shades the points "
          "at 105° and 120°, its edges pass through the views of the 90° and 135° points, and "
          "the others see past it. It stands between two grid columns (x = 60 and 65 cm); "
          "a disc lying in a shield's own plane is taken as not behind it by both "
          "estimators.\n\n"
       << "Passes when the grid's RMS z is at most " << fixed(ROOM_GRID_RMS_Z_LIMIT, 1)
       << " and every point's abs(z) at most " << fixed(ROOM_POINT_Z_LIMIT, 0) << ".\n\n"
       << "| condition | kV | object (cm) | field (cm) | room (scene file) | histories analog | "
          "histories next-event |\n|---|---|---|---|---|---|---|\n";
    for (const ComparedCondition& cond : conditions) {
        const app::RunConditions& r = cond.analog;
        md << "| " << cond.name << " | " << fixed(r.tubeVoltageKv, 0) << " | "
           << fixed(r.phantomThicknessCm, 0) << " | " << fixed(r.fieldSizeYCm, 0) << " × "
           << fixed(r.fieldSizeXCm, 0) << " | " << (cond.scene ? sceneText(*cond.scene) : "none")
           << " | " << scientific(r.historyCount, 1) << " | "
           << scientific(cond.nextEvent.historyCount, 1) << " |\n";
    }
    comparisonTables(c, conditions, "room_");
    md << "Against the criteria:\n\n"
       << "| condition | grid RMS z (≤ " << fixed(ROOM_GRID_RMS_Z_LIMIT, 1)
       << ") | largest point abs(z) (≤ " << fixed(ROOM_POINT_Z_LIMIT, 0)
       << ") | result |\n|---|---|---|---|\n";
    for (const ComparedCondition& cond : conditions) {
        const double pointZ = largestPointZ(cond);
        const bool passes =
            cond.pooled.rmsZ <= ROOM_GRID_RMS_Z_LIMIT && pointZ <= ROOM_POINT_Z_LIMIT;
        md << "| " << cond.name << " | " << fixed(cond.pooled.rmsZ, 2) << " | " << fixed(pointZ, 2)
           << " | " << (passes ? "passes" : "**fails**") << " |\n";
    }
    md << "\n";

    // Where each room's lead lies: the points' next-event kerma against the
    // unshielded run of 6.2, made for the same conditions.
    const auto sameConditions = [&](const app::RunConditions& r) {  // all but the histories
        auto a = conditionValues(r);
        auto b = conditionValues(open.result.conditions);
        a.back() = b.back() = 0.0;
        return a == b;
    };
    std::vector<const ComparedCondition*> alike;
    for (const ComparedCondition& cond : conditions) {
        if (sameConditions(cond.nextEvent)) alike.push_back(&cond);
    }
    if (alike.empty()) {
        return;
    }
    md << "The share of each point's kerma the room leaves: next-event with the room over "
          "the unshielded next-event run of 6.2 (the same conditions, another seed: where "
          "nothing is in the way it differs from 1 by the two runs' statistics alone, a few "
          "tenths of a percent):\n\n| θ (°) |";
    for (const ComparedCondition* cond : alike) md << " " << cond->name << " |";
    md << "\n|---|";
    for (std::size_t i = 0; i < alike.size(); ++i) md << "---|";
    md << "\n";
    for (int k = 0; k < POINT_COUNT; ++k) {
        md << "| " << fixed(angleAtPlace(k), 0) << " |";
        const double bare = open.unc.points[k].airKermaRatio;
        for (const ComparedCondition* cond : alike) {
            md << " "
               << (bare > 0.0 ? fixed(cond->nextEventUnc.points[k].airKermaRatio / bare, 4)
                              : std::string("-"))
               << " |";
        }
        md << "\n";
    }
    md << "\n";
}

void shieldTransmission(Context& c, const OpenRun& openRun, const GridTable& air,
                        const GridTable& lead) {
    auto& md = c.md;
    const fs::path shieldedFile = c.run / "rooms" / "shielding" / "full-cover.data";
    require(shieldedFile);
    const app::ResultSet& open = openRun.result;
    const UncertaintyTable& openUnc = openRun.unc;
    const UncertaintyTable shieldedUnc =
        readUncertaintyFile(uncertaintyFileName(shieldedFile.string()));
    const SceneDescription scene = sceneBeside(shieldedFile);
    if (scene.shields.size() != 1) {
        throw DataError(sceneFileName(shieldedFile.string()) +
                        ": holds no single shield - run tools/validate.sh again");
    }
    const SceneShield& shield = scene.shields.front();
    const double leadCm = shield.leadMm / 10.0;
    const app::RunConditions& r = open.conditions;

    md << "### 6.2 A full-cover shield's transmission against exp(−μ·t)\n\n"
       << "Two next-event runs with the same seed (" << fixed(r.tubeVoltageKv, 0) << " kV, a "
       << fixed(r.phantomThicknessCm, 0) << " cm object, " << fixed(r.fieldSizeYCm, 0) << " × "
       << fixed(r.fieldSizeXCm, 0) << " cm field, no curtain, " << scientific(r.historyCount, 1)
       << " histories): one without a shield, one behind a shield of " << shieldText(shield)
       << ", which covers everything the measuring points see. With the same seed the "
          "transport is the same photon for photon and only the shield's factor differs, so "
          "the ratio of the two kermas carries little of either run's noise. It is compared "
          "with the spectrum-weighted transmission of the lead computed from the unshielded "
          "run alone: the point's scattered spectrum N(E) from the result file, the air kerma "
          "each bin carries E·μen/ρ(E) from `MU_en2016.dat`, and exp(−μPb(E)·t) from `Pb.dat`: "
          "T = Σ N·E·μen/ρ·exp(−μ·t) / Σ N·E·μen/ρ, at normal incidence, each score bin taken "
          "at its centre (bin b counts the photons of 0.5·(b − 1) to 0.5·b keV; at the bins' "
          "upper edges the lead's μ would be lower and T a few percent higher, more than the "
          "obliquity makes). The equivalent "
          "path factor s solves T(s·t) = the run's ratio: the one obliquity 1/cos that would "
          "explain it. The last column is T along the straight line from the field centre "
          "to the point (s = 1/sin θ), a rough guide to the obliquity of each point's paths.\n\n"
       << "| θ (°) | K unshielded (Gy/Gy) | ± | shielded / unshielded | T normal incidence | "
          "ratio / T − 1 | equivalent s (angle) | T along the line from the field centre |\n"
          "|---|---|---|---|---|---|---|---|\n";
    std::optional<double> ratio90;
    double t90 = 0.0;
    std::optional<double> s90;
    for (int k = 0; k < POINT_COUNT; ++k) {
        const KermaUncertainty& a = openUnc.points[k];
        const KermaUncertainty& b = shieldedUnc.points[k];
        const app::BinValues& photons = open.rawScatterSpectra[static_cast<std::size_t>(k + 1)];
        const double normal = kermaWeightedTransmission(photons, air, lead, leadCm);
        const double theta = angleAtPlace(k);
        const double alongLine = kermaWeightedTransmission(
            photons, air, lead, leadCm, 1.0 / std::sin(theta * std::numbers::pi / 180.0));
        if (a.airKermaRatio <= 0.0 || normal <= 0.0) {
            md << "| " << fixed(theta, 0) << " | - | - | - | - | - | - | - |\n";
            continue;
        }
        const double ratio = b.airKermaRatio / a.airKermaRatio;
        const std::optional<double> s = equivalentPathFactor(photons, air, lead, leadCm, ratio);
        md << "| " << fixed(theta, 0) << " | " << scientific(a.airKermaRatio, 4) << " | "
           << (a.relStdError ? percent(*a.relStdError, 2) + " %" : "-") << " | "
           << scientific(ratio, 4) << " | " << scientific(normal, 4) << " | "
           << signedFixed(100.0 * (ratio / normal - 1.0), 1) << " % | "
           << (s ? fixed(*s, 3) + " (" + fixed(std::acos(1.0 / *s) * 180.0 / std::numbers::pi, 1) +
                       "°)"
                 : "-")
           << " | " << scientific(alongLine, 4) << " |\n";
        if (theta == 90.0) {
            ratio90 = ratio;
            t90 = normal;
            s90 = s;
        }
    }
    md << "\n";
    if (ratio90) {
        md << "**At 90°** the shield passes " << percent(*ratio90, 2) << " % of the kerma, "
           << "the spectrum-weighted exp(−μPb·t) " << percent(t90, 2)
           << " %: " << signedFixed(100.0 * (*ratio90 / t90 - 1.0), 1) << " %";
        if (s90) {
            md << ", as if every path crossed the lead at "
               << fixed(std::acos(1.0 / *s90) * 180.0 / std::numbers::pi, 1) << "° from its normal";
        }
        md << ". ";
    }
    md << "The difference is the obliquity: the scatter leaves the object from a volume "
          "reaching 15 cm to either side of the beam, 20 cm along it and into its depth, so "
          "the paths from the object to the 90° disc (5 cm radius, 100 cm away) meet the "
          "shield's plane at small angles to its normal, and each crosses t / cos of lead; "
          "exp(−μ·t / cos) lies below exp(−μ·t). The effect grows with the lead's "
          "attenuation, at the low energies of the spectrum first, and with the point's angle "
          "from 90°: the forward and backward points are seen through the plane x = 60 cm at "
          "steep angles, and their ratios approach the line-from-the-centre column instead. "
          "A ratio above the normal-incidence T would mean scatter reaching the point around "
          "or without crossing the shield, which this shield's size excludes.\n\n";
}

void ceilingShield(Context& c, const OpenRun& openRun, const GridTable& air,
                   const GridTable& lead) {
    auto& md = c.md;
    const fs::path folder = c.run / "rooms" / "shielding";
    const fs::path& openFile = openRun.file;
    const fs::path shieldedFile = folder / "ceiling.data";
    require(pointsFileName(openFile.string()));
    require(pointsFileName(shieldedFile.string()));
    const EyePointTable open = readPointsFile(pointsFileName(openFile.string()));
    const EyePointTable shielded = readPointsFile(pointsFileName(shieldedFile.string()));
    const SceneDescription scene = sceneBeside(shieldedFile);
    if (open.points.size() != 1 || shielded.points.size() != 1 || scene.shields.size() != 1) {
        throw DataError(folder.string() +
                        ": the ceiling runs hold not one eye point and one shield - run "
                        "tools/validate.sh again");
    }
    const EyePointResult& bare = open.points.front();
    const EyePointResult& behind = shielded.points.front();
    const SceneShield& shield = scene.shields.front();
    const double ratio = bare.airKermaRatio > 0.0 ? behind.airKermaRatio / bare.airKermaRatio : 0;

    // The sheet alone: the lead's kerma-weighted transmission at normal
    // incidence for the spectrum of the measuring point nearest in angle to
    // the eye (the unshielded run's).
    const auto& p = bare.positionCm;
    const double eyeAngle = std::acos(p[2] / std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2])) *
                            180.0 / std::numbers::pi;
    const int nearest = std::clamp(
        static_cast<int>(std::lround((eyeAngle - FIRST_POINT_ANGLE_DEG) / POINT_ANGLE_STEP_DEG)), 0,
        POINT_COUNT - 1);
    const double sheet = kermaWeightedTransmission(
        openRun.result.rawScatterSpectra[static_cast<std::size_t>(nearest + 1)], air, lead,
        shield.leadMm / 10.0);

    auto kerma = [](const EyePointResult& e) {
        return scientific(e.airKermaRatio, 4) + " ± " +
               (e.relErrPercent ? fixed(*e.relErrPercent, 2) + " %" : "-");
    };
    md << "### 6.3 A ceiling shield's eye-lens reduction against published values\n\n"
       << "The operator's eye as an eye point " << fixed(p[0], 0) << " cm beside the beam and "
       << fixed(-p[2], 0) << " cm above the entrance surface, at " << position(p)
       << ", scored by the next-event estimator in the unshielded run of 6.2 and in the same "
          "run (same seed) with a ceiling-suspended shield of "
       << shieldText(shield)
       << " hung between the eye and the object, close to the operator as the 2018 study "
          "below recommends. It covers every straight path from the object to the eye. The eye's "
          "air kerma stands for its lens dose: the shield "
          "changes the spectrum a little, the conversion to Hp(3) hardly.\n\n"
       << "| | eye point air kerma (Gy/Gy) |\n|---|---|\n"
       << "| without the shield | " << kerma(bare) << " |\n"
       << "| behind the ceiling shield | " << kerma(behind) << " |\n"
       << "| reduction | " << percent(1.0 - ratio, 1) << " % |\n"
       << "| the sheet alone at normal incidence (spectrum of the " << pointAngleDeg(nearest + 1)
       << "° point) | " << percent(1.0 - sheet, 1) << " % |\n\n"
       << "| source | how | eye-lens dose reduction by a ceiling-suspended shield |\n"
          "|---|---|---|\n"
       << "| " << CEILING_SHIELD_MONTE_CARLO_SOURCE
       << " | Monte Carlo, operator phantom, "
          "over- and under-couch tubes | up to "
       << fixed(CEILING_SHIELD_MONTE_CARLO_REDUCTION_PERCENT, 0) << " % when placed correctly |\n"
       << "| " << CEILING_SHIELD_MEASURED_SOURCE
       << " | measured, obese-patient phantom, "
          "several projections | up to "
       << fixed(CEILING_SHIELD_MEASURED_REDUCTION_PERCENT, 0)
       << " % at the physician's position |\n"
       << "| Korvana, this run | next-event, the geometry above | " << percent(1.0 - ratio, 1)
       << " % |\n\n"
       << "**Why Korvana's reduction is larger.** In Korvana only the object scatters: the "
          "eye receives the photons that leave the object and fly straight to it, and a "
          "shield that blocks every such path leaves only what passes through the lead: the "
          "reduction is about the sheet's at normal incidence above, a little larger as the "
          "paths cross the lead obliquely. In a room "
          "the eye also receives scatter from the operator's own body and arms, the table, "
          "the floor, the walls and the image receptor, and from the shield's edges and "
          "whatever reaches round them as the operator leans; none of it is modelled, and none "
          "of it is stopped by the shield. The published reductions are the best placements "
          "of their studies, and most placements in them reduce less; Korvana's figure is the "
          "bound a shield that covers the whole object as seen from the eye can reach, and "
          "moving the eye point past the shield's edge in the scene shows how quickly it is "
          "lost.\n\n";
}

void roomSection(Context& c) {
    const GridTable air =
        loadAirEnergyAbsorption((fs::path(c.settings.dataDir) / AIR_TABLE_FILE).string());
    const GridTable lead =
        loadLeadAttenuation((fs::path(c.settings.dataDir) / LEAD_TABLE_FILE).string());
    c.md << "## 6. The room: shields, the table and eye points\n\n"
         << "Runs of `lumetrel --scene FILE` (a room described in a scene file; the one each "
            "run used is saved beside its result as NAME.scene.json).\n\n";
    OpenRun open;
    open.file = c.run / "rooms" / "shielding" / "open.data";
    require(open.file);
    open.result = app::readResultSet(open.file.string());
    open.unc = readUncertaintyFile(uncertaintyFileName(open.file.string()));
    roomComparison(c, open);
    shieldTransmission(c, open, air, lead);
    ceilingShield(c, open, air, lead);
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
    roomSection(c);

    std::ofstream out(report, std::ios::binary);
    out << md.str();
    if (!out) {
        throw DataError(report.string() + ": cannot be written - check the folder and its space");
    }
}

}  // namespace korvana::validation
