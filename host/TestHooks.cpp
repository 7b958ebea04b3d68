#include "TestHooks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "MainForm.h"

namespace Host {

using namespace Skia;

namespace {

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

std::vector<float> StateValues(const TfrmMain& AForm) {
    const Ref<ISkImage>& state = AForm.StateImage();
    if (!state) return {};
    std::vector<float> values(size_t(TfrmMain::StateWidth) * TfrmMain::StateHeight * 4);
    const TSkImageInfo info(TfrmMain::StateWidth, TfrmMain::StateHeight, TSkColorType::RGBAF32, TSkAlphaType::Premul);
    if (!state->ReadPixels(info, values.data(), TfrmMain::StateWidth * 4 * sizeof(float))) return {};
    return values;
}

}  // namespace

TTestHooks TTestHooks::FromEnvironment() {
    TTestHooks hooks;
    if (const char* step = Variable("TILEFALL_TEST_TIME_STEP")) {
        char* end = nullptr;
        const double value = std::strtod(step, &end);
        if (*end || !(value >= 0 && value <= 3600))
            throw Ui::Exception("TILEFALL_TEST_TIME_STEP must be a number of seconds from 0 to 3600, not \"" +
                                std::string(step) + "\"");
        hooks.TimeStep = value;
    }
    if (const char* file = Variable("TILEFALL_TEST_STATE_FILE")) hooks.StateFile = file;
    if (const char* canvas = Variable("TILEFALL_TEST_CANVAS")) {
        const std::string name = canvas;
        if (name != "raster" && name != "opengl")
            throw Ui::Exception("TILEFALL_TEST_CANVAS must be \"raster\" or \"opengl\", not \"" + name + "\"");
        hooks.RasterCanvas = name == "raster";
    }
    return hooks;
}

void TTestHooks::Install(TfrmMain& AForm) const {
    if (TimeStep) {
        const double step = *TimeStep;
        // The clock reads frames drawn x step: frame n sees n x step seconds, as a headless run does.
        AForm.Clock = [&AForm, step] { return static_cast<int64_t>(std::llround(AForm.Frame() * step * 1e7)); };
    }
    if (!StateFile.empty()) {
        UI::TSkAnimatedPaintBox* box = AForm.SkAnimatedPaintBox1;
        const UI::TSkAnimationDrawEvent draw = box->OnAnimationDraw();
        box->SetOnAnimationDraw([&AForm, draw, file = StateFile](Ui::TObject* ASender, const Ref<ISkCanvas>& ACanvas,
                                                                 const Ui::TRectF& ADest, double AProgress, float AOpacity) {
            draw(ASender, ACanvas, ADest, AProgress, AOpacity);
            const std::vector<float> values = StateValues(AForm);
            if (!WriteStateFile(file, AForm.Frame(), values.data(), values.size()))
                throw Ui::Exception("Cannot write the state file \"" + file + "\"");
        });
    }
}

bool WriteStateFile(const std::string& APath, int32_t AFrames, const float* AValues, size_t ACount) {
    const std::string temporary = APath + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&AFrames, sizeof AFrames, 1, out) == 1;
    if (ACount) ok = ok && std::fwrite(AValues, sizeof(float), ACount, out) == ACount;
    ok = std::fclose(out) == 0 && ok;
    if (ok) ok = std::rename(temporary.c_str(), APath.c_str()) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

}  // namespace Host
