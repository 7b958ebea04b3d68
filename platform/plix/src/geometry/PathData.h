// The stored form of a path, as plix_path_serialize_to_stream writes it and picture data will
// hold it. Little-endian 32-bit words:
//   header   version (5) in bits 0..7, fill type in bits 8..9, other bits zero
//   counts   points, conic weights, verbs
//   points   x, y as floats; then the conic weights as floats; then one byte per verb (the
//            PathVerb values), padded with zeros to a multiple of 4 bytes
// Reading checks every count against the data and the verbs against the points they need, and
// refuses anything a path could not have written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/Path.h"

namespace plix {

// Appends the path's stored form to out.
void writePathData(const Path& path, std::vector<uint8_t>& out);
// Reads a path from the start of data; returns the bytes it took, or 0 (out untouched) when the
// data is truncated or not a stored path.
size_t readPathData(const void* data, size_t size, Path* out);

}  // namespace plix
