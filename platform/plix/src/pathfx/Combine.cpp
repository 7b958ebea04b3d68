// Effects made of two: one after the other (compose), both drawn (sum), or both outlines combined
// by a path operation (merge).
#include "geometry/PathOps.h"
#include "pathfx/PathEffect.h"

namespace plix {

namespace {

// The effect's path, or src when the effect does not apply.
void runOrKeep(const PathEffect& e, const Path& src, StrokeRec* rec, const Matrix& ctm, Path* out) {
    if (!e.filterPath(out, src, rec, ctm)) *out = src;
}

class ComposeEffect final : public PathEffect {
public:
    ComposeEffect(sp<PathEffect> outer, sp<PathEffect> inner) : fOuter(std::move(outer)), fInner(std::move(inner)) {}
    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix& ctm) const override {
        Path mid;
        runOrKeep(*fInner, src, rec, ctm, &mid);
        runOrKeep(*fOuter, mid, rec, ctm, dst);
        return true;
    }
    Rect fastBounds(const Rect& r) const override { return fOuter->fastBounds(fInner->fastBounds(r)); }

private:
    sp<PathEffect> fOuter, fInner;
};

// Sum draws both results with the paint's settings; merge fills the combination of both outlines.
class PairEffect final : public PathEffect {
public:
    PairEffect(sp<PathEffect> a, sp<PathEffect> b, int op) : fFirst(std::move(a)), fSecond(std::move(b)), fOp(op) {}
    bool filterPath(Path* dst, const Path& src, StrokeRec* rec, const Matrix& ctm) const override {
        StrokeRec r1 = *rec, r2 = *rec;
        Path p1, p2;
        runOrKeep(*fFirst, src, &r1, ctm, &p1);
        runOrKeep(*fSecond, src, &r2, ctm, &p2);
        if (fOp < 0) {
            // Both halves must agree on how they are drawn; the first one's settings win.
            *dst = std::move(p1);
            dst->addPath(p2);
            *rec = r1;
            return true;
        }
        Path o1, o2;
        if (!r1.apply(p1, &o1) || !r2.apply(p2, &o2)) return false;
        if (!pathOp(o1, o2, PathOp(fOp), dst)) return false;
        rec->setFill();
        return true;
    }
    Rect fastBounds(const Rect& r) const override {
        Rect b = fFirst->fastBounds(r);
        b.join(fSecond->fastBounds(r));
        return b;
    }

private:
    sp<PathEffect> fFirst, fSecond;
    int fOp;  // a path operation, or -1 for the sum
};

}  // namespace

// Both effects must be given; the result runs inner first.
sp<PathEffect> makeComposeEffect(sp<PathEffect> outer, sp<PathEffect> inner) {
    if (!outer || !inner) return nullptr;
    return make_sp<ComposeEffect>(std::move(outer), std::move(inner));
}

sp<PathEffect> makeSumEffect(sp<PathEffect> first, sp<PathEffect> second) {
    if (!first || !second) return nullptr;
    return make_sp<PairEffect>(std::move(first), std::move(second), -1);
}

sp<PathEffect> makeMergeEffect(sp<PathEffect> first, sp<PathEffect> second, int32_t op) {
    if (!first || !second || !isValidPathOp(op)) return nullptr;
    return make_sp<PairEffect>(std::move(first), std::move(second), op);
}

}  // namespace plix
