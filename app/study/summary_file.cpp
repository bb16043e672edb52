#include "app/study/summary_file.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <stdexcept>

#include "common/csv.h"
#include "common/data_error.h"
#include "common/text_file.h"

namespace korvana::study {

namespace {

// The angles [degree] of measuring points first..last, in the result file's order.
std::vector<int> pointAngles(int first, int last) {
    std::vector<int> angles;
    for (int k = first; k <= last; ++k) angles.push_back(pointAngleDeg(k));
    return angles;
}
const std::vector<int> KERMA_ANGLES = pointAngles(1, POINT_COUNT);
const std::vector<int> EYE_ANGLES = pointAngles(FIRST_SHOWN_POINT, LAST_SHOWN_POINT);

std::vector<std::string> buildHeader(bool withWorkload) {
    std::vector<std::string> header = {"condition", "condition_count", "folder"};
    for (std::size_t n = 0; n < FORM_INPUT_COUNT; ++n) {
        header.emplace_back(inputDescriptions()[n].column);
    }
    header.insert(header.end(), {"estimator", "hvl1_mm_al", "eeff_kev"});
    for (int angle : KERMA_ANGLES) header.push_back("kerma_" + std::to_string(angle));
    for (int angle : KERMA_ANGLES) {
        header.push_back("kerma_" + std::to_string(angle) + "_rel_err_percent");
    }
    for (int angle : KERMA_ANGLES) {
        header.push_back("kerma_" + std::to_string(angle) + "_unstable");
    }
    for (const char* name : {"eye_lens_", "eye_lens_glasses_"}) {
        for (int angle : EYE_ANGLES) header.push_back(name + std::to_string(angle));
        for (int angle : EYE_ANGLES) {
            header.push_back(name + std::to_string(angle) + "_rel_err_percent");
        }
    }
    if (withWorkload) {
        for (const char* name : {"annual_eye_lens_", "annual_eye_lens_glasses_"}) {
            for (int angle : EYE_ANGLES) header.push_back(name + std::to_string(angle) + "_msv");
            for (int angle : EYE_ANGLES) {
                header.push_back(name + std::to_string(angle) + "_msv_rel_err_percent");
            }
        }
        for (const char* name : {"procedures_below_20_msv_", "procedures_below_20_msv_glasses_"}) {
            for (int angle : EYE_ANGLES) header.push_back(name + std::to_string(angle));
        }
        header.insert(
            header.end(),
            {"annual_eye_position_msv", "annual_eye_position_msv_rel_err_percent",
             "annual_eye_position_glasses_msv", "annual_eye_position_glasses_msv_rel_err_percent",
             "procedures_below_20_msv_eye_position",
             "procedures_below_20_msv_glasses_eye_position"});
    }
    header.emplace_back("status");
    return header;
}

// The shortest text that reads back to the same double.
std::string numberCell(double value) { return csvNumber(value); }

//! Doses computed from the kermas carry the kermas' four significant digits.
constexpr int DOSE_DIGITS = 4;

std::string doseCell(double value) { return csvNumber(value, DOSE_DIGITS); }

template <std::size_t N>
void appendDoses(SummaryRow& row, const std::array<std::optional<double>, N>& values) {
    for (const auto& value : values) row.push_back(csvNumber(value, DOSE_DIGITS));
}

//! Relative errors in per cent, as every other table of Korvana gives them.
template <std::size_t N>
void appendPercent(SummaryRow& row, const std::array<std::optional<double>, N>& fractions) {
    for (const auto& fraction : fractions) {
        row.push_back(fraction ? csvNumber(*fraction * 100.0, 6) : std::string());
    }
}

std::string percentCell(const std::optional<double>& percent) {
    return percent ? csvNumber(*percent, 6) : std::string();
}

// The annual cells, in header order, from the seven angles and the eye.
void appendAnnual(SummaryRow& row, const std::vector<app::AnnualDosePoint>& points) {
    const auto dose = [](const app::AnnualDosePoint& p, bool glasses) {
        return glasses ? p.glasses : p.bare;
    };
    const auto angles = [&](const auto& cellOf) {
        for (const app::AnnualDosePoint& p : points) {
            if (!p.eye) row.push_back(cellOf(p));
        }
    };
    for (const bool glasses : {false, true}) {
        angles([&](const app::AnnualDosePoint& p) {
            const auto d = dose(p, glasses);
            return d ? doseCell(d->annualMsv) : std::string();
        });
        angles([&](const app::AnnualDosePoint& p) {
            const auto d = dose(p, glasses);
            return d ? percentCell(d->relStdErrorPercent) : std::string();
        });
    }
    const auto count = [](const std::optional<app::AnnualDose>& d) {
        return d && d->proceduresBelowLimit ? std::to_string(*d->proceduresBelowLimit)
                                            : std::string();
    };
    for (const bool glasses : {false, true}) {
        angles([&](const app::AnnualDosePoint& p) { return count(dose(p, glasses)); });
    }
    const app::AnnualDosePoint* eye = nullptr;
    for (const app::AnnualDosePoint& p : points) {
        if (p.eye) eye = &p;
    }
    for (const bool glasses : {false, true}) {
        const auto d = eye ? dose(*eye, glasses) : std::nullopt;
        row.push_back(d ? doseCell(d->annualMsv) : std::string());
        row.push_back(d ? percentCell(d->relStdErrorPercent) : std::string());
    }
    row.push_back(eye ? count(eye->bare) : std::string());
    row.push_back(eye ? count(eye->glasses) : std::string());
}

const std::string EYE_POINT_PREFIX = "eye_point_";
const std::string EYE_KERMA_SUFFIX = "_air_kerma_ratio";
const std::string EYE_ERROR_SUFFIX = "_rel_err_percent";

// The scene's columns: its inputs, then the pair of each eye point.
std::vector<std::string> sceneColumns(const SummaryLayout& layout) {
    std::vector<std::string> columns;
    if (!layout.scene) return columns;
    for (std::size_t n = FORM_INPUT_COUNT; n < INPUT_COUNT; ++n) {
        columns.emplace_back(inputDescriptions()[n].column);
    }
    for (const std::string& name : layout.eyePoints) {
        columns.push_back(EYE_POINT_PREFIX + name + EYE_KERMA_SUFFIX);
        columns.push_back(EYE_POINT_PREFIX + name + EYE_ERROR_SUFFIX);
    }
    return columns;
}

// The layout a header gives, none when no layout gives it.
std::optional<SummaryLayout> layoutOfHeader(const std::vector<std::string>& header) {
    SummaryLayout layout;
    layout.workload =
        header.size() >= summaryHeader(true).size() &&
        std::equal(summaryHeader(true).begin(), summaryHeader(true).end() - 1, header.begin());
    const std::vector<std::string>& base = summaryHeader(layout.workload);
    if (header.size() < base.size() || !std::equal(base.begin(), base.end() - 1, header.begin()) ||
        header.back() != "status") {
        return std::nullopt;
    }
    const std::size_t sceneStart = base.size() - 1;
    if (header.size() == base.size()) return layout;
    layout.scene = true;
    const std::size_t eyeStart = sceneStart + (INPUT_COUNT - FORM_INPUT_COUNT);
    if (header.size() < eyeStart + 1 || (header.size() - 1 - eyeStart) % 2 != 0) return {};
    for (std::size_t n = eyeStart; n + 1 < header.size(); n += 2) {
        const std::string& kerma = header[n];
        const std::size_t fixed = EYE_POINT_PREFIX.size() + EYE_KERMA_SUFFIX.size();
        if (kerma.size() <= fixed || !kerma.starts_with(EYE_POINT_PREFIX) ||
            !kerma.ends_with(EYE_KERMA_SUFFIX)) {
            return std::nullopt;
        }
        layout.eyePoints.push_back(kerma.substr(EYE_POINT_PREFIX.size(), kerma.size() - fixed));
    }
    if (summaryHeaderOf(layout) != header) return std::nullopt;
    return layout;
}

}  // namespace

SummaryLayout layoutWithoutScene(bool withWorkload) {
    SummaryLayout layout;
    layout.workload = withWorkload;
    return layout;
}

SummaryLayout summaryLayout(const StudyOptions& options) {
    SummaryLayout layout;
    layout.workload = options.workload.workload.has_value();
    layout.scene = options.scene.has_value();
    if (options.scene) {
        for (const SceneEyePoint& point : options.scene->eyePoints) {
            layout.eyePoints.push_back(point.name);
        }
    }
    return layout;
}

std::vector<std::string> summaryHeaderOf(const SummaryLayout& layout) {
    std::vector<std::string> header = summaryHeader(layout.workload);
    const std::vector<std::string> scene = sceneColumns(layout);
    header.insert(header.end() - 1, scene.begin(), scene.end());
    return header;
}

std::size_t summaryColumnOf(const SummaryLayout& layout, std::string_view name) {
    const std::vector<std::string> header = summaryHeaderOf(layout);
    const auto it = std::find(header.begin(), header.end(), name);
    if (it == header.end()) throw std::out_of_range("no summary column " + std::string(name));
    return static_cast<std::size_t>(it - header.begin());
}

const std::string& cellOf(const SummaryRow& row, const SummaryLayout& layout,
                          std::string_view column) {
    if (column == "status") return rowStatus(row);
    return row.at(summaryColumnOf(layout, column));
}

const std::string& inputCell(const SummaryRow& row, const SummaryLayout& layout, StudyInput input) {
    static const std::string none;
    if (isSceneInput(input) && !layout.scene) return none;
    return cellOf(row, layout, describe(input).column);
}

bool statusIsOk(std::string_view status) { return status == "ok" || status.substr(0, 4) == "ok, "; }

const std::vector<std::string>& summaryHeader(bool withWorkload) {
    static const std::vector<std::string> plain = buildHeader(false);
    static const std::vector<std::string> annual = buildHeader(true);
    return withWorkload ? annual : plain;
}

bool rowHasWorkload(const SummaryRow& row) { return row.size() == summaryHeader(true).size(); }

std::size_t summaryColumn(std::string_view name) {
    for (const bool withWorkload : {false, true}) {
        const std::vector<std::string>& header = summaryHeader(withWorkload);
        const auto it = std::find(header.begin(), header.end(), name);
        if (it != header.end()) return static_cast<std::size_t>(it - header.begin());
    }
    throw std::out_of_range("no summary column " + std::string(name));
}

const std::string& cellOf(const SummaryRow& row, std::string_view column) {
    if (column == "status") return rowStatus(row);
    return row.at(summaryColumn(column));
}

const std::string& inputCell(const SummaryRow& row, StudyInput input) {
    return inputCell(row, layoutWithoutScene(rowHasWorkload(row)), input);
}

const std::string& rowStatus(const SummaryRow& row) { return row.at(row.size() - 1); }

SummaryRow summaryRow(const Condition& condition, std::size_t conditionCount,
                      const std::optional<std::string>& estimator,
                      const std::optional<ConditionResult>& result, const std::string& failure,
                      bool withWorkload) {
    return summaryRow(condition, conditionCount, estimator, result, failure,
                      layoutWithoutScene(withWorkload));
}

SummaryRow summaryRow(const Condition& condition, std::size_t conditionCount,
                      const std::optional<std::string>& estimator,
                      const std::optional<ConditionResult>& result, const std::string& failure,
                      const SummaryLayout& layout) {
    const bool withWorkload = layout.workload;
    SummaryRow row = {std::to_string(condition.index), std::to_string(conditionCount),
                      condition.folder};
    row.insert(row.end(), condition.inputs.begin(), condition.inputs.begin() + FORM_INPUT_COUNT);
    row.push_back(estimator.value_or(""));
    // The cells up to the scene's, status excluded.
    const std::size_t sceneStart = summaryHeader(withWorkload).size() - 1;
    // The scene's cells: its inputs, then each eye point's, found by name.
    bool unstableEye = false;
    const auto appendScene = [&] {
        if (!layout.scene) return;
        row.insert(row.end(), condition.inputs.begin() + FORM_INPUT_COUNT, condition.inputs.end());
        for (const std::string& name : layout.eyePoints) {
            const EyePointResult* point = nullptr;
            if (result) {
                for (const EyePointResult& p : result->eyePoints) {
                    if (p.name == name) point = &p;
                }
            }
            row.push_back(point ? numberCell(point->airKermaRatio) : std::string());
            row.push_back(point ? percentCell(point->relErrPercent) : std::string());
            unstableEye = unstableEye || (point && point->unstable);
        }
    };
    if (result) {
        row.push_back(numberCell(result->firstHvlMmAl));
        row.push_back(numberCell(result->effectiveEnergyKev));
        for (double kerma : result->kerma) row.push_back(numberCell(kerma));
        appendPercent(row, result->kermaRelErr);
        bool unstable = false;
        for (const std::optional<bool>& flag : result->kermaUnstable) {
            row.push_back(flag ? (*flag ? "1" : "0") : "");
            unstable = unstable || flag.value_or(false);
        }
        appendDoses(row, result->eyeLens);
        appendPercent(row, result->eyeLensRelErr);
        appendDoses(row, result->eyeLensGlasses);
        appendPercent(row, result->eyeLensGlassesRelErr);
        if (withWorkload) {
            if (result->annual) {
                appendAnnual(row, *result->annual);
            } else {
                row.resize(sceneStart);
            }
        }
        appendScene();
        std::string status = "ok";
        for (const std::string& correction : condition.corrections) status += ", " + correction;
        if (unstable || unstableEye) status += ", unstable tallies";
        row.push_back(status);
    } else {
        row.resize(sceneStart);
        appendScene();
        std::string reason = failure;
        std::replace(reason.begin(), reason.end(), '\n', ' ');
        std::replace(reason.begin(), reason.end(), '\r', ' ');
        row.push_back("failed: " + reason);
    }
    return row;
}

bool rowCompletes(const SummaryRow& row, const Condition& condition,
                  const std::optional<std::string>& estimator, bool withWorkload) {
    return rowCompletes(row, condition, estimator, layoutWithoutScene(withWorkload));
}

bool rowCompletes(const SummaryRow& row, const Condition& condition,
                  const std::optional<std::string>& estimator, const SummaryLayout& layout) {
    if (row.size() != summaryHeaderOf(layout).size() || !statusIsOk(rowStatus(row))) {
        return false;
    }
    if (cellOf(row, layout, "folder") != condition.folder ||
        cellOf(row, layout, "estimator") != estimator.value_or("")) {
        return false;
    }
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        const auto input = static_cast<StudyInput>(n);
        if (isSceneInput(input) && !layout.scene) continue;
        if (inputCell(row, layout, input) != condition.inputs[n]) return false;
    }
    return true;
}

