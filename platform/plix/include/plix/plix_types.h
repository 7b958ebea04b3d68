/* Types of the flat C API of libplix: handles, records passed by pointer, callbacks.
 * Records keep a fixed field order and the platform's natural sizes (pointer-sized fields are 8
 * bytes on 64-bit targets); their sizes are pinned below. Enumerations cross as int32_t ordinals
 * (first member 0), sets of flags as uint32_t bit masks, Booleans as one byte. Input records go
 * by const pointer, results by non-const pointer. */
#ifndef PLIX_TYPES_H
#define PLIX_TYPES_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define PLIX_API __attribute__((visibility("default")))
#else
#define PLIX_API
#endif

#ifdef __cplusplus
#define PLIX_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define PLIX_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A native object: its address. 0 means "none" as an argument and "failed" as a result. */
typedef uintptr_t plix_handle;

/* ---- geometry ---- */

typedef struct plix_point {
    float x, y;
} plix_point;
typedef plix_point plix_vector;

typedef struct plix_ipoint {
    int32_t x, y;
} plix_ipoint;

typedef struct plix_point3 {
    float x, y, z;
} plix_point3;

typedef struct plix_size {
    float width, height;
} plix_size;

typedef struct plix_isize {
    int32_t width, height;
} plix_isize;

typedef struct plix_rect {
    float left, top, right, bottom;
} plix_rect;

typedef struct plix_irect {
    int32_t left, top, right, bottom;
} plix_irect;

/* A 3x3 matrix in the engine's row-major order, points as column vectors:
 * x' = (scale_x x + skew_x y + trans_x) / w, y' = (skew_y x + scale_y y + trans_y) / w,
 * w = persp_0 x + persp_1 y + persp_2. A row-vector matrix (m11..m33, translation in m31, m32)
 * is its transpose: m11 = scale_x, m12 = skew_y, m21 = skew_x, m31 = trans_x, m32 = trans_y. */
typedef struct plix_matrix {
    float scale_x, skew_x, trans_x;
    float skew_y, scale_y, trans_y;
    float persp_0, persp_1, persp_2;
} plix_matrix;

/* A 4x4 matrix, row-major, points as column vectors: m[row * 4 + column]; translation in m[3],
 * m[7], m[11]. A row-vector matrix (m11..m44) is its transpose. */
typedef struct plix_matrix44 {
    float m[16];
} plix_matrix44;

/* A rotation-scale transform of one sprite or glyph: x' = scos x - ssin y + tx,
 * y' = ssin x + scos y + ty. */
typedef struct plix_rsxform {
    float scos, ssin, tx, ty;
} plix_rsxform;

/* ---- colour ---- */

/* Colours as uint32_t are ARGB, alpha in the top byte; plix_color4f is unpremultiplied. */
typedef struct plix_color4f {
    float r, g, b, a;
} plix_color4f;

/* A 4x5 colour matrix, row-major: each output channel (r, g, b, a) is a row of four
 * multipliers and one bias; bias in 0..1 units. */
typedef struct plix_color_matrix {
    float m[20];
} plix_color_matrix;

typedef struct plix_high_contrast_config {
    bool grayscale;
    int32_t invert_style; /* 0 none, 1 invert brightness, 2 invert lightness */
    float contrast;       /* -1..1 */
} plix_high_contrast_config;

/* The transfer function of a colour space:
 * y = (c x + f) for x < d, y = (a x + b)^g + e otherwise. */
typedef struct plix_colorspace_transfer_fn {
    float g, a, b, c, d, e, f;
} plix_colorspace_transfer_fn;

/* A gamut: the matrix from linear RGB to XYZ (D50), row-major. */
typedef struct plix_colorspace_xyz {
    float m11, m12, m13;
    float m21, m22, m23;
    float m31, m32, m33;
} plix_colorspace_xyz;

/* Chromaticities of the red, green and blue primaries and of the white point. */
typedef struct plix_colorspace_primaries {
    float rx, ry, gx, gy, bx, by, wx, wy;
} plix_colorspace_primaries;

/* ---- pixels ---- */

