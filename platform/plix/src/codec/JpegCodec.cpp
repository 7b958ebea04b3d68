// JPEG through libjpeg-turbo. Its errors long-jump back to the function that set up the jump;
// every object with a destructor there is made before the jump is armed, so none is skipped.
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

}  // namespace

sp<Image> decodeJpeg(const uint8_t* data, size_t size) {
    if (!data || size == 0 || size > kMaxEncodedBytes) return nullptr;
    jpeg_decompress_struct cinfo{};
    JumpError err{};
    std::vector<uint8_t> rgba, icc;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onError;
    err.mgr.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xffff);  // ICC profile pieces
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || !decodableSize(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    {
        // Missing or inconsistent pieces give no profile: the image is then sRGB.
        JOCTET* profile = nullptr;
        unsigned int profileSize = 0;
        if (jpeg_read_icc_profile(&cinfo, &profile, &profileSize) && profile) icc.assign(profile, profile + profileSize);
        std::free(profile);
    }
    cinfo.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 4;
    rgba.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgba.data() + stride * cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
    }
    const int w = int(cinfo.output_width), h = int(cinfo.output_height);
    jpeg_finish_decompress(&cinfo);
    // libjpeg makes up what a truncated or damaged file lacks and only warns: refuse it.
    const bool damaged = err.mgr.num_warnings > 0;
    jpeg_destroy_decompress(&cinfo);
    if (damaged) return nullptr;
    return imageFromRGBA(rgba.data(), w, h, stride, true, icc);
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
