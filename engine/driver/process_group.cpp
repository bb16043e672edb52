#include "engine/driver/process_group.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef KORVANA_WITH_MPI
#include <mpi.h>
#endif

namespace korvana::engine {

#ifdef KORVANA_WITH_MPI

namespace {

constexpr int BLOCK_TAG = 17;

//! True when an MPI launcher started this process.
bool startedByLauncher() {
    for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE", "PMIX_RANK", "MPI_LOCALNRANKS"}) {
        if (std::getenv(name)) return true;
    }
    return false;
}

//! Blocks travel as raw bytes: every process runs the same program, and the
//! tallies are plain arrays of numbers.
class MpiExchange : public BlockExchange {
public:
    MpiExchange(int rank, int size) : m_rank(rank), m_size(size) {}
    int rank() const override { return m_rank; }
    int rankCount() const override { return m_size; }

    void send(std::int64_t blockNumber, const BlockTallies& tallies) override {
        std::vector<char> buffer(MESSAGE_BYTES);
        std::memcpy(buffer.data(), &blockNumber, sizeof blockNumber);
        std::memcpy(buffer.data() + sizeof blockNumber, &tallies, sizeof tallies);
        MPI_Send(buffer.data(), MESSAGE_BYTES, MPI_BYTE, 0, BLOCK_TAG, MPI_COMM_WORLD);
    }

    std::unique_ptr<BlockTallies> poll(std::int64_t& blockNumber) override {
        int arrived = 0;
        MPI_Status status;
        MPI_Iprobe(MPI_ANY_SOURCE, BLOCK_TAG, MPI_COMM_WORLD, &arrived, &status);
        if (!arrived) return nullptr;
        std::vector<char> buffer(MESSAGE_BYTES);
        MPI_Recv(buffer.data(), MESSAGE_BYTES, MPI_BYTE, status.MPI_SOURCE, BLOCK_TAG,
                 MPI_COMM_WORLD, MPI_STATUS_IGNORE);
        auto tallies = std::make_unique<BlockTallies>();
        std::memcpy(&blockNumber, buffer.data(), sizeof blockNumber);
        std::memcpy(tallies.get(), buffer.data() + sizeof blockNumber, sizeof(BlockTallies));
        return tallies;
    }

    void waitForProcessZero() override {
        int go = 1;
        MPI_Bcast(&go, 1, MPI_INT, 0, MPI_COMM_WORLD);
    }

private:
    static constexpr int MESSAGE_BYTES =
        static_cast<int>(sizeof(std::int64_t) + sizeof(BlockTallies));
    int m_rank, m_size;
};

}  // namespace

ProcessGroup::ProcessGroup(int argc, char** argv) {
    if (!startedByLauncher()) return;
    int provided = 0;
    // Only the main thread of each process calls MPI; the workers do not.
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    m_initialised = true;
    if (provided < MPI_THREAD_FUNNELED) {
        // Worker threads beside MPI calls need at least this level.
        std::fputs(
            "lumetrel: the MPI library offers no thread support (MPI_THREAD_FUNNELED) - "
            "use an MPI build with threads, or run lumetrel without mpirun\n",
            stderr);
        MPI_Abort(MPI_COMM_WORLD, 2);
    }
    int rank = 0, size = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &size);
    if (size > 1) m_exchange = std::make_unique<MpiExchange>(rank, size);
}

ProcessGroup::~ProcessGroup() {
    if (m_initialised) MPI_Finalize();
}

void ProcessGroup::abort(int status) {
    if (m_exchange) MPI_Abort(MPI_COMM_WORLD, status);
}

#else

ProcessGroup::ProcessGroup(int, char**) {}
ProcessGroup::~ProcessGroup() = default;
void ProcessGroup::abort(int) {}

#endif

}  // namespace korvana::engine