typedef struct plix_imageinfo {
    int32_t width;
    int32_t height;
    int32_t color_type;
    int32_t alpha_type;
    plix_handle color_space; /* 0 = none; a result carries a reference of its own */
} plix_imageinfo;

typedef struct plix_surface_props {
    uint32_t flags;         /* bit 0 device-independent fonts, bit 1 dynamic MSAA */
    int32_t pixel_geometry;
} plix_surface_props;

typedef struct plix_cubic_resampler {
    float b, c;
} plix_cubic_resampler;

typedef struct plix_sampling_options {
    int32_t max_anisotropic; /* 0 = off */
    bool use_cubic;          /* cubic instead of filter and mipmap */
    plix_cubic_resampler cubic;
    int32_t filter;
    int32_t mipmap;
} plix_sampling_options;

/* Nine-patch style stretching of an image: divisions along x and y, optionally a type and a
 * colour per cell ((x_count + 1) * (y_count + 1) of each, or none). */
typedef struct plix_lattice {
    const int32_t* x_divs;
    const int32_t* y_divs;
    const int32_t* rect_types; /* 0 default, 1 transparent, 2 fixed colour; may be null */
    int32_t x_count;
    int32_t y_count;
    const plix_irect* bounds; /* null = the whole image */
    const uint32_t* colors;   /* may be null */
} plix_lattice;

/* One frame of an animated WebP: the pixels and how long the frame shows, in milliseconds. */
typedef struct plix_animated_webp_frame {
    plix_handle pixmap;
    int32_t duration;
} plix_animated_webp_frame;

/* ---- paths ---- */

/* One element of a path walk: verb 0 move (1 point), 1 line (2), 2 quad (3), 3 conic (3, with
 * conic_weight), 4 cubic (4), 5 close (0), 6 done. Points include the start of the segment. */
typedef struct plix_path_iterator_elem {
    int32_t verb;
    plix_point points[4];
    float conic_weight;
} plix_path_iterator_elem;

/* ---- text ---- */

typedef struct plix_font_style {
    int32_t weight; /* 100..1000, 400 normal, 700 bold */
    int32_t width;  /* 1..9, 5 normal */
    int32_t slant;  /* 0 upright, 1 italic, 2 oblique */
} plix_font_style;

/* Font metrics; flags tell which of the underline and strikeout values are valid
 * (bit 0 underline thickness, 1 underline position, 2 strikeout thickness, 3 strikeout
 * position, 4 bounds invalid). */
typedef struct plix_font_metrics {
    uint32_t flags;
    float top, ascent, descent, bottom, leading;
    float avg_char_width, max_char_width, x_min, x_max, x_height, cap_height;
    float underline_thickness, underline_position;
    float strikeout_thickness, strikeout_position;
} plix_font_metrics;

typedef struct plix_text_shadow {
    uint32_t color;
    plix_point offset;
    double blur_sigma;
} plix_text_shadow;

/* An inline box reserved in a paragraph. */
typedef struct plix_placeholder_style {
    float width;
    float height;
    int32_t alignment; /* 0 baseline, 1 above baseline, 2 below, 3 top, 4 bottom, 5 middle */
    int32_t baseline;  /* 0 alphabetic, 1 ideographic */
    float baseline_offset;
} plix_placeholder_style;

/* One laid-out line of a paragraph; indices are in UTF-16 code units of the text. */
typedef struct plix_line_metrics {
    size_t start_index;
    size_t end_index;
    size_t end_excluding_whitespaces;
    size_t end_including_newline;
    bool is_hard_break;
    double ascent;
    double descent;
    double height;
    double width;
    double left;
    double baseline;
    size_t line_number;
} plix_line_metrics;

typedef struct plix_text_box {
    plix_rect rect;
    int32_t direction; /* 0 right to left, 1 left to right */
} plix_text_box;

/* One glyph run met while visiting a paragraph. The font and the arrays belong to the paragraph
 * and are valid only during the callback. */
