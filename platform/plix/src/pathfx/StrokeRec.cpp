#include "pathfx/PathEffect.h"

#include "geometry/PathOps.h"

namespace plix {

bool StrokeRec::apply(const Path& path, Path* out) const {
    switch (style) {
        case Style::Fill:
        case Style::Hairline:
            *out = path;
            return true;
        case Style::Stroke:
            out->reset();
            return strokePath(path, params, resScale, out);
        case Style::StrokeAndFill: {
            Path stroked, filled = path;
            if (!strokePath(path, params, resScale, &stroked)) return false;
            filled.setFillType(PathFillType::Winding);
            if (!pathOp(filled, stroked, PathOp::Union, out)) {
                *out = filled;
                out->addPath(stroked);
            }
            return true;
        }
    }
    return false;
}

}  // namespace plix
