// The recorded calls of a picture: one plain struct per canvas call, holding copies of its
// arguments (paints by value, shared objects by reference), so a picture outlives what it was
// recorded from.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "canvas/Canvas.h"

namespace plix {

class Picture;

namespace ops {

struct Save {};
struct SaveLayer {
    std::optional<Rect> bounds;
    std::optional<Paint> paint;
    uint32_t flags;
};
struct Restore {};
struct RestoreToCount {
    int count;  // relative to the save count playback starts at
};
struct Concat {
    Matrix44 m;
};
struct SetMatrix {
    Matrix44 m;  // relative to the matrix playback starts with
};
struct ClipRect {
    Rect r;
    ClipOp op;
    bool aa;
};
struct ClipRRect {
    RRect rr;
    ClipOp op;
    bool aa;
};
struct ClipPath {
    Path path;
    ClipOp op;
    bool aa;
};
struct ClipShader {
    sp<Shader> shader;
    ClipOp op;
};
struct DrawPaint {
    Paint paint;
};
struct DrawPoints {
    PointMode mode;
    std::vector<Point> pts;
    Paint paint;
};
struct DrawRect {
    Rect r;
    Paint paint;
};
struct DrawOval {
    Rect r;
    Paint paint;
};
struct DrawRRect {
    RRect rr;
    Paint paint;
};
struct DrawPath {
    Path path;
    Paint paint;
};
struct DrawImage {
    sp<Image> image;
    float x, y;
    SamplingOptions sampling;
    std::optional<Paint> paint;
};
struct DrawImageRect {
    sp<Image> image;
    Rect src, dst;
    SamplingOptions sampling;
    std::optional<Paint> paint;
    SrcRectConstraint constraint;
};
struct DrawImageNine {
    sp<Image> image;
    IRect center;
    Rect dst;
    FilterMode filter;
    std::optional<Paint> paint;
};
struct DrawImageLattice {
    sp<Image> image;
    std::vector<int32_t> xDivs, yDivs, rectTypes;
    std::vector<uint32_t> colors;
    std::optional<IRect> bounds;
    Rect dst;
    FilterMode filter;
    std::optional<Paint> paint;
};
struct DrawPicture {
    sp<Picture> picture;
    std::optional<Matrix> matrix;
    std::optional<Paint> paint;
};
struct DrawAnnotation {
    Rect rect;
    std::string key;
    std::vector<uint8_t> value;
};

using Op = std::variant<Save, SaveLayer, Restore, RestoreToCount, Concat, SetMatrix, ClipRect, ClipRRect, ClipPath,
                        ClipShader, DrawPaint, DrawPoints, DrawRect, DrawOval, DrawRRect, DrawPath, DrawImage,
                        DrawImageRect, DrawImageNine, DrawImageLattice, DrawPicture, DrawAnnotation>;

}  // namespace ops
}  // namespace plix
