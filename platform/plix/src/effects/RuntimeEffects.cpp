#include "effects/RuntimeEffects.h"

#include <atomic>
#include <cstring>
#include <memory>

#include "canvas/Canvas.h"
#include "effects/ChildPipeline.h"
#include "effects/ThreadCache.h"
#include "raster/Paint.h"

namespace plix {

namespace {

using sksl::ChildType;

// Maps device pixel centres into the space that toDevice maps to the device; false when it
// cannot be inverted.
bool AppendInverse(Pipeline& p, const Matrix& toDevice) {
    Matrix inverse;
    if (!toDevice.invert(&inverse)) return false;
    if (inverse.hasPerspective()) {
        float* m = p.makeArray<float>(9);
        for (int i = 0; i < 9; ++i) m[i] = inverse[i];
        p.append(Op::matrix_perspective, m);
    } else {
        float* m = p.makeArray<float>(6);
        for (int i = 0; i < 6; ++i) m[i] = inverse[i];
        p.append(Op::matrix_2x3, m);
    }
    return true;
}

// A child colour filter applied to the colours the program passes: in = out = {r, g, b, a}.
class ChildFilter {
public:
    explicit ChildFilter(const ColorFilter& filter) {
        StageRec rec{&fPipeline, nullptr, 1.0f};
        filter.appendStages(rec);
    }

    static void Eval(void* context, int n, const float* const* in, float* const* out) {
        auto* self = static_cast<ChildFilter*>(context);
        Batch batch;
        for (int start = 0; start < n; start += kBatch) {
            const int count = std::min(kBatch, n - start);
            float* regs[4] = {batch.r, batch.g, batch.b, batch.a};
            for (int c = 0; c < 4; ++c) std::memcpy(regs[c], in[c] + start, sizeof(float) * size_t(count));
            batch.n = count;
            self->fPipeline.run(batch);
            for (int c = 0; c < 4; ++c) std::memcpy(out[c] + start, regs[c], sizeof(float) * size_t(count));
        }
    }

private:
    Pipeline fPipeline;
};

// A child blender applied to the colours the program passes: in = {src r, g, b, a, dst r, g, b,
// a}, out = {r, g, b, a}. Blend stages keep nothing in their contexts while they run, so the
// threads of a split draw share one stage list.
class ChildBlender {
public:
    explicit ChildBlender(const Blender& blender) {
        StageRec rec{&fPipeline, nullptr, 1.0f};
        blender.appendStages(rec);
    }

    static void Eval(void* context, int n, const float* const* in, float* const* out) {
        auto* self = static_cast<ChildBlender*>(context);
        Batch batch;
        for (int start = 0; start < n; start += kBatch) {
            const int count = std::min(kBatch, n - start);
            float* regs[8] = {batch.r, batch.g, batch.b, batch.a, batch.dr, batch.dg, batch.db, batch.da};
            for (int c = 0; c < 8; ++c) std::memcpy(regs[c], in[c] + start, sizeof(float) * size_t(count));
            batch.n = count;
            self->fPipeline.run(batch);
            for (int c = 0; c < 4; ++c) std::memcpy(out[c] + start, regs[c], sizeof(float) * size_t(count));
        }
    }

private:
    Pipeline fPipeline;
};

// What every runtime effect object holds: the program, its uniforms and how to reach its children.
class RuntimeEffectBase {
protected:
    RuntimeEffectBase(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children)
        : fEffect(std::move(effect)), fChildren(std::move(children)), fId(NextId()) {
        const size_t size = fEffect->reflection().uniformSize;
        fUniforms.assign(size, 0);
        if (uniforms && size) std::memcpy(fUniforms.data(), uniforms, size);
        const auto& slots = fEffect->reflection().children;
        fEvals.resize(slots.size());
        for (size_t i = 0; i < slots.size(); ++i) {
            RefCnt* child = fChildren[i].get();
            if (!child) continue;  // unset: the executor's default for the kind
            if (slots[i].type == ChildType::Shader) {
                fShaderChildren.push_back(std::make_unique<ChildPipeline>(*static_cast<Shader*>(child)));
                fEvals[i] = {&ChildPipeline::Eval, fShaderChildren.back().get()};
            } else if (slots[i].type == ChildType::ColorFilter) {
                fFilterChildren.push_back(std::make_unique<ChildFilter>(*static_cast<ColorFilter*>(child)));
                fEvals[i] = {&ChildFilter::Eval, fFilterChildren.back().get()};
            } else {
                fBlenderChildren.push_back(std::make_unique<ChildBlender>(*static_cast<Blender*>(child)));
                fEvals[i] = {&ChildBlender::Eval, fBlenderChildren.back().get()};
            }
        }
    }

