#include "engine/run/engine_run.h"

#include <algorithm>

#include "common/data_error.h"
#include "engine/run/simulation.h"

namespace korvana::engine {

namespace {

//! The results of finished tallies, as the result and uncertainty files hold them.
RunSnapshot resultsOf(const EngineInputs& in, const RunParameters& run,
                      std::unique_ptr<Scores> scores, const KermaMoments& moments,
                      std::int64_t histories, Estimator estimator) {
    RunSnapshot s;
    s.histories = histories;
    s.run = run;
    s.scores = std::move(scores);
    s.totals = finishRun(*s.scores, in.spectrum, in.air, s.run);
    s.resultLines =
        resultFileLines(s.totals, *s.scores, in.spectrum, s.run, in.spectrumFile.descriptor);
    s.uncertainties = uncertaintyTableFor(s.totals, *s.scores, moments, estimatorName(estimator));
    s.uncertainties.histories = s.histories;
    s.uncertainties.resultDigest = resultDigest(s.resultLines);
    s.uncertaintyLines = uncertaintyFileLines(s.uncertainties);
    if (!in.scene.eyePoints.empty()) {
        s.eyePoints = eyePointTableFor(s.totals, *s.scores, moments, in.scene);
        s.eyePoints.histories = s.histories;
        s.eyePoints.resultDigest = s.uncertainties.resultDigest;
        s.pointsLines = pointsFileLines(s.eyePoints);
    }
    return s;
}

}  // namespace

void requireEstimatorScoresScene(const EngineInputs& in, Estimator estimator,
                                 const std::string& source) {
    if (estimator == Estimator::NextEvent || in.scene.eyePoints.empty()) return;
    const std::size_t count = in.scene.eyePoints.size();
    throw DataError(
        SourcePosition{source, 0, 0},
        "the scene has " + std::to_string(count) + (count == 1 ? " eye point" : " eye points") +
            ", which the " + estimatorName(estimator) +
            " estimator cannot score (it counts only the photons that cross the measuring "
            "points' and the grid's discs; eye points are scored by the next-event estimator) "
            "- run with --estimator " +
            estimatorName(Estimator::NextEvent));
}

RunSnapshot runFixedTotal(const EngineInputs& in, const FixedTotalSettings& settings) {
    requireEstimatorScoresScene(in, settings.parallel.estimator, "the scene");
    // Large tallies: kept off the stack.
    auto scores = std::make_unique<Scores>();
    auto moments = std::make_unique<KermaMoments>();
    const auto ignoreBin = [](int) {};
    const std::function<void(int)>& onBin = settings.onBin ? settings.onBin : ignoreBin;
    std::int64_t histories = 0;
    if (settings.mode == StreamMode::Single) {
        RandomStream stream = RandomStream::withFixedSeed();
        simulate(in, settings.parallel.build, stream, *scores, onBin, moments.get(),
                 settings.parallel.estimator);
        histories = runHistoryCount(in.spectrum, in.run.historyCount);
    } else {
        const auto ignoreTick = [](const ParallelProgress&) {};
        histories = simulateParallel(in, settings.parallel, *scores, *moments, onBin,
                                     settings.onTick ? settings.onTick : ignoreTick);
        const BlockExchange* exchange = settings.parallel.exchange;
        if (exchange && exchange->rank() != 0) return RunSnapshot{};
    }
    return resultsOf(in, in.run, std::move(scores), *moments, histories,
                     settings.parallel.estimator);
}

EngineRun::EngineRun(std::unique_ptr<const EngineInputs> inputs, RunSettings settings)
    : m_in(std::move(inputs)), m_settings(std::move(settings)) {
    requireEstimatorScoresScene(*m_in, m_settings.estimator, "the scene");
    m_bins.resize(GRID_BINS + 1);
    const int threads = std::max(1, m_settings.threads);
    m_pool.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) m_pool.emplace_back([this] { work(); });
}

EngineRun::~EngineRun() {
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_pool) t.join();
}

void EngineRun::cancel() {
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_wake.notify_all();
    m_changed.notify_all();
}

std::int64_t EngineRun::histories() const {
    std::lock_guard lock(m_stateMutex);
    return m_histories;
}

