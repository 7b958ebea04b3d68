// The OpenGL canvas on EGL, against stand-ins of EGL and of the engine's GPU entries: the config
// ranked by samples, the context versions, the shared context's lock and its teardown on the main
// thread, window frames that make their context current and put the caller's back, and bitmaps
// uploaded once per change through the shared context.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "FakeEgl.h"
#include "FakeSkia.h"
#include "Raised.h"
#include "Skia/API.h"
#include "UI/Graphics/CanvasExceptions.h"
#include "UI/Graphics/GlCanvas.h"
#include "ui/Bitmap.h"
#include "ui/Offscreen.h"
#include "ui/Threading.h"
#include "ui/Window.h"

namespace {

using namespace Skia::UI;
using Skia::Ref;
namespace V = Egl::Values;

// Windows of the offscreen back end that claim to be X11 windows, so that the canvas makes EGL
// window surfaces on them.
class X11Windows : public ::testing::Environment {
public:
    void SetUp() override {
        static Ui::TPlatformBackend backend = Ui::Offscreen::Backend();
        backend.GetNativeWindow = [](Ui::TPlatformWindow*) {
            return Ui::TNativeWindow{Ui::TNativeWindow::TKind::X11, reinterpret_cast<void*>(0xD15), 0x1234};
        };
        Ui::TPlatform::SetBackend(backend);
        // Bitmaps keep their pixels in GPU bitmap handles.
        Ui::TCanvasManager::UnInitialize();
        Ui::TCanvasManager::RegisterCanvas(TGlCanvas::Class(), true, false);
    }
};
const auto* const gX11Windows = ::testing::AddGlobalTestEnvironment(new X11Windows);

// "EGlError: message" or "EGrCanvas: message" (a canvas error that is not an OpenGL one).
template <class F>
std::string Failure(F&& f) {
    try {
        f();
    } catch (const EGlError& e) {
        return std::string("EGlError: ") + e.what();
    } catch (const EGrCanvas& e) {
        return std::string("EGrCanvas: ") + e.what();
    } catch (const std::exception& e) {
        return std::string("other: ") + e.what();
    }
    return "nothing raised";
}

std::vector<std::string> Starting(const std::vector<std::string>& log, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

class GlCanvasTest : public ::testing::Test {
protected:
    GlCanvasTest() { skia.currentContext = [this] { return egl.Current(); }; }
    ~GlCanvasTest() override { TGrCanvas::ReleaseSharedContext(); }

    Ref<IGrSharedContext> MakeShared(Ui::TCanvasQuality quality = Ui::TCanvasQuality::SystemDefault) {
        return Ref<IGrSharedContext>(new TGlSharedContext(quality, nullptr));
    }
    static TGlSharedContext& Gl(const Ref<IGrSharedContext>& c) { return dynamic_cast<TGlSharedContext&>(*c.get()); }
    std::unique_ptr<Ui::TWindowHandle> Window(int width = 10, int height = 5, float scale = 1) {
        Ui::Offscreen::SetScale(scale);
        Ui::TWindowParams params;
        params.ClientWidth = width;
        params.ClientHeight = height;
        auto window = std::make_unique<Ui::TWindowHandle>(nullptr, params);
        Ui::Offscreen::SetScale(1);
        return window;
    }

    // Declared first: gone last.
    fake::FakeSkia skia;
    fake::FakeEgl egl;
};

// ---- the shared context ----

TEST(GlConfigRules, QualitiesAskForTheirSampleCountsInOrder) {
    EXPECT_EQ(Egl::SampleRequests(Ui::TCanvasQuality::HighPerformance), (std::vector<int>{1}));
    EXPECT_EQ(Egl::SampleRequests(Ui::TCanvasQuality::SystemDefault), (std::vector<int>{2, 1}));
    EXPECT_EQ(Egl::SampleRequests(Ui::TCanvasQuality::HighQuality), (std::vector<int>{4, 2, 1}));
}

TEST(GlConfigRules, RankingPrefersFewestSamplesThenTheDriversOrder) {
    struct Case {
        std::vector<Egl::TInt> samples;  // in the driver's order
        int chosen;
        Egl::TInt count;
    };
    for (const Case& k : {Case{{4, 8, 4}, 0, 4}, Case{{8, 8, 4}, 2, 4}, Case{{8, 4, 4, 2}, 3, 2}, Case{{16}, 0, 16}}) {
        std::vector<Egl::TRankConfig> ranked;
        std::vector<int> tags(k.samples.size());
        for (size_t i = 0; i < k.samples.size(); ++i)
            ranked.push_back({static_cast<int>(i), &tags[i], k.samples[i]});
        Egl::TInt count = 0;
        EXPECT_EQ(Egl::BestRanked(ranked, count), &tags[static_cast<size_t>(k.chosen)]);
        EXPECT_EQ(count, k.count);
    }
    Egl::TInt untouched = 7;
    EXPECT_EQ(Egl::BestRanked({}, untouched), nullptr);
    EXPECT_EQ(untouched, 7);
}

TEST_F(GlCanvasTest, TheQualityDecidesWhichSampleCountsAreTried) {
    struct Case {
        Ui::TCanvasQuality quality;
        std::vector<int> offered;
        std::vector<std::string> asked;
        int sampleCount;
    };
    const std::vector<Case> cases = {
        {Ui::TCanvasQuality::HighPerformance, {0, 4}, {"choose 1"}, 1},
        {Ui::TCanvasQuality::SystemDefault, {0, 4}, {"choose 2"}, 4},
        {Ui::TCanvasQuality::SystemDefault, {0}, {"choose 2", "choose 1"}, 1},
        {Ui::TCanvasQuality::HighQuality, {0, 2, 4}, {"choose 4"}, 4},
        {Ui::TCanvasQuality::HighQuality, {0, 2}, {"choose 4", "choose 2"}, 2},
        {Ui::TCanvasQuality::HighQuality, {0}, {"choose 4", "choose 2", "choose 1"}, 1},
    };
    for (const Case& k : cases) {
        egl.log.clear();
        egl.SetOffered(k.offered);
        const Ref<IGrSharedContext> shared = MakeShared(k.quality);
        EXPECT_EQ(Starting(egl.log, "choose"), k.asked);
        EXPECT_EQ(Gl(shared).SampleCount(), k.sampleCount);
    }
}

TEST_F(GlCanvasTest, TheFirstOfTheFewestSampledConfigsIsChosen) {
    egl.SetOffered({0, 4, 8, 4});
    Ref<IGrSharedContext> shared = MakeShared(Ui::TCanvasQuality::HighQuality);
    EXPECT_EQ(egl.IndexOf(Gl(shared).Config()), 1);
    EXPECT_EQ(Gl(shared).SampleCount(), 4);
    EXPECT_EQ(Gl(shared).StencilBits(), 8);

    // Only the first 64 configs of the driver's answer are ranked.
    std::vector<int> many(64, 8);
    many.push_back(4);
    egl.SetOffered(many);
    shared = MakeShared(Ui::TCanvasQuality::HighQuality);
    EXPECT_EQ(egl.IndexOf(Gl(shared).Config()), 0);
    EXPECT_EQ(Gl(shared).SampleCount(), 8);
}

TEST_F(GlCanvasTest, ContextVersionsAreTriedFromTheNewestCoreProfileDown) {
    egl.acceptedVersions = {{3, 3}};
    const Ref<IGrSharedContext> shared = MakeShared();
    EXPECT_EQ(Starting(egl.log, "context"),
              (std::vector<std::string>{"context 4.3", "context 4.2", "context 4.1", "context 4.0", "context 3.3"}));
    EXPECT_EQ(Gl(shared).ContextAttributes(),
              (std::vector<Egl::TInt>{V::ContextMajorVersion, 3, V::ContextMinorVersion, 3, V::ContextProfileMask,
                                      V::ContextCoreProfileBit, V::None}));
}

TEST_F(GlCanvasTest, WithoutVersionedContextsTheDriverChooses) {
    struct Case {
        const char* name;
        std::string extensions;
        int minor;
        std::vector<std::pair<int, int>> accepted;
        std::vector<std::string> asked;
    };
    const std::vector<Case> cases = {
        // EGL 1.4 without EGL_KHR_create_context: no versions asked for.
        {"no extension", "EGL_KHR_surfaceless_context", 4, {}, {"context legacy"}},
        // Every version refused: the driver's own choice is the last resort.
        {"versions refused", "EGL_KHR_create_context EGL_KHR_surfaceless_context", 5, {},
         {"context 4.3", "context 4.2", "context 4.1", "context 4.0", "context 3.3", "context 3.2", "context legacy"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        egl.log.clear();
        egl.extensions = k.extensions;
        egl.versionMinor = k.minor;
        egl.acceptedVersions = k.accepted;
        const Ref<IGrSharedContext> shared = MakeShared();
        EXPECT_EQ(Starting(egl.log, "context"), k.asked);
        EXPECT_TRUE(Gl(shared).ContextAttributes().empty());
    }
}

TEST_F(GlCanvasTest, ThePbufferStandsInWhereTheDriverCannotRunSurfaceless) {
    {
        const Ref<IGrSharedContext> shared = MakeShared();
        EXPECT_EQ(Gl(shared).Surface(), nullptr);
        EXPECT_EQ(egl.LiveSurfaces(), 0);
    }
    egl.extensions = "EGL_KHR_create_context";
    const Ref<IGrSharedContext> shared = MakeShared();
    EXPECT_NE(Gl(shared).Surface(), nullptr);
    EXPECT_EQ(egl.LiveSurfaces(), 1);
}

TEST_F(GlCanvasTest, FailuresRaiseTheirErrorAndLeaveNothingBehind) {
    struct Case {
        std::function<void(fake::FakeSkia&, fake::FakeEgl&)> fault;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {[](auto&, auto& e) { e.failGetDisplay = true; }, "EGrCanvas: Could not get shared display."},
        {[](auto&, auto& e) { e.failInitialize = true; }, "EGrCanvas: Could not initialize shared display."},
        {[](auto&, auto& e) { e.failBindApi = true; },
         "EGlError: \"Unsupported required client API: EGL_OPENGL_API\"."},
        {[](auto&, auto& e) { e.SetOffered({}); }, "EGlError: Could not choose pixel format."},
        {[](auto&, auto& e) { e.failStencil = true; }, "EGrCanvas: Could not describe pixel format."},
        {[](auto&, auto& e) {
             e.extensions = "EGL_KHR_create_context";
             e.failPbuffer = true;
         },
         "EGrCanvas: Could not create shared surface."},
        {[](auto&, auto& e) {
             e.acceptedVersions.clear();
             e.acceptLegacy = false;
         },
         "EGlError: Could not create shared context."},
        {[](auto&, auto& e) { e.unmakeable = {"shared"}; }, "EGlError: Could not make shared context as current."},
        {[](auto& s, auto&) { s.failDirectContext = true; }, "EGrCanvas: Could not create shared direct context."},
        {[](auto& s, auto&) { s.failGlInterface = true; }, "EGrCanvas: Could not create shared direct context."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.failure);
        fake::FakeSkia s;
        fake::FakeEgl e;
        s.currentContext = [&e] { return e.Current(); };
        e.MakeCallerContext();
        k.fault(s, e);
        const int32_t acquired = Skia::API::Detail::AcquisitionCount();
        EXPECT_EQ(Failure([&] { MakeShared(); }), k.failure);
        EXPECT_EQ(e.Current(), "caller");
        EXPECT_EQ(e.LiveContexts(), 1);  // the caller's
        EXPECT_EQ(e.LiveSurfaces(), 0);
        EXPECT_EQ(Skia::API::Detail::AcquisitionCount(), acquired);
        EXPECT_EQ(s.Alive(), 0);  // no GL interface or direct context left
    }
}

TEST_F(GlCanvasTest, EveryUseOfTheSharedContextPutsTheCallersContextBack) {
    egl.MakeCallerContext();
    const Ref<IGrSharedContext> shared = MakeShared();
    EXPECT_EQ(egl.Current(), "caller");
    EXPECT_EQ(skia.gpuLog, (std::vector<std::string>{"interface on shared", "context 1 on shared"}));

    skia.gpuLog.clear();
    shared->BeginContext();
    EXPECT_EQ(egl.Current(), "shared");
    shared->BeginContext();
    shared->EndContext();
    EXPECT_EQ(egl.Current(), "shared");
    EXPECT_TRUE(skia.gpuLog.empty());  // only the outermost pair flushes
    shared->EndContext();
    EXPECT_EQ(skia.gpuLog, (std::vector<std::string>{"flush context 1 sync on shared"}));
    EXPECT_EQ(egl.Current(), "caller");
}

TEST_F(GlCanvasTest, ABeginContextThatFailsReleasesTheLock) {
    egl.MakeCallerContext();
    const Ref<IGrSharedContext> shared = MakeShared();
    egl.unmakeable = {"shared"};
    EXPECT_EQ(Failure([&] { shared->BeginContext(); }), "EGlError: Could not make shared context as current.");
    EXPECT_EQ(egl.Current(), "caller");
    egl.unmakeable.clear();
    // Another thread can take the context now.
    auto other = std::async(std::launch::async, [&] {
        shared->BeginContext();
        const std::string current = egl.Current();
        shared->EndContext();
        return current;
    });
    ASSERT_EQ(other.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(other.get(), "shared");
}

TEST_F(GlCanvasTest, TheLastReleaseTearsTheContextDownOnTheMainThread) {
    egl.MakeCallerContext();
    Ref<IGrSharedContext> shared = MakeShared();
    const int subscription = Ui::TMessageManager::DefaultManager().SubscribeToMessage<TGrBeforeSharedContextDestructionMessage>(
        [this](Ui::TObject*, const TGrBeforeSharedContextDestructionMessage& m) {
            skia.gpuLog.push_back(m.Value() ? "message" : "message without context");
        });
    skia.gpuLog.clear();

    std::atomic<bool> done{false};
    std::thread worker([&done, last = std::move(shared)]() mutable {
        last = nullptr;
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        Ui::TThread::CheckSynchronize();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    Ui::TMessageManager::DefaultManager().Unsubscribe<TGrBeforeSharedContextDestructionMessage>(subscription);

    EXPECT_EQ(skia.releasedOn, std::this_thread::get_id());
    EXPECT_EQ(skia.gpuLog, (std::vector<std::string>{"message", "release context 1 on shared"}));
    EXPECT_EQ(egl.LiveContexts(), 1);
    EXPECT_EQ(egl.Current(), "caller");
    EXPECT_EQ(skia.Alive(), 0);
}

// ---- window canvases ----

TEST_F(GlCanvasTest, TheFirstWindowCanvasMakesTheSharedContextAndLaterOnesShareIt) {
    EXPECT_EQ(TGrCanvas::SharedContext(), nullptr);
    auto window = Window();
    TGlCanvas first(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    const Ref<IGrSharedContext> shared = TGrCanvas::SharedContext();
    ASSERT_NE(shared, nullptr);
    TGlCanvas second(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    EXPECT_EQ(TGrCanvas::SharedContext(), shared);
    EXPECT_EQ(Starting(egl.log, "context").size(), 1u);
}

TEST_F(GlCanvasTest, AWindowCanvasThatCannotMakeTheSharedContextRaisesAndTheNextTriesAgain) {
    auto window = Window();
    skia.failDirectContext = true;
    EXPECT_EQ(Failure([&] { TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault); }),
              "EGrCanvas: Could not create shared direct context.");
    EXPECT_EQ(TGrCanvas::SharedContext(), nullptr);
    skia.failDirectContext = false;
    TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    EXPECT_NE(TGrCanvas::SharedContext(), nullptr);
}

TEST_F(GlCanvasTest, AFrameDrawsOnTheWindowsOwnContextAndPutsTheCallersBack) {
    egl.MakeCallerContext();
    egl.acceptedVersions = {{4, 1}};
    auto window = Window(10, 5, 2);
    TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    skia.gpuLog.clear();
    egl.log.clear();
    ASSERT_TRUE(canvas.BeginScene());

    // The window's context shares with the shared one, at its version.
    EXPECT_EQ(egl.Current(), "window 1");
    const fake::FakeEgl::Context* context = egl.Find("window 1");
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->share, egl.Find("shared"));
    EXPECT_EQ(context->attributes, (std::vector<Egl::TInt>{V::ContextMajorVersion, 4, V::ContextMinorVersion, 1,
                                                           V::ContextProfileMask, V::ContextCoreProfileBit}));
    EXPECT_EQ(egl.log, (std::vector<std::string>{"window surface", "context 4.1", "interval 0"}));
    EXPECT_EQ(skia.gpuLog, (std::vector<std::string>{"context 2 on window 1"}));

    // A surface over the default framebuffer of the window's pixel size.
    const fake::Surface& surface = *skia.LastGpuSurface();
    EXPECT_EQ(surface.target.width, 20);
    EXPECT_EQ(surface.target.height, 10);
    EXPECT_EQ(surface.target.sampleCount, 4);
    EXPECT_EQ(surface.target.stencilBits, 8);
    EXPECT_EQ(surface.target.framebuffer.fbo_id, 0u);
    EXPECT_EQ(surface.target.framebuffer.format, V::Rgba8);
    EXPECT_EQ(surface.origin, 1);  // bottom left
    EXPECT_EQ(surface.pixels.colorType, static_cast<int>(Skia::TSkColorType::RGBA8888));
    EXPECT_EQ(surface.context, "context 2");
    // The paint, the GL interface, two direct contexts and the surface: the render target went
    // once the surface was made.
    EXPECT_EQ(skia.Alive(), 5);

    canvas.Clear(0xFF00FF00);
    canvas.EndScene();
    EXPECT_EQ(skia.gpuLog, (std::vector<std::string>{"context 2 on window 1", "flush context 2 on window 1"}));
    EXPECT_EQ(egl.log.back(), "swap on window 1");
    EXPECT_EQ(egl.Current(), "caller");
}

TEST_F(GlCanvasTest, TheRenderTargetNeverHasMoreSamplesThanTheContextAllows) {
    egl.SetOffered({0, 8});
    skia.maxSampleCount = 2;
    auto window = Window();
    TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::HighQuality);
    ASSERT_TRUE(canvas.BeginScene());
    EXPECT_EQ(dynamic_cast<TGlSharedContext&>(*TGrCanvas::SharedContext().get()).SampleCount(), 8);
    EXPECT_EQ(skia.LastGpuSurface()->target.sampleCount, 2);
    canvas.EndScene();
}

TEST_F(GlCanvasTest, TheSurfaceIsKeptUntilAResize) {
    egl.MakeCallerContext();
    auto window = Window();
    TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_TRUE(canvas.BeginScene());
        canvas.EndScene();
    }
    EXPECT_EQ(skia.surfacesMade, 1);
    canvas.SetSize(30, 20);
    EXPECT_EQ(egl.Current(), "caller");
    ASSERT_TRUE(canvas.BeginScene());
    EXPECT_EQ(skia.surfacesMade, 2);
    EXPECT_EQ(skia.LastGpuSurface()->target.width, 30);
    EXPECT_EQ(skia.LastGpuSurface()->target.height, 20);
    canvas.EndScene();
    EXPECT_EQ(egl.swaps, 3);

    // A resize whose context cannot be made current raises, and still puts the caller's back.
    egl.unmakeable = {"window 1"};
    EXPECT_EQ(Failure([&] { canvas.SetSize(40, 20); }), "EGlError: Could not make context as current.");
    EXPECT_EQ(egl.Current(), "caller");
}

TEST_F(GlCanvasTest, AFrameWithoutAWindowSurfaceIsSkippedAndTheNextTriesAgain) {
    egl.MakeCallerContext();
    auto window = Window();
    TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    egl.failWindowSurface = true;
    EXPECT_FALSE(canvas.BeginScene());
    EXPECT_EQ(egl.Current(), "caller");
    EXPECT_EQ(egl.swaps, 0);
    egl.failWindowSurface = false;
    ASSERT_TRUE(canvas.BeginScene());
    canvas.EndScene();
    EXPECT_EQ(egl.swaps, 1);
}

TEST_F(GlCanvasTest, AFailedSwapRaisesAndPutsTheCallersContextBack) {
    egl.MakeCallerContext();
    auto window = Window();
    TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    ASSERT_TRUE(canvas.BeginScene());
    egl.failSwap = true;
    EXPECT_EQ(Failure([&] { canvas.EndScene(); }), "EGrCanvas: Could not swap buffers.");
    EXPECT_EQ(egl.Current(), "caller");
    egl.failSwap = false;
    ASSERT_TRUE(canvas.BeginScene());
    canvas.EndScene();
}

TEST_F(GlCanvasTest, DestroyingAWindowCanvasAbandonsItsContext) {
    egl.MakeCallerContext();
    auto window = Window();
    {
        TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
        ASSERT_TRUE(canvas.BeginScene());
        canvas.EndScene();
        skia.gpuLog.clear();
        EXPECT_EQ(egl.LiveContexts(), 3);  // the caller's, the shared one and the window's
    }
    EXPECT_EQ(skia.gpuLog, (std::vector<std::string>{"abandon context 2 on window 1"}));
    EXPECT_EQ(egl.LiveContexts(), 2);
    EXPECT_EQ(egl.LiveSurfaces(), 0);
    EXPECT_EQ(egl.Current(), "caller");
}

// ---- bitmaps on the GPU ----

TEST_F(GlCanvasTest, ABitmapIsUploadedOncePerChangeThroughTheSharedContext) {
    egl.MakeCallerContext();
    auto window = Window();
    TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
    Ui::TBitmap bitmap(2, 2);
    auto frame = [&] {
        ASSERT_TRUE(canvas.BeginScene());
        canvas.DrawBitmap(bitmap, {0, 0, 2, 2}, {0, 0, 4, 4}, 1);
        EXPECT_EQ(egl.Current(), "window 1");  // the upload gave the window's context back
        canvas.EndScene();
    };
    skia.gpuLog.clear();
    frame();
    frame();
    EXPECT_EQ(skia.uploads, 1);
    EXPECT_EQ(Starting(skia.gpuLog, "upload"), (std::vector<std::string>{"upload 2x2 on shared"}));
    EXPECT_EQ(Starting(skia.gpuLog, "flush context 1"), (std::vector<std::string>{"flush context 1 sync on shared"}));
    ASSERT_EQ(skia.draws.size(), 2u);
    EXPECT_EQ(skia.draws[0].image.pixels, TSkCanvasBaseClass::HandleOf(bitmap)->Pixels());

    ASSERT_TRUE(bitmap.Canvas().BeginScene());  // the pixels change
    bitmap.Canvas().EndScene();
    frame();
    EXPECT_EQ(skia.uploads, 2);
    EXPECT_EQ(egl.Current(), "caller");
}

TEST_F(GlCanvasTest, TheLastBitmapKeepsTheSharedContextAfterTheCanvasesAreGone) {
    auto window = Window();
    auto bitmap = std::make_unique<Ui::TBitmap>(2, 2);
    {
        TGlCanvas canvas(window.get(), 10, 5, Ui::TCanvasQuality::SystemDefault);
        ASSERT_TRUE(canvas.BeginScene());
        canvas.DrawBitmap(*bitmap, {0, 0, 2, 2}, {0, 0, 4, 4}, 1);
        canvas.EndScene();
    }
    TGrCanvas::ReleaseSharedContext();
    EXPECT_TRUE(Starting(skia.gpuLog, "release").empty());
    EXPECT_EQ(egl.LiveContexts(), 1);  // the shared one, held by the bitmap's GPU image

    bitmap.reset();
    EXPECT_EQ(Starting(skia.gpuLog, "release"), (std::vector<std::string>{"release context 1 on shared"}));
    EXPECT_EQ(skia.releasedOn, std::this_thread::get_id());
    EXPECT_EQ(egl.LiveContexts(), 0);
}

}  // namespace
