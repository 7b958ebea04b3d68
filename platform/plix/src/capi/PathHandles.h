// What the path families' handles point at: paths are immutable at the API, builders edit one,
// walks keep their own copy of the path they walk.
#pragma once

#include "geometry/Path.h"

namespace plix::capi {

struct PathBuilder {
    Path path;
};

struct PathWalk {
    explicit PathWalk(const Path& p, bool forceClose) : path(p), iter(path, forceClose) {}
    Path path;
    Path::Iter iter;
};

}  // namespace plix::capi
