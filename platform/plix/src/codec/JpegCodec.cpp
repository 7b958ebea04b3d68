// JPEG through libjpeg-turbo. Its errors long-jump back to the function that armed the jump;
// those functions hold no objects with destructors, and everything the decode keeps lives in a
// JpegRead owned by the caller. The data source suspends at the end of the data instead of
// making up the rest, so a truncated file gives the rows it held (the rest transparent), as the
// reference decoder does.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "codec/Codec.h"

namespace plix {

namespace {

struct JumpError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void onError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JumpError*>(cinfo->err)->jump, 1); }
void onMessage(j_common_ptr) {}  // messages stay quiet; warnings are counted

// A source that holds the whole file and suspends when asked for more.
void initSource(j_decompress_ptr) {}
boolean fillInput(j_decompress_ptr) { return FALSE; }
void skipInput(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* src = cinfo->src;
    const size_t skip = count > 0 ? size_t(count) : 0;
    const size_t n = std::min(skip, src->bytes_in_buffer);
    src->next_input_byte += n;
    src->bytes_in_buffer -= n;
}
void termSource(j_decompress_ptr) {}

struct JpegRead {
    jpeg_decompress_struct cinfo{};
    JumpError err{};
    jpeg_source_mgr src{};
    bool created = false;
    bool headerRead = false;
    bool started = false;
    bool cmyk = false;            // four components, converted to RGB here
    std::vector<uint8_t> icc;
    std::vector<uint8_t> pixels;  // RGBA (or CMYK) rows decoded so far
    size_t rowBytes = 0;
    uint32_t rows = 0;
    ~JpegRead() {
        if (created) jpeg_destroy_decompress(&cinfo);
    }
};

bool readHeader(JpegRead& r, const uint8_t* data, size_t size) {
    if (setjmp(r.err.jump)) return false;
    jpeg_create_decompress(&r.cinfo);
    r.created = true;
    r.src.next_input_byte = data;
    r.src.bytes_in_buffer = size;
    r.src.init_source = initSource;
    r.src.fill_input_buffer = fillInput;
    r.src.skip_input_data = skipInput;
    r.src.resync_to_restart = jpeg_resync_to_restart;
    r.src.term_source = termSource;
    r.cinfo.src = &r.src;
    jpeg_save_markers(&r.cinfo, JPEG_APP0 + 2, 0xffff);  // ICC profile pieces
    r.headerRead = jpeg_read_header(&r.cinfo, TRUE) == JPEG_HEADER_OK;
    return r.headerRead;
}

bool start(JpegRead& r) {
    if (setjmp(r.err.jump)) return false;
    // Missing or inconsistent pieces give no profile: the image is then sRGB.
    JOCTET* profile = nullptr;
    unsigned int profileSize = 0;
    if (jpeg_read_icc_profile(&r.cinfo, &profile, &profileSize) && profile) r.icc.assign(profile, profile + profileSize);
    std::free(profile);
    r.cmyk = r.cinfo.jpeg_color_space == JCS_CMYK || r.cinfo.jpeg_color_space == JCS_YCCK;
    r.cinfo.out_color_space = r.cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    r.started = jpeg_start_decompress(&r.cinfo) == TRUE;
    r.rowBytes = size_t(r.cinfo.output_width) * 4;
    return r.started && r.cinfo.output_components == 4;
}

// Rows one by one, the storage growing with them; stops when the data runs out.
bool readRows(JpegRead& r) {
    if (setjmp(r.err.jump)) return false;
    const uint32_t height = r.cinfo.output_height;
    while (r.rows < height) {
        const size_t end = (size_t(r.rows) + 1) * r.rowBytes;
        if (r.pixels.size() < end) r.pixels.resize(std::min(r.rowBytes * height, std::max(end, r.pixels.size() * 2)));
        JSAMPROW row = r.pixels.data() + size_t(r.rows) * r.rowBytes;
        if (jpeg_read_scanlines(&r.cinfo, &row, 1) != 1) return false;  // suspended: the data ends here
        ++r.rows;
    }
    return true;
}

// Four-component files as RGB. Adobe's files store the components inverted; for those the
// colour is C x K / 255 per channel, for the others (255 - C)(255 - K) / 255.
void cmykToRgba(JpegRead& r) {
    const bool inverted = r.cinfo.saw_Adobe_marker;
    const size_t pixels = r.pixels.size() / 4;
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t* p = &r.pixels[i * 4];
        const unsigned k = inverted ? p[3] : 255u - p[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = inverted ? p[c] : 255u - p[c];
            const unsigned t = v * k + 128;
            p[c] = uint8_t((t + (t >> 8)) >> 8);
        }
        p[3] = 255;
    }
}

}  // namespace

DecodeResult readJpeg(const uint8_t* data, size_t size) {
    DecodeResult result;
    result.status = DecodeStatus::Damaged;
    if (!data || size == 0 || size > kMaxEncodedBytes) return result;
    JpegRead r;
    r.cinfo.err = jpeg_std_error(&r.err.mgr);
    r.err.mgr.error_exit = onError;
    r.err.mgr.output_message = onMessage;
    if (!readHeader(r, data, size)) return result;
    if (!decodableSize(r.cinfo.image_width, r.cinfo.image_height)) {
        result.status = DecodeStatus::TooLarge;
        return result;
    }
    if (!start(r)) return result;
    const bool complete = readRows(r);
    // libjpeg makes up what a damaged file lacks and only warns: refuse it.
    if (r.rows == 0 || r.err.mgr.num_warnings > 0) return result;
    const int w = int(r.cinfo.output_width), h = int(r.cinfo.output_height);
    r.pixels.resize(r.rowBytes * size_t(h));  // rows never decoded stay transparent
    if (r.cmyk) {
        cmykToRgba(r);
        if (!complete)
            for (size_t i = size_t(r.rows) * r.rowBytes; i < r.pixels.size(); ++i) r.pixels[i] = 0;
    }
    result.status = complete ? DecodeStatus::Ok : DecodeStatus::Incomplete;
    result.image = imageFromRGBA(r.pixels.data(), w, h, r.rowBytes, complete, r.icc);
    if (!result.image) result.status = DecodeStatus::TooLarge;
    return result;
}

bool encodeJpeg(std::vector<uint8_t>& out, const Pixmap& pixmap, int quality) {
    // JPEG has no alpha: the premultiplied colour is what would show over black.
    std::vector<uint8_t> rgba, icc;
    if (!toRGBA(pixmap, true, rgba, &icc)) return false;
    jpeg_compress_struct cinfo{};
    JumpError err{};
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onError;
    err.mgr.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(mem);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = JDIMENSION(pixmap.width());
    cinfo.image_height = JDIMENSION(pixmap.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_RGBA;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!icc.empty()) jpeg_write_icc_profile(&cinfo, icc.data(), unsigned(icc.size()));
    const size_t stride = size_t(pixmap.width()) * 4;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = rgba.data() + stride * cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out.assign(mem, mem + memSize);
    std::free(mem);
    return true;
}

}  // namespace plix
