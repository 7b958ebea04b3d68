// One whole frame of the game as the window draws it: the state pass (BufferA.sksl into the
// 14 x 14 state image) and the image pass (Image.sksl over 640 x 347), on a raster surface, with
// a short scripted game so that the board fills. The engine is timed on one thread and on two
// in one run: each count runs in a child process of its own (the engine reads PLIX_THREADS when
// it starts its workers), the children interleaved, and the end prints the medians per frame
// beside the target of 4 ms.
//   game_frame_bench [--frames N] [--rounds R]
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "HeadlessGame.h"

namespace {

constexpr double kTargetMs = 4.0;

// Moves, turns and drops, so that the timed frames show a board with tiles and text.
constexpr const char* kScript =
    "10 mouse 320 170\n20 keydown left\n40 keyup left\n60 mouse 540 170\n80 mouse 320 170\n"
    "100 keydown right\n130 keyup right\n150 mouse 100 170\n170 mouse 320 170\n";

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Plays the game and prints "wall-ms-per-frame cpu-ms-per-frame" (medians over the frames).
int child(int frames) {
    Host::THeadlessGame game(640, 347, 1.0 / 60);
    std::istringstream script(kScript);
    game.Queue(Host::ParseInputScript(script));
    for (int i = 0; i < 200; ++i) game.Frame();  // the script plays out; caches fill
    std::vector<double> wall, cpu;
    for (int i = 0; i < frames; ++i) {
        const double c0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        game.Frame();
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        cpu.push_back((cpuSeconds() - c0) * 1e3);
    }
    std::printf("%.4f %.4f\n", median(wall), median(cpu));
    return 0;
}

// Runs a child with the engine limited to the given threads; false when it failed.
bool runChild(int threads, int frames, double* wallMs, double* cpuMs) {
    const std::string command = "PLIX_THREADS=" + std::to_string(threads) + " /proc/" + std::to_string(getpid()) +
                                "/exe --child --frames " + std::to_string(frames);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    const int got = std::fscanf(pipe, "%lf %lf", wallMs, cpuMs);
    const int status = pclose(pipe);
    return got == 2 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 60, rounds = 3;
    bool isChild = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--child") == 0) isChild = true;
        else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) frames = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: game_frame_bench [--frames N] [--rounds R]\n");
            return 2;
        }
    }
    try {
        if (isChild) return child(frames);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "game_frame_bench: %s\n", e.what());
        return 1;
    }
    const int counts[] = {1, 2};
    std::vector<double> wall[2], cpu[2];
    for (int r = 0; r < rounds; ++r) {
        for (int k = 0; k < 2; ++k) {
            double w = 0, c = 0;
            if (!runChild(counts[k], frames, &w, &c)) {
                std::fprintf(stderr, "game_frame_bench: the run on %d thread(s) failed\n", counts[k]);
                return 1;
            }
            wall[k].push_back(w);
            cpu[k].push_back(c);
            std::printf("round %d, %d thread(s): %.2f ms a frame (cpu %.2f ms)\n", r + 1, counts[k], w, c);
        }
    }
    std::printf("\n%-10s %14s %14s %10s %10s\n", "threads", "ms a frame", "cpu ms", "vs 1", "target");
    const double one = median(wall[0]);
    for (int k = 0; k < 2; ++k) {
        const double w = median(wall[k]);
        std::printf("%-10d %14.2f %14.2f %9.2fx %7.1f ms %s\n", counts[k], w, median(cpu[k]), one / w, kTargetMs,
                    w <= kTargetMs ? "met" : "not met");
    }
    return 0;
}
