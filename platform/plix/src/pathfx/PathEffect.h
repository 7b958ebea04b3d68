// Path effects: a path's geometry changed before it is stroked or filled (dashes, rounded
// corners, stamps along the path, trims ...). An effect sees the paint's stroke settings and
// may change them: a stroke effect hands back an outline to fill.
#pragma once

#include "core/RefCnt.h"
#include "geometry/Path.h"
#include "geometry/Stroker.h"

namespace plix {

// How the path an effect returns is to be drawn.
struct StrokeRec {
    enum class Style { Fill, Hairline, Stroke, StrokeAndFill };
    Style style = Style::Fill;
    StrokeParams params;  // width, miter, cap, join when stroking
    float resScale = 1;   // device pixels per path unit

    bool isFill() const { return style == Style::Fill; }
    void setFill() { style = Style::Fill; }
    // The outline of path under these settings (the path itself for a fill).
    bool apply(const Path& path, Path* out) const;
};

class PathEffect : public RefCnt {
public:
    // Writes the changed path to dst; false when the effect does not apply to src, in which
    // case src is drawn as it is. ctm is the matrix the result will be drawn with.
    virtual bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix& ctm) const = 0;
    // A rectangle holding the effect's result for a source within src.
    virtual Rect fastBounds(const Rect& src) const { return src; }
};

// Refuse what the engine cannot draw (null): see each factory for its rules.
sp<PathEffect> makeDashEffect(const float intervals[], int count, float phase);
sp<PathEffect> makeCornerEffect(float radius);
sp<PathEffect> makeDiscreteEffect(float segLength, float deviation, uint32_t seedAssist);
enum class Path1DStyle : int32_t { Translate, Rotate, Morph };
sp<PathEffect> makePath1DEffect(const Path& stamp, float advance, float phase, Path1DStyle style);
sp<PathEffect> makeLine2DEffect(float width, const Matrix& lattice);
sp<PathEffect> makePath2DEffect(const Matrix& lattice, const Path& stamp);
sp<PathEffect> makeComposeEffect(sp<PathEffect> outer, sp<PathEffect> inner);
sp<PathEffect> makeSumEffect(sp<PathEffect> first, sp<PathEffect> second);
sp<PathEffect> makeMergeEffect(sp<PathEffect> first, sp<PathEffect> second, int32_t op);
sp<PathEffect> makeMatrixEffect(const Matrix& m);
sp<PathEffect> makeTranslateEffect(float dx, float dy);
sp<PathEffect> makeStrokeEffect(float width, StrokeJoin join, StrokeCap cap, float miter);
sp<PathEffect> makeStrokeAndFillEffect();
enum class TrimMode : int32_t { Normal, Inverted };
sp<PathEffect> makeTrimEffect(float start, float stop, TrimMode mode);

}  // namespace plix
