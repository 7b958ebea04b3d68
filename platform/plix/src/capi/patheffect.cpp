#include "capi/Convert.h"
#include "pathfx/PathEffect.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

namespace {
sp<PathEffect> pe(plix_handle h) { return sp_ref(from<PathEffect>(h)); }
template <class F>
plix_handle make(F&& f) {
    return guard<plix_handle>(0, [&] { return to(f()); });
}
}  // namespace

plix_handle plix_patheffect_make_1dpath(plix_handle path, float advance, float phase, int32_t style) {
    if (!path) return 0;
    return make([&] { return makePath1DEffect(*from<Path>(path), advance, phase, Path1DStyle(style)); });
}

plix_handle plix_patheffect_make_2dline(float width, const plix_matrix* matrix) {
    if (!matrix) return 0;
    return make([&] { return makeLine2DEffect(width, toMatrix(*matrix)); });
}

plix_handle plix_patheffect_make_2dpath(const plix_matrix* matrix, plix_handle path) {
    if (!matrix || !path) return 0;
    return make([&] { return makePath2DEffect(toMatrix(*matrix), *from<Path>(path)); });
}

plix_handle plix_patheffect_make_compose(plix_handle outer, plix_handle inner) {
    return make([&] { return makeComposeEffect(pe(outer), pe(inner)); });
}

plix_handle plix_patheffect_make_corner(float radius) {
    return make([&] { return makeCornerEffect(radius); });
}

plix_handle plix_patheffect_make_dash(const float* intervals, int32_t count, float phase) {
    return make([&] { return makeDashEffect(intervals, count, phase); });
}

plix_handle plix_patheffect_make_discrete(float seg_length, float deviation, uint32_t seed_assist) {
    return make([&] { return makeDiscreteEffect(seg_length, deviation, seed_assist); });
}

plix_handle plix_patheffect_make_matrix(const plix_matrix* matrix) {
    if (!matrix) return 0;
    return make([&] { return makeMatrixEffect(toMatrix(*matrix)); });
}

plix_handle plix_patheffect_make_merge(plix_handle effect1, plix_handle effect2, int32_t op) {
    return make([&] { return makeMergeEffect(pe(effect1), pe(effect2), op); });
}

plix_handle plix_patheffect_make_stroke(float width, int32_t join, int32_t cap, float miter) {
    return make([&] { return makeStrokeEffect(width, StrokeJoin(join), StrokeCap(cap), miter); });
}

plix_handle plix_patheffect_make_stroke_and_fill(void) {
    return make([] { return makeStrokeAndFillEffect(); });
}

plix_handle plix_patheffect_make_sum(plix_handle effect1, plix_handle effect2) {
    return make([&] { return makeSumEffect(pe(effect1), pe(effect2)); });
}

plix_handle plix_patheffect_make_translate(float dx, float dy) {
    return make([&] { return makeTranslateEffect(dx, dy); });
}

plix_handle plix_patheffect_make_trim(float start, float stop, int32_t mode) {
    return make([&] { return makeTrimEffect(start, stop, TrimMode(mode)); });
}