std::vector<EngineRun::Piece> EngineRun::planRound(float total) const {
    std::vector<Piece> pieces;
    for (int bin = FIRST_SIMULATED_BIN; bin <= m_in->spectrum.topBin; ++bin) {
        const std::vector<Block>& blocks = m_bins[static_cast<std::size_t>(bin)];
        std::int64_t have = 0;
        for (const Block& b : blocks) have += b.histories;
        const std::int64_t want = binPhotonCount(m_in->spectrum, bin, total);
        std::int64_t index = static_cast<std::int64_t>(blocks.size());
        if (have < want && !blocks.empty() && blocks.back().histories < BLOCK_HISTORIES) {
            // The bin's unfinished block goes on from where it stood.
            const Block& last = blocks.back();
            const std::int64_t add = std::min(BLOCK_HISTORIES - last.histories, want - have);
            pieces.push_back(Piece{HistoryBlock{bin, index - 1, add},
                                   Block{last.histories, last.stream, last.position,
                                         std::make_unique<BlockTallies>(*last.tallies)}});
            have += add;
        }
        for (; have < want; ++index) {
            const std::int64_t add = std::min(BLOCK_HISTORIES, want - have);
            pieces.push_back(Piece{HistoryBlock{bin, index, add},
                                   Block{0, RandomStream::forBlock(m_settings.seed, bin, index),
                                         SequencePosition::forBlock(m_settings.seed, bin, index),
                                         std::make_unique<BlockTallies>()}});
            have += add;
        }
    }
    return pieces;
}

EngineRun::Outcome EngineRun::advance(double histories) {
    const double total = m_total + histories;
    std::vector<Piece> pieces = planRound(static_cast<float>(total));
    {
        std::unique_lock lock(m_mutex);
        if (m_cancelled) return Outcome::Cancelled;
        m_pieces = std::move(pieces);
        m_nextPiece = 0;
        m_piecesDone = 0;
        m_failure = nullptr;
    }
    m_wake.notify_all();
    std::unique_lock lock(m_mutex);
    // Every piece ended, or (after a cancel or a failure) every piece taken.
    m_changed.wait(lock, [&] {
        return m_piecesDone == m_pieces.size() ||
               ((m_cancelled || m_failure) && m_piecesDone == m_nextPiece);
    });
    pieces = std::move(m_pieces);
    m_pieces.clear();
    if (m_failure) std::rethrow_exception(m_failure);
    if (m_cancelled) return Outcome::Cancelled;
    lock.unlock();

    std::lock_guard state(m_stateMutex);
    for (Piece& piece : pieces) {
        std::vector<Block>& blocks = m_bins[static_cast<std::size_t>(piece.block.bin)];
        const std::size_t index = static_cast<std::size_t>(piece.block.index);
        if (index < blocks.size()) {
            blocks[index] = std::move(piece.result);
        } else {
            blocks.push_back(std::move(piece.result));
        }
        m_histories += piece.block.histories;
    }
    m_total = total;
    return Outcome::Done;
}

void EngineRun::work() {
    try {
        withTransport(*m_in, m_settings.build, m_settings.estimator,
                      [this](auto& physics, auto& tally) { takePieces(physics, tally); });
    } catch (...) {
        // Building a thread's physics failed: the round it would serve fails.
        std::lock_guard lock(m_mutex);
        if (!m_failure) m_failure = std::current_exception();
        m_changed.notify_all();
    }
}

template <class Physics, class Tally>
void EngineRun::takePieces(Physics& physics, Tally& tally) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] {
            return m_shutdown || (!m_cancelled && !m_failure && m_nextPiece < m_pieces.size());
        });
        if (m_shutdown) return;
        Piece& piece = m_pieces[m_nextPiece++];
        lock.unlock();
        try {
            if (m_settings.onPieceStart) m_settings.onPieceStart(piece.block);
            Block& b = piece.result;
            runHistories(*m_in, piece.block.bin, piece.block.histories, physics, tally,
                         TallyTarget{&b.tallies->scores, &b.tallies->moments}, b.position,
                         b.stream);
            b.histories += piece.block.histories;
            lock.lock();
        } catch (...) {
            lock.lock();
            if (!m_failure) m_failure = std::current_exception();
        }
        ++m_piecesDone;
        m_changed.notify_all();
    }
}

RunSnapshot EngineRun::snapshot() const {
    std::lock_guard state(m_stateMutex);
    RunParameters run = m_in->run;
    run.historyCount = static_cast<float>(m_total);
    auto scores = std::make_unique<Scores>();
    auto moments = std::make_unique<KermaMoments>();
    auto closed = std::make_unique<BlockTallies>();
    for (const std::vector<Block>& blocks : m_bins) {
        for (const Block& b : blocks) {
            // An unfinished block is closed as it stands, on a copy: it may go on.
            *closed = *b.tallies;
            closed->moments.closeStratum(b.histories);
            addBlock(*scores, *moments, *closed);
        }
    }
    return resultsOf(*m_in, run, std::move(scores), *moments, m_histories, m_settings.estimator);
}

}  // namespace korvana::engine
