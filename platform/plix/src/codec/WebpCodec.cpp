// WebP through libwebp; animated files decode their first frame onto the canvas.
#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>

#include "codec/Codec.h"

namespace plix {

namespace {

// Wraps a simple WebP file into the extended form with an ICCP chunk.
bool addWebpIccProfile(std::vector<uint8_t>& webp, const std::vector<uint8_t>& icc) {
    const WebPData image{webp.data(), webp.size()}, profile{icc.data(), icc.size()};
    WebPMux* mux = WebPMuxCreate(&image, 0);
    if (!mux) return false;
    WebPData assembled{};
    const bool ok = WebPMuxSetChunk(mux, "ICCP", &profile, 0) == WEBP_MUX_OK &&
                    WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
    WebPMuxDelete(mux);
    if (ok) webp.assign(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return ok;
}

}  // namespace

DecodeResult readWebp(const uint8_t* data, size_t size) {
    DecodeResult result;
    result.status = DecodeStatus::Damaged;
    if (!data || size == 0) return result;
    const WebPData webp{data, size};
    WebPDemuxer* demux = WebPDemux(&webp);
    if (!demux) return result;
    struct Free {
        WebPDemuxer* d;
        WebPIterator* it = nullptr;
        ~Free() {
            if (it) WebPDemuxReleaseIterator(it);
            WebPDemuxDelete(d);
        }
    } free{demux};
    const uint32_t w = WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH), h = WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
    // The canvas of an animation may be far larger than its frames: the budget holds it too.
    if (!decodableSize(w, h)) {
        result.status = w && h ? DecodeStatus::TooLarge : DecodeStatus::Damaged;
        return result;
    }
    WebPIterator it{};
    if (!WebPDemuxGetFrame(demux, 1, &it)) return result;
    free.it = &it;
    int fw = 0, fh = 0;
    if (!WebPGetInfo(it.fragment.bytes, it.fragment.size, &fw, &fh)) return result;
    if (fw != it.width || fh != it.height || it.x_offset < 0 || it.y_offset < 0 ||
        uint64_t(it.x_offset) + uint64_t(fw) > w || uint64_t(it.y_offset) + uint64_t(fh) > h)
        return result;
    const size_t stride = size_t(w) * 4;
    std::vector<uint8_t> rgba(stride * h, 0);
    uint8_t* at = rgba.data() + size_t(it.y_offset) * stride + size_t(it.x_offset) * 4;
    const size_t room = rgba.size() - size_t(at - rgba.data());
    if (!WebPDecodeRGBAInto(it.fragment.bytes, it.fragment.size, at, room, int(stride))) return result;
    const bool covers = it.x_offset == 0 && it.y_offset == 0 && uint32_t(fw) == w && uint32_t(fh) == h;
    const bool opaque = covers && !it.has_alpha && !(WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ALPHA_FLAG);
    std::vector<uint8_t> icc;
    WebPChunkIterator chunk{};
    if ((WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG) && WebPDemuxGetChunk(demux, "ICCP", 1, &chunk)) {
        icc.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    result.image = imageFromRGBA(rgba.data(), int(w), int(h), stride, opaque, icc);
    result.status = result.image ? DecodeStatus::Ok : DecodeStatus::TooLarge;
    return result;
}

bool encodeWebp(std::vector<uint8_t>& out, const Pixmap& pixmap, int quality) {
    if (pixmap.width() > WEBP_MAX_DIMENSION || pixmap.height() > WEBP_MAX_DIMENSION) return false;
    std::vector<uint8_t> rgba, icc;
    if (!toRGBA(pixmap, false, rgba, &icc)) return false;
    uint8_t* encoded = nullptr;
    const int stride = pixmap.width() * 4;
    const size_t size = quality >= 100
                            ? WebPEncodeLosslessRGBA(rgba.data(), pixmap.width(), pixmap.height(), stride, &encoded)
                            : WebPEncodeRGBA(rgba.data(), pixmap.width(), pixmap.height(), stride, float(quality),
                                             &encoded);
    if (size == 0 || !encoded) {
        WebPFree(encoded);
        return false;
    }
    out.assign(encoded, encoded + size);
    WebPFree(encoded);
    return icc.empty() || addWebpIccProfile(out, icc);
}

}  // namespace plix
