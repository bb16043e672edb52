// What an engine's log says of its run, and how fast the run goes as its log
// grows. The log is lumetrel's console text (NAME.log beside its result
// NAME.data, written in either way korvana starts it); the lines read are
// those of common/engine_texts.h. Read afresh from the whole text each time:
// a log holds a few hundred lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvana::app {

enum class RunState {
    Waiting,   //!< banner shown, the Enter key not yet pressed
    Running,   //!< histories under way
    Finished,  //!< result saved
    Failed,    //!< stopped without a result
};

struct RunLogReading {
    bool engineLog = false;  //!< the text is an engine's console (its banner or start line)
    RunState state = RunState::Waiting;
    int bin = 0;       //!< the bin under way, from the last progress line; 0: none yet
    int binCount = 0;  //!< the spectrum's top bin plus one; 0: no progress line yet
    std::optional<double> shareDone;    //!< of the histories, from the parallel mode's tick
    std::optional<double> secondsLeft;  //!< the engine's own estimate at that tick [s]
    int threads = 1;                    //!< of each process; 1 in the single-stream mode
    int processes = 1;
    std::string estimator = "analog";       //!< "analog" or "next-event"
    std::optional<std::int64_t> histories;  //!< of the whole run, once it reports its speed
    std::optional<double> seconds;          //!< wall time of the histories [s], likewise
    std::string failure;                    //!< why the run failed, the engine's own words
};

//! Reads an engine's console text (complete lines; a last line without its
//! line end is read too). CR LF line ends are accepted.
RunLogReading readRunLog(std::string_view text);

//! The share of the histories done: the engine's own when its tick gave one,
//! else estimated from the bins (bins below the first simulated one count as
//! done), 1 once finished.
double shareDone(const RunLogReading& reading);

//! The histories of a run file (B2F.txt, its lines) when it names
//! `resultFileName` as its result: the run it was written for. Nothing when
//! it names another result or its history line is not a number.
std::optional<double> runFileHistoryCount(const std::vector<std::string>& lines,
                                          std::string_view resultFileName);

//! One run followed over time: its readings, each at the moment it was
//! taken [s on any steady clock], turned into a speed and a time left.
class RunWatch {
public:
    //! `historyCount`: the histories the run was given, when known (0: not).
    explicit RunWatch(double historyCount = 0) : m_historyCount(historyCount) {}

    void observe(const RunLogReading& reading, double nowSeconds);

    const RunLogReading& reading() const { return m_reading; }
    //! Histories per second: the run's own speed once it reported it, else
    //! the pace of the engine's last tick, else the progress between two
    //! readings apart in time; nothing before (or without the history count).
    std::optional<double> historiesPerSecond() const;
    //! Seconds left, from the engine's tick when it gave one, else from the
    //! progress seen so far; 0 once ended; nothing before any progress.
    std::optional<double> secondsLeft() const;
    //! The wall time of a finished run [s]: its own report, else the time
    //! from the first reading that saw it running to the one that saw it end
    //! (nothing when the start was not seen).
    std::optional<double> finishedSeconds() const;
    double historyCount() const { return m_historyCount; }
    void setHistoryCount(double count) { m_historyCount = count; }

private:
    RunLogReading m_reading;
    double m_historyCount;
    std::optional<double> m_firstTime;  //!< first reading while running [s]
    double m_firstShare = 0;            //!< its share done
    std::optional<double> m_lastTime;   //!< last reading [s]
    double m_lastShare = 0;
    std::optional<double> m_endTime;  //!< first reading that saw the run end [s]
    bool m_sawStart = false;          //!< a reading before the histories began
};

}  // namespace korvana::app
