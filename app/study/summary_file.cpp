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
    for (const InputDescription& d : inputDescriptions()) header.emplace_back(d.column);
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

}  // namespace

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
    return cellOf(row, describe(input).column);
}

const std::string& rowStatus(const SummaryRow& row) { return row.at(row.size() - 1); }

SummaryRow summaryRow(const Condition& condition, std::size_t conditionCount,
                      const std::optional<std::string>& estimator,
                      const std::optional<ConditionResult>& result, const std::string& failure,
                      bool withWorkload) {
    SummaryRow row = {std::to_string(condition.index), std::to_string(conditionCount),
                      condition.folder};
    row.insert(row.end(), condition.inputs.begin(), condition.inputs.end());
    row.push_back(estimator.value_or(""));
    const std::size_t valueCount = summaryHeader(withWorkload).size() - row.size() - 1;
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
                row.resize(summaryHeader(true).size() - 1);
            }
        }
        std::string status = "ok";
        for (const std::string& correction : condition.corrections) status += ", " + correction;
        if (unstable) status += ", unstable tallies";
        row.push_back(status);
    } else {
        row.resize(row.size() + valueCount);
        std::string reason = failure;
        std::replace(reason.begin(), reason.end(), '\n', ' ');
        std::replace(reason.begin(), reason.end(), '\r', ' ');
        row.push_back("failed: " + reason);
    }
    return row;
}

bool rowCompletes(const SummaryRow& row, const Condition& condition,
                  const std::optional<std::string>& estimator, bool withWorkload) {
    if (row.size() != summaryHeader(withWorkload).size() || !statusIsOk(rowStatus(row))) {
        return false;
    }
    if (cellOf(row, "folder") != condition.folder ||
        cellOf(row, "estimator") != estimator.value_or("")) {
        return false;
    }
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        if (inputCell(row, static_cast<StudyInput>(n)) != condition.inputs[n]) return false;
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
    if (nothingNamed(fileName)) return std::nullopt;
    const TextLines file = readTextFile(fileName, FileKind::CsvTable);
    return !file.lines.empty() && splitCsvLine(file.lines[0], fileName, 1) == summaryHeader(true);
}

std::vector<SummaryRow> readSummary(const std::string& fileName) {
    if (nothingNamed(fileName)) return {};
    const TextLines file = readTextFile(fileName, FileKind::CsvTable);
    const std::vector<std::string> header =
        file.lines.empty() ? std::vector<std::string>{} : splitCsvLine(file.lines[0], fileName, 1);
    const bool withWorkload = header == summaryHeader(true);
    if (!withWorkload && header != summaryHeader(false)) {
        throw DataError(SourcePosition{fileName, 1, 0},
                        "the header is not the one korvana-study writes (another program or "
                        "version wrote the file) - choose another --out or move the file away");
    }
    std::vector<SummaryRow> rows;
    for (std::size_t n = 1; n < file.lines.size(); ++n) {
        if (file.lines[n].empty()) continue;
        const int lineNumber = static_cast<int>(n + 1);
        SummaryRow row = splitCsvLine(file.lines[n], fileName, lineNumber);
        if (row.size() != summaryHeader(withWorkload).size() || rowCondition(row) == 0) {
            throw DataError(SourcePosition{fileName, lineNumber, 0},
                            "the row has " + std::to_string(row.size()) + " cells instead of " +
                                std::to_string(summaryHeader(withWorkload).size()) +
                                " or no condition number - restore the file or move it away");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void writeSummary(const std::string& fileName, std::vector<SummaryRow> rows, bool withWorkload) {
    std::stable_sort(rows.begin(), rows.end(), [](const SummaryRow& a, const SummaryRow& b) {
        return rowCondition(a) < rowCondition(b);
    });
    std::vector<std::string> lines = {csvLine(summaryHeader(withWorkload))};
    for (const SummaryRow& row : rows) lines.push_back(csvLine(row));
    writeTextFileAtomically(fileName, lines);
}

}  // namespace korvana::study
