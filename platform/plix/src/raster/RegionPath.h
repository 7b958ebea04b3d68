// The pixels a path covers (non-anti-aliased: pixel centres inside under its fill type) as a
// region, within a clip region.
#pragma once

#include "geometry/Region.h"

namespace plix {

// False (out empty) when nothing is covered, or the area to scan is taller than the limit.
bool regionFromPath(const Path& path, const Region& clip, Region* out);

}  // namespace plix