typedef struct plix_paragraph_visitor_info {
    plix_handle font;
    plix_point origin;
    float advance_x;
    int32_t count;
    const uint16_t* glyphs;
    const plix_point* positions;
    const uint32_t* utf8_starts;
    uint32_t flags; /* bit 0: the run is white space */
} plix_paragraph_visitor_info;

typedef struct plix_unicode_break_iterator_elem {
    int32_t position; /* code units from the start of the text */
    int32_t status;   /* the rule status of the break */
} plix_unicode_break_iterator_elem;

/* ---- documents, vector animations, particles, SVG ---- */

typedef struct plix_date_time {
    int16_t time_zone_minutes;
    uint16_t year;
    uint8_t month;       /* 1..12 */
    uint8_t day_of_week; /* 0 = Sunday */
    uint8_t day;         /* 1..31 */
    uint8_t hour;
    uint8_t minute;
    uint8_t second;
} plix_date_time;

/* Strings are UTF-8 and may be null; the dates are used when has_creation / has_modified. */
typedef struct plix_pdf_metadata {
    const char* title;
    const char* author;
    const char* subject;
    const char* keywords;
    const char* creator;
    const char* producer;
    plix_date_time creation;
    plix_date_time modified;
    bool has_creation;
    bool has_modified;
    float raster_dpi;
    bool pdfa;
    int32_t encoding_quality;
} plix_pdf_metadata;

/* Where a uniform of a particle effect lives in the effect's float block. */
typedef struct plix_particle_uniform {
    int32_t columns;
    int32_t rows;
    int32_t slot;
} plix_particle_uniform;

typedef struct plix_svg_length {
    float value;
    int32_t unit; /* 0 unknown, 1 number, 2 percentage, 3 em, 4 ex, 5 px, 6 cm, 7 mm, 8 in,
                     9 pt, 10 pc */
} plix_svg_length;

typedef struct plix_svg_preserve_aspect_ratio {
    int32_t align; /* 0 xMinYMin ... 8 xMaxYMax, 9 none */
    int32_t scale; /* 0 meet, 1 slice */
} plix_svg_preserve_aspect_ratio;

/* ---- GPU ---- */

typedef struct plix_gl_framebuffer_info {
    uint32_t fbo_id; /* 0 = the window's default framebuffer */
    uint32_t format; /* sized internal format, e.g. GL_RGBA8 0x8058 */
} plix_gl_framebuffer_info;

typedef struct plix_gl_texture_info {
    uint32_t target;
    uint32_t id;
    uint32_t format;
} plix_gl_texture_info;

typedef struct plix_mtl_texture_info {
    const void* texture;
} plix_mtl_texture_info;

typedef struct plix_mtl_backend_context {
    const void* device;
    const void* queue;
} plix_mtl_backend_context;

typedef struct plix_vk_alloc {
    uint64_t device_memory;
    uint64_t offset;
    uint64_t size;
    uint32_t flags;
    plix_handle backend_memory;
    bool uses_system_heap;
} plix_vk_alloc;

typedef struct plix_vk_ycbcr_conversion_info {
    int32_t format;
    uint64_t external_format;
    int32_t ycbcr_model;
    int32_t ycbcr_range;
    int32_t x_chroma_offset;
    int32_t y_chroma_offset;
    int32_t chroma_filter;
    uint32_t force_explicit_reconstruction;
    uint32_t format_features;
} plix_vk_ycbcr_conversion_info;

typedef struct plix_vk_image_info {
    uint64_t image;
    plix_vk_alloc alloc;
    int32_t image_tiling;
    int32_t image_layout;
    int32_t format;
    uint32_t image_usage_flags;
    uint32_t sample_count;
    uint32_t level_count;
    uint32_t current_queue_family;
    bool is_protected;
    plix_vk_ycbcr_conversion_info ycbcr_conversion_info;
    int32_t sharing_mode;
} plix_vk_image_info;

/* Maps a Vulkan function name to its address, for an instance or a device (either may be 0). */
typedef void* (*plix_vk_get_proc)(void* context, const char* name, plix_handle instance, plix_handle device);

