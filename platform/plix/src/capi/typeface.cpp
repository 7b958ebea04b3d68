#include <vector>

#include "capi/TextHandles.h"
#include "core/StreamAdapter.h"
#include "core/String.h"
#include "plix/plix.h"
#include "text/FontMgr.h"
#include "text/Typeface.h"

using namespace plix;
using namespace plix::capi;

namespace {
const Typeface& tf(plix_handle h) { return *from<Typeface>(h); }
}  // namespace

plix_handle plix_typeface_get_family_name(plix_handle self) {
    if (!self) return 0;
    return guard<plix_handle>(0, [&] { return to(new String{tf(self).familyName()}); });
}

int32_t plix_typeface_get_slant(plix_handle self) { return self ? int32_t(tf(self).style().slant) : 0; }

void plix_typeface_get_style(plix_handle self, plix_font_style* result) {
    if (self && result) *result = fromFontStyle(tf(self).style());
}

int32_t plix_typeface_get_weight(plix_handle self) { return self ? tf(self).style().weight : 0; }

int32_t plix_typeface_get_width(plix_handle self) { return self ? tf(self).style().width : 0; }

plix_handle plix_typeface_make_default(void) {
    return guard<plix_handle>(0, [] { return to(defaultTypeface()); });
}

plix_handle plix_typeface_make_from_file(const char* file_name, int32_t ttc_index) {
    if (!file_name) return 0;
    return guard<plix_handle>(0, [&] { return to(Typeface::MakeFromFile(file_name, ttc_index)); });
}

plix_handle plix_typeface_make_from_stream(plix_handle stream, int32_t ttc_index) {
    if (!stream) return 0;
    return guard<plix_handle>(0, [&] { return to(Typeface::MakeFromStream(*from<StreamAdapter>(stream), ttc_index)); });
}

plix_handle plix_typeface_make_from_name(const char* family_name, const plix_font_style* style) {
    return guard<plix_handle>(0, [&] { return to(matchFamilyStyle(family_name, toFontStyle(style))); });
}
