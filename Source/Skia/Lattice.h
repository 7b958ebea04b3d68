// Nine-patch style stretching of an image: the x and y divisions cut it into cells, each
// optionally with a type and (for FixedColor) a colour.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Skia/Enums.h"
#include "plix/plix_types.h"
#include "ui/Types.h"

namespace Skia {

struct TSkLattice {
    std::vector<int32_t> XDivs;
    std::vector<int32_t> YDivs;
    // None, or one per cell: (XDivs + 1) x (YDivs + 1), row by row.
    std::vector<TSkLatticeRectType> RectTypes;
    // One per rect type.
    std::vector<Ui::TAlphaColor> Colors;
    bool UseBounds = false;
    Ui::TRect Bounds;  // the part of the image used, when UseBounds

    // Both check: AXDivs and AYDivs not empty; ARectTypes empty or one per cell; AColors one
    // per rect type.
    TSkLattice(std::span<const int32_t> AXDivs, std::span<const int32_t> AYDivs, const Ui::TRect& ABounds,
               std::span<const TSkLatticeRectType> ARectTypes = {}, std::span<const Ui::TAlphaColor> AColors = {});
    TSkLattice(std::span<const int32_t> AXDivs, std::span<const int32_t> AYDivs,
               std::span<const TSkLatticeRectType> ARectTypes = {}, std::span<const Ui::TAlphaColor> AColors = {});

    // Runs the constructors' checks on the fields as they are now, with the same messages.
    void Check() const;
    // The native form; it points into this lattice, which must outlive it. Colours go only with
    // rect types.
    plix_lattice ToNative(plix_irect& ABoundsStorage) const;
};

}  // namespace Skia
