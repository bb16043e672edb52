#include "app/run/run_log.h"

#include <algorithm>
#include <cstdlib>

#include "common/engine_texts.h"
#include "common/simulated_bins.h"

namespace korvana::app {

namespace {

bool startsWith(std::string_view text, std::string_view lead) {
    return text.substr(0, lead.size()) == lead;
}

void readLine(std::string_view line, RunLogReading& r) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == ENGINE_BANNER_TITLE) {
        r.engineLog = true;
    } else if (line == ENGINE_START_LINE) {
        r.engineLog = true;
        if (r.state == RunState::Waiting) r.state = RunState::Running;
    } else if (const auto progress = engineProgress(line)) {
        r.bin = progress->bin;
        r.binCount = progress->lastBinPlusOne;
    } else if (const auto tick = engineTimeLeft(line)) {
        r.shareDone = tick->shareDone;
        r.secondsLeft = tick->secondsLeft;
    } else if (const auto mode = engineMode(line)) {
        r.threads = mode->threads;
        r.processes = mode->processes;
        r.estimator = mode->estimator;
    } else if (line == ENGINE_NEXT_EVENT_LINE) {
        r.estimator = std::string(ESTIMATOR_NEXT_EVENT);
    } else if (const auto speed = engineSpeed(line)) {
        r.histories = speed->histories;
        r.seconds = speed->seconds;
    } else if (line == ENGINE_SAVED_LINE) {
        r.state = RunState::Finished;
    } else if (line == ENGINE_NOT_SAVED_LINE) {
        r.state = RunState::Failed;
        r.failure = std::string(line);
    } else if (startsWith(line, ENGINE_NOT_WRITTEN_PREFIX)) {
        r.state = RunState::Failed;
        r.failure = std::string(line);
    } else if (line == ENGINE_STOPPED_LINE) {
        r.state = RunState::Failed;
        if (r.failure.empty()) r.failure = std::string(line.substr(ENGINE_ERROR_PREFIX.size()));
    } else if (startsWith(line, ENGINE_ERROR_PREFIX)) {
        // The reason comes first; an options error is followed by the usage only.
        r.state = RunState::Failed;
        if (r.failure.empty()) r.failure = std::string(line.substr(ENGINE_ERROR_PREFIX.size()));
    }
}

bool ended(RunState state) { return state == RunState::Finished || state == RunState::Failed; }

}  // namespace

RunLogReading readRunLog(std::string_view text) {
    RunLogReading reading;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        readLine(text.substr(0, end), reading);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return reading;
}

double shareDone(const RunLogReading& reading) {
    if (reading.state == RunState::Finished) return 1.0;
    if (reading.shareDone) return *reading.shareDone;
    const int simulatedBins = reading.binCount - FIRST_SIMULATED_BIN;
    if (reading.bin == 0 || simulatedBins <= 0) return 0.0;
    return std::clamp(static_cast<double>(reading.bin - FIRST_SIMULATED_BIN) / simulatedBins, 0.0,
                      1.0);
}

std::optional<double> runFileHistoryCount(const std::vector<std::string>& lines,
                                          std::string_view resultFileName) {
    // Line 7 holds the histories, line 8 the result file's name.
    static constexpr std::size_t HISTORIES = 6, RESULT = 7;
    if (lines.size() <= RESULT) return std::nullopt;
    std::string_view name = lines[RESULT];
    while (!name.empty() && (name.back() == ' ' || name.back() == '\r')) name.remove_suffix(1);
    if (name != resultFileName) return std::nullopt;
    const char* text = lines[HISTORIES].c_str();
    char* end = nullptr;
    const double count = std::strtod(text, &end);
    if (end == text || !(count > 0)) return std::nullopt;
    return count;
}

void RunWatch::observe(const RunLogReading& reading, double nowSeconds) {
    m_reading = reading;
    const double share = shareDone(reading);
    if (reading.state == RunState::Waiting) m_sawStart = true;
    if (reading.state != RunState::Waiting && !m_firstTime) {
        m_firstTime = nowSeconds;
        m_firstShare = share;
        // A run first seen with nothing done was seen from its start.
        if (share == 0.0) m_sawStart = true;
    }
    if (reading.state == RunState::Running) {
        m_lastTime = nowSeconds;
        m_lastShare = share;
    }
    if (ended(reading.state) && !m_endTime) m_endTime = nowSeconds;
}

std::optional<double> RunWatch::historiesPerSecond() const {
    if (m_reading.histories && m_reading.seconds && *m_reading.seconds > 0) {
        return static_cast<double>(*m_reading.histories) / *m_reading.seconds;
    }
    if (m_historyCount <= 0) return std::nullopt;
    // The engine's tick: the share done and its time left give its own pace.
    if (m_reading.shareDone && m_reading.secondsLeft && *m_reading.secondsLeft > 0 &&
        *m_reading.shareDone > 0 && *m_reading.shareDone < 1) {
        return m_historyCount * (1.0 - *m_reading.shareDone) / *m_reading.secondsLeft;
    }
    if (!m_firstTime || !m_lastTime || *m_lastTime <= *m_firstTime || m_lastShare <= m_firstShare) {
        return std::nullopt;
    }
    return (m_lastShare - m_firstShare) * m_historyCount / (*m_lastTime - *m_firstTime);
}

std::optional<double> RunWatch::secondsLeft() const {
    if (ended(m_reading.state)) return 0.0;
    if (m_reading.secondsLeft) return m_reading.secondsLeft;
    if (!m_firstTime || !m_lastTime || *m_lastTime <= *m_firstTime || m_lastShare <= m_firstShare) {
        return std::nullopt;
    }
    return (1.0 - m_lastShare) * (*m_lastTime - *m_firstTime) / (m_lastShare - m_firstShare);
}

std::optional<double> RunWatch::finishedSeconds() const {
    if (m_reading.state != RunState::Finished) return std::nullopt;
    if (m_reading.seconds) return m_reading.seconds;
    if (!m_sawStart || !m_firstTime || !m_endTime) return std::nullopt;
    return *m_endTime - *m_firstTime;
}

}  // namespace korvana::app