    // Runs the fast executor with this object's uniforms. Its registers are made once per thread
    // and kept for the batches and draws that follow; a program whose child is another runtime
    // effect runs both at once, so the cache holds several and never drops one in use.
    void Execute(const sksl::ExecArgs& args) const {
        struct Cached {
            sp<sksl::Effect> effect;  // keeps the program the runner reads alive
            std::unique_ptr<sksl::BatchRunner> runner;
        };
        thread_local ThreadCache<Cached> cache;
        auto* entry = cache.lookup(fId);
        if (!entry) {  // every cached runner is running: a nest this deep runs uncached
            fEffect->makeRunner(fUniforms.data())->run(args);
            return;
        }
        if (entry->id != fId) {
            entry->value.runner.reset();
            entry->value.effect = fEffect;
            entry->value.runner = fEffect->makeRunner(fUniforms.data());
            entry->id = fId;
        }
        sksl::BatchRunner* runner = entry->value.runner.get();
        ++entry->inUse;
        struct Release {
            int& count;
            ~Release() { --count; }
        } release{entry->inUse};
        runner->run(args);
    }

    sksl::ExecArgs Args(int n) const {
        sksl::ExecArgs args;
        args.count = n;
        args.uniforms = fUniforms.data();
        args.children = fEvals.empty() ? nullptr : fEvals.data();
        return args;
    }

    sp<sksl::Effect> fEffect;
    std::vector<uint8_t> fUniforms;
    RuntimeChildren fChildren;  // keeps the children alive
    std::vector<std::unique_ptr<ChildPipeline>> fShaderChildren;
    std::vector<std::unique_ptr<ChildFilter>> fFilterChildren;
    std::vector<std::unique_ptr<ChildBlender>> fBlenderChildren;
    std::vector<sksl::ChildEval> fEvals;
    uint64_t fId;

private:
    static uint64_t NextId() {
        static std::atomic<uint64_t> next{1};
        return next.fetch_add(1);
    }
};

class RuntimeShader final : public Shader, private RuntimeEffectBase {
public:
    RuntimeShader(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children, const Matrix* local)
        : RuntimeEffectBase(std::move(effect), uniforms, std::move(children)), fLocal(local ? *local : Matrix()) {}

    bool appendStages(const StageRec& rec, const Matrix& ctm) const override {
        const Matrix toDevice = ctm * fLocal;
        if (!AppendInverse(*rec.pipeline, toDevice)) return false;
        auto* context = rec.pipeline->make(DrawContext{this, toDevice});
        rec.pipeline->append(Op::callback, rec.pipeline->make(CallbackCtx{&Run, context}));
        return true;
    }

private:
    struct DrawContext {
        const RuntimeShader* shader;
        Matrix toDevice;  // for sk_FragCoord
    };

    static void Run(void* self, int n, const float* x, const float* y, float* r, float* g, float* b, float* a) {
        const auto* context = static_cast<const DrawContext*>(self);
        const RuntimeShader& shader = *context->shader;
        sksl::ExecArgs args = shader.Args(n);
        args.x = x;
        args.y = y;
        float fx[kBatch], fy[kBatch];
        if (shader.fEffect->usesFragCoord()) {
            for (int i = 0; i < n; ++i) {
                const Point p = context->toDevice.mapPoint({x[i], y[i]});
                fx[i] = p.x, fy[i] = p.y;
            }
            args.fragX = fx, args.fragY = fy;
        }
        args.out[0] = r, args.out[1] = g, args.out[2] = b, args.out[3] = a;
        shader.Execute(args);
    }

    Matrix fLocal;
};

class RuntimeColorFilter final : public ColorFilter, private RuntimeEffectBase {
public:
    RuntimeColorFilter(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children)
        : RuntimeEffectBase(std::move(effect), uniforms, std::move(children)) {}

