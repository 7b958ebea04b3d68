// Pictures and their recorders; drawing pictures and annotations on canvases; images and
// shaders made by playing a picture.
#include <cmath>
#include <memory>
#include <vector>

#include "canvas/Surface.h"
#include "capi/Convert.h"
#include "core/StreamAdapter.h"
#include "picture/PictureFormat.h"
#include "picture/RecordingCanvas.h"
#include "plix/plix.h"
#include "shaders/Shaders.h"

using namespace plix;
using namespace plix::capi;

namespace {

struct PictureRecorder {
    std::unique_ptr<RecordingCanvas> canvas;
    Rect bounds;
    bool recording = false;
};

PictureRecorder* rec(plix_handle h) { return from<PictureRecorder>(h); }
const Picture* pic(plix_handle h) { return from<Picture>(h); }

// Stored pictures larger than this are refused before reading.
constexpr size_t kMaxStoredBytes = size_t(1) << 30;
// Pictures are played into at most this many pixels a side for images and shaders.
constexpr int kMaxSide = 16384;

// The picture drawn on a transparent raster of the given size; null when it cannot be.
sp<Image> render(const Picture& p, int w, int h, const Matrix* matrix, const Paint* paint, sp<ColorSpace> cs,
                 const SurfaceProps* props) {
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return nullptr;
    sp<Surface> s = Surface::MakeRaster(ImageInfo::Make(w, h, ColorType::RGBA8888, AlphaType::Premul, std::move(cs)), 0,
                                        props);
    if (!s) return nullptr;
    p.drawInto(*s->canvas(), matrix, paint);
    return s->makeImageSnapshot();
}

}  // namespace

// ---- recorders ----

plix_handle plix_picturerecorder_create(void) {
    return guard<plix_handle>(0, [] { return to(new PictureRecorder()); });
}

void plix_picturerecorder_destroy(plix_handle self) { delete rec(self); }

plix_handle plix_picturerecorder_begin_recording(plix_handle self, const plix_rect* bounds) {
    if (!self || !bounds) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        PictureRecorder& r = *rec(self);
        r.bounds = toRect(*bounds).makeSorted();
        r.canvas = std::make_unique<RecordingCanvas>(r.bounds);
        r.recording = true;
        return to(static_cast<Canvas*>(r.canvas.get()));
    });
}

plix_handle plix_picturerecorder_finish_recording2(plix_handle self, const plix_rect* cull_rect) {
    if (!self || !rec(self)->recording) return 0;
    return guard<plix_handle>(0, [&] {
        PictureRecorder& r = *rec(self);
        r.recording = false;
        return to(r.canvas->finish(cull_rect ? toRect(*cull_rect).makeSorted() : r.bounds));
    });
}

plix_handle plix_picturerecorder_finish_recording(plix_handle self) {
    return plix_picturerecorder_finish_recording2(self, nullptr);
}

// ---- pictures ----

size_t plix_picture_approximate_bytes_used(plix_handle self) { return self ? pic(self)->approximateBytesUsed() : 0; }

int32_t plix_picture_approximate_op_count(plix_handle self, bool nested) {
    return self ? pic(self)->approximateOpCount(nested) : 0;
}

void plix_picture_get_cull_rect(plix_handle self, plix_rect* result) {
    if (self && result) *result = fromRect(pic(self)->cullRect());
}

plix_handle plix_picture_make_from_stream(plix_handle stream) {
    if (!stream) return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        ReadStream& in = *from<StreamAdapter>(stream);
        if (in.length() > kMaxStoredBytes) return 0;
        std::vector<uint8_t> bytes;
        if (!in.readRemaining(bytes)) return 0;
        return to(readPicture(bytes.data(), bytes.size()));
    });
}

void plix_picture_serialize_to_stream(plix_handle self, plix_handle wstream) {
    if (!self || !wstream) return;
    guard([&] {
        std::vector<uint8_t> bytes;
        // A picture holding what the stored form cannot carry writes nothing, and reads back as none.
        if (writePicture(*pic(self), bytes)) from<WStreamAdapter>(wstream)->write(bytes.data(), bytes.size());
    });
}

void plix_picture_playback(plix_handle self, plix_handle canvas) {
    if (self && canvas) guard([&] { pic(self)->playback(*from<Canvas>(canvas)); });
}

plix_handle plix_picture_make_shader(plix_handle self, int32_t tile_mode_x, int32_t tile_mode_y, int32_t filter_mode,
                                     const plix_matrix* local_matrix, const plix_rect* tile_rect) {
    if (!self || !isValidTileMode(tile_mode_x) || !isValidTileMode(tile_mode_y) || !isValidFilterMode(filter_mode))
        return 0;
    return guard<plix_handle>(0, [&]() -> plix_handle {
        const Picture& p = *pic(self);
        const Rect tile = tile_rect ? toRect(*tile_rect).makeSorted() : p.cullRect();
        if (!tile.isFinite() || tile.isEmpty()) return 0;
        const int w = int(std::ceil(tile.width())), h = int(std::ceil(tile.height()));
        const Matrix toTile = Matrix::Translate(-tile.left, -tile.top);
        sp<Image> image = render(p, w, h, &toTile, nullptr, nullptr, nullptr);
        if (!image) return 0;
        Matrix local = local_matrix ? toMatrix(*local_matrix) : Matrix();
        local = local * Matrix::Translate(tile.left, tile.top);
        return to(MakeImageShader(std::move(image), TileMode(tile_mode_x), TileMode(tile_mode_y),
                                  SamplingOptions(FilterMode(filter_mode)), &local));
    });
}

plix_handle plix_image_make_from_picture(plix_handle picture, const plix_isize* dimensions, const plix_matrix* matrix,
                                         plix_handle paint, plix_handle color_space, const plix_surface_props* props) {
    if (!picture || !dimensions) return 0;
    return guard<plix_handle>(0, [&] {
        const Matrix m = matrix ? toMatrix(*matrix) : Matrix();
        const SurfaceProps sp = props ? toProps(*props) : SurfaceProps();
        return to(render(*pic(picture), dimensions->width, dimensions->height, matrix ? &m : nullptr,
                         paint ? from<Paint>(paint) : nullptr, refColorSpace(color_space), &sp));
    });
}

// ---- on canvases ----

void plix_canvas_draw_picture(plix_handle self, plix_handle picture, const plix_matrix* matrix, plix_handle paint) {
    if (!self || !picture) return;
    guard([&] {
        const Matrix m = matrix ? toMatrix(*matrix) : Matrix();
        pic(picture)->drawInto(*from<Canvas>(self), matrix ? &m : nullptr, paint ? from<Paint>(paint) : nullptr);
    });
}

void plix_canvas_draw_annotation(plix_handle self, const plix_rect* rect, const char* key, const void* value,
                                 size_t size) {
    if (!self || !rect || !key || (!value && size)) return;
    guard([&] { from<Canvas>(self)->drawAnnotation(toRect(*rect), key, value, size); });
}
