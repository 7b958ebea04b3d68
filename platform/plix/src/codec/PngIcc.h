// Embedded ICC profiles of PNG files (the iCCP chunk).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plix {

// The profile of the file's iCCP chunk; empty when there is none or it is damaged.
std::vector<uint8_t> readPngIccProfile(const uint8_t* data, size_t size);
// Adds an iCCP chunk with the profile to an encoded PNG; false when png is no PNG.
bool insertPngIccProfile(std::vector<uint8_t>& png, const std::vector<uint8_t>& icc);

}  // namespace plix
