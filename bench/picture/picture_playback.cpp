// Playing a picture back against drawing the same calls directly, side by side in one run, on a
// 512x512 RGBA8888 premultiplied surface: 2,000 calls (anti-aliased stars, ovals, rectangles,
// stroked curves, each under save / translate / restore). Runs alternate between the two (the
// machine may be shared) and the end prints the median times and playback / direct.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "canvas/Surface.h"
#include "picture/RecordingCanvas.h"

using namespace plix;

namespace {

constexpr int kSize = 512, kCalls = 2000, kRuns = 15;

void drawCalls(Canvas& c) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> pos(0, kSize), size(4, 40), hue(0, 1);
    Path star;
    Path::FromSVG("M0 -10L6 8L-9 -3L9 -3L-6 8Z", &star);
    Path curve;
    Path::FromSVG("M-10 0C-5 -15 5 15 10 0", &curve);
    Paint p;
    p.antiAlias = true;
    for (int i = 0; i < kCalls; ++i) {
        p.color = {hue(rng), hue(rng), hue(rng), 0.8f};
        p.style = PaintStyle::Fill;
        c.save();
        c.translate(pos(rng), pos(rng));
        switch (i % 4) {
            case 0: c.drawPath(star, p); break;
            case 1: c.drawOval({0, 0, size(rng), size(rng)}, p); break;
            case 2: c.drawRect({0, 0, size(rng), size(rng)}, p); break;
            default:
                p.style = PaintStyle::Stroke;
                p.strokeWidth = 3;
                c.drawPath(curve, p);
                break;
        }
        c.restore();
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const ImageInfo info = ImageInfo::Make(kSize, kSize, ColorType::RGBA8888, AlphaType::Premul);
    sp<Surface> direct = Surface::MakeRaster(info, 0, nullptr), played = Surface::MakeRaster(info, 0, nullptr);
    RecordingCanvas recorder(Rect::MakeWH(kSize, kSize));
    drawCalls(recorder);
    const sp<Picture> picture = recorder.finish(Rect::MakeWH(kSize, kSize));
    std::vector<double> directMs, playbackMs;
    auto timed = [](auto&& f) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    };
    for (int run = 0; run < kRuns; ++run) {
        // The order within a pair alternates so neither side always runs on a warm cache.
        auto d = [&] { directMs.push_back(timed([&] { drawCalls(*direct->canvas()); })); };
        auto pb = [&] { playbackMs.push_back(timed([&] { picture->playback(*played->canvas()); })); };
        if (run % 2) d(), pb();
        else pb(), d();
    }
    const double dm = median(directMs), pm = median(playbackMs);
    std::printf("%-28s %10s\n", "case (2,000 calls, 512x512)", "median ms");
    std::printf("%-28s %10.3f\n", "direct drawing", dm);
    std::printf("%-28s %10.3f\n", "picture playback", pm);
    std::printf("playback / direct: %.3f (%s 1.1)\n", pm / dm, pm / dm <= 1.1 ? "within" : "OVER");
    return 0;
}