typedef struct plix_vk_backend_context {
    plix_handle instance;
    plix_handle physical_device;
    plix_handle device;
    plix_handle queue;
    uint32_t graphics_queue_index;
    uint32_t max_api_version;
    plix_handle extensions; /* a plixgpu_vk_extensions object, or 0 */
    const void* physical_device_features;
    const void* physical_device_features2;
    plix_handle memory_allocator;
    plix_vk_get_proc get_proc;
    void* get_proc_context;
    bool protected_context;
} plix_vk_backend_context;

typedef struct plix_context_options {
    int32_t buffer_map_threshold;
    bool do_manual_mipmapping;
    bool allow_path_mask_caching;
    size_t glyph_cache_texture_maximum_bytes;
    bool avoid_stencil_buffers;
    int32_t runtime_program_cache_size;
    plix_handle persistent_cache;      /* a persistent cache object, or 0 */
    int32_t shader_cache_strategy;     /* 0 SkSL, 1 back-end source, 2 back-end binary */
    plix_handle shader_error_handler;  /* a shader error handler object, or 0 */
} plix_context_options;

/* Maps an OpenGL function name to its address; called only during the call that received it. */
typedef void* (*plix_gl_get_proc)(void* context, const char* name);

/* ---- callbacks made during one call: the context is the caller's, given to that call ---- */

/* The engine no longer needs the caller's pixels (called once, on any thread). */
typedef void (*plix_image_raster_release_proc)(void* pixels, void* context);
typedef void (*plix_image_texture_release_proc)(void* context);
typedef void (*plix_surface_raster_release_proc)(void* pixels, void* context);

/* A glyph's outline (0 for a glyph without one; it belongs to the engine) and its transform. */
typedef void (*plix_font_path_proc)(plix_handle path, const plix_matrix* matrix, void* context);
typedef void (*plix_paragraph_visitor_proc)(int32_t line_number, const plix_paragraph_visitor_info* info,
                                            void* context);
/* Positions and ranges are in code units of the text given. */
typedef void (*plix_unicode_bidi_region_proc)(int32_t start, int32_t end, uint8_t level, void* context);
typedef void (*plix_unicode_break_proc)(int32_t position, int32_t status, void* context);
typedef void (*plix_unicode_codepoint_proc)(int32_t unichar, int32_t start, int32_t end, void* context);

/* ---- caller objects: the engine calls these procedures, registered once per program, with the
 * context given when the object was created ---- */

typedef size_t (*plix_stream_get_length_proc)(void* context);
typedef size_t (*plix_stream_get_position_proc)(void* context);
/* Reads up to size bytes into buffer; returns the count read. */
typedef size_t (*plix_stream_read_proc)(void* context, void* buffer, size_t size);
/* Sets the absolute position; returns true on success. */
typedef bool (*plix_stream_seek_proc)(void* context, size_t position);
/* Writes size bytes; returns true on success. */
typedef bool (*plix_wstream_write_proc)(void* context, const void* buffer, size_t size);

typedef struct plix_streamadapter_procs {
    plix_stream_get_length_proc get_length;
    plix_stream_get_position_proc get_position;
    plix_stream_read_proc read;
    plix_stream_seek_proc seek;
} plix_streamadapter_procs;

typedef struct plix_wstreamadapter_procs {
    plix_wstream_write_proc write;
} plix_wstreamadapter_procs;

/* A GPU program cache: load returns a data object (a new reference) or 0 when the key is
 * unknown; store keeps a copy of the bytes. */
typedef struct plix_persistent_cache_procs {
    plix_handle (*load)(void* context, const void* key, size_t key_size);
    void (*store)(void* context, const void* key, size_t key_size, const void* data, size_t size);
} plix_persistent_cache_procs;

typedef struct plix_shader_error_handler_procs {
    void (*compile_error)(void* context, const char* shader, const char* errors);
} plix_shader_error_handler_procs;

typedef struct plix_trace_memory_dump_procs {
    void (*dump_numeric_value)(void* context, const char* dump_name, const char* value_name, const char* units,
                               uint64_t value);
    void (*dump_string_value)(void* context, const char* dump_name, const char* value_name, const char* value);
} plix_trace_memory_dump_procs;

