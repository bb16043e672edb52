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

namespace korvana::study {

namespace {

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
    std::vector<std::string> words = {request.program};
    words.insert(words.end(), request.arguments.begin(), request.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        outcome.startError = std::string("no pipe for its console: ") + std::strerror(errno);
        return outcome;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        outcome.startError = std::string("cannot start a process: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return outcome;
    }
    if (pid == 0) execChild(request, argv.data(), fds[1]);
    ::close(fds[1]);
    outcome.started = true;

    const std::string prefix = request.program.substr(request.program.find_last_of('/') + 1) + ":";
    std::string pending;
    char buffer[4096];
    bool open = true;
    while (open) {
        if (!keepGoing()) {
            stopChild(pid);
            ::close(fds[0]);
            outcome.stopped = true;
            return outcome;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, 250);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            open = false;
        } else {
            log.write(buffer, got);
            log.flush();
            pending.append(buffer, static_cast<std::size_t>(got));
        }
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos || (!open && !pending.empty())) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end == std::string::npos ? end : end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind(prefix, 0) == 0) outcome.lastErrorLine = line;
            onLine(line);
        }
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        if (!keepGoing()) {
            stopChild(pid);
            outcome.stopped = true;
            return outcome;
        }
    }
    // Ctrl+C on a terminal reaches the whole process group: a program ended by
    // it counts as stopped, not as failed.
    if (!keepGoing()) {
        outcome.stopped = true;
        return outcome;
    }
    if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    if (outcome.exitStatus == 127 && outcome.lastErrorLine.empty()) {
        outcome.startError = "could not be started in " + request.directory;
    }
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