    void appendStages(const StageRec& rec) const override {
        rec.pipeline->append(Op::callback, rec.pipeline->make(CallbackCtx{&Run, const_cast<RuntimeColorFilter*>(this)}));
    }

private:
    // The colour registers are read and written in place.
    static void Run(void* self, int n, const float*, const float*, float* r, float* g, float* b, float* a) {
        const auto& filter = *static_cast<const RuntimeColorFilter*>(self);
        float in[4][kBatch];
        float* regs[4] = {r, g, b, a};
        for (int c = 0; c < 4; ++c) std::memcpy(in[c], regs[c], sizeof(float) * size_t(n));
        sksl::ExecArgs args = filter.Args(n);
        for (int c = 0; c < 4; ++c) args.color[c] = in[c], args.out[c] = regs[c];
        filter.Execute(args);
    }
};

class RuntimeBlender final : public Blender, private RuntimeEffectBase {
public:
    RuntimeBlender(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children)
        : RuntimeEffectBase(std::move(effect), uniforms, std::move(children)) {}

    void appendStages(const StageRec& rec) const override {
        rec.pipeline->append(Op::callback_blend,
                             rec.pipeline->make(BlendCallbackCtx{&Run, const_cast<RuntimeBlender*>(this)}));
    }

private:
    // The source registers are read and replaced by the result.
    static void Run(void* self, int n, float* const src[4], const float* const dst[4]) {
        const auto& blender = *static_cast<const RuntimeBlender*>(self);
        float in[4][kBatch];
        for (int c = 0; c < 4; ++c) std::memcpy(in[c], src[c], sizeof(float) * size_t(n));
        sksl::ExecArgs args = blender.Args(n);
        for (int c = 0; c < 4; ++c) args.color[c] = in[c], args.dst[c] = dst[c], args.out[c] = src[c];
        blender.Execute(args);
    }
};

bool KindFits(ChildType type, RefCnt* child) {
    if (!child) return true;
    switch (type) {
        case ChildType::Shader: return dynamic_cast<Shader*>(child) != nullptr;
        case ChildType::ColorFilter: return dynamic_cast<ColorFilter*>(child) != nullptr;
        case ChildType::Blender: return dynamic_cast<Blender*>(child) != nullptr;
    }
    return false;
}

}  // namespace

bool CheckRuntimeChildren(const sksl::Effect& effect, const RuntimeChildren& children) {
    const auto& slots = effect.reflection().children;
    if (children.size() != slots.size()) return false;
    for (size_t i = 0; i < slots.size(); ++i)
        if (!KindFits(slots[i].type, children[i].get())) return false;
    return true;
}

sp<Shader> MakeRuntimeShader(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children,
                             const Matrix* local) {
    if (!effect || effect->kind() != sksl::ProgramKind::Shader || !CheckRuntimeChildren(*effect, children))
        return nullptr;
    return make_sp<RuntimeShader>(std::move(effect), uniforms, std::move(children), local);
}

sp<ColorFilter> MakeRuntimeColorFilter(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children) {
    if (!effect || effect->kind() != sksl::ProgramKind::ColorFilter || !CheckRuntimeChildren(*effect, children))
        return nullptr;
    return make_sp<RuntimeColorFilter>(std::move(effect), uniforms, std::move(children));
}

sp<Blender> MakeRuntimeBlender(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children) {
    if (!effect || effect->kind() != sksl::ProgramKind::Blender || !CheckRuntimeChildren(*effect, children))
        return nullptr;
    return make_sp<RuntimeBlender>(std::move(effect), uniforms, std::move(children));
}

sp<Image> MakeRuntimeImage(sp<sksl::Effect> effect, const void* uniforms, RuntimeChildren children,
                           const Matrix* local, const ImageInfo& info) {
    sp<Shader> shader = MakeRuntimeShader(std::move(effect), uniforms, std::move(children), local);
    if (!shader) return nullptr;
    sp<Surface> surface = Surface::MakeRaster(info, 0, nullptr);
    if (!surface) return nullptr;
    // Every pixel takes the program's colour as it is: no blending with the cleared surface.
    Paint paint;
    paint.shader = std::move(shader);
    paint.blender = make_sp<ModeBlender>(BlendMode::Src);
    surface->canvas()->drawPaint(paint);
    return surface->makeImageSnapshot();
}

}  // namespace plix
