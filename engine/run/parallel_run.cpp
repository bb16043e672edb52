#include "engine/run/parallel_run.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

#include "engine/transport/geometry.h"

namespace korvana::engine {

std::vector<HistoryBlock> planBlocks(const PreparedSpectrum& spectrum, float historyCount) {
    std::vector<HistoryBlock> blocks;
    for (int bin = FIRST_SIMULATED_BIN; bin <= spectrum.topBin; ++bin) {
        const std::int64_t count = binPhotonCount(spectrum, bin, historyCount);
        for (std::int64_t first = 0, index = 0; first < count; first += BLOCK_HISTORIES, ++index) {
            blocks.push_back(HistoryBlock{bin, index, std::min(BLOCK_HISTORIES, count - first)});
        }
    }
    return blocks;
}

void addBlock(Scores& scores, KermaMoments& moments, const BlockTallies& block) {
    addScores(scores, block.scores);
    moments.merge(block.moments);
}

int availableCores() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto TICK = std::chrono::seconds(5);

//! The blocks of one run and the state the threads share.
class BlockRun {
public:
    BlockRun(const EngineInputs& in, const ParallelSettings& settings)
        : m_in(in), m_settings(settings), m_blocks(planBlocks(in.spectrum, in.run.historyCount)) {
        m_rank = settings.exchange ? settings.exchange->rank() : 0;
        m_ranks = settings.exchange ? settings.exchange->rankCount() : 1;
        m_nextToTake = m_rank;
        // Finished blocks wait for the merge in memory (about 90 kB each). Four
        // per thread, plus four, is room enough that a thread rarely waits for
        // a slow block before it (blocks of low bins end faster than the
        // rest), while a run of any size keeps a few MB; each process of a run
        // over several takes every rank-th block, hence the factor.
        m_window = static_cast<std::int64_t>(4 * settings.threads + 4) * m_ranks;
    }

    std::int64_t histories() const {
        std::int64_t total = 0;
        for (const HistoryBlock& b : m_blocks) total += b.histories;
        return total;
    }

    //! A worker thread: takes this process's blocks as they come.
    void work() {
        try {
            withTransport(
                m_in, m_settings.build, m_settings.estimator,
                [this](auto& physics, auto& tally) { takeBlocks(physics, tally); },
                m_settings.nextEvent);
        } catch (...) {
            std::lock_guard lock(m_mutex);
            if (!m_failure) m_failure = std::current_exception();
            m_stop = true;
            m_changed.notify_all();
            m_wake.notify_all();
        }
    }

    template <class Physics, class Tally>
    void takeBlocks(Physics& physics, Tally& tally) {
        for (;;) {
            std::int64_t g = 0;
            {
                std::unique_lock lock(m_mutex);
                // Process 0 runs at most a window ahead of its merge; the
                // others send each block at once and need no window.
                m_wake.wait(lock, [&] {
                    return m_stop || m_nextToTake >= size() || m_rank != 0 ||
                           m_nextToTake < m_nextToMerge + m_window;
                });
                if (m_stop || m_nextToTake >= size()) return;
                g = m_nextToTake;
                m_nextToTake += m_ranks;
            }
            auto tallies = std::make_unique<BlockTallies>();
            runBlock(m_in, m_blocks[static_cast<std::size_t>(g)], m_settings.seed, physics, tally,
                     *tallies);
            std::lock_guard lock(m_mutex);
            m_finished.emplace(g, std::move(tallies));
            m_changed.notify_all();
        }
    }

