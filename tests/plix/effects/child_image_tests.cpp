// A runtime shader that reads a small image child at nearest sampling takes a shortcut (a table
// of the image's resolved texels); it must give exactly what the image shader itself draws, for
// every tile mode, under a matrix, and for points far outside the image.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/Surface.h"
#include "core/Half.h"
#include "effects/RuntimeEffects.h"
#include "shaders/Shaders.h"

using namespace plix;

namespace {

constexpr int kW = 96, kH = 80;

// 5 x 3 half floats, unpremultiplied with varied alpha: the read premultiplies them.
sp<Image> SmallImage() {
    std::vector<uint16_t> px(5 * 3 * 4);
    for (int i = 0; i < 15; ++i) {
        px[size_t(i) * 4 + 0] = floatToHalf(float(i) / 14);
        px[size_t(i) * 4 + 1] = floatToHalf(float(i % 4) / 3);
        px[size_t(i) * 4 + 2] = floatToHalf(0.25f);
        px[size_t(i) * 4 + 3] = floatToHalf(i % 3 == 0 ? 0.5f : 1.0f);
    }
    return Image::MakeRasterCopy(Pixmap(ImageInfo::Make(5, 3, ColorType::RGBAF16, AlphaType::Unpremul), px.data(), 5 * 8));
}

std::vector<uint8_t> Draw(sp<Shader> shader) {
    sp<Surface> surface = Surface::MakeRaster(ImageInfo::Make(kW, kH, ColorType::RGBA8888, AlphaType::Premul), 0, nullptr);
    Paint paint;
    paint.shader = std::move(shader);
    paint.blender = make_sp<ModeBlender>(BlendMode::Src);
    surface->canvas()->drawPaint(paint);
    std::vector<uint8_t> px(size_t(kW) * kH * 4);
    EXPECT_TRUE(surface->readPixels(Pixmap(ImageInfo::Make(kW, kH, ColorType::RGBA8888, AlphaType::Premul), px.data(), kW * 4), 0, 0));
    return px;
}

TEST(ChildImage, ANearestReadThroughAProgramDrawsWhatTheImageDraws) {
    std::string errors;
    // The program reads its child at scaled and shifted points, so that negative coordinates,
    // points far outside and points on texel edges all occur.
    sp<sksl::Effect> effect = sksl::Effect::Make(
        "uniform shader img; half4 main(float2 p) { return img.eval(p * 2 - float2(40, 30)); }",
        sksl::ProgramKind::Shader, &errors);
    ASSERT_TRUE(effect) << errors;
    const TileMode modes[] = {TileMode::Clamp, TileMode::Repeat, TileMode::Mirror, TileMode::Decal};
    for (bool scaled : {false, true}) {
        for (TileMode tx : modes) {
            for (TileMode ty : modes) {
                SCOPED_TRACE(std::to_string(int(tx)) + " " + std::to_string(int(ty)) + (scaled ? " scaled" : ""));
                const Matrix local = Matrix::Scale(4, 0.25f);
                sp<Shader> image = MakeImageShader(SmallImage(), tx, ty, SamplingOptions(FilterMode::Nearest),
                                                   scaled ? &local : nullptr);
                // The child's space in device space: the inverse of the program's mapping, exact
                // in floats so that points on texel edges fall the same way.
                const Matrix childToDevice = Matrix::MakeAll(0.5f, 0, 20, 0, 0.5f, 15, 0, 0, 1);
                const std::vector<uint8_t> direct = Draw(MakeLocalMatrixShader(image, childToDevice));
                const std::vector<uint8_t> viaProgram = Draw(MakeRuntimeShader(effect, nullptr, {image}));
                EXPECT_EQ(viaProgram, direct);
            }
        }
    }
}

}  // namespace
