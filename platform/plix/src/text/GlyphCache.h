// The glyph cache: per strike (a typeface at a pixel size with hinting and rendering options),
// each glyph's outline, advances and image bounds, and its coverage masks by subpixel phase.
// Strikes are shared by all threads; each has its own lock, and the cache drops the least
// recently used strikes when it holds more than its byte or count limit.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "core/RefCnt.h"
#include "geometry/Path.h"
#include "geometry/Rect.h"
#include "text/Typeface.h"

namespace plix {

enum class FontHinting : int32_t { None, Slight, Normal, Full };

struct StrikeKey {
    uint32_t typefaceID = 0;
    float ppemX = 0, ppemY = 0;  // pixels per em across and down
    FontHinting hinting = FontHinting::Normal;
    bool embolden = false, forceAutoHinting = false, embeddedBitmaps = false;
    bool mono = false;  // hinted for aliased (one-bit) drawing
    bool operator==(const StrikeKey&) const = default;
};

// A glyph in a strike's pixels, y down, origin on the baseline.
struct GlyphInfo {
    float advance = 0;        // hinted where the hinting rounds it
    float linearAdvance = 0;  // the font's own advance at this size
    IRect imageBounds;        // the pixels its image can touch (empty: nothing to draw)
    Path path;
    bool hasPath = false;
    // An embedded bitmap (colour or grey) in place of the outline, premultiplied RGBA.
    std::vector<uint32_t> bitmap;
    int bitmapWidth = 0, bitmapHeight = 0;
    float bitmapScale = 1;     // strike pixels per bitmap pixel
    Point bitmapOrigin;        // top left, in strike pixels
};

// A glyph's coverage at one subpixel phase; bounds are relative to the rounded origin.
struct GlyphMask {
    IRect bounds;
    std::vector<uint8_t> coverage;
};

class Strike {
public:
    Strike(sp<Typeface> typeface, const StrikeKey& key);

    const StrikeKey& key() const { return fKey; }
    const Typeface& typeface() const { return *fTypeface; }
    // The glyph's data, loaded on first use; glyph ids past the face's count give an empty glyph.
    const GlyphInfo& glyph(uint16_t id);
    // The mask at a horizontal phase (0..3 quarters of a pixel), anti-aliased or not; null for a
    // glyph with nothing to draw.
    const GlyphMask* mask(uint16_t id, int phase, bool antiAlias);

    size_t bytesUsed() const { return fBytes.load(std::memory_order_relaxed); }

private:
    void load(uint16_t id, GlyphInfo* out);

    sp<Typeface> fTypeface;
    StrikeKey fKey;
    std::mutex fMutex;
    std::unordered_map<uint16_t, std::unique_ptr<GlyphInfo>> fGlyphs;
    std::unordered_map<uint32_t, std::unique_ptr<GlyphMask>> fMasks;
    std::atomic<size_t> fBytes{0};
};

// Outlines above this many pixels per em are read unhinted at the font's own resolution and
// scaled; glyphs larger than this on the device are drawn as paths rather than masks.
constexpr float kMaxHintedPpem = 256;

// The cache's strike for the key (made on first use).
std::shared_ptr<Strike> findOrCreateStrike(const sp<Typeface>& typeface, const StrikeKey& key);

// Cache limits and counters, for the process-wide settings of the C API.
size_t glyphCacheBytesUsed();
size_t glyphCacheByteLimit();
size_t setGlyphCacheByteLimit(size_t bytes);  // returns the previous limit
int32_t glyphCacheCountUsed();
int32_t glyphCacheCountLimit();
int32_t setGlyphCacheCountLimit(int32_t count);
void purgeGlyphCache();

}  // namespace plix
