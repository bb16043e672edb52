#include "app/study/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace korvana::study {

namespace {

//! How long a wait for console text lasts before keepGoing is asked again:
//! short enough that Ctrl+C stops the program at once, long enough to cost nothing.
constexpr int POLL_MS = 250;  // [ms]

// Everything the child needs is prepared before fork: only async-signal-safe
// calls happen between fork and exec.
[[noreturn]] void execChild(const ProgramRequest& request, char* const* argv, int outFd) {
    const int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(outFd, STDOUT_FILENO) < 0 ||
        ::dup2(outFd, STDERR_FILENO) < 0 || ::chdir(request.directory.c_str()) != 0) {
        ::_exit(127);
    }
    ::execv(request.program.c_str(), argv);
    ::_exit(127);
}

void stopChild(pid_t pid) {
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        ::usleep(50000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// The program's console: the pipe's bytes appended to the log and cut into
// lines, each handed on; the last line naming the program is kept.
class ConsoleLines {
public:
    ConsoleLines(const ProgramRequest& request, std::ofstream& log,
                 const std::function<void(std::string_view)>& onLine, ProgramOutcome& outcome)
        : m_prefix(request.program.substr(request.program.find_last_of('/') + 1) + ":"),
          m_log(log),
          m_onLine(onLine),
          m_outcome(outcome) {}

    void add(const char* bytes, std::size_t count) {
        m_log.write(bytes, static_cast<std::streamsize>(count));
        m_log.flush();
        m_pending.append(bytes, count);
        handOn(false);
    }
    //! The console is closed: a last line without its line end counts too.
    void close() { handOn(true); }

private:
    void handOn(bool closed) {
        std::size_t end;
        while ((end = m_pending.find('\n')) != std::string::npos ||
               (closed && !m_pending.empty())) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end == std::string::npos ? end : end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind(m_prefix, 0) == 0) m_outcome.lastErrorLine = line;
            m_onLine(line);
        }
    }

    const std::string m_prefix;
    std::ofstream& m_log;
    const std::function<void(std::string_view)>& m_onLine;
    ProgramOutcome& m_outcome;
    std::string m_pending;
};

// Forks and execs the program with its console on a pipe; the reading end,
// or -1 with the reason in the outcome.
int startChild(const ProgramRequest& request, pid_t& pid, ProgramOutcome& outcome) {
    std::vector<std::string> words = {request.program};
    words.insert(words.end(), request.arguments.begin(), request.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        outcome.startError = std::string("no pipe for its console: ") + std::strerror(errno);
        return -1;
    }
    pid = ::fork();
    if (pid < 0) {
        outcome.startError = std::string("cannot start a process: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return -1;
    }
    if (pid == 0) execChild(request, argv.data(), fds[1]);
    ::close(fds[1]);
    outcome.started = true;
    return fds[0];
}

// Reads the console until the program closes it; false when keepGoing said
// stop (the program is then stopped).
bool readConsole(int fd, pid_t pid, ConsoleLines& console, const std::function<bool()>& keepGoing) {
    char buffer[4096];
    for (;;) {
        if (!keepGoing()) {
            stopChild(pid);
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, POLL_MS);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        console.add(buffer, static_cast<std::size_t>(got));
    }
    console.close();
    return true;
}

// Waits for the program's end and records how it ended.
void waitForEnd(pid_t pid, const ProgramRequest& request, const std::function<bool()>& keepGoing,
                ProgramOutcome& outcome) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        if (!keepGoing()) {
            stopChild(pid);
            outcome.stopped = true;
            return;
        }
    }
    // Ctrl+C on a terminal reaches the whole process group: a program ended by
    // it counts as stopped, not as failed.
    if (!keepGoing()) {
        outcome.stopped = true;
        return;
    }
    if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    if (outcome.exitStatus == 127 && outcome.lastErrorLine.empty()) {
        outcome.startError = "could not be started in " + request.directory;
    }
}

}  // namespace

ProgramOutcome runProgram(const ProgramRequest& request,
                          const std::function<void(std::string_view)>& onLine,
                          const std::function<bool()>& keepGoing) {
    ProgramOutcome outcome;
    if (::access(request.program.c_str(), X_OK) != 0) {
        outcome.startError = request.program + " is not an executable program";
        return outcome;
    }
    std::ofstream log(request.logFile, std::ios::binary | std::ios::app);
    if (!log) {
        outcome.startError = "cannot write the console log " + request.logFile;
        return outcome;
    }
    pid_t pid = -1;
    const int fd = startChild(request, pid, outcome);
    if (fd < 0) return outcome;
    ConsoleLines console(request, log, onLine, outcome);
    const bool finished = readConsole(fd, pid, console, keepGoing);
    ::close(fd);
    if (!finished) {
        outcome.stopped = true;
        return outcome;
    }
    waitForEnd(pid, request, keepGoing, outcome);
    return outcome;
}

bool succeeded(const ProgramOutcome& outcome) {
    return outcome.started && !outcome.stopped && outcome.exitStatus == 0;
}

std::string describeFailure(const std::string& programName, const ProgramOutcome& outcome) {
    if (!outcome.startError.empty()) return programName + ": " + outcome.startError;
    if (outcome.stopped) return programName + " was stopped";
    std::string text =
        outcome.signal != 0
            ? programName + " ended by signal " + std::to_string(outcome.signal)
            : programName + " exited with status " + std::to_string(outcome.exitStatus);
    if (!outcome.lastErrorLine.empty()) text += " (" + outcome.lastErrorLine + ")";
    return text;
}

}  // namespace korvana::study
