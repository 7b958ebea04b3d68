// plix_colorfilter_*: colour filters.
#include "capi/Convert.h"
#include "plix/plix.h"
#include "shaders/ColorFilters.h"

using namespace plix;
using namespace plix::capi;

plix_handle plix_colorfilter_make_blend(uint32_t color, int32_t mode) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!isValidBlendMode(mode)) return 0;
        return to(MakeBlendColorFilter(colorFromARGB(color), nullptr, BlendMode(mode)));
    });
}

plix_handle plix_colorfilter_make_blend2(const plix_color4f* color, plix_handle color_space, int32_t mode) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!color || !isValidBlendMode(mode)) return 0;
        return to(MakeBlendColorFilter({color->r, color->g, color->b, color->a}, refColorSpace(color_space), BlendMode(mode)));
    });
}

plix_handle plix_colorfilter_make_compose(plix_handle outer, plix_handle inner) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!outer || !inner) return 0;
        return to(MakeComposeColorFilter(sp_ref(from<ColorFilter>(outer)), sp_ref(from<ColorFilter>(inner))));
    });
}

plix_handle plix_colorfilter_make_high_contrast(const plix_high_contrast_config* config) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!config) return 0;
        return to(MakeHighContrastColorFilter(config->grayscale, config->invert_style, config->contrast));
    });
}

plix_handle plix_colorfilter_make_hsla_matrix(const plix_color_matrix* matrix) {
    return guard<plix_handle>(0, [&]() -> plix_handle { return matrix ? to(MakeHSLAMatrixColorFilter(matrix->m)) : 0; });
}

plix_handle plix_colorfilter_make_lighting(uint32_t multiply, uint32_t add) {
    return guard<plix_handle>(0, [&] { return to(MakeLightingColorFilter(multiply, add)); });
}

plix_handle plix_colorfilter_make_linear_to_srgb_gamma(void) {
    return guard<plix_handle>(0, [] { return to(MakeLinearToSRGBGammaColorFilter()); });
}

plix_handle plix_colorfilter_make_luma_color(void) {
    return guard<plix_handle>(0, [] { return to(MakeLumaColorFilter()); });
}

plix_handle plix_colorfilter_make_matrix(const plix_color_matrix* matrix) {
    return guard<plix_handle>(0, [&]() -> plix_handle { return matrix ? to(MakeMatrixColorFilter(matrix->m)) : 0; });
}

plix_handle plix_colorfilter_make_overdraw(const uint32_t* colors) {
    return guard<plix_handle>(0, [&]() -> plix_handle { return colors ? to(MakeOverdrawColorFilter(colors)) : 0; });
}

plix_handle plix_colorfilter_make_table(const uint8_t* table_a, const uint8_t* table_r, const uint8_t* table_g,
                                        const uint8_t* table_b) {
    return guard<plix_handle>(0, [&] { return to(MakeTableColorFilter(table_a, table_r, table_g, table_b)); });
}
