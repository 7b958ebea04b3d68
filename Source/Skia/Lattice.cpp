#include "Skia/Lattice.h"

#include "Skia/Exceptions.h"

namespace Skia {

TSkLattice::TSkLattice(std::span<const int32_t> AXDivs, std::span<const int32_t> AYDivs, const Ui::TRect& ABounds,
                       std::span<const TSkLatticeRectType> ARectTypes, std::span<const Ui::TAlphaColor> AColors)
    : TSkLattice(AXDivs, AYDivs, ARectTypes, AColors) {
    UseBounds = true;
    Bounds = ABounds;
}

TSkLattice::TSkLattice(std::span<const int32_t> AXDivs, std::span<const int32_t> AYDivs,
                       std::span<const TSkLatticeRectType> ARectTypes, std::span<const Ui::TAlphaColor> AColors)
    : XDivs(AXDivs.begin(), AXDivs.end()),
      YDivs(AYDivs.begin(), AYDivs.end()),
      RectTypes(ARectTypes.begin(), ARectTypes.end()),
      Colors(AColors.begin(), AColors.end()) {
    Check();
}

void TSkLattice::Check() const {
    CheckNotEmpty(XDivs, "AXDivs");
    CheckNotEmpty(YDivs, "AYDivs");
    if (!RectTypes.empty()) {
        if (RectTypes.size() != (XDivs.size() + 1) * (YDivs.size() + 1)) RaiseParameterSizeMismatch("ARectTypes");
        if (Colors.size() != RectTypes.size()) RaiseParameterSizeMismatch("AColors");
    }
}

plix_lattice TSkLattice::ToNative(plix_irect& ABoundsStorage) const {
    ABoundsStorage = {Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom};
    const bool typed = !RectTypes.empty();
    static_assert(sizeof(TSkLatticeRectType) == sizeof(int32_t));
    return {XDivs.data(),
            YDivs.data(),
            typed ? reinterpret_cast<const int32_t*>(RectTypes.data()) : nullptr,
            static_cast<int32_t>(XDivs.size()),
            static_cast<int32_t>(YDivs.size()),
            UseBounds ? &ABoundsStorage : nullptr,
            typed ? Colors.data() : nullptr};
}

}  // namespace Skia
