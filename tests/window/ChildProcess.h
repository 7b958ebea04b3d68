// A program run by a test as a child process: its own working directory and environment, its
// standard error kept in a file, and an end that the test waits for with a time limit. A child
// still running when the object goes is killed (by its process id) and reaped.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace WindowTest {

// Environment changes: a value replaces or adds the variable, nullopt removes it.
using TEnvironment = std::map<std::string, std::optional<std::string>>;

// How a child ended.
struct TExit {
    bool Exited = false;  // false: killed by a signal
    int Status = 0;       // exit status, or the signal's number
};

class TChildProcess {
public:
    // Starts AProgram (a path, or a name looked up in PATH) with AArguments in AWorkingDirectory;
    // the child's standard error goes to AStderrFile, its standard output to /dev/null, and the
    // descriptor AInheritedFd (if not -1) stays open in it. Raises std::runtime_error when it
    // cannot start.
    TChildProcess(const std::string& AProgram, const std::vector<std::string>& AArguments,
                  const std::string& AWorkingDirectory, const TEnvironment& AEnvironment,
                  const std::string& AStderrFile, int AInheritedFd = -1);
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    pid_t Pid() const { return FPid; }
    bool Running();
    // Waits up to ATimeout for the end; nullopt when the child is still running.
    std::optional<TExit> Wait(std::chrono::milliseconds ATimeout);
    // Kills the child (SIGKILL) and reaps it.
    void Kill();
    // What the child wrote to standard error so far.
    std::string Stderr() const;

private:
    bool Reap(int AOptions);

    pid_t FPid = -1;
    std::optional<TExit> FExit;
    std::string FStderrFile;
};

// The path of a program: a name without a slash is looked up in PATH, as a shell would; a name
// not found comes back as it is.
std::string FindProgram(const std::string& AName);

// Runs a program to its end (up to ATimeout; killed after it) and returns its exit status, or -1
// when it did not exit by itself.
int RunProgram(const std::string& AProgram, const std::vector<std::string>& AArguments,
               std::chrono::milliseconds ATimeout = std::chrono::seconds(20));

}  // namespace WindowTest
