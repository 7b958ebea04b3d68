// The enumerations of the graphics object layer. Each crosses to the native side as a 32-bit
// ordinal (first member 0), so every one is stored in 4 bytes; sets of them are Ui::TSet.
#pragma once

#include <cstdint>

#include "ui/Types.h"

namespace Skia {

using Ui::TSet;

// ---- pixels ----

enum class TSkColorType : int32_t {
    Unknown, Alpha8, RGB565, ARGB4444, RGBA8888, RGB888X, BGRA8888, RGBA1010102, BGRA1010102,
    RGB101010X, BGR101010X, Gray8, RGBAF16, RGBAF16Clamped, RGBAF32, RG88, AlphaF16, RGF16,
    Alpha16, RG1616, RGBA16161616, SRGBA8888, R8
};

enum class TSkAlphaType : int32_t { Unknown, Opaque, Premul, Unpremul };

enum class TSkEncodedImageFormat : int32_t { BMP, GIF, ICO, JPEG, PNG, WBMP, WEBP, PKM, KTX, ASTC, DNG, HEIF, AVIF };

enum class TSkImageCachingHint : int32_t { Allow, Disallow };

enum class TGrSurfaceOrigin : int32_t { TopLeft, BottomLeft };

enum class TGrBackendAPI : int32_t { OpenGl, Vulkan, Metal };

enum class TGrShaderCacheStrategy : int32_t { SkSL, BackendSource, BackendBinary };

enum class TSkPixelGeometry : int32_t { Unknown, RGBHorizontal, BGRHorizontal, RGBVertical, BGRVertical };

enum class TSkSurfacePropertiesFlag : int32_t { UseDeviceIndependentFonts, DynamicMSAA };
using TSkSurfacePropertiesFlags = TSet<TSkSurfacePropertiesFlag>;

// ---- sampling, tiling, blending ----

enum class TSkTileMode : int32_t { Clamp, Repeat, Mirror, Decal };

enum class TSkFilterMode : int32_t { Nearest, Linear };

enum class TSkMipmapMode : int32_t { None, Nearest, Linear };

enum class TSkBlendMode : int32_t {
    Clear, Src, Dest, SrcOver, DestOver, SrcIn, DestIn, SrcOut, DestOut, SrcATop, DestATop, Xor,
    Plus, Modulate, Screen, Overlay, Darken, Lighten, ColorDodge, ColorBurn, HardLight, SoftLight,
    Difference, Exclusion, Multiply, Hue, Saturation, Color, Luminosity
};

// ---- paint and canvas ----

enum class TSkPaintStyle : int32_t { Fill, Stroke, StrokeAndFill };

enum class TSkStrokeCap : int32_t { Butt, Round, Square };

enum class TSkStrokeJoin : int32_t { Miter, Round, Bevel };

enum class TSkClipOp : int32_t { Difference, Intersect };

enum class TSkDrawPointsMode : int32_t { Points, Lines, Polygon };

enum class TSkSrcRectConstraint : int32_t { Close, Fast };

enum class TSkLatticeRectType : int32_t { Default, Transparent, FixedColor };

// Passed through to the native side as the set's bits; the layer gives them no meaning.
enum class TSkSaveLayerFlag : int32_t { PreserveLcdText, InitWithPrevious, F16ColorType };
using TSkSaveLayerFlags = TSet<TSkSaveLayerFlag>;

// ---- runtime effects ----

enum class TSkRuntimeEffectUniformType : int32_t {
    Float, Float2, Float3, Float4, Float2x2, Float3x3, Float4x4, Int, Int2, Int3, Int4
};

enum class TSkRuntimeEffectChildType : int32_t { Shader, ColorFilter, Blender };

// ---- paths ----

enum class TSkPathFillType : int32_t { Winding, EvenOdd, InverseWinding, InverseEvenOdd };

enum class TSkPathDirection : int32_t { CW, CCW };

enum class TSkPathOp : int32_t { Difference, Intersect, Union, Xor, ReverseDifference };

enum class TSkPathVerb : int32_t { Move, Line, Quad, Conic, Cubic, Close };

enum class TSkSegmentMask : int32_t { Line, Quad, Conic, Cubic };
using TSkSegmentMasks = TSet<TSkSegmentMask>;

enum class TSkPathArcSize : int32_t { Small, Large };

enum class TSkRoundRectCorner : int32_t { UpperLeft, UpperRight, LowerRight, LowerLeft };

}  // namespace Skia
