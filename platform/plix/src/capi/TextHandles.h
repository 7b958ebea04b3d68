// Text objects behind the C API's handles, and the conversions their entry points share.
#pragma once

#include "capi/Handles.h"
#include "plix/plix_types.h"
#include "text/Font.h"
#include "text/FontStyle.h"
#include "text/TextBlob.h"

namespace plix::capi {

inline Font* fontOf(plix_handle h) { return from<Font>(h); }

// Null gives the normal style; fields out of range are clamped to theirs.
inline FontStyle toFontStyle(const plix_font_style* s) {
    FontStyle r;
    if (!s) return r;
    r.weight = s->weight < 0 ? 0 : s->weight > 1000 ? 1000 : s->weight;
    r.width = s->width < 1 ? 1 : s->width > 9 ? 9 : s->width;
    r.slant = s->slant >= 0 && s->slant <= 2 ? FontSlant(s->slant) : FontSlant::Upright;
    return r;
}

inline plix_font_style fromFontStyle(const FontStyle& s) { return {s.weight, s.width, int32_t(s.slant)}; }

inline RSXform toRSXform(const plix_rsxform& x) { return {x.scos, x.ssin, x.tx, x.ty}; }

}  // namespace plix::capi
