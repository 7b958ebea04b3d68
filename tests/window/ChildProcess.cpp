#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace WindowTest {

namespace {

std::vector<std::string> ChildEnvironment(const TEnvironment& AChanges) {
    std::map<std::string, std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const size_t equals = entry.find('=');
        if (equals != std::string::npos) variables[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    for (const auto& [name, value] : AChanges) {
        if (value)
            variables[name] = *value;
        else
            variables.erase(name);
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : variables) out.push_back(name + "=" + value);
    return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

}  // namespace

std::string FindProgram(const std::string& AName) {
    if (AName.find('/') != std::string::npos) return AName;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + AName;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return AName;
}

TChildProcess::TChildProcess(const std::string& AProgram, const std::vector<std::string>& AArguments,
                             const std::string& AWorkingDirectory, const TEnvironment& AEnvironment,
                             const std::string& AStderrFile, int AInheritedFd)
    : FStderrFile(AStderrFile) {
    // Everything the child needs is made before the fork: after it, only async-signal-safe calls.
    const std::string program = FindProgram(AProgram);
    std::vector<std::string> arguments = {AProgram};
    arguments.insert(arguments.end(), AArguments.begin(), AArguments.end());
    std::vector<std::string> environment = ChildEnvironment(AEnvironment);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);
    const int errFd = ::open(AStderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (errFd < 0) throw std::runtime_error("Cannot create " + AStderrFile);
    const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    FPid = ::fork();
    if (FPid == 0) {
        if (::chdir(AWorkingDirectory.c_str()) != 0) ::_exit(126);
        if (AInheritedFd >= 0) ::fcntl(AInheritedFd, F_SETFD, 0);
        ::dup2(nullFd, 0);
        ::dup2(nullFd, 1);
        ::dup2(errFd, 2);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(errFd);
    if (nullFd >= 0) ::close(nullFd);
    if (FPid < 0) throw std::runtime_error("Cannot start " + AProgram);
}

TChildProcess::~TChildProcess() {
    if (Running()) Kill();
}

bool TChildProcess::Reap(int AOptions) {
    if (FExit) return true;
    int status = 0;
    const pid_t got = ::waitpid(FPid, &status, AOptions);
    if (got != FPid) return false;
    FExit = WIFEXITED(status) ? TExit{true, WEXITSTATUS(status)} : TExit{false, WTERMSIG(status)};
    return true;
}

bool TChildProcess::Running() { return FPid > 0 && !Reap(WNOHANG); }

std::optional<TExit> TChildProcess::Wait(std::chrono::milliseconds ATimeout) {
    const auto end = std::chrono::steady_clock::now() + ATimeout;
    while (!Reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return FExit;
}

void TChildProcess::Kill() {
    if (FPid <= 0 || FExit) return;
    ::kill(FPid, SIGKILL);
    Reap(0);
}

std::string TChildProcess::Stderr() const {
    std::ifstream in(FStderrFile);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int RunProgram(const std::string& AProgram, const std::vector<std::string>& AArguments,
               std::chrono::milliseconds ATimeout) {
    TChildProcess child(AProgram, AArguments, "/", {}, "/dev/null");
    const std::optional<TExit> exit = child.Wait(ATimeout);
    if (!exit) return -1;
    return exit->Exited ? exit->Status : -1;
}

}  // namespace WindowTest
