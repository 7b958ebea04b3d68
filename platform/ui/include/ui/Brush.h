// Brushes and fonts of the canvas: what fills (TBrush) and what strokes (TStrokeBrush) a
// primitive, and the font text is drawn with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Classes.h"
#include "ui/Types.h"

namespace Ui {

class TBitmap;
class TBrush;

enum class TBrushKind { None, Solid, Gradient, Bitmap, Resource };
enum class TGradientStyle { Linear, Radial };
enum class TWrapMode { Tile, TileOriginal, TileStretch };

struct TGradientPoint {
    TAlphaColor Color = TAlphaColors::Black;
    float Offset = 0;  // 0 to 1 along the gradient; neither sorted nor clamped
};

struct TRadialTransform {
    TPointF RotationCenter{0.5f, 0.5f};  // fraction of the bounds
    TPointF Scale{1, 1};
};

struct TGradient {
    TGradientStyle Style = TGradientStyle::Linear;
    std::vector<TGradientPoint> Points{{TAlphaColors::Black, 0}, {TAlphaColors::White, 1}};
    TPointF StartPosition{0, 0};  // fraction of the bounds
    TPointF StopPosition{0, 1};
    TRadialTransform RadialTransform;
};

// The bitmap of a bitmap brush; the brush owns it (copies share the pixels until written).
class TBrushBitmap {
public:
    TBrushBitmap();
    ~TBrushBitmap();
    TBrushBitmap(const TBrushBitmap& other);
    TBrushBitmap& operator=(const TBrushBitmap& other);

    TBitmap& Bitmap();
    const TBitmap* BitmapOrNull() const { return fBitmap.get(); }
    TWrapMode WrapMode = TWrapMode::Tile;

private:
    std::unique_ptr<TBitmap> fBitmap;
};

// A brush taken from elsewhere (a style resource); the resource does not own it.
struct TBrushResource {
    const TBrush* Brush = nullptr;
};

class TBrush {
public:
    TBrush(TBrushKind kind = TBrushKind::Solid, TAlphaColor color = TAlphaColors::Black)
        : Kind(kind), Color(color) {}
    virtual ~TBrush() = default;
    TBrush(const TBrush&) = default;
    TBrush& operator=(const TBrush&) = default;

    TBrushKind Kind;
    TAlphaColor Color;
    TGradient Gradient;
    TBrushBitmap Bitmap;
    TBrushResource Resource;
};

enum class TStrokeCap { Flat, Round };
enum class TStrokeJoin { Miter, Round, Bevel };
enum class TStrokeDash { Solid, Dash, Dot, DashDot, DashDotDot, Custom };

class TStrokeBrush : public TBrush {
public:
    TStrokeBrush(TBrushKind kind = TBrushKind::Solid, TAlphaColor color = TAlphaColors::Black)
        : TBrush(kind, color) {}

    float Thickness = 1;
    TStrokeCap Cap = TStrokeCap::Flat;
    TStrokeJoin Join = TStrokeJoin::Miter;

    TStrokeDash Dash() const { return fDash; }
    // Sets a built-in style and its dash array (in thicknesses): Solid empty; Dash 3, 1;
    // Dot 1, 1; DashDot 3, 1, 1, 1; DashDotDot 3, 1, 1, 1, 1, 1. Custom keeps the array.
    void SetDash(TStrokeDash dash);
    // A custom dash array and offset, both in thicknesses; the style becomes Custom.
    void SetCustomDash(std::vector<float> dashArray, float offset);
    const std::vector<float>& DashArray() const { return fDashArray; }
    float DashOffset() const { return fDashOffset; }

private:
    TStrokeDash fDash = TStrokeDash::Solid;
    std::vector<float> fDashArray;
    float fDashOffset = 0;
};

enum class TFontStyle { Bold, Italic, Underline, StrikeOut };
using TFontStyles = TSet<TFontStyle>;

struct TFont {
    std::string Family;  // empty: the platform's default family
    float Size = 12;     // in logical units
    TFontStyles Style;
};

}  // namespace Ui
