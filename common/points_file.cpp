#include "common/points_file.h"

#include <charconv>
#include <cmath>
#include <set>
#include <system_error>

#include "common/csv.h"
#include "common/data_error.h"
#include "common/regular_file.h"
#include "common/text_file.h"
#include "common/uncertainty_file.h"

namespace korvana {

namespace {

constexpr std::string_view HEADER =
    "name,x_cm,y_cm,z_cm,air_kerma_ratio,rel_err_percent,vov,unstable,histories,result_digest";
constexpr std::size_t FIELD_COUNT = 10;
constexpr std::size_t DIGEST_DIGITS = 16;
//! Bounds no run reaches (a single history's relative error is about 100 %).
constexpr double MAX_REL_ERR_PERCENT = 1e4;
constexpr double MAX_VOV = 100.0;
constexpr double MAX_COORDINATE_CM = 1e4;

[[noreturn]] void fail(const std::string& fileName, int line, std::size_t field,
                       const std::string& problem) {
    throw DataError(SourcePosition{fileName, line, static_cast<int>(field) + 1},
                    problem + " (the file is damaged) - run the simulation again");
}

double numberWithin(const std::string& cell, double low, double high, const std::string& fileName,
                    int line, std::size_t field, const char* what) {
    double value = 0;
    const char* first = cell.data();
    const char* last = first + cell.size();
    const auto result = std::from_chars(first, last, value);
    if (cell.empty() || result.ec != std::errc() || result.ptr != last || !std::isfinite(value) ||
        value < low || value > high) {
        fail(fileName, line, field,
             std::string("the ") + what + " " + quoteValue(cell) + " is not one a run can give");
    }
    return value;
}

std::optional<double> optionalWithin(const std::string& cell, double high,
                                     const std::string& fileName, int line, std::size_t field,
                                     const char* what) {
    if (cell.empty()) return std::nullopt;
    return numberWithin(cell, 0.0, high, fileName, line, field, what);
}

}  // namespace

std::vector<std::string> pointsFileLines(const EyePointTable& table) {
    std::vector<std::string> lines{std::string(HEADER)};
    for (const EyePointResult& p : table.points) {
        lines.push_back(
            csvLine({p.name, csvNumber(p.positionCm[0]), csvNumber(p.positionCm[1]),
                     csvNumber(p.positionCm[2]), csvNumber(p.airKermaRatio, 9),
                     csvNumber(p.relErrPercent, 6), csvNumber(p.vov, 6), p.unstable ? "1" : "0",
                     std::to_string(table.histories), table.resultDigest}));
    }
    return lines;
}

EyePointTable readPointsFile(const std::string& fileName) {
    const TextLines file = readTextFile(fileName, FileKind::Points);
    if (file.lines.empty() || file.lines[0] != HEADER) {
        throw DataError(SourcePosition{fileName, 1, 1},
                        "this is not an eye points file (its first line is not the expected "
                        "header) - run the simulation again");
    }
    EyePointTable table;
    std::set<std::string> names;
    for (std::size_t n = 1; n < file.lines.size(); ++n) {
        const int line = static_cast<int>(n) + 1;
        if (file.lines[n].empty()) continue;
        const std::vector<std::string> f = splitCsvLine(file.lines[n], fileName, line);
        if (f.size() != FIELD_COUNT) {
            fail(fileName, line, 0,
                 "a row has " + std::to_string(f.size()) + " fields instead of " +
                     std::to_string(FIELD_COUNT));
        }
        EyePointResult p;
        p.name = f[0];
        if (p.name.empty()) fail(fileName, line, 0, "an eye point has no name");
        if (!names.insert(p.name).second) {
            fail(fileName, line, 0, "the eye point " + quoteValue(p.name) + " is listed twice");
        }
        for (std::size_t i = 0; i < 3; ++i) {
            p.positionCm[i] = numberWithin(f[1 + i], -MAX_COORDINATE_CM, MAX_COORDINATE_CM,
                                           fileName, line, 1 + i, "coordinate");
        }
        p.airKermaRatio = numberWithin(f[4], 0.0, 1e30, fileName, line, 4, "air kerma ratio");
        p.relErrPercent =
            optionalWithin(f[5], MAX_REL_ERR_PERCENT, fileName, line, 5, "relative error");
        p.vov = optionalWithin(f[6], MAX_VOV, fileName, line, 6, "variance of the variance");
        if (f[7] != "0" && f[7] != "1") fail(fileName, line, 7, "unstable must be 0 or 1");
        p.unstable = f[7] == "1";
        long long histories = 0;
        const auto parsed = std::from_chars(f[8].data(), f[8].data() + f[8].size(), histories);
        if (f[8].empty() || parsed.ec != std::errc() || parsed.ptr != f[8].data() + f[8].size() ||
            histories < 1) {
            fail(fileName, line, 8, "the number of histories is not a whole number from 1 up");
        }
        if (f[9].size() != DIGEST_DIGITS ||
            f[9].find_first_not_of("0123456789abcdef") != std::string::npos) {
            fail(fileName, line, 9, "the result digest must be 16 hexadecimal digits");
        }
        if (!table.points.empty() && (histories != table.histories || f[9] != table.resultDigest)) {
            fail(fileName, line, 8, "rows name different runs");
        }
        table.histories = histories;
        table.resultDigest = f[9];
        table.points.push_back(std::move(p));
    }
    return table;
}

std::optional<EyePointTable> readPointsBeside(const std::string& resultFileName) {
    const std::string name = pointsFileName(resultFileName);
    if (nothingNamed(name)) return std::nullopt;
    EyePointTable table = readPointsFile(name);
    if (!table.points.empty() &&
        table.resultDigest != resultDigest(readTextFile(resultFileName, FileKind::Result).lines)) {
        throw DataError(SourcePosition{name, 2, 0},
                        "the file belongs to another run than " + resultFileName +
                            " (it was written with a result file of other contents) - its eye "
                            "points do not apply; run the simulation again");
    }
    return table;
}

}  // namespace korvana
