#include "app/study/summary_file.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <stdexcept>

#include "common/data_error.h"
#include "common/text_file.h"

namespace korvana::study {

namespace {

constexpr std::array<int, KERMA_POINTS> KERMA_ANGLES = {30, 45, 60, 75, 90, 105, 120, 135, 150};
constexpr std::array<int, EYE_POINTS> EYE_ANGLES = {45, 60, 75, 90, 105, 120, 135};
constexpr std::size_t FIRST_INPUT_COLUMN = 3;  // after condition, condition_count, folder

std::vector<std::string> buildHeader(bool withWorkload) {
    std::vector<std::string> header = {"condition", "condition_count", "folder"};
    for (const InputDescription& d : inputDescriptions()) header.emplace_back(d.column);
    header.insert(header.end(), {"estimator", "hvl1_mm_al", "eeff_kev"});
    for (int angle : KERMA_ANGLES) header.push_back("kerma_" + std::to_string(angle));
    for (int angle : KERMA_ANGLES) header.push_back("kerma_" + std::to_string(angle) + "_rel_err");
    for (int angle : KERMA_ANGLES) {
        header.push_back("kerma_" + std::to_string(angle) + "_unstable");
    }
    for (const char* name : {"eye_lens_", "eye_lens_glasses_"}) {
        for (int angle : EYE_ANGLES) header.push_back(name + std::to_string(angle));
        for (int angle : EYE_ANGLES) header.push_back(name + std::to_string(angle) + "_rel_err");
    }
    if (withWorkload) {
        for (const char* name : {"annual_eye_lens_", "annual_eye_lens_glasses_"}) {
            for (int angle : EYE_ANGLES) header.push_back(name + std::to_string(angle) + "_msv");
            for (int angle : EYE_ANGLES) {
                header.push_back(name + std::to_string(angle) + "_msv_rel_err");
            }
        }
        for (const char* name : {"procedures_below_20_msv_", "procedures_below_20_msv_glasses_"}) {
            for (int angle : EYE_ANGLES) header.push_back(name + std::to_string(angle));
        }
        header.insert(header.end(),
                      {"annual_eye_position_msv", "annual_eye_position_msv_rel_err",
                       "annual_eye_position_glasses_msv", "annual_eye_position_glasses_msv_rel_err",
                       "procedures_below_20_msv_eye_position",
                       "procedures_below_20_msv_glasses_eye_position"});
    }
    header.emplace_back("status");
    return header;
}

// The shortest text that reads back to the same double.
std::string numberCell(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

std::string optionalCell(const std::optional<double>& value) {
    return value ? numberCell(*value) : std::string();
}

template <std::size_t N>
void append(SummaryRow& row, const std::array<std::optional<double>, N>& values) {
    for (const auto& value : values) row.push_back(optionalCell(value));
}

std::optional<double> relative(const std::optional<double>& percent) {
    if (!percent) return std::nullopt;
    return *percent / 100.0;
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
            return d ? numberCell(d->annualMsv) : std::string();
        });
        angles([&](const app::AnnualDosePoint& p) {
            const auto d = dose(p, glasses);
            return d ? optionalCell(relative(d->relStdErrorPercent)) : std::string();
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
        row.push_back(d ? numberCell(d->annualMsv) : std::string());
        row.push_back(d ? optionalCell(relative(d->relStdErrorPercent)) : std::string());
    }
    row.push_back(eye ? count(eye->bare) : std::string());
    row.push_back(eye ? count(eye->glasses) : std::string());
}

}  // namespace

bool statusIsOk(std::string_view status) { return status == "ok" || status.substr(0, 4) == "ok, "; }

std::vector<std::string> summaryHeader(bool withWorkload) {
    static const std::vector<std::string> plain = buildHeader(false);
    static const std::vector<std::string> annual = buildHeader(true);
    return withWorkload ? annual : plain;
}

bool rowHasWorkload(const SummaryRow& row) { return row.size() == summaryHeader(true).size(); }

std::size_t summaryColumn(std::string_view name) {
    for (const bool withWorkload : {false, true}) {
        const std::vector<std::string> header = summaryHeader(withWorkload);
        const auto it = std::find(header.begin(), header.end(), name);
        if (it != header.end()) return static_cast<std::size_t>(it - header.begin());
    }
    throw std::out_of_range("no summary column " + std::string(name));
}

std::size_t inputColumn(StudyInput input) {
    return FIRST_INPUT_COLUMN + static_cast<std::size_t>(input);
}

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
        append(row, result->kermaRelErr);
        bool unstable = false;
        for (const std::optional<bool>& flag : result->kermaUnstable) {
            row.push_back(flag ? (*flag ? "1" : "0") : "");
            unstable = unstable || flag.value_or(false);
        }
        append(row, result->eyeLens);
        append(row, result->eyeLensRelErr);
        append(row, result->eyeLensGlasses);
        append(row, result->eyeLensGlassesRelErr);
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
    if (row.size() != summaryHeader(withWorkload).size() || !statusIsOk(row.back())) return false;
    if (row[2] != condition.folder || row[summaryColumn("estimator")] != estimator.value_or("")) {
        return false;
    }
    for (std::size_t n = 0; n < INPUT_COUNT; ++n) {
        if (row[FIRST_INPUT_COLUMN + n] != condition.inputs[n]) return false;
    }
    return true;
}

std::string csvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t n = 0; n < cells.size(); ++n) {
        if (n > 0) line += ',';
        const std::string& cell = cells[n];
        if (cell.find_first_of(",\"") == std::string::npos) {
            line += cell;
            continue;
        }
        line += '"';
        for (char c : cell) line += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += '"';
    }
    return line;
}

std::vector<std::string> splitCsvLine(std::string_view line, const std::string& fileName,
                                      int lineNumber) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t n = 0; n < line.size(); ++n) {
        const char c = line[n];
        if (quoted) {
            if (c != '"') {
                cells.back() += c;
            } else if (n + 1 < line.size() && line[n + 1] == '"') {
                cells.back() += '"';
                ++n;
            } else {
                quoted = false;
            }
        } else if (c == ',') {
            cells.emplace_back();
        } else if (c == '"' && cells.back().empty()) {
            quoted = true;
        } else {
            cells.back() += c;
        }
    }
    if (quoted) {
        throw DataError(SourcePosition{fileName, lineNumber, static_cast<int>(line.size())},
                        "a quoted cell is not closed (the line was cut) - restore the file or "
                        "run the study again with --force");
    }
    return cells;
}

std::size_t rowCondition(const SummaryRow& row) {
    std::size_t index = 0;
    std::from_chars(row[0].data(), row[0].data() + row[0].size(), index);
    return index;
}

std::optional<bool> summaryHasWorkload(const std::string& fileName) {
    if (!std::filesystem::exists(fileName)) return std::nullopt;
    const TextLines file = readTextFile(fileName);
    return !file.lines.empty() && splitCsvLine(file.lines[0], fileName, 1) == summaryHeader(true);
}

std::vector<SummaryRow> readSummary(const std::string& fileName) {
    if (!std::filesystem::exists(fileName)) return {};
    const TextLines file = readTextFile(fileName);
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