/* Resolves a resource an animation or document refers to: a data object (a new reference) or 0. */
typedef struct plix_resource_provider_procs {
    plix_handle (*load)(void* context, const char* path, const char* name);
} plix_resource_provider_procs;

/* ---- layouts ---- */

#define PLIX_ASSERT_SIZE(type, size) PLIX_STATIC_ASSERT(sizeof(type) == (size), "layout of " #type)
PLIX_ASSERT_SIZE(plix_point, 8);
PLIX_ASSERT_SIZE(plix_ipoint, 8);
PLIX_ASSERT_SIZE(plix_point3, 12);
PLIX_ASSERT_SIZE(plix_size, 8);
PLIX_ASSERT_SIZE(plix_isize, 8);
PLIX_ASSERT_SIZE(plix_rect, 16);
PLIX_ASSERT_SIZE(plix_irect, 16);
PLIX_ASSERT_SIZE(plix_matrix, 36);
PLIX_ASSERT_SIZE(plix_matrix44, 64);
PLIX_ASSERT_SIZE(plix_rsxform, 16);
PLIX_ASSERT_SIZE(plix_color4f, 16);
PLIX_ASSERT_SIZE(plix_color_matrix, 80);
PLIX_ASSERT_SIZE(plix_high_contrast_config, 12);
PLIX_ASSERT_SIZE(plix_colorspace_transfer_fn, 28);
PLIX_ASSERT_SIZE(plix_colorspace_xyz, 36);
PLIX_ASSERT_SIZE(plix_colorspace_primaries, 32);
PLIX_ASSERT_SIZE(plix_cubic_resampler, 8);
PLIX_ASSERT_SIZE(plix_sampling_options, 24);
PLIX_ASSERT_SIZE(plix_surface_props, 8);
PLIX_ASSERT_SIZE(plix_path_iterator_elem, 40);
PLIX_ASSERT_SIZE(plix_font_style, 12);
PLIX_ASSERT_SIZE(plix_font_metrics, 64);
PLIX_ASSERT_SIZE(plix_placeholder_style, 20);
PLIX_ASSERT_SIZE(plix_text_box, 20);
PLIX_ASSERT_SIZE(plix_unicode_break_iterator_elem, 8);
PLIX_ASSERT_SIZE(plix_date_time, 10);
PLIX_ASSERT_SIZE(plix_particle_uniform, 12);
PLIX_ASSERT_SIZE(plix_svg_length, 8);
PLIX_ASSERT_SIZE(plix_svg_preserve_aspect_ratio, 8);
PLIX_ASSERT_SIZE(plix_gl_framebuffer_info, 8);
PLIX_ASSERT_SIZE(plix_gl_texture_info, 12);
#if UINTPTR_MAX == UINT64_MAX
PLIX_ASSERT_SIZE(plix_imageinfo, 24);
PLIX_ASSERT_SIZE(plix_lattice, 48);
PLIX_ASSERT_SIZE(plix_animated_webp_frame, 16);
PLIX_ASSERT_SIZE(plix_text_shadow, 24);
PLIX_ASSERT_SIZE(plix_line_metrics, 96);
PLIX_ASSERT_SIZE(plix_paragraph_visitor_info, 56);
PLIX_ASSERT_SIZE(plix_pdf_metadata, 88);
PLIX_ASSERT_SIZE(plix_mtl_texture_info, 8);
PLIX_ASSERT_SIZE(plix_mtl_backend_context, 16);
PLIX_ASSERT_SIZE(plix_vk_alloc, 48);
PLIX_ASSERT_SIZE(plix_vk_ycbcr_conversion_info, 48);
PLIX_ASSERT_SIZE(plix_vk_image_info, 144);
PLIX_ASSERT_SIZE(plix_vk_backend_context, 96);
PLIX_ASSERT_SIZE(plix_context_options, 48);
PLIX_ASSERT_SIZE(plix_streamadapter_procs, 32);
#endif
#undef PLIX_ASSERT_SIZE

#ifdef __cplusplus
}
#endif

#endif
