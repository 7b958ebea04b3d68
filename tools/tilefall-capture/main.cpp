// tilefall-capture: plays the game without a window, with a fixed time step and scripted input,
// and saves frames as PNG files.
//
//   tilefall-capture [--size WxH] [--frames N] [--dt SECONDS] [--input SCRIPT] [--every K] [--state]
//                    --out DIR
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "HeadlessGame.h"

namespace {

constexpr const char* Usage =
    "usage: tilefall-capture [--size WxH] [--frames N] [--dt SECONDS] [--input SCRIPT] [--every K] [--state] --out DIR\n"
    "  --size WxH      picture size in pixels (default 640x347)\n"
    "  --frames N      frames to play (default 600)\n"
    "  --dt SECONDS    time step between frames (default 1/60)\n"
    "  --input SCRIPT  input events, one a line: FRAME keydown|keyup left|right|space, FRAME mouse X Y,\n"
    "                  FRAME doubletap; '#' starts a comment\n"
    "  --every K       save every K-th frame (default 1) and always the last\n"
    "  --state         also save the 14 x 14 state image of those frames\n"
    "  --out DIR       folder for frame_NNNNNN.png (and state_NNNNNN.png)\n";

struct TOptions {
    int Width = 640, Height = 347;
    int Frames = 600;
    double TimeStep = 1.0 / 60.0;
    std::string Input;
    int Every = 1;
    bool State = false;
    std::string Out;
};

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "tilefall-capture: " << message << "\n" << Usage;
    std::exit(2);
}

template <class T>
T Number(const std::string& text, const char* option) {
    try {
        size_t used = 0;
        T v;
        if constexpr (std::is_integral_v<T>)
            v = static_cast<T>(std::stol(text, &used));
        else
            v = static_cast<T>(std::stod(text, &used));
        if (used == text.size()) return v;
    } catch (const std::exception&) {
    }
    UsageError(std::string(option) + " takes a number, not \"" + text + "\"");
}

TOptions ParseOptions(int argc, char** argv) {
    TOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--size") {
            const std::string v = value();
            const auto x = v.find('x');
            if (x == std::string::npos) UsageError("--size takes WxH, for example 640x347");
            o.Width = Number<int>(v.substr(0, x), "--size");
            o.Height = Number<int>(v.substr(x + 1), "--size");
            if (o.Width < 1 || o.Height < 1 || o.Width > 16384 || o.Height > 16384)
                UsageError("--size must be between 1x1 and 16384x16384");
        } else if (arg == "--frames") {
            o.Frames = Number<int>(value(), "--frames");
            if (o.Frames < 1) UsageError("--frames must be at least 1");
        } else if (arg == "--dt") {
            o.TimeStep = Number<double>(value(), "--dt");
            if (!(o.TimeStep >= 0 && o.TimeStep <= 3600)) UsageError("--dt must be between 0 and 3600 seconds");
        } else if (arg == "--input") {
            o.Input = value();
        } else if (arg == "--every") {
            o.Every = Number<int>(value(), "--every");
            if (o.Every < 1) UsageError("--every must be at least 1");
        } else if (arg == "--state") {
            o.State = true;
        } else if (arg == "--out") {
            o.Out = value();
        } else if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            std::exit(0);
        } else {
            UsageError("unknown option " + arg);
        }
    }
    if (o.Out.empty()) UsageError("--out DIR is required");
    return o;
}

std::string FrameFile(const std::string& dir, const char* prefix, int frame) {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%06d.png", prefix, frame);
    return (std::filesystem::path(dir) / name).string();
}

void Save(const Skia::Ref<Skia::ISkImage>& image, const std::string& file) {
    if (!image || !image->EncodeToFile(file)) throw Skia::ESkException("Cannot write \"" + file + "\"");
}

}  // namespace

int main(int argc, char** argv) {
    const TOptions options = ParseOptions(argc, argv);
    try {
        std::vector<Host::TInputEvent> events;
        if (!options.Input.empty()) {
            std::ifstream script(options.Input);
            if (!script) throw Skia::ESkException("Cannot read the input script \"" + options.Input + "\"");
            try {
                events = Host::ParseInputScript(script);
            } catch (const Host::EInputScriptError& e) {
                throw Skia::ESkException(options.Input + ": " + e.what());
            }
        }
        std::filesystem::create_directories(options.Out);

        Host::THeadlessGame game(options.Width, options.Height, options.TimeStep);
        game.Queue(events);
        for (int frame = 0; frame < options.Frames; ++frame) {
            game.Frame();
            if (frame % options.Every == 0 || frame == options.Frames - 1) {
                Save(game.Picture(), FrameFile(options.Out, "frame", frame));
                if (options.State) Save(game.StateImage8(), FrameFile(options.Out, "state", frame));
            }
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tilefall-capture: " << e.what() << "\n";
        return 1;
    }
}
