// The instruction sets this CPU runs, for tests that check every build of the stages.
#pragma once

#include <vector>

#include "raster/Pipeline.h"

namespace plix::test {

inline std::vector<Isa> supportedIsas() {
    std::vector<Isa> v;
    for (Isa isa : {Isa::SSE2, Isa::AVX2, Isa::AVX512})
        if (isaSupported(isa)) v.push_back(isa);
    return v;
}

}  // namespace plix::test
