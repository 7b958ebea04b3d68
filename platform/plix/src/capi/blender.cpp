// plix_blender_*: blend modes and the arithmetic blender.
#include "capi/Handles.h"
#include "plix/plix.h"
#include "shaders/Blenders.h"

using namespace plix;
using namespace plix::capi;

plix_handle plix_blender_make_arithmetic(float k1, float k2, float k3, float k4, bool enforce_premultiplied_color) {
    return guard<plix_handle>(0, [&] { return to(MakeArithmeticBlender(k1, k2, k3, k4, enforce_premultiplied_color)); });
}

plix_handle plix_blender_make_mode(int32_t mode) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!isValidBlendMode(mode)) return 0;
        return to(MakeModeBlender(BlendMode(mode)));
    });
}
