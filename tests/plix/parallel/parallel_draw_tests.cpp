// Large draws split into bands over worker threads must give the very bytes one thread gives,
// and runtime effects must run correctly from several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/Surface.h"
#include "core/WorkerPool.h"
#include "effects/RuntimeEffects.h"
#include "raster/ParallelBlit.h"
#include "shaders/Shaders.h"

using namespace plix;

namespace {

constexpr int kW = 517, kH = 389;  // bands do not divide it evenly

sp<sksl::Effect> Compile(const char* src, sksl::ProgramKind kind = sksl::ProgramKind::Shader) {
    std::string errors;
    sp<sksl::Effect> e = sksl::Effect::Make(src, kind, &errors);
    EXPECT_TRUE(e) << errors;
    return e;
}

// A 14 x 14 half-float image of distinct colours, as the game's state image is.
sp<Image> StateImage() {
    const ImageInfo info = ImageInfo::Make(14, 14, ColorType::RGBAF32, AlphaType::Premul);
    std::vector<float> px(14 * 14 * 4);
    for (int i = 0; i < 14 * 14; ++i) {
        px[size_t(i) * 4 + 0] = float(i % 14) / 13;
        px[size_t(i) * 4 + 1] = float(i / 14) / 13;
        px[size_t(i) * 4 + 2] = float((i * 7) % 11) / 10;
        px[size_t(i) * 4 + 3] = 1;
    }
    return Image::MakeRasterCopy(Pixmap(info, px.data(), 14 * 16));
}

sp<Shader> Gradient() {
    const Color4f colors[3] = {{1, 0, 0, 1}, {0, 0.5f, 1, 0.5f}, {0.2f, 1, 0.1f, 1}};
    return MakeLinearGradient({10, 20}, {480, 300}, GradientStops(colors, nullptr, 3), TileMode::Mirror);
}

const char* kProgram = R"(
    uniform float t;
    uniform shader state;
    uniform shader blend;
    half4 main(float2 p) {
        float v = 0;
        for (int i = 0; i < 4; i++) v += sin(p.x * 0.05 * float(i + 1) + t) * cos(p.y * 0.03 + float(i));
        half4 s = state.eval(floor(p / 37) + 0.5);
        half4 b = blend.eval(p * 0.5);
        return half4(mix(s.rgb, b.rgb, 0.25) * (0.75 + 0.25 * v), 1);
    })";

// The runtime shader of the table: a loop of sines, a nearest read of a small image and a
// blend-shader child (whose stages keep state while they run).
sp<Shader> RuntimeShader() {
    const float t = 0.7f;
    RuntimeChildren children = {
        MakeImageShader(StateImage(), TileMode::Clamp, TileMode::Clamp, SamplingOptions(FilterMode::Nearest)),
        MakeBlendShader(BlendMode::Multiply, Gradient(), MakeColorShader({0.9f, 0.6f, 0.3f, 1}))};
    return MakeRuntimeShader(Compile(kProgram), &t, std::move(children));
}

struct Draw {
    const char* name;
    Paint (*paint)();
    bool wholeSurface;  // drawPaint; otherwise an anti-aliased rectangle with fractional edges
};

const Draw kDraws[] = {
    {"runtime shader",
     [] {
         Paint p;
         p.shader = RuntimeShader();
         return p;
     },
     true},
    {"runtime shader, rectangle",
     [] {
         Paint p;
         p.shader = RuntimeShader();
         p.antiAlias = true;
         return p;
     },
     false},
    {"gradient with dither",
     [] {
         Paint p;
         p.shader = Gradient();
         p.dither = true;
         return p;
     },
     true},
    {"scaled image, bilinear, half alpha",
     [] {
         Paint p;
         const Matrix local = Matrix::Scale(31.5f, 23.25f);
         p.shader = MakeImageShader(StateImage(), TileMode::Repeat, TileMode::Mirror,
                                    SamplingOptions(FilterMode::Linear), &local);
         p.setAlpha(0.5f);
         return p;
     },
     true},
    {"runtime colour filter on a gradient",
     [] {
         Paint p;
         p.shader = Gradient();
         p.colorFilter = MakeRuntimeColorFilter(
             Compile("half4 main(half4 c) { return half4(c.bgr * 0.8 + 0.1, c.a); }", sksl::ProgramKind::ColorFilter),
             nullptr, {});
         return p;
     },
     true},
};

