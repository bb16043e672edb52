// The processes of one run. Built with MPI and started by an MPI launcher
// (mpirun, srun), the engine's blocks are dealt to every process, and process 0
// alone talks to the console, merges the blocks in order and writes the files:
// the result is byte-identical to a threaded run with the same seed. Started
// any other way, or built without MPI, it is one process and MPI is never
// initialised (the launcher is recognised by the variables it sets for its
// processes, so a plain start needs no MPI runtime at all).
#pragma once

#include <memory>

#include "engine/run/parallel_run.h"

namespace korvana::engine {

class ProcessGroup {
public:
    ProcessGroup(int argc, char** argv);
    ~ProcessGroup();
    ProcessGroup(const ProcessGroup&) = delete;
    ProcessGroup& operator=(const ProcessGroup&) = delete;

    //! The exchange for a run over several processes, null for one process.
    //! Several processes always run the parallel mode.
    BlockExchange* exchange() const { return m_exchange.get(); }

    //! Stops every process of the run after a failure in this one.
    void abort(int status);

private:
    std::unique_ptr<BlockExchange> m_exchange;
    bool m_initialised = false;
};

}  // namespace korvana::engine
