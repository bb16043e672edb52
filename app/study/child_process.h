// Running a console program of the chain (tavisen, lumetrel) for a study
// condition: in the condition's folder, with standard input from /dev/null
// (so the engine's Enter prompts go on by themselves), its console text
// appended to a log file and handed on line by line, and stopped on request.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvana::study {

struct ProgramOutcome {
    bool started = false;
    bool stopped = false;       //!< ended by keepGoing returning false
    int exitStatus = -1;        //!< when it exited by itself
    int signal = 0;             //!< when a signal ended it
    std::string lastErrorLine;  //!< the last console line naming the program ("lumetrel: ...")
    std::string startError;     //!< why it could not be started
};

struct ProgramRequest {
    std::string program;  //!< path of the executable
    std::vector<std::string> arguments;
    std::string directory;  //!< working directory of the program
    std::string logFile;    //!< console text is appended here
};

//! Runs the program to its end. `onLine` gets every complete console line;
//! `keepGoing` is asked about four times a second and also when a line
//! arrives: false ends the program (SIGTERM, SIGKILL when it has not ended
//! after five seconds).
ProgramOutcome runProgram(const ProgramRequest& request,
                          const std::function<void(std::string_view)>& onLine,
                          const std::function<bool()>& keepGoing);

//! True when the program ended by itself with status 0.
bool succeeded(const ProgramOutcome& outcome);

//! The outcome in words: "exited with status 2 (lumetrel: ...)", "ended by signal 9", ...
std::string describeFailure(const std::string& programName, const ProgramOutcome& outcome);

}  // namespace korvana::study
