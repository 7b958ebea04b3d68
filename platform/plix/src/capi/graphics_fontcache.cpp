// The process-wide glyph cache's limits and counters.
#include "plix/plix.h"
#include "text/GlyphCache.h"

using namespace plix;

int32_t plix_graphics_get_font_cache_count_limit(void) { return glyphCacheCountLimit(); }
int32_t plix_graphics_get_font_cache_count_used(void) { return glyphCacheCountUsed(); }
size_t plix_graphics_get_font_cache_limit(void) { return glyphCacheByteLimit(); }
size_t plix_graphics_get_font_cache_used(void) { return glyphCacheBytesUsed(); }
void plix_graphics_purge_font_cache(void) { purgeGlyphCache(); }
int32_t plix_graphics_set_font_cache_count_limit(int32_t value) { return setGlyphCacheCountLimit(value); }
size_t plix_graphics_set_font_cache_limit(size_t value) { return setGlyphCacheByteLimit(value); }