    //! Process 0: merges every block in order while the workers run.
    void merge(Scores& scores, KermaMoments& moments, const std::function<void(int)>& onBinDone,
               const std::function<void(const ParallelProgress&)>& onTick) {
        ParallelProgress progress;
        progress.historiesTotal = histories();
        const Clock::time_point start = Clock::now();
        Clock::time_point nextTick = start + TICK;
        int nextBin = FIRST_SIMULATED_BIN;
        const auto reportBins = [&] {
            // A bin is done when no block of it is left; bins without blocks
            // are reported as their turn comes.
            while (nextBin <= m_in.spectrum.topBin &&
                   (m_nextToMerge >= size() ||
                    m_blocks[static_cast<std::size_t>(m_nextToMerge)].bin > nextBin)) {
                onBinDone(nextBin++);
            }
        };
        reportBins();
        while (m_nextToMerge < size()) {
            std::unique_ptr<BlockTallies> block;
            {
                std::unique_lock lock(m_mutex);
                for (;;) {
                    if (m_failure) return;
                    pollOtherProcesses();
                    const auto found = m_finished.find(m_nextToMerge);
                    if (found != m_finished.end()) {
                        block = std::move(found->second);
                        m_finished.erase(found);
                        break;
                    }
                    // Blocks of other processes arrive without a notification,
                    // so the merge polls for them often; the threads of this
                    // process notify, and the wait only bounds the time
                    // before the next progress tick is looked at.
                    const auto wait = m_settings.exchange ? std::chrono::milliseconds(2)
                                                          : std::chrono::milliseconds(200);
                    m_changed.wait_for(lock, wait);
                    if (Clock::now() >= nextTick) break;
                }
            }
            const Clock::time_point now = Clock::now();
            if (now >= nextTick) {
                progress.seconds = std::chrono::duration<double>(now - start).count();
                onTick(progress);
                nextTick = now + TICK;
            }
            if (!block) continue;
            addBlock(scores, moments, *block);
            progress.historiesDone += m_blocks[static_cast<std::size_t>(m_nextToMerge)].histories;
            {
                std::lock_guard lock(m_mutex);
                ++m_nextToMerge;
            }
            m_wake.notify_all();
            reportBins();
        }
    }

    //! Processes other than 0: sends each finished block to process 0.
    void send() {
        std::int64_t sent = 0;
        std::int64_t mine = 0;
        for (std::int64_t g = m_rank; g < size(); g += m_ranks) ++mine;
        while (sent < mine) {
            std::unique_ptr<BlockTallies> block;
            std::int64_t g = 0;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_failure || !m_finished.empty(); });
                if (m_failure) return;
                g = m_finished.begin()->first;
                block = std::move(m_finished.begin()->second);
                m_finished.erase(m_finished.begin());
            }
            m_settings.exchange->send(g, *block);
            ++sent;
        }
    }

    void stop() {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_wake.notify_all();
    }

    void rethrowFailure() const {
        if (m_failure) std::rethrow_exception(m_failure);
    }

private:
    std::int64_t size() const { return static_cast<std::int64_t>(m_blocks.size()); }

    //! Called with the lock held, on process 0 of a run over several.
    void pollOtherProcesses() {
        if (!m_settings.exchange) return;
        for (;;) {
            std::int64_t g = 0;
            std::unique_ptr<BlockTallies> block = m_settings.exchange->poll(g);
            if (!block) return;
            m_finished.emplace(g, std::move(block));
        }
    }

    const EngineInputs& m_in;
    const ParallelSettings& m_settings;
    const std::vector<HistoryBlock> m_blocks;
    int m_rank = 0, m_ranks = 1;
    std::int64_t m_window = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;  //!< a block finished, or a thread failed
    std::condition_variable m_wake;     //!< the merge moved on, or the run stops
    std::int64_t m_nextToTake = 0;
    std::int64_t m_nextToMerge = 0;
    std::map<std::int64_t, std::unique_ptr<BlockTallies>> m_finished;
    std::exception_ptr m_failure;
    bool m_stop = false;
};

}  // namespace

std::int64_t simulateParallel(const EngineInputs& in, const ParallelSettings& settings,
                              Scores& scores, KermaMoments& moments,
                              const std::function<void(int bin)>& onBinDone,
                              const std::function<void(const ParallelProgress&)>& onTick) {
    BlockRun run(in, settings);
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(settings.threads));
    for (int t = 0; t < settings.threads; ++t) workers.emplace_back([&run] { run.work(); });
    try {
        if (!settings.exchange || settings.exchange->rank() == 0) {
            run.merge(scores, moments, onBinDone, onTick);
        } else {
            run.send();
        }
    } catch (...) {
        run.stop();
        for (std::thread& t : workers) t.join();
        throw;
    }
    run.stop();
    for (std::thread& t : workers) t.join();
    run.rethrowFailure();
    return run.histories();
}

}  // namespace korvana::engine
