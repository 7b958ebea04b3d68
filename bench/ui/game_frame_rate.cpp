// The real game's frame rate and CPU time per frame: the tilefall program of this build drawing
// through the OpenGL canvas (Mesa's llvmpipe here) and through the raster canvas, side by side,
// and the same frames drawn headless in this process for the cost of the game's own drawing.
//
// It starts its own Xvfb (1280 x 800, 24 bits), so no other window covers the game and the X
// server's CPU time is counted too; Xvfb must be installed. The program runs on its real clock,
// as a player sees it, and writes its frame count after every frame (TILEFALL_TEST_STATE_FILE);
// the canvas is chosen with TILEFALL_TEST_CANVAS. Rounds alternate the canvases (the machine may
// be shared) and the table shows medians:
//
//   game_frame_rate [--seconds S] [--rounds N]     (defaults: 3 seconds a run, 3 rounds)
//
// frames/s is what the animation pulse reaches (it asks for a frame every 10 ms, so at most
// about 100); CPU ms/frame is the user + system time of the game's process (all its threads,
// llvmpipe's included) and of the X server, divided by the frames drawn.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "HeadlessGame.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Starts a program with extra environment variables; standard output and error go to /dev/null.
// AKeepFd stays open in the child.
pid_t Start(const std::string& program, const std::vector<std::string>& arguments,
            const std::vector<std::string>& extraEnvironment, int keepFd = -1) {
    std::vector<std::string> args = {program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    for (std::string& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
        ::dup2(nullFd, 0);
        ::dup2(nullFd, 1);
        ::dup2(nullFd, 2);
        ::execvpe(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(nullFd);
    if (pid < 0) throw std::runtime_error("Cannot start " + program);
    return pid;
}

void Stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// User + system CPU seconds of a process, all its threads.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold spaces.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field);
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

int FramesIn(const std::string& stateFile) {
    std::ifstream in(stateFile, std::ios::binary);
    int32_t frames = 0;
    return in.read(reinterpret_cast<char*>(&frames), sizeof frames) ? frames : 0;
}

struct TSample {
    double FramesPerSecond = 0;
    double GameMsPerFrame = 0;
    double ServerMsPerFrame = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

class TBench {
public:
    TBench(std::string program, double seconds) : FProgram(std::move(program)), FSeconds(seconds) {
        char pattern[] = "/tmp/tilefall-bench.XXXXXX";
        if (!::mkdtemp(pattern)) throw std::runtime_error("Cannot make a temporary folder");
        FTemp = pattern;
        StartServer();
    }
    ~TBench() {
        Stop(FServer);
        std::error_code error;
        fs::remove_all(FTemp, error);
    }

    // One run of the program on the canvas, measured after the first frames.
    TSample Window(const std::string& canvas) {
        const std::string stateFile = FTemp + "/state-" + canvas + ".bin";
        fs::remove(stateFile);
        const pid_t game = Start(FProgram, {}, {"DISPLAY=" + FDisplay, "TILEFALL_TEST_CANVAS=" + canvas,
                                                "TILEFALL_TEST_STATE_FILE=" + stateFile});
        // Start-up (compiling the shaders, the first window canvas) is not part of the figures.
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (FramesIn(stateFile) < 10 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const int frames0 = FramesIn(stateFile);
        const double game0 = CpuSeconds(game), server0 = CpuSeconds(FServer);
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(FSeconds));
        const int frames1 = FramesIn(stateFile);
        const double game1 = CpuSeconds(game), server1 = CpuSeconds(FServer);
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        Stop(game);
        if (frames0 < 10) throw std::runtime_error("The game drew no frames on the " + canvas + " canvas");
        const int frames = std::max(frames1 - frames0, 1);
        return {frames / wall, (game1 - game0) * 1000 / frames, (server1 - server0) * 1000 / frames};
    }

    // The same frames without a window: the game's two passes on a raster surface, back to back.
    TSample Headless() {
        Host::THeadlessGame game(640, 347, 1.0 / 60);
        for (int i = 0; i < 10; ++i) game.Frame();
        timespec c0{}, c1{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
        const auto t0 = Clock::now();
        int frames = 0;
        while (std::chrono::duration<double>(Clock::now() - t0).count() < FSeconds) {
            game.Frame();
            ++frames;
        }
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
        const double cpu = double(c1.tv_sec - c0.tv_sec) + double(c1.tv_nsec - c0.tv_nsec) * 1e-9;
        return {frames / wall, cpu * 1000 / frames, 0};
    }

private:
    void StartServer() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("Cannot make a pipe");
        FServer = Start("Xvfb", {"-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
                        {}, fds[1]);
        ::close(fds[1]);
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (::poll(&wait, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (number.empty()) throw std::runtime_error("Xvfb did not start (is it installed?)");
        FDisplay = ":" + number;
    }

    std::string FProgram;
    double FSeconds;
    std::string FTemp;
    pid_t FServer = -1;
    std::string FDisplay;
};

std::string Option(int argc, char** argv, const std::string& name, const std::string& fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (argv[i] == name) return argv[i + 1];
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const double seconds = std::stod(Option(argc, argv, "--seconds", "3"));
        const int rounds = std::stoi(Option(argc, argv, "--rounds", "3"));
        if (!(seconds > 0 && seconds <= 600) || rounds < 1 || rounds > 100)
            throw std::runtime_error("--seconds takes 0 to 600, --rounds 1 to 100");
        // The game and its shader files sit beside this program; the headless frames read the same.
        const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
        fs::current_path(here);
        TBench bench((here / "tilefall").string(), seconds);

        const std::vector<std::string> canvases = {"opengl", "raster"};
        std::map<std::string, std::vector<TSample>> samples;
        for (int round = 0; round < rounds; ++round) {
            for (size_t i = 0; i < canvases.size(); ++i) {
                const std::string& canvas = canvases[(i + size_t(round)) % canvases.size()];
                samples[canvas].push_back(bench.Window(canvas));
                const TSample& s = samples[canvas].back();
                std::fprintf(stderr, "round %d %-8s %6.1f frames/s %7.2f ms/frame game %6.2f ms/frame X\n", round + 1,
                             canvas.c_str(), s.FramesPerSecond, s.GameMsPerFrame, s.ServerMsPerFrame);
            }
            samples["headless"].push_back(bench.Headless());
        }

        auto median = [&](const std::string& name, double TSample::*field) {
            std::vector<double> values;
            for (const TSample& s : samples[name]) values.push_back(s.*field);
            return Median(values);
        };
        std::printf("\nThe game at 640 x 347, medians of %d runs of %.1f s\n\n", rounds, seconds);
        std::printf("%-22s %10s %18s %18s\n", "canvas", "frames/s", "game CPU ms/frame", "X CPU ms/frame");
        for (const std::string name : {"opengl", "raster"})
            std::printf("%-22s %10.1f %18.2f %18.2f\n", name.c_str(), median(name, &TSample::FramesPerSecond),
                        median(name, &TSample::GameMsPerFrame), median(name, &TSample::ServerMsPerFrame));
        std::printf("%-22s %10.1f %18.2f %18s\n", "headless (no window)", median("headless", &TSample::FramesPerSecond),
                    median("headless", &TSample::GameMsPerFrame), "-");
        std::printf("\nraster / opengl: frames/s %.2f, game CPU per frame %.2f\n",
                    median("raster", &TSample::FramesPerSecond) / median("opengl", &TSample::FramesPerSecond),
                    median("raster", &TSample::GameMsPerFrame) / median("opengl", &TSample::GameMsPerFrame));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "game_frame_rate: %s\n", e.what());
        return 1;
    }
}
