#include "common/uncertainty_file.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/data_error.h"
#include "common/engine_texts.h"
#include "common/text_file.h"

namespace korvana {

namespace {

constexpr std::string_view HEADER =
    "kind,angle_deg,x_cm,z_cm,air_kerma_ratio,rel_std_error,few_histories,estimator,vov,unstable,"
    "histories,result_digest";
constexpr int FIELD_COUNT = 12;
//! Bounds no run reaches: a relative error of one history alone is about 1,
//! and a vov about 1; far larger values mean a damaged file.
constexpr double MAX_RELATIVE_ERROR = 100.0;
constexpr double MAX_VOV = 100.0;
constexpr std::size_t DIGEST_DIGITS = 16;
//! The header and row length of the files of earlier versions, before vov and unstable.
constexpr std::string_view EARLIER_HEADER =
    "kind,angle_deg,x_cm,z_cm,air_kerma_ratio,rel_std_error,few_histories,estimator";
constexpr int EARLIER_FIELD_COUNT = 8;

constexpr int FIRST_X_CM = static_cast<int>(GRID_FIRST_X);
constexpr int FIRST_Z_CM = static_cast<int>(GRID_FIRST_Z);
constexpr int GRID_STEP_CM = static_cast<int>(GRID_STEP);

//! 9 significant digits: every float the engine holds reads back unchanged.
std::string formatValue(double value, int significantDigits) {
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, significantDigits);
    return std::string(buffer, result.ptr);
}

std::string formatRow(std::string_view kind, const std::string& angle, const std::string& x,
                      const std::string& z, const KermaUncertainty& q,
                      const UncertaintyTable& table) {
    const std::string& estimator = table.estimator;
    std::string row(kind);
    row += ',' + angle + ',' + x + ',' + z + ',' + formatValue(q.airKermaRatio, 9) + ',';
    if (q.relStdError) row += formatValue(*q.relStdError, 6);
    row += q.fewHistories ? ",1," : ",0,";
    row += estimator + ',';
    if (q.vov) row += formatValue(*q.vov, 6);
    row += q.unstable ? ",1," : ",0,";
    row += std::to_string(table.histories) + ',' + table.resultDigest;
    return row;
}

struct Field {
    std::string_view text;
    int column = 0;  //!< 1-based
};

std::vector<Field> splitFields(std::string_view line) {
    std::vector<Field> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
        fields.push_back(Field{line.substr(start, end - start), static_cast<int>(start) + 1});
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

class RowParser {
public:
    RowParser(const std::string& fileName, int line) : m_fileName(fileName), m_line(line) {}

    [[noreturn]] void fail(const Field& field, const std::string& problem) const {
        throw DataError(SourcePosition{m_fileName, m_line, field.column}, problem);
    }

    double number(const Field& field, const char* what) const {
        double value = 0;
        const char* first = field.text.data();
        const char* last = first + field.text.size();
        const auto result = std::from_chars(first, last, value);
        if (field.text.empty() || result.ec != std::errc() || result.ptr != last ||
            !std::isfinite(value)) {
            fail(field, std::string("the ") + what +
                            " is not a number (the file is damaged) - "
                            "run the simulation again");
        }
        return value;
    }

    //! A number from `low` to `high`; anything else is a damaged file.
    double numberWithin(const Field& field, const char* what, double low, double high) const {
        const double value = number(field, what);
        if (value < low || value > high) {
            fail(field, std::string("the ") + what + " " + std::string(field.text) +
                            " is not one a run can give (the file is damaged) - run the "
                            "simulation again");
        }
        return value;
    }

    //! A whole number of `step` from `first`, giving an index below `count`.
    int index(const Field& field, const char* what, int first, int step, int count) const {
        const double value = number(field, what);
        const double steps = (value - first) / step;
        const int i = static_cast<int>(std::lround(steps));
        if (steps != i || i < 0 || i >= count) {
            fail(field, std::string("the ") + what + " " + std::string(field.text) +
                            " is not one of the result's (the file is damaged) - run the "
                            "simulation again");
        }
        return i;
    }

    //! A whole number from 1 up.
    long long wholeNumber(const Field& field, const char* what) const {
        long long value = 0;
        const char* first = field.text.data();
        const char* last = first + field.text.size();
        const auto result = std::from_chars(first, last, value);
        if (field.text.empty() || result.ec != std::errc() || result.ptr != last || value < 1) {
            fail(field, std::string("the ") + what +
                            " is not a whole number from 1 up (the file "
                            "is damaged) - run the simulation again");
        }
        return value;
    }

    void expectEmpty(const Field& field, const char* what) const {
        if (!field.text.empty()) fail(field, std::string("the ") + what + " must be empty here");
    }

private:
    const std::string& m_fileName;
    int m_line;
};

}  // namespace

namespace {

constexpr std::string_view RESULT_SUFFIX = ".data";
constexpr std::string_view UNCERTAINTY_SUFFIX = ".unc.csv";
//! For a result name without ".data": every name ending in ".unc.csv" is
//! already the uncertainty file of some "NAME.data".
constexpr std::string_view OTHER_UNCERTAINTY_SUFFIX = ".uncertainty.csv";

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::string uncertaintyFileName(std::string_view resultFileName) {
    if (endsWith(resultFileName, RESULT_SUFFIX)) {
        resultFileName.remove_suffix(RESULT_SUFFIX.size());
        return std::string(resultFileName) + std::string(UNCERTAINTY_SUFFIX);
    }
    return std::string(resultFileName) + std::string(OTHER_UNCERTAINTY_SUFFIX);
}

std::string resultNameClash(std::string_view name) {
    if (endsWith(name, UNCERTAINTY_SUFFIX) || endsWith(name, OTHER_UNCERTAINTY_SUFFIX)) {
        return "it is the name of another result's uncertainty file, which the result would "
               "overwrite";
    }
    return {};
}

std::string resultDigest(const std::vector<std::string>& resultLines) {
    std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a offset basis and prime
    const auto add = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001b3ull;
    };
    for (const std::string& line : resultLines) {
        for (const char c : line) add(static_cast<unsigned char>(c));
        add('\n');
    }
    char digits[DIGEST_DIGITS + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

std::vector<std::string> uncertaintyFileLines(const UncertaintyTable& table) {
    std::vector<std::string> lines;
    lines.reserve(1 + POINT_COUNT + GRID_COLUMNS * GRID_ROWS);
    lines.emplace_back(HEADER);
    for (int j = 0; j < POINT_COUNT; ++j) {
        lines.push_back(formatRow("point", std::to_string(pointAngleDeg(j + 1)), "", "",
                                  table.points[j], table));
    }
    // Row by row of the map, as the result file lists the grid.
    for (int k = 0; k < GRID_ROWS; ++k) {
        for (int i = 0; i < GRID_COLUMNS; ++i) {
            lines.push_back(formatRow("grid", "", std::to_string(FIRST_X_CM + GRID_STEP_CM * i),
                                      std::to_string(FIRST_Z_CM + GRID_STEP_CM * k),
                                      table.grid[i][k], table));
        }
    }
    return lines;
}

UncertaintyTable readUncertaintyFile(const std::string& fileName) {
    const TextLines file = readTextFile(fileName, FileKind::Uncertainty);
    if (file.lines.empty() || (file.lines[0] != HEADER && file.lines[0] != EARLIER_HEADER)) {
        throw DataError(SourcePosition{fileName, 1, 1},
                        "this is not an uncertainty file (its first line is not the expected "
                        "header) - run the simulation again");
    }
    UncertaintyTable table;
    table.hasQualityChecks = file.lines[0] == HEADER;
    const int fieldCount = table.hasQualityChecks ? FIELD_COUNT : EARLIER_FIELD_COUNT;
    std::array<bool, POINT_COUNT> pointSeen{};
    std::array<std::array<bool, GRID_ROWS>, GRID_COLUMNS> cellSeen{};
    bool estimatorSeen = false;

    for (std::size_t n = 1; n < file.lines.size(); ++n) {
        const std::string_view line = file.lines[n];
        const int lineNumber = static_cast<int>(n) + 1;
        if (line.empty()) continue;
        const RowParser parse(fileName, lineNumber);
        const std::vector<Field> f = splitFields(line);
        if (static_cast<int>(f.size()) != fieldCount) {
            parse.fail(f.back(), "a row has " + std::to_string(f.size()) + " fields instead of " +
                                     std::to_string(fieldCount) + " (the file is damaged)");
        }
        KermaUncertainty q;
        q.airKermaRatio = parse.numberWithin(f[4], "air kerma ratio", 0.0, DBL_MAX);
        if (!f[5].text.empty()) {
            q.relStdError = parse.numberWithin(f[5], "relative error", 0.0, MAX_RELATIVE_ERROR);
        }
        if (f[6].text != "0" && f[6].text != "1") parse.fail(f[6], "few_histories must be 0 or 1");
        q.fewHistories = f[6].text == "1";
        if (f[7].text != ESTIMATOR_ANALOG && f[7].text != ESTIMATOR_NEXT_EVENT) {
            parse.fail(f[7], "the estimator must be analog or next-event");
        }
        if (estimatorSeen && f[7].text != table.estimator) {
            parse.fail(f[7], "rows name different estimators (the file is damaged)");
        }
        table.estimator = std::string(f[7].text);
        estimatorSeen = true;
        if (table.hasQualityChecks) {
            if (!f[8].text.empty()) {
                q.vov = parse.numberWithin(f[8], "variance of the variance", 0.0, MAX_VOV);
            }
            if (f[9].text != "0" && f[9].text != "1") parse.fail(f[9], "unstable must be 0 or 1");
            q.unstable = f[9].text == "1";
            const long long histories = parse.wholeNumber(f[10], "number of histories");
            const std::string_view digest = f[11].text;
            if (digest.size() != DIGEST_DIGITS ||
                digest.find_first_not_of("0123456789abcdef") != std::string_view::npos) {
                parse.fail(f[11], "the result digest must be 16 hexadecimal digits");
            }
            if (!table.resultDigest.empty() &&
                (digest != table.resultDigest || histories != table.histories)) {
                parse.fail(f[10], "rows name different runs (the file is damaged)");
            }
            table.histories = histories;
            table.resultDigest = std::string(digest);
        }

        bool* seen = nullptr;
        if (f[0].text == "point") {
            const int j = parse.index(f[1], "angle", FIRST_POINT_ANGLE_DEG, POINT_ANGLE_STEP_DEG,
                                      POINT_COUNT);
            parse.expectEmpty(f[2], "x of a point");
            parse.expectEmpty(f[3], "z of a point");
            table.points[j] = q;
            seen = &pointSeen[j];
        } else if (f[0].text == "grid") {
            parse.expectEmpty(f[1], "angle of a grid cell");
            const int i = parse.index(f[2], "x", FIRST_X_CM, GRID_STEP_CM, GRID_COLUMNS);
            const int k = parse.index(f[3], "z", FIRST_Z_CM, GRID_STEP_CM, GRID_ROWS);
            table.grid[i][k] = q;
            seen = &cellSeen[i][k];
        } else {
            parse.fail(f[0], "the kind must be point or grid");
        }
        if (*seen) parse.fail(f[0], "a quantity is listed twice (the file is damaged)");
        *seen = true;
    }

    const auto missing = [&](const std::string& what) {
        throw DataError(SourcePosition{fileName, static_cast<int>(file.lines.size()) + 1, 0},
                        what + " is missing (the file is incomplete) - run the simulation again");
    };
    for (int j = 0; j < POINT_COUNT; ++j) {
        if (!pointSeen[j]) missing("the point at " + std::to_string(pointAngleDeg(j + 1)) + " deg");
    }
    for (int i = 0; i < GRID_COLUMNS; ++i) {
        for (int k = 0; k < GRID_ROWS; ++k) {
            if (!cellSeen[i][k]) {
                missing("the grid cell x = " + std::to_string(FIRST_X_CM + GRID_STEP_CM * i) +
                        " cm, z = " + std::to_string(FIRST_Z_CM + GRID_STEP_CM * k) + " cm");
            }
        }
    }
    return table;
}

std::optional<UncertaintyTable> readUncertaintiesBeside(const std::string& resultFileName) {
    const std::string name = uncertaintyFileName(resultFileName);
    if (nothingNamed(name)) return std::nullopt;
    UncertaintyTable table = readUncertaintyFile(name);
    if (!table.resultDigest.empty() &&
        table.resultDigest != resultDigest(readTextFile(resultFileName, FileKind::Result).lines)) {
        throw DataError(SourcePosition{name, 2, 0},
                        "the file belongs to another run than " + resultFileName +
                            " (it was written with a result file of other contents; the result "
                            "was written again or copied) - its errors do not apply; run the "
                            "simulation again for errors");
    }
    return table;
}

}  // namespace korvana
