#include "HeadlessGame.h"

#include <algorithm>
#include <cmath>

namespace Host {

using namespace Skia;

namespace {

Ref<ISkSurface> MakeSurface(int width, int height) {
    Ref<ISkSurface> surface = TSkSurface::MakeRaster(TSkImageInfo(width, height));
    if (!surface) throw ESkException("Cannot make a " + std::to_string(width) + " x " + std::to_string(height) +
                                     " surface to draw the game on");
    return surface;
}

}  // namespace

THeadlessGame::THeadlessGame(int AWidth, int AHeight, double ATimeStep)
    : FWidth(AWidth), FHeight(AHeight), FTimeStep(ATimeStep) {
    FSurface = MakeSurface(AWidth, AHeight);
    FForm = std::make_unique<TfrmMain>(nullptr);
    FForm->Clock = [this] { return static_cast<int64_t>(std::llround(FTime * 1e7)); };
    FForm->AfterConstruction();  // raises OnCreate: FormCreate reads and compiles the shaders
}

THeadlessGame::~THeadlessGame() = default;

void THeadlessGame::Queue(const std::vector<TInputEvent>& AEvents) {
    FEvents.insert(FEvents.end(), AEvents.begin(), AEvents.end());
    std::stable_sort(FEvents.begin() + static_cast<ptrdiff_t>(FNextEvent), FEvents.end(),
                     [](const TInputEvent& a, const TInputEvent& b) { return a.Frame < b.Frame; });
}

void THeadlessGame::Resize(int AWidth, int AHeight) {
    FSurface = MakeSurface(AWidth, AHeight);
    FWidth = AWidth;
    FHeight = AHeight;
}

void THeadlessGame::Frame() {
    while (FNextEvent < FEvents.size() && FEvents[FNextEvent].Frame <= FFrame)
        ApplyInputEvent(*FForm, FEvents[FNextEvent++]);
    Ref<ISkCanvas> canvas = FSurface->GetCanvas();
    canvas->Clear(Ui::TAlphaColors::Black);
    const Ui::TRectF dest(0, 0, static_cast<float>(FWidth), static_cast<float>(FHeight));
    FForm->SkAnimatedPaintBox1AnimationDraw(FForm->SkAnimatedPaintBox1, canvas, dest, 0, 1);
    ++FFrame;
    FTime += FTimeStep;
}

Ref<ISkImage> THeadlessGame::Picture() { return FSurface->MakeImageSnapshot(); }

std::vector<float> THeadlessGame::StateValues() {
    std::vector<float> values(TfrmMain::StateWidth * TfrmMain::StateHeight * 4);
    const Ref<ISkImage>& state = FForm->StateImage();
    if (!state) return {};
    const TSkImageInfo info(TfrmMain::StateWidth, TfrmMain::StateHeight, TSkColorType::RGBAF32, TSkAlphaType::Premul);
    if (!state->ReadPixels(info, values.data(), TfrmMain::StateWidth * 4 * sizeof(float))) return {};
    return values;
}

Ref<ISkImage> THeadlessGame::StateImage8() {
    const std::vector<float> values = StateValues();
    if (values.empty()) return nullptr;
    std::vector<uint8_t> bytes(values.size());
    std::transform(values.begin(), values.end(), bytes.begin(),
                   [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); });
    const TSkImageInfo info(TfrmMain::StateWidth, TfrmMain::StateHeight, TSkColorType::RGBA8888, TSkAlphaType::Unpremul);
    return TSkImage::MakeRasterCopy(info, bytes.data(), TfrmMain::StateWidth * 4);
}

}  // namespace Host
