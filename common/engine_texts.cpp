#include "common/engine_texts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/record_format.h"
#include "common/record_writer.h"

namespace korvana {

std::string engineProgressLine(int bin, int lastBinPlusOne) {
    static const RecordFormat format("(' ',I3,' / ',I3)");
    return RecordWriter(format).integer(bin).integer(lastBinPlusOne).line().substr(1);
}

namespace {

void skipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
}

//! Digits from `at`; false when there are none or too many for an int.
bool readNumber(std::string_view text, std::size_t& at, int& value) {
    const std::size_t first = at;
    value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        if (at - first >= 9) return false;
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    return at > first;
}

}  // namespace

std::optional<EngineProgress> engineProgress(std::string_view line) {
    std::size_t at = 0;
    EngineProgress progress;
    skipBlanks(line, at);
    if (!readNumber(line, at, progress.bin)) return std::nullopt;
    skipBlanks(line, at);
    if (at >= line.size() || line[at] != '/') return std::nullopt;
    ++at;
    skipBlanks(line, at);
    if (!readNumber(line, at, progress.lastBinPlusOne)) return std::nullopt;
    skipBlanks(line, at);
    if (at != line.size()) return std::nullopt;
    return progress;
}

std::optional<int> engineProgressBin(std::string_view line) {
    const std::optional<EngineProgress> progress = engineProgress(line);
    if (!progress) return std::nullopt;
    return progress->bin;
}

namespace {

//! `line` without the carriage return a log written on another system keeps.
std::string lineText(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return std::string(line);
}

}  // namespace

std::string engineModeLine(int threads, int processes, std::uint64_t seed,
                           std::string_view estimator) {
    std::string line =
        " Parallel mode: " + std::to_string(threads) + (threads == 1 ? " thread" : " threads");
    if (processes > 1) line += " in each of " + std::to_string(processes) + " processes";
    line += ", seed " + std::to_string(seed) + ", " + std::string(estimator) + " estimator";
    return line;
}

std::optional<EngineMode> engineMode(std::string_view line) {
    const std::string text = lineText(line);
    static constexpr std::string_view LEAD = " Parallel mode: ";
    if (text.rfind(LEAD, 0) != 0) return std::nullopt;
    EngineMode mode;
    std::size_t at = LEAD.size();
    if (!readNumber(text, at, mode.threads)) return std::nullopt;
    for (std::string_view word : {" threads", " thread"}) {
        if (text.compare(at, word.size(), word) == 0) {
            at += word.size();
            break;
        }
    }
    static constexpr std::string_view EACH = " in each of ";
    if (text.compare(at, EACH.size(), EACH) == 0) {
        at += EACH.size();
        if (!readNumber(text, at, mode.processes)) return std::nullopt;
    }
    static constexpr std::string_view TAIL = " estimator";
    const std::size_t comma = text.rfind(", ");
    if (comma == std::string::npos || comma < at || text.size() < TAIL.size() ||
        text.compare(text.size() - TAIL.size(), TAIL.size(), TAIL) != 0 || mode.threads < 1) {
        return std::nullopt;
    }
    mode.estimator = text.substr(comma + 2, text.size() - TAIL.size() - comma - 2);
    if (mode.estimator != ESTIMATOR_ANALOG && mode.estimator != ESTIMATOR_NEXT_EVENT) {
        return std::nullopt;
    }
    return mode;
}

std::string engineTimeLeftLine(std::int64_t historiesDone, std::int64_t historiesTotal,
                               double seconds) {
    char text[120];
    if (historiesDone == 0) {
        std::snprintf(text, sizeof text, "   ... %.0f s, first blocks still running", seconds);
    } else {
        const double share = static_cast<double>(historiesDone) /
                             static_cast<double>(std::max<std::int64_t>(historiesTotal, 1));
        std::snprintf(text, sizeof text, "   ... %3.0f %% of the histories done, about %.0f s left",
                      100.0 * share, seconds * (1.0 - share) / share);
    }
    return text;
}

std::optional<EngineTimeLeft> engineTimeLeft(std::string_view line) {
    const std::string text = lineText(line);
    double percent = 0, left = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "   ... %lf %% of the histories done, about %lf s left%n",
                    &percent, &left, &used) != 2 ||
        static_cast<std::size_t>(used) != text.size()) {
        return std::nullopt;
    }
    return EngineTimeLeft{std::clamp(percent / 100.0, 0.0, 1.0), left};
}

std::string engineSpeedLine(std::int64_t histories, double seconds) {
    char text[120];
    std::snprintf(text, sizeof text, " %lld histories in %.1f s: %.4g histories per second",
                  static_cast<long long>(histories), seconds,
                  seconds > 0 ? static_cast<double>(histories) / seconds : 0.0);
    return text;
}

std::optional<EngineSpeed> engineSpeed(std::string_view line) {
    const std::string text = lineText(line);
    long long histories = 0;
    double seconds = 0, perSecond = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), " %lld histories in %lf s: %lf histories per second%n",
                    &histories, &seconds, &perSecond, &used) != 3 ||
        static_cast<std::size_t>(used) != text.size() || histories < 0 || seconds < 0) {
        return std::nullopt;
    }
    return EngineSpeed{histories, seconds};
}

}  // namespace korvana
