// The game's only window. It holds the two compiled shader programs, the paint of the picture,
// the feedback shader of the last state image and the input state; each frame it runs the state
// pass (BufferA.sksl into a 14 x 14 image) and the image pass (Image.sksl onto the window).
#pragma once

#include "Skia.h"
#include "Stopwatch.h"
#include "UI/AnimatedControl.h"
#include "ui/Forms.h"

namespace Host {

class TfrmMain : public Ui::TForm {
public:
    explicit TfrmMain(Ui::TComponent* AOwner);

    // The drawing surface; fills the client area.
    Skia::UI::TSkAnimatedPaintBox* SkAnimatedPaintBox1 = nullptr;

    // Handlers, bound to the form's and the paint box's events by the constructor.
    void FormCreate(Ui::TObject* Sender);
    void FormKeyDown(Ui::TObject* Sender, uint16_t& Key, char32_t& KeyChar, Ui::TShiftState Shift);
    void FormKeyUp(Ui::TObject* Sender, uint16_t& Key, char32_t& KeyChar, Ui::TShiftState Shift);
    void SkAnimatedPaintBox1MouseDown(Ui::TObject* Sender, Ui::TMouseButton Button, Ui::TShiftState Shift, float X,
                                      float Y);
    void SkAnimatedPaintBox1Gesture(Ui::TObject* Sender, const Ui::TGestureEventInfo& EventInfo, bool& Handled);
    // One game frame: the state pass, then the image pass onto ACanvas over ADest.
    void SkAnimatedPaintBox1AnimationDraw(Ui::TObject* ASender, const Skia::Ref<Skia::ISkCanvas>& ACanvas,
                                          const Ui::TRectF& ADest, double AProgress, float AOpacity);

    // The clock the frame timer reads; tests and the capture tool replace it.
    TClock Clock = SteadyClockTicks;

    // The state the frames share, for tests and tools to observe.
    int32_t Frame() const { return FFrame; }
    const Skia::Ref<Skia::ISkShader>& BufferAShader() const { return FBufferAShader; }
    const Skia::Ref<Skia::ISkRuntimeEffect>& BufferAEffect() const { return FBufferAEffect; }
    const Skia::Ref<Skia::ISkRuntimeEffect>& ImageEffect() const { return FImageEffect; }
    // The state image of the last frame (14 x 14, four half floats a pixel), or nil before it.
    const Skia::Ref<Skia::ISkImage>& StateImage() const { return FStateImage; }

    static constexpr int32_t StateWidth = 14;
    static constexpr int32_t StateHeight = 14;

private:
    void BufferAPass(float ATime, const Ui::TRectF& ADest);
    void ImagePass(float ATime, const Skia::Ref<Skia::ISkCanvas>& ACanvas, const Ui::TRectF& ADest);

    int32_t FFrame = 0;
    bool FIsVKLeftPressing = false;
    bool FIsVKRightPressing = false;
    bool FIsVKSpacePressing = false;
    float FLastFrameTime = 0;
    Ui::TPoint3D FMouse;
    TStopwatch FTimer;
    Skia::Ref<Skia::ISkRuntimeEffect> FImageEffect;
    Skia::Ref<Skia::ISkPaint> FImagePaint;
    Skia::Ref<Skia::ISkRuntimeEffect> FBufferAEffect;
    Skia::Ref<Skia::ISkShader> FBufferAShader;
    Skia::Ref<Skia::ISkImage> FStateImage;
};

// Reads and compiles one shader file of the asset folder; raises ESkException naming the file
// with the compiler's messages when it does not compile, and the errors of ReadShaderText.
Skia::Ref<Skia::ISkRuntimeEffect> LoadShaderFile(const std::string& AFileName);

}  // namespace Host
