// plix_shader_*: shaders from colours, gradients and noise, and their derivations.
#include <vector>

#include "capi/Convert.h"
#include "plix/plix.h"
#include "shaders/Shaders.h"

using namespace plix;
using namespace plix::capi;

namespace {

Shader* sh(plix_handle h) { return from<Shader>(h); }

// The optional local matrix; false when given but not finite.
bool localOf(const plix_matrix* m, Matrix* out, const Matrix** ptr) {
    *ptr = nullptr;
    if (!m) return true;
    *out = toMatrix(*m);
    *ptr = out;
    return out->isFinite();
}

// Colours of either form with their stops; false for a bad count or a missing array.
struct StopArgs {
    std::vector<Color4f> colors;
    const float* positions = nullptr;
    sp<ColorSpace> cs;

    bool argb(const uint32_t* c, const float* pos, int32_t count) {
        if (!c || count < 1) return false;
        for (int32_t i = 0; i < count; ++i) colors.push_back(colorFromARGB(c[i]));
        positions = pos;
        return true;
    }
    bool f4(const plix_color4f* c, plix_handle space, const float* pos, int32_t count) {
        if (!c || count < 1) return false;
        for (int32_t i = 0; i < count; ++i) colors.push_back({c[i].r, c[i].g, c[i].b, c[i].a});
        positions = pos;
        cs = refColorSpace(space);
        return true;
    }
    GradientStops stops() const { return GradientStops(colors.data(), positions, int(colors.size()), cs); }
};

template <class Make>
plix_handle gradient(int32_t tile, const plix_matrix* local, Make&& make) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        Matrix m;
        const Matrix* lm;
        if (!isValidTileMode(tile) || !localOf(local, &m, &lm)) return 0;
        return to(make(TileMode(tile), lm));
    });
}

}  // namespace

plix_handle plix_shader_make_blend(int32_t mode, plix_handle dest, plix_handle src) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!isValidBlendMode(mode) || !dest || !src) return 0;
        return to(MakeBlendShader(BlendMode(mode), sp_ref(sh(dest)), sp_ref(sh(src))));
    });
}

plix_handle plix_shader_make_color(uint32_t color) {
    return guard<plix_handle>(0, [&] { return to(MakeColorShader(colorFromARGB(color))); });
}

plix_handle plix_shader_make_color2(const plix_color4f* color, plix_handle color_space) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!color) return 0;
        return to(MakeColorShader({color->r, color->g, color->b, color->a}, refColorSpace(color_space)));
    });
}

plix_handle plix_shader_make_gradient_linear(const plix_point* points, const uint32_t* colors, const float* positions,
                                             int32_t count, int32_t tile_mode, const plix_matrix* local_matrix) {
    StopArgs a;
    if (!points || !a.argb(colors, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeLinearGradient(toPoint(points[0]), toPoint(points[1]), a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_gradient_linear2(const plix_point* points, const plix_color4f* colors, plix_handle color_space,
                                              const float* positions, int32_t count, int32_t tile_mode,
                                              const plix_matrix* local_matrix) {
    StopArgs a;
    if (!points || !a.f4(colors, color_space, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeLinearGradient(toPoint(points[0]), toPoint(points[1]), a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_gradient_radial(const plix_point* center, float radius, const uint32_t* colors,
                                             const float* positions, int32_t count, int32_t tile_mode,
                                             const plix_matrix* local_matrix) {
    StopArgs a;
    if (!center || !a.argb(colors, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeRadialGradient(toPoint(*center), radius, a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_gradient_radial2(const plix_point* center, float radius, const plix_color4f* colors,
                                              plix_handle color_space, const float* positions, int32_t count,
                                              int32_t tile_mode, const plix_matrix* local_matrix) {
    StopArgs a;
    if (!center || !a.f4(colors, color_space, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeRadialGradient(toPoint(*center), radius, a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_gradient_sweep(float center_x, float center_y, const uint32_t* colors, const float* positions,
                                            int32_t count, int32_t tile_mode, float start_angle, float end_angle,
                                            const plix_matrix* local_matrix) {
    StopArgs a;
    if (!a.argb(colors, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeSweepGradient({center_x, center_y}, start_angle, end_angle, a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_gradient_sweep2(float center_x, float center_y, const plix_color4f* colors,
                                             plix_handle color_space, const float* positions, int32_t count,
                                             int32_t tile_mode, float start_angle, float end_angle,
                                             const plix_matrix* local_matrix) {
    StopArgs a;
    if (!a.f4(colors, color_space, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeSweepGradient({center_x, center_y}, start_angle, end_angle, a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_gradient_two_point_conical(const plix_point* start, float start_radius, const plix_point* end,
                                                        float end_radius, const uint32_t* colors, const float* positions,
                                                        int32_t count, int32_t tile_mode, const plix_matrix* local_matrix) {
    StopArgs a;
    if (!start || !end || !a.argb(colors, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeTwoPointConicalGradient(toPoint(*start), start_radius, toPoint(*end), end_radius, a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_gradient_two_point_conical2(const plix_point* start, float start_radius,
                                                         const plix_point* end, float end_radius,
                                                         const plix_color4f* colors, plix_handle color_space,
                                                         const float* positions, int32_t count, int32_t tile_mode,
                                                         const plix_matrix* local_matrix) {
    StopArgs a;
    if (!start || !end || !a.f4(colors, color_space, positions, count)) return 0;
    return gradient(tile_mode, local_matrix, [&](TileMode t, const Matrix* lm) {
        return MakeTwoPointConicalGradient(toPoint(*start), start_radius, toPoint(*end), end_radius, a.stops(), t, lm);
    });
}

plix_handle plix_shader_make_perlin_noise_fractal_noise(float base_frequency_x, float base_frequency_y,
                                                        int32_t num_octaves, float seed, const plix_isize* tile_size) {
    return guard<plix_handle>(0, [&] {
        return to(MakePerlinNoiseShader(true, base_frequency_x, base_frequency_y, num_octaves, seed,
                                        tile_size ? tile_size->width : 0, tile_size ? tile_size->height : 0));
    });
}

plix_handle plix_shader_make_perlin_noise_turbulence(float base_frequency_x, float base_frequency_y, int32_t num_octaves,
                                                     float seed, const plix_isize* tile_size) {
    return guard<plix_handle>(0, [&] {
        return to(MakePerlinNoiseShader(false, base_frequency_x, base_frequency_y, num_octaves, seed,
                                        tile_size ? tile_size->width : 0, tile_size ? tile_size->height : 0));
    });
}

plix_handle plix_shader_make_with_color_filter(plix_handle self, plix_handle color_filter) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!self || !color_filter) return 0;
        return to(MakeColorFilterShader(sp_ref(sh(self)), sp_ref(from<ColorFilter>(color_filter))));
    });
}

plix_handle plix_shader_make_with_local_matrix(plix_handle self, const plix_matrix* matrix) {
    return guard<plix_handle>(0, [&]() -> plix_handle {
        if (!self) return 0;
        if (!matrix) return to(sp_ref(sh(self)));
        return to(MakeLocalMatrixShader(sp_ref(sh(self)), toMatrix(*matrix)));
    });
}
