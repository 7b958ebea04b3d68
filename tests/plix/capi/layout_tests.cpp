// Pins the C API's record layouts (what callers on the other side of dlopen rely on) and the
// types of a few entry points, so a change to the declaration list that would break the
// binding's callers fails here first.
#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <type_traits>

#include "plix/plix.h"

namespace {

// ---- record layouts: offsets a caller writes by hand ----

static_assert(offsetof(plix_imageinfo, width) == 0);
static_assert(offsetof(plix_imageinfo, height) == 4);
static_assert(offsetof(plix_imageinfo, color_type) == 8);
static_assert(offsetof(plix_imageinfo, alpha_type) == 12);
static_assert(offsetof(plix_imageinfo, color_space) == 16);
static_assert(sizeof(plix_imageinfo) == 24);

static_assert(offsetof(plix_sampling_options, max_anisotropic) == 0);
static_assert(offsetof(plix_sampling_options, use_cubic) == 4);
static_assert(offsetof(plix_sampling_options, cubic) == 8);
static_assert(offsetof(plix_sampling_options, cubic) + offsetof(plix_cubic_resampler, c) == 12);
static_assert(offsetof(plix_sampling_options, filter) == 16);
static_assert(offsetof(plix_sampling_options, mipmap) == 20);
static_assert(sizeof(plix_sampling_options) == 24);

static_assert(offsetof(plix_surface_props, flags) == 0);
static_assert(offsetof(plix_surface_props, pixel_geometry) == 4);

// The engine's row-major 3x3 order.
static_assert(offsetof(plix_matrix, scale_x) == 0);
static_assert(offsetof(plix_matrix, skew_x) == 4);
static_assert(offsetof(plix_matrix, trans_x) == 8);
static_assert(offsetof(plix_matrix, skew_y) == 12);
static_assert(offsetof(plix_matrix, trans_y) == 20);
static_assert(offsetof(plix_matrix, persp_2) == 32);
static_assert(sizeof(plix_matrix44) == 64);

static_assert(offsetof(plix_rect, left) == 0 && offsetof(plix_rect, bottom) == 12);
static_assert(offsetof(plix_irect, right) == 8 && sizeof(plix_irect) == 16);
static_assert(offsetof(plix_color4f, r) == 0 && offsetof(plix_color4f, a) == 12);
static_assert(offsetof(plix_rsxform, scos) == 0 && offsetof(plix_rsxform, ty) == 12);

static_assert(offsetof(plix_lattice, x_divs) == 0);
static_assert(offsetof(plix_lattice, y_divs) == 8);
static_assert(offsetof(plix_lattice, rect_types) == 16);
static_assert(offsetof(plix_lattice, x_count) == 24);
static_assert(offsetof(plix_lattice, y_count) == 28);
static_assert(offsetof(plix_lattice, bounds) == 32);
static_assert(offsetof(plix_lattice, colors) == 40);

static_assert(offsetof(plix_gl_framebuffer_info, fbo_id) == 0);
static_assert(offsetof(plix_gl_framebuffer_info, format) == 4);

static_assert(offsetof(plix_context_options, buffer_map_threshold) == 0);
static_assert(offsetof(plix_context_options, do_manual_mipmapping) == 4);
static_assert(offsetof(plix_context_options, allow_path_mask_caching) == 5);
static_assert(offsetof(plix_context_options, glyph_cache_texture_maximum_bytes) == 8);
static_assert(offsetof(plix_context_options, avoid_stencil_buffers) == 16);
static_assert(offsetof(plix_context_options, runtime_program_cache_size) == 20);
static_assert(offsetof(plix_context_options, persistent_cache) == 24);
static_assert(offsetof(plix_context_options, shader_cache_strategy) == 32);
static_assert(offsetof(plix_context_options, shader_error_handler) == 40);

static_assert(offsetof(plix_font_metrics, flags) == 0);
static_assert(offsetof(plix_font_metrics, top) == 4);
static_assert(offsetof(plix_font_metrics, strikeout_position) == 60);

static_assert(offsetof(plix_line_metrics, start_index) == 0);
static_assert(offsetof(plix_line_metrics, end_including_newline) == 24);
static_assert(offsetof(plix_line_metrics, is_hard_break) == 32);
static_assert(offsetof(plix_line_metrics, ascent) == 40);
static_assert(offsetof(plix_line_metrics, baseline) == 80);
static_assert(offsetof(plix_line_metrics, line_number) == 88);

static_assert(offsetof(plix_text_box, direction) == 16);
static_assert(offsetof(plix_text_shadow, offset) == 4);
static_assert(offsetof(plix_text_shadow, blur_sigma) == 16);

static_assert(offsetof(plix_paragraph_visitor_info, font) == 0);
static_assert(offsetof(plix_paragraph_visitor_info, origin) == 8);
static_assert(offsetof(plix_paragraph_visitor_info, advance_x) == 16);
static_assert(offsetof(plix_paragraph_visitor_info, count) == 20);
static_assert(offsetof(plix_paragraph_visitor_info, glyphs) == 24);
static_assert(offsetof(plix_paragraph_visitor_info, positions) == 32);
static_assert(offsetof(plix_paragraph_visitor_info, utf8_starts) == 40);
static_assert(offsetof(plix_paragraph_visitor_info, flags) == 48);

static_assert(offsetof(plix_path_iterator_elem, points) == 4);
static_assert(offsetof(plix_path_iterator_elem, conic_weight) == 36);

static_assert(offsetof(plix_streamadapter_procs, get_length) == 0);
static_assert(offsetof(plix_streamadapter_procs, seek) == 24);

// Every record is plain data the C side can copy.
static_assert(std::is_standard_layout_v<plix_line_metrics> && std::is_trivially_copyable_v<plix_line_metrics>);
static_assert(std::is_standard_layout_v<plix_vk_backend_context>);

// ---- representative declarations: argument order and types the callers rely on ----

static_assert(std::is_same_v<decltype(plix_canvas_draw_rect), void(plix_handle, const plix_rect*, plix_handle)>);
static_assert(std::is_same_v<decltype(plix_paint_set_colorf), void(plix_handle, const plix_color4f*, plix_handle)>);
static_assert(std::is_same_v<decltype(plix_runtimeeffect_make_for_shader), plix_handle(const char*, plix_handle)>);
static_assert(std::is_same_v<decltype(plix_runtimeeffect_make_shader),
                             plix_handle(plix_handle, const void*, const plix_handle*, const plix_matrix*)>);
static_assert(std::is_same_v<decltype(plix_runtimeeffect_make_image),
                             plix_handle(plix_handle, plix_handle, const void*, const plix_handle*, const plix_matrix*,
                                         const plix_imageinfo*, bool)>);
static_assert(std::is_same_v<decltype(plix_runtimeeffect_get_uniform_offset), size_t(plix_handle, int32_t)>);
static_assert(std::is_same_v<decltype(plix_image_make_raw_shader),
                             plix_handle(plix_handle, int32_t, int32_t, const plix_sampling_options*, const plix_matrix*)>);
static_assert(std::is_same_v<decltype(plix_surface_make_raster_direct),
                             plix_handle(plix_handle, plix_surface_raster_release_proc, void*, const plix_surface_props*)>);
static_assert(std::is_same_v<decltype(plixgpu_backendrendertarget_create_gl),
                             plix_handle(int32_t, int32_t, int32_t, int32_t, const plix_gl_framebuffer_info*)>);
static_assert(std::is_same_v<decltype(plix_surface_make_from_render_target),
                             plix_handle(plix_handle, plix_handle, int32_t, int32_t, plix_handle, const plix_surface_props*)>);
static_assert(std::is_same_v<decltype(plixgpu_directcontext_make_gl), plix_handle(plix_handle, const plix_context_options*)>);
static_assert(std::is_same_v<decltype(plixgpu_directcontext_perform_deferred_cleanup), void(plix_handle, int64_t)>);
static_assert(std::is_same_v<decltype(plix_shader_make_gradient_sweep),
                             plix_handle(float, float, const uint32_t*, const float*, int32_t, int32_t, float, float,
                                         const plix_matrix*)>);
static_assert(std::is_same_v<decltype(plix_canvas_draw_simple_text),
                             void(plix_handle, const void*, size_t, int32_t, float, float, plix_handle, plix_handle)>);
static_assert(std::is_same_v<decltype(plix_canvas_save_layer_alpha), int32_t(plix_handle, const plix_rect*, uint8_t)>);
static_assert(std::is_same_v<decltype(plix_paragraph_get_line_metrics), size_t(plix_handle, plix_line_metrics*)>);
static_assert(std::is_same_v<decltype(plix_paragraph_visit), void(plix_handle, plix_paragraph_visitor_proc, void*)>);
static_assert(std::is_same_v<decltype(plix_font_get_metrics), float(plix_handle, plix_font_metrics*)>);
static_assert(std::is_same_v<decltype(plix_rrect_set_nine_patch),
                             void(plix_handle, const plix_rect*, float, float, float, float)>);
static_assert(std::is_same_v<decltype(plix_string_get_text), const char*(plix_handle)>);

// ---- the list itself ----

constexpr const char* kNames[] = {
#define PLIX_ENTRY(ret, name, params) #name,
#include "plix/plix_entries.def"
#undef PLIX_ENTRY
};

TEST(EntryList, HoldsEveryEntryPointOnceWithItsFamilyPrefix) {
    // A name listed twice with the same signature still compiles in C, so only a count of
    // distinct names catches it.
    std::set<std::string> distinct;
    size_t gpu = 0;
    for (const char* name : kNames) {
        const std::string n = name;
        EXPECT_TRUE(distinct.insert(n).second) << "listed twice: " << n;
        if (n.starts_with("plixgpu_"))
            ++gpu;
        else
            EXPECT_TRUE(n.starts_with("plix_")) << n;
    }
    EXPECT_EQ(std::size(kNames), 785u);
    EXPECT_EQ(gpu, 62u);
}

}  // namespace