std::size_t rowCondition(const SummaryRow& row) {
    const std::string& cell = cellOf(row, "condition");
    std::size_t index = 0;
    std::from_chars(cell.data(), cell.data() + cell.size(), index);
    return index;
}

std::optional<bool> summaryHasWorkload(const std::string& fileName) {
    const SummaryTable table = readSummaryTable(fileName);
    if (!table.exists) return std::nullopt;
    return table.layout.workload;
}

SummaryTable readSummaryTable(const std::string& fileName) {
    SummaryTable table;
    if (nothingNamed(fileName)) return table;
    table.exists = true;
    const TextLines file = readTextFile(fileName, FileKind::CsvTable);
    const std::vector<std::string> header =
        file.lines.empty() ? std::vector<std::string>{} : splitCsvLine(file.lines[0], fileName, 1);
    const std::optional<SummaryLayout> layout = layoutOfHeader(header);
    if (!layout) {
        throw DataError(SourcePosition{fileName, 1, 0},
                        "the header is not the one korvana-study writes (another program or "
                        "version wrote the file) - choose another --out or move the file away");
    }
    table.layout = *layout;
    const std::size_t cells = summaryHeaderOf(table.layout).size();
    for (std::size_t n = 1; n < file.lines.size(); ++n) {
        if (file.lines[n].empty()) continue;
        const int lineNumber = static_cast<int>(n + 1);
        SummaryRow row = splitCsvLine(file.lines[n], fileName, lineNumber);
        if (row.size() != cells || rowCondition(row) == 0) {
            throw DataError(SourcePosition{fileName, lineNumber, 0},
                            "the row has " + std::to_string(row.size()) + " cells instead of " +
                                std::to_string(cells) +
                                " or no condition number - restore the file or move it away");
        }
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::vector<SummaryRow> readSummary(const std::string& fileName) {
    return readSummaryTable(fileName).rows;
}

void writeSummary(const std::string& fileName, std::vector<SummaryRow> rows, bool withWorkload) {
    writeSummary(fileName, std::move(rows), layoutWithoutScene(withWorkload));
}

void writeSummary(const std::string& fileName, std::vector<SummaryRow> rows,
                  const SummaryLayout& layout) {
    std::stable_sort(rows.begin(), rows.end(), [](const SummaryRow& a, const SummaryRow& b) {
        return rowCondition(a) < rowCondition(b);
    });
    std::vector<std::string> lines = {csvLine(summaryHeaderOf(layout))};
    for (const SummaryRow& row : rows) lines.push_back(csvLine(row));
    writeTextFileAtomically(fileName, lines);
}

}  // namespace korvana::study