std::vector<uint8_t> Render(const Draw& d) {
    sp<Surface> surface = Surface::MakeRaster(ImageInfo::Make(kW, kH, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    Canvas* canvas = surface->canvas();
    canvas->clear({0.1f, 0.2f, 0.3f, 1});
    const Paint paint = d.paint();
    EXPECT_TRUE(paint.shader);
    if (d.wholeSurface)
        canvas->drawPaint(paint);
    else
        canvas->drawRect(Rect{3.25f, 2.5f, kW - 4.75f, kH - 1.5f}, paint);
    std::vector<uint8_t> px(size_t(kW) * kH * 4);
    EXPECT_TRUE(surface->readPixels(Pixmap(ImageInfo::Make(kW, kH, ColorType::RGBA8888, AlphaType::Premul), px.data(), kW * 4), 0, 0));
    return px;
}

class ParallelDraw : public ::testing::Test {
protected:
    void TearDown() override {
        SetBandSplit(BandSplit::Auto);
        SetWorkerLimit(0);
    }
};

TEST_F(ParallelDraw, BandsOnSeveralThreadsGiveTheBytesOfOneThread) {
    for (const Draw& d : kDraws) {
        SCOPED_TRACE(d.name);
        SetBandSplit(BandSplit::Never);
        const std::vector<uint8_t> one = Render(d);
        // More threads than this machine may have cores: the split must not depend on them.
        for (int threads : {2, 3, 5}) {
            SCOPED_TRACE(threads);
            SetWorkerLimit(threads);
            SetBandSplit(BandSplit::Always);
            const std::vector<uint8_t> split = Render(d);
            ASSERT_EQ(split.size(), one.size());
            EXPECT_TRUE(std::memcmp(split.data(), one.data(), one.size()) == 0);
        }
    }
}

// A shader that notes the threads that compile it: every thread that draws bands compiles the
// paint for itself.
class ThreadNotingShader final : public Shader {
public:
    explicit ThreadNotingShader(sp<Shader> inner) : fInner(std::move(inner)) {}
    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        {
            std::lock_guard<std::mutex> lock(fLock);
            fThreads.insert(std::this_thread::get_id());
        }
        return fInner->appendStages(rec, ctm);
    }
    size_t threads() const {
        std::lock_guard<std::mutex> lock(fLock);
        return fThreads.size();
    }

private:
    sp<Shader> fInner;
    mutable std::mutex fLock;
    mutable std::set<std::thread::id> fThreads;
};

TEST_F(ParallelDraw, AnExpensiveLargeDrawIsSharedOutAndACheapSmallOneIsNot) {
    SetWorkerLimit(2);
    auto big = make_sp<ThreadNotingShader>(RuntimeShader());
    sp<Surface> surface = Surface::MakeRaster(ImageInfo::Make(1024, 768, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    Paint paint;
    paint.shader = big;
    // A helper that wakes late finds the bands gone; several draws give it its chance.
    for (int i = 0; i < 10 && big->threads() < 2; ++i) surface->canvas()->drawPaint(paint);
    EXPECT_EQ(big->threads(), 2u);

    auto small = make_sp<ThreadNotingShader>(Gradient());
    paint.shader = small;
    surface->canvas()->drawRect(Rect::MakeWH(40, 30), paint);
    EXPECT_EQ(small->threads(), 1u);
}

TEST_F(ParallelDraw, OneThreadDrawsEverythingItselfWhenLimitedToOne) {
    SetWorkerLimit(1);
    SetBandSplit(BandSplit::Always);
    auto shader = make_sp<ThreadNotingShader>(RuntimeShader());
    sp<Surface> surface = Surface::MakeRaster(ImageInfo::Make(300, 200, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    Paint paint;
    paint.shader = shader;
    surface->canvas()->drawPaint(paint);
    EXPECT_EQ(shader->threads(), 1u);
}

// One runtime shader object drawn by several threads at once, each on its own surface, while
// their draws are themselves split: every thread gets the single-threaded picture.
TEST_F(ParallelDraw, AnEffectDrawnFromSeveralThreadsAtOnce) {
    const Draw& d = kDraws[0];
    SetBandSplit(BandSplit::Never);
    const std::vector<uint8_t> expected = Render(d);
    SetBandSplit(BandSplit::Always);
    SetWorkerLimit(3);
    sp<Shader> shared = RuntimeShader();
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 3; ++round) {
                sp<Surface> surface =
                    Surface::MakeRaster(ImageInfo::Make(kW, kH, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
                surface->canvas()->clear({0.1f, 0.2f, 0.3f, 1});
                Paint paint;
                paint.shader = shared;
                surface->canvas()->drawPaint(paint);
                std::vector<uint8_t> px(expected.size());
                surface->readPixels(
                    Pixmap(ImageInfo::Make(kW, kH, ColorType::RGBA8888, AlphaType::Premul), px.data(), kW * 4), 0, 0);
                if (px != expected) ++mismatches;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
