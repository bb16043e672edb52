// The live estimate off the caller's thread: one worker thread runs the most
// recent request; a new request cancels the estimate under way (which stops
// within one block of histories) and the worker goes on with the newest
// request only, so a burst of changes costs one cancelled estimate, not one
// per change. The caller never waits, except in the destructor.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "app/live/live_estimate.h"

namespace korvana::app {

class LiveWorker {
public:
    //! Called on the worker thread with the request's number and each update;
    //! after a cancelled estimate with an update whose `finished` is set and
    //! that holds nothing else.
    using Listener = std::function<void(std::uint64_t request, const LiveUpdate& update)>;

    explicit LiveWorker(Listener listener);
    //! Cancels the estimate under way and waits for the thread.
    ~LiveWorker();
    LiveWorker(const LiveWorker&) = delete;
    LiveWorker& operator=(const LiveWorker&) = delete;

    //! Cancels the estimate under way and queues this one; returns its number
    //! (1, 2, ...: the latest number is the one whose updates count).
    std::uint64_t start(std::shared_ptr<const LiveTables> tables, const LiveInputs& inputs,
                        const LiveSettings& settings);
    //! Cancels the estimate under way and any queued one.
    void stop();

    //! Estimates stopped by cancel so far.
    int cancelledCount() const;

private:
    struct Request {
        std::uint64_t number = 0;
        std::shared_ptr<const LiveTables> tables;
        LiveInputs inputs;
        LiveSettings settings;
    };
    void loop();

    Listener m_listener;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_pending;
    std::shared_ptr<LiveEstimate> m_running;
    std::uint64_t m_lastNumber = 0;
    int m_cancelled = 0;
    bool m_shutdown = false;
    std::thread m_thread;  //!< last: started when everything above exists
};

}  // namespace korvana::app
