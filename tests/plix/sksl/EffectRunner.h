// Runs an effect over a small grid of pixels with the uniforms and children a corpus file asks
// for, through the fast or the reference executor.
#pragma once

#include "CorpusFile.h"
#include "sksl/Effect.h"

#include <array>
#include <vector>

namespace plix::sksl::test {

struct Pixels {
    int width = 0, height = 0;
    std::vector<float> r, g, b, a;
    std::array<float, 4> at(int x, int y) const {
        size_t i = static_cast<size_t>(y) * width + x;
        return {r[i], g[i], b[i], a[i]};
    }
};

enum class Executor { Fast, Reference };

// The uniform block for the values named in the file (in declaration order; ints for int
// uniforms).
std::vector<uint32_t> UniformBlock(const Effect& effect, const CorpusFile& file);

// Pixel (x, y) is evaluated at (x + 0.5, y + 0.5); colour filters and blenders get gradients.
Pixels RunEffect(const Effect& effect, const CorpusFile& file, Executor executor);

}  // namespace plix::sksl::test
