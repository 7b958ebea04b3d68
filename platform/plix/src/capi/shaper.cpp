#include "capi/Convert.h"
#include "capi/TextHandles.h"
#include "plix/plix.h"
#include "text/Shaper.h"

using namespace plix;
using namespace plix::capi;

namespace {
// Shaping keeps no state between calls yet; the object stands for the shaper's settings.
struct ShaperService {};
}  // namespace

plix_handle plix_shaper_create(void) {
    return guard<plix_handle>(0, [] { return to(new ShaperService()); });
}

void plix_shaper_destroy(plix_handle self) { delete from<ShaperService>(self); }

plix_handle plix_shaper_shape(plix_handle self, const char* text, size_t byte_length, plix_handle font,
                              bool left_to_right, float width, const plix_point* offset, plix_point* end_point) {
    if (end_point) *end_point = offset ? *offset : plix_point{0, 0};
    if (!self || !text || !font) return 0;
    return guard<plix_handle>(0, [&] {
        Point end;
        sp<TextBlob> blob = shapeText(text, byte_length, *fontOf(font), left_to_right, width,
                                      offset ? toPoint(*offset) : Point{}, &end);
        if (end_point && blob) *end_point = fromPoint(end);
        return to(std::move(blob));
    });
}
