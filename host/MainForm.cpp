#include "MainForm.h"

#include <array>

#include "AssetsPath.h"
#include "ShaderFile.h"

namespace Host {

using namespace Skia;

namespace {

constexpr uint16_t vkLeft = 37;
constexpr uint16_t vkRight = 39;
constexpr char32_t SpaceChar = 32;
constexpr int DoubleTapGesture = 265;

}  // namespace

TfrmMain::TfrmMain(Ui::TComponent* AOwner) : Ui::TForm(AOwner) {
    SetCaption("Tilefall - Press space to reset");
    SetClientWidth(640);
    SetClientHeight(347);
    SetPosition(Ui::TFormPosition::ScreenCenter);
    OnCreate = [this](Ui::TObject* s) { FormCreate(s); };
    OnKeyDown = [this](Ui::TObject* s, uint16_t& k, char32_t& c, Ui::TShiftState sh) { FormKeyDown(s, k, c, sh); };
    OnKeyUp = [this](Ui::TObject* s, uint16_t& k, char32_t& c, Ui::TShiftState sh) { FormKeyUp(s, k, c, sh); };

    SkAnimatedPaintBox1 = new UI::TSkAnimatedPaintBox(this);
    SkAnimatedPaintBox1->SetName("SkAnimatedPaintBox1");
    SkAnimatedPaintBox1->SetParent(this);
    SkAnimatedPaintBox1->SetAlign(Ui::TAlignLayout::Client);
    SkAnimatedPaintBox1->SetSize(640, 347);
    SkAnimatedPaintBox1->SetHitTest(true);
    SkAnimatedPaintBox1->Touch.InteractiveGestures = {Ui::TInteractiveGesture::DoubleTap};
    SkAnimatedPaintBox1->Animation()->SetDuration(10000);
    SkAnimatedPaintBox1->OnMouseDown = [this](Ui::TObject* s, Ui::TMouseButton b, Ui::TShiftState sh, float x, float y) {
        SkAnimatedPaintBox1MouseDown(s, b, sh, x, y);
    };
    SkAnimatedPaintBox1->OnGesture = [this](Ui::TObject* s, const Ui::TGestureEventInfo& i, bool& h) {
        SkAnimatedPaintBox1Gesture(s, i, h);
    };
    SkAnimatedPaintBox1->SetOnAnimationDraw(
        UI::TSkAnimationDrawEvent::Method(this, &TfrmMain::SkAnimatedPaintBox1AnimationDraw));
}

Ref<ISkRuntimeEffect> LoadShaderFile(const std::string& AFileName) {
    const std::string path = AssetsPath() + AFileName;
    std::string errors;
    Ref<ISkRuntimeEffect> effect = TSkRuntimeEffect::MakeForShader(ReadShaderText(path), errors);
    // A shader that does not compile would leave the frames without a program: say why instead.
    if (!effect) throw ESkException("The shader file \"" + path + "\" does not compile:\n" + errors);
    return effect;
}

void TfrmMain::FormCreate(Ui::TObject*) {
    FImagePaint = TSkPaint::Create();
    FImageEffect = LoadShaderFile(ImageShaderFileName);
    FBufferAEffect = LoadShaderFile(BufferAShaderFileName);
}

void TfrmMain::FormKeyDown(Ui::TObject*, uint16_t& Key, char32_t& KeyChar, Ui::TShiftState) {
    FIsVKLeftPressing = FIsVKLeftPressing || Key == vkLeft;
    FIsVKRightPressing = FIsVKRightPressing || Key == vkRight;
    FIsVKSpacePressing = FIsVKSpacePressing || KeyChar == SpaceChar;
}

void TfrmMain::FormKeyUp(Ui::TObject*, uint16_t& Key, char32_t& KeyChar, Ui::TShiftState) {
    FIsVKLeftPressing = FIsVKLeftPressing && Key != vkLeft;
    FIsVKRightPressing = FIsVKRightPressing && Key != vkRight;
    FIsVKSpacePressing = FIsVKSpacePressing && KeyChar != SpaceChar;
}

void TfrmMain::SkAnimatedPaintBox1MouseDown(Ui::TObject*, Ui::TMouseButton, Ui::TShiftState, float X, float Y) {
    FMouse = {X, Y, 1.0f};
}

void TfrmMain::SkAnimatedPaintBox1Gesture(Ui::TObject*, const Ui::TGestureEventInfo& EventInfo, bool&) {
    if (EventInfo.GestureID == DoubleTapGesture) FIsVKSpacePressing = true;
}

void TfrmMain::SkAnimatedPaintBox1AnimationDraw(Ui::TObject*, const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest,
                                                double, float) {
    if (FFrame == 0) FTimer = TStopwatch::StartNew(Clock);
    const float time = static_cast<float>(FTimer.ElapsedSeconds());
    BufferAPass(time, ADest);
    ImagePass(time, ACanvas, ADest);
    ++FFrame;
    FLastFrameTime = time;
    FIsVKSpacePressing = false;
    FMouse = {FMouse.X, FMouse.Y, 0.0f};
}

void TfrmMain::BufferAPass(float ATime, const Ui::TRectF& ADest) {
    FBufferAEffect->SetUniform("iResolution", Ui::TPointF(ADest.Width(), ADest.Height()));
    FBufferAEffect->SetUniform("iTime", ATime);
    FBufferAEffect->SetUniform("iTimeDelta", ATime - FLastFrameTime);
    FBufferAEffect->SetUniform("iFrame", FFrame);
    const std::array<float, 3> mouse = {FMouse.X, FMouse.Y, FMouse.Z};
    FBufferAEffect->SetUniform("iMouse", std::span<const float>(mouse));
    FBufferAEffect->SetUniform("ivkLeftPressing", int32_t(FIsVKLeftPressing ? 1 : 0));
    FBufferAEffect->SetUniform("ivkRightPressing", int32_t(FIsVKRightPressing ? 1 : 0));
    FBufferAEffect->SetUniform("ivkSpacePressing", int32_t(FIsVKSpacePressing ? 1 : 0));
    FBufferAEffect->SetChildShaderByName("iChannel0", FBufferAShader);
    const TSkImageInfo info(StateWidth, StateHeight, TSkColorType::RGBAF16Clamped, TSkAlphaType::Premul);
    FStateImage = FBufferAEffect->MakeImage(info, false, nullptr);
    // A render that fails (out of memory, say) must not leave the frame with no state to read.
    if (!FStateImage) throw ESkException("The state pass of BufferA.sksl produced no image");
    FBufferAShader = FStateImage->MakeRawShader(TSkSamplingOptions(TSkFilterMode::Nearest, TSkMipmapMode::None),
                                                TSkTileMode::Clamp, TSkTileMode::Clamp);
}

void TfrmMain::ImagePass(float ATime, const Ref<ISkCanvas>& ACanvas, const Ui::TRectF& ADest) {
    FImageEffect->SetUniform("iResolution", Ui::TPointF(ADest.Width(), ADest.Height()));
    FImageEffect->SetUniform("iTime", ATime);
    FImageEffect->SetChildShaderByName("iChannel0", FBufferAShader);
    FImagePaint->SetShader(FImageEffect->MakeShader());
    ACanvas->DrawRect(ADest, FImagePaint);
}

}  // namespace Host
