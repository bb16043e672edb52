// The live window's answer time, through the same core it uses (LiveWorker:
// spectrum, HVL, next-event rounds on every core, tables already loaded):
// for each condition, the time from the input change to the first estimate
// and to the target precision (default 1 %) at all nine measuring points;
// then a change while rounds run, timed to the new inputs' first estimate.
//
// usage: live_bench [repeats] [target %]   (default 3 repeats, 1 %)
// Prints one line per condition with the median over the repeats.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/live/live_worker.h"

namespace {

using namespace korvana::app;
using Clock = std::chrono::steady_clock;

struct Condition {
    const char* name;
    LiveInputs inputs;
};

std::vector<Condition> conditions() {
    std::vector<Condition> list;
    list.push_back({"default: 80 kV, 0.35 mm Pb, L 60 cm", defaultLiveInputs()});
    LiveInputs hard = defaultLiveInputs();
    hard.tubeVoltageKv = 120;
    hard.curtainLeadMm = 0.5;
    list.push_back({"120 kV, 0.5 mm Pb, L 60 cm", hard});
    LiveInputs bare = defaultLiveInputs();
    bare.tubeVoltageKv = 60;
    bare.phantomThicknessCm = 10;
    bare.curtainLeadMm = 0;
    bare.curtainLengthCm = 0;
    list.push_back({"60 kV, 10 cm, no curtain", bare});
    LiveInputs heavy = defaultLiveInputs();
    heavy.tubeVoltageKv = 100;
    heavy.addedCopperMm = 0.2;
    heavy.rectification = RectificationMode::SinglePhaseFullWave;
    heavy.phantomThicknessCm = 30;
    heavy.curtainLeadMm = 1.0;
    heavy.curtainLengthCm = 80;
    list.push_back({"100 kV 1-phase, 0.2 mm Cu, 30 cm, 1 mm Pb L 80", heavy});
    // At L 60 cm and more the curtain's edge is above every path from the
    // object to the points, so its lead changes nothing; at L 10 cm it
    // shields the upper points by orders of magnitude, which the rounds must
    // then resolve.
    LiveInputs shielding = hard;
    shielding.curtainLengthCm = 10;
    list.push_back({"120 kV, 0.5 mm Pb, L 10 cm (shielding)", shielding});
    return list;
}

//! What one estimate's updates showed, timed from its start.
struct Timeline {
    double beamSeconds = -1;
    double firstSeconds = -1;
    double firstHistories = 0;
    double firstWorstPercent = 0;
    double reachedSeconds = -1;
    double reachedHistories = 0;
    int rounds = 0;
    bool finished = false;
    std::string failure;
};

class Recorder {
public:
    void reset(std::uint64_t request, Clock::time_point start) {
        std::lock_guard lock(m_mutex);
        m_request = request;
        m_start = start;
        m_line = {};
    }
    void take(std::uint64_t request, const LiveUpdate& update) {
        std::lock_guard lock(m_mutex);
        if (request != m_request) return;
        const double t = std::chrono::duration<double>(Clock::now() - m_start).count();
        if (update.beam && m_line.beamSeconds < 0) m_line.beamSeconds = t;
        if (update.round) {
            ++m_line.rounds;
            if (m_line.firstSeconds < 0) {
                m_line.firstSeconds = t;
                m_line.firstHistories = update.round->historyCount;
                m_line.firstWorstPercent = update.round->worstPercent;
            }
            if (update.round->reached && m_line.reachedSeconds < 0) {
                m_line.reachedSeconds = t;
                m_line.reachedHistories = update.round->historyCount;
            }
        }
        if (!update.failure.empty()) m_line.failure = update.failure;
        if (update.finished) m_line.finished = true;
        m_changed.notify_all();
    }
    //! Waits for the estimate's end, or for its first round when `firstOnly`.
    Timeline wait(bool firstOnly) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_line.finished || (firstOnly && m_line.rounds > 0); });
        return m_line;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_request = 0;
    Clock::time_point m_start;
    Timeline m_line;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    LiveSettings settings;
    if (argc > 2) settings.targetPercent = std::atof(argv[2]);

    const Clock::time_point loadStart = Clock::now();
    const auto tables = sharedLiveTables(KORVANA_DATA_DIR);
    const double loadSeconds = std::chrono::duration<double>(Clock::now() - loadStart).count();

    Recorder recorder;
    LiveWorker worker(
        [&recorder](std::uint64_t request, const LiveUpdate& u) { recorder.take(request, u); });
    const auto startEstimate = [&](const LiveInputs& inputs, const LiveSettings& s) {
        // The number is known only after start; the recorder takes the next one.
        static std::uint64_t next = 0;
        recorder.reset(++next, Clock::now());
        worker.start(tables, inputs, s);
    };

    std::printf("live_bench: %u cores, tables read once in %.3f s, target %.2g %%, median of %d\n",
                std::thread::hardware_concurrency(), loadSeconds, settings.targetPercent, repeats);
    std::printf("%-48s %8s %8s %10s %8s %8s %10s %6s\n", "condition", "beam s", "first s",
                "first hist", "first %", "target s", "hist", "rounds");
    for (const Condition& c : conditions()) {
        std::vector<double> beam, first, reached;
        Timeline last;
        for (int r = 0; r < repeats; ++r) {
            startEstimate(c.inputs, settings);
            last = recorder.wait(false);
            beam.push_back(last.beamSeconds);
            first.push_back(last.firstSeconds);
            reached.push_back(last.reachedSeconds);
        }
        if (!last.failure.empty()) {
            std::printf("%-48s refused: %s\n", c.name, last.failure.c_str());
            continue;
        }
        std::printf("%-48s %8.3f %8.3f %10.3g %8.2f %8.3f %10.3g %6d%s\n", c.name, median(beam),
                    median(first), last.firstHistories, last.firstWorstPercent, median(reached),
                    last.reachedHistories, last.rounds,
                    last.reachedSeconds < 0 ? "  (cap reached first)" : "");
    }

    // A change while rounds run: the default case at 0.5 % is under way when
    // the 120 kV case arrives; the time runs from that change.
    LiveSettings fine = settings;
    fine.targetPercent = 0.5;
    std::vector<double> afterChange;
    for (int r = 0; r < repeats; ++r) {
        startEstimate(conditions()[0].inputs, fine);
        recorder.wait(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        startEstimate(conditions()[1].inputs, settings);
        afterChange.push_back(recorder.wait(true).firstSeconds);
        recorder.wait(false);
    }
    std::printf("change while rounds run -> new first estimate: %.3f s (median)\n",
                median(afterChange));
    return 0;
}
