// The stored form of a picture (little-endian):
//   "PLXP", format version (u32, 1), body length (u32), body, CRC-32 of the body (u32)
//   body: cull rect (4 f32), op count (u32), ops: a tag byte and the op's fields
// Paints keep colour, style, stroke settings, anti-aliasing, dithering and a blend mode; paths
// their stored path form; nested pictures their own body. Reading checks the magic, version,
// lengths, checksum, every count against the bytes left, every ordinal against its range and
// the nesting depth, and refuses anything else: a truncated or damaged form gives no picture.
#pragma once

#include <cstdint>
#include <vector>

#include "picture/Picture.h"

namespace plix {

// Appends the stored form; false (out unchanged) when the picture holds what the form cannot
// carry (images, shaders, filters, path effects, blenders other than blend modes).
bool writePicture(const Picture& picture, std::vector<uint8_t>& out);
// Null for anything but a complete stored form.
sp<Picture> readPicture(const uint8_t* data, size_t size);

}  // namespace plix
