#include "app/live/live_worker.h"

#include <exception>

namespace korvana::app {

LiveWorker::LiveWorker(Listener listener)
    : m_listener(std::move(listener)), m_thread([this] { loop(); }) {}

LiveWorker::~LiveWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
        m_pending.reset();
        if (m_running) m_running->cancel();
    }
    m_wake.notify_all();
    m_thread.join();
}

std::uint64_t LiveWorker::start(std::shared_ptr<const LiveTables> tables, const LiveInputs& inputs,
                                const LiveSettings& settings) {
    std::uint64_t number = 0;
    {
        std::lock_guard lock(m_mutex);
        number = ++m_lastNumber;
        m_pending = Request{number, std::move(tables), inputs, settings};
        if (m_running) m_running->cancel();
    }
    m_wake.notify_all();
    return number;
}

void LiveWorker::stop() {
    std::lock_guard lock(m_mutex);
    m_pending.reset();
    if (m_running) m_running->cancel();
}

int LiveWorker::cancelledCount() const {
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

void LiveWorker::loop() {
    for (;;) {
        Request request;
        std::shared_ptr<LiveEstimate> estimate;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_shutdown || m_pending; });
            if (m_shutdown) return;
            request = std::move(*m_pending);
            m_pending.reset();
            estimate =
                std::make_shared<LiveEstimate>(request.tables, request.inputs, request.settings);
            m_running = estimate;
        }
        const auto tell = [&](const LiveUpdate& update) { m_listener(request.number, update); };
        LiveEstimate::Outcome outcome = LiveEstimate::Outcome::Failed;
        try {
            outcome = estimate->run(tell);
        } catch (const std::exception& error) {
            // A failure inside the engine's threads or the result's reading:
            // told like refused inputs, and the worker waits for the next request.
            LiveUpdate failed;
            failed.finished = true;
            failed.failure = error.what();
            tell(failed);
        }
        {
            std::lock_guard lock(m_mutex);
            m_running.reset();
            if (outcome == LiveEstimate::Outcome::Cancelled) ++m_cancelled;
        }
        if (outcome == LiveEstimate::Outcome::Cancelled) {
            LiveUpdate cancelled;
            cancelled.finished = true;
            tell(cancelled);
        }
    }
}

}  // namespace korvana::app
