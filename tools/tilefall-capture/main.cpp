// tilefall-capture: plays the game without a window, with a fixed time step and scripted input,
// and saves frames as PNG files.
//
//   tilefall-capture [--size WxH] [--frames N] [--dt SECONDS] [--input SCRIPT] [--every K] [--state]
//                    --out DIR
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "HeadlessGame.h"
#include "ShaderFile.h"
#include "WholeFile.h"

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

constexpr int MaxSide = 16384;  // pixels, each way

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

// A whole number of the option, refused by the option's name outside [low, high].
int WholeNumber(const std::string& text, const char* option, long long low, long long high) {
    long long v = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, v);
    if (text.empty() || at != end || (error != std::errc() && error != std::errc::result_out_of_range))
        UsageError(std::string(option) + " takes a whole number, not \"" + text + "\"");
    if (error == std::errc::result_out_of_range || v < low || v > high)
        UsageError(std::string(option) + " must be from " + std::to_string(low) + " to " + std::to_string(high) +
                   ", not " + text);
    return static_cast<int>(v);
}

double Seconds(const std::string& text, const char* option) {
    try {
        size_t used = 0;
        const double v = std::stod(text, &used);
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
            o.Width = WholeNumber(v.substr(0, x), "--size (width)", 1, MaxSide);
            o.Height = WholeNumber(v.substr(x + 1), "--size (height)", 1, MaxSide);
        } else if (arg == "--frames") {
            o.Frames = WholeNumber(value(), "--frames", 1, Host::MaxInputFrame);
        } else if (arg == "--dt") {
            o.TimeStep = Seconds(value(), "--dt");
            if (!(o.TimeStep >= 0 && o.TimeStep <= 3600)) UsageError("--dt must be between 0 and 3600 seconds");
        } else if (arg == "--input") {
            o.Input = value();
        } else if (arg == "--every") {
            o.Every = WholeNumber(value(), "--every", 1, Host::MaxInputFrame);
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

// Writes the image as a PNG file whole or not at all; raises with the system's reason.
void Save(const Skia::Ref<Skia::ISkImage>& image, const std::string& file) {
    std::string reason;
    if (!image || !tools::WriteWholeFile(
                      file, [&](const std::string& partial) { return image->EncodeToFile(partial, Skia::TSkEncodedImageFormat::PNG, 100); }, &reason))
        throw Skia::ESkException("Cannot write \"" + file + "\"" + (reason.empty() ? "" : ": " + reason));
}

uint64_t FileSize(const std::string& file) {
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

// Refuses a run whose files plainly cannot fit the free space of the output folder, judged by
// the size of the first frame's files (later frames compress about as well).
void CheckRoom(const TOptions& o, uint64_t firstFrameBytes) {
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(o.Out, error);
    if (error || firstFrameBytes == 0) return;
    const uint64_t saved = uint64_t(o.Frames - 1) / uint64_t(o.Every) + 1 + ((o.Frames - 1) % o.Every != 0);
    const uint64_t needed = saved * firstFrameBytes;
    if (needed / 2 > space.available)
        throw Skia::ESkException("the " + std::to_string(saved) + " frames to save need about " +
                                 std::to_string(needed >> 20) + " MiB in \"" + o.Out + "\", which has " +
                                 std::to_string(space.available >> 20) + " MiB free");
}

}  // namespace

int main(int argc, char** argv) {
    const TOptions options = ParseOptions(argc, argv);
    try {
        std::vector<Host::TInputEvent> events;
        if (!options.Input.empty()) {
            std::error_code error;
            if (std::filesystem::is_directory(options.Input, error))
                throw Skia::ESkException("The input script \"" + options.Input + "\" is a directory, not a file");
            std::ifstream script(options.Input);
            if (!script)
                throw Skia::ESkException("Cannot read the input script \"" + options.Input +
                                         "\": " + std::strerror(errno));
            try {
                events = Host::ParseInputScript(script);
            } catch (const Host::EInputScriptError& e) {
                throw Skia::ESkException(options.Input + ": " + e.what());
            }
            if (script.bad()) throw Skia::ESkException("Cannot read the input script \"" + options.Input + "\"");
        }
        std::filesystem::create_directories(options.Out);

        Host::THeadlessGame game(options.Width, options.Height, options.TimeStep);
        // A shader that lacks what the frames set would fail on the first frame: say what now.
        Host::CheckShaderProtocol(game.Form());
        game.Queue(events);
        for (int frame = 0; frame < options.Frames; ++frame) {
            game.Frame();
            if (frame % options.Every == 0 || frame == options.Frames - 1) {
                const std::string picture = FrameFile(options.Out, "frame", frame);
                Save(game.Picture(), picture);
                const std::string state = FrameFile(options.Out, "state", frame);
                if (options.State) Save(game.StateImage8(), state);
                if (frame == 0) {
                    try {
                        CheckRoom(options, FileSize(picture) + (options.State ? FileSize(state) : 0));
                    } catch (...) {
                        std::filesystem::remove(picture);
                        if (options.State) std::filesystem::remove(state);
                        throw;
                    }
                }
            }
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tilefall-capture: " << e.what() << "\n";
        return 1;
    }
}
