#include "shaders/Blenders.h"

#include <cmath>

namespace plix {

namespace {

class ArithmeticBlender final : public Blender {
public:
    explicit ArithmeticBlender(const ArithmeticCtx& c) : fCtx(c) {}
    void appendStages(const StageRec& rec) const override { rec.pipeline->append(Op::arithmetic, &fCtx); }

private:
    ArithmeticCtx fCtx;
};

}  // namespace

sp<Blender> MakeModeBlender(BlendMode mode) {
    if (!isValidBlendMode(int32_t(mode))) return nullptr;
    return make_sp<ModeBlender>(mode);
}

sp<Blender> MakeArithmeticBlender(float k1, float k2, float k3, float k4, bool enforcePremul) {
    if (!std::isfinite(k1) || !std::isfinite(k2) || !std::isfinite(k3) || !std::isfinite(k4)) return nullptr;
    return make_sp<ArithmeticBlender>(ArithmeticCtx{{k1, k2, k3, k4}, enforcePremul});
}

}  // namespace plix
