#include "text/GlyphCache.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "raster/Mask.h"
#include "raster/ScanConverter.h"

namespace plix {

namespace {

// Outline to path: FreeType's y goes up, ours down; scale turns its units into pixels.
struct OutlineSink {
    Path* path;
    float scale;
    bool open = false;
    Point pt(const FT_Vector* v) const { return {float(v->x) * scale, -float(v->y) * scale}; }
};

int moveToFn(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    if (s->open) s->path->close();
    s->path->moveTo(s->pt(to));
    s->open = true;
    return 0;
}
int lineToFn(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->path->lineTo(s->pt(to));
    return 0;
}
int conicToFn(const FT_Vector* c, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->path->quadTo(s->pt(c), s->pt(to));
    return 0;
}
int cubicToFn(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->path->cubicTo(s->pt(c1), s->pt(c2), s->pt(to));
    return 0;
}

bool outlineToPath(FT_Outline* outline, float scale, Path* out) {
    static const FT_Outline_Funcs funcs = {moveToFn, lineToFn, conicToFn, cubicToFn, 0, 0};
    OutlineSink sink{out, scale};
    if (FT_Outline_Decompose(outline, &funcs, &sink)) {
        out->reset();
        return false;
    }
    if (sink.open) out->close();
    // Even-odd outlines are marked so by the font; TrueType and CFF glyphs fill non-zero.
    if (outline->flags & FT_OUTLINE_EVEN_ODD_FILL) out->setFillType(PathFillType::EvenOdd);
    return true;
}

FT_Int32 loadFlags(const StrikeKey& key) {
    FT_Int32 flags = key.embeddedBitmaps ? FT_LOAD_COLOR : FT_LOAD_NO_BITMAP;
    switch (key.hinting) {
        case FontHinting::None: flags |= FT_LOAD_NO_HINTING; break;
        case FontHinting::Slight: flags |= FT_LOAD_TARGET_LIGHT; break;
        case FontHinting::Normal:
        case FontHinting::Full: flags |= key.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL; break;
    }
    if (key.forceAutoHinting && key.hinting != FontHinting::None) flags |= FT_LOAD_FORCE_AUTOHINT;
    return flags;
}

// An embedded bitmap as premultiplied RGBA (BGRA colour glyphs) or white with its coverage.
void copyBitmap(const FT_Bitmap& bm, GlyphInfo* g) {
    const int w = int(bm.width), h = int(bm.rows);
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096) return;
    g->bitmap.assign(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
        for (int x = 0; x < w; ++x) {
            uint32_t px = 0;
            if (bm.pixel_mode == FT_PIXEL_MODE_BGRA) {
                const uint8_t* p = row + 4 * x;  // premultiplied B, G, R, A
                px = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16 | uint32_t(p[3]) << 24;
            } else {
                uint8_t a = 0;
                if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) a = row[x];
                else if (bm.pixel_mode == FT_PIXEL_MODE_MONO) a = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
                px = uint32_t(a) | uint32_t(a) << 8 | uint32_t(a) << 16 | uint32_t(a) << 24;
            }
            g->bitmap[size_t(y) * size_t(w) + size_t(x)] = px;
        }
    }
    g->bitmapWidth = w, g->bitmapHeight = h;
}

}  // namespace

Strike::Strike(sp<Typeface> typeface, const StrikeKey& key) : fTypeface(std::move(typeface)), fKey(key) {}

void Strike::load(uint16_t id, GlyphInfo* g) {
    if (id >= fTypeface->glyphCount()) return;
    const bool big = std::max(fKey.ppemX, fKey.ppemY) > kMaxHintedPpem;
    if (!(fKey.ppemX * 64 >= 1 && fKey.ppemY * 64 >= 1) || !std::isfinite(fKey.ppemX * fKey.ppemY)) return;
    const float upem = float(fTypeface->metrics().unitsPerEm);
    fTypeface->withFace([&](FT_Face face) {
        FT_Int32 flags = loadFlags(fKey);
        // Horizontal and vertical scales from the loaded units to strike pixels.
        float sx = 1 / 64.0f, sy = 1 / 64.0f, linear = 1 / 65536.0f;
        if (big && FT_IS_SCALABLE(face)) {
            flags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
            sx = fKey.ppemX / upem, sy = fKey.ppemY / upem, linear = sx;
        } else if (FT_IS_SCALABLE(face)) {
            if (FT_Set_Char_Size(face, FT_F26Dot6(std::lround(fKey.ppemX * 64)),
                                 FT_F26Dot6(std::lround(fKey.ppemY * 64)), 72, 72))
                return;
        } else {
            // Bitmap-only faces: the closest fixed size, scaled to the strike.
            int best = 0;
            for (int i = 1; i < face->num_fixed_sizes; ++i)
                if (std::abs(face->available_sizes[i].y_ppem / 64.0f - fKey.ppemY) <
                    std::abs(face->available_sizes[best].y_ppem / 64.0f - fKey.ppemY))
                    best = i;
            if (face->num_fixed_sizes <= 0 || FT_Select_Size(face, best)) return;
            flags = FT_LOAD_COLOR;
        }
        if (FT_Load_Glyph(face, id, flags)) return;
        FT_GlyphSlot slot = face->glyph;
        g->linearAdvance = float(slot->linearHoriAdvance) * linear;
        const bool rounds = fKey.hinting == FontHinting::Normal || fKey.hinting == FontHinting::Full;
        g->advance = (rounds && !big) ? float(slot->advance.x) / 64.0f : g->linearAdvance;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (fKey.embolden) {
                // A twenty-fourth of the em, in the outline's units.
                const float em = big ? upem : fKey.ppemY * 64;
                const FT_Pos strength = FT_Pos(em / 24);
                // FreeType grows the outline up and to the right; the reference grows it evenly.
                FT_Outline_Embolden(&slot->outline, strength);
                FT_Outline_Translate(&slot->outline, -strength / 2, -strength / 2);
            }
            Path p;
            if (outlineToPath(&slot->outline, sx, &p)) {
                if (sy != sx) p.transform(Matrix::Scale(1, sy / sx));
                g->path = std::move(p);
                g->hasPath = !g->path.isEmpty();
            }
            if (g->hasPath) {
                const Rect b = g->path.computeTightBounds();
                if (b.isFinite() && !b.isEmpty()) g->imageBounds = b.roundOut();
            }
        } else if (slot->format == FT_GLYPH_FORMAT_BITMAP) {
            copyBitmap(slot->bitmap, g);
            if (!g->bitmap.empty()) {
                const float nominal = face->size ? float(face->size->metrics.y_ppem) : fKey.ppemY;
                g->bitmapScale = nominal > 0 ? fKey.ppemY / nominal : 1;
                g->bitmapOrigin = {float(slot->bitmap_left) * g->bitmapScale, -float(slot->bitmap_top) * g->bitmapScale};
                const Rect b = Rect::MakeXYWH(g->bitmapOrigin.x, g->bitmapOrigin.y, g->bitmapWidth * g->bitmapScale,
                                              g->bitmapHeight * g->bitmapScale);
                g->imageBounds = b.roundOut();
                if (g->bitmapScale != 1) {
                    g->advance *= g->bitmapScale;
                    g->linearAdvance *= g->bitmapScale;
                }
            }
        }
    });
}

const GlyphInfo& Strike::glyph(uint16_t id) {
    std::lock_guard<std::mutex> lock(fMutex);
    auto& slot = fGlyphs[id];
    if (!slot) {
        auto g = std::make_unique<GlyphInfo>();
        load(id, g.get());
        fBytes += sizeof(GlyphInfo) + g->path.points().size() * sizeof(Point) + g->path.verbs().size() +
                  g->bitmap.size() * 4;
        slot = std::move(g);
    }
    return *slot;
}

const GlyphMask* Strike::mask(uint16_t id, int phase, bool antiAlias) {
    const GlyphInfo& g = glyph(id);
    if (!g.hasPath) return nullptr;
    const uint32_t key = uint32_t(id) << 3 | uint32_t(phase & 3) << 1 | (antiAlias ? 1 : 0);
    std::lock_guard<std::mutex> lock(fMutex);
    auto& slot = fMasks[key];
    if (!slot) {
        auto m = std::make_unique<GlyphMask>();
        const Matrix shift = Matrix::Translate(float(phase & 3) * 0.25f, 0);
        const IRect bounds = shift.mapRect(g.path.computeTightBounds()).roundOut();
        if (!bounds.isEmpty()) {
            Mask coverage(bounds);
            MaskBlitter blitter(&coverage);
            fillPath(g.path, shift, bounds, antiAlias, blitter);
            m->bounds = bounds;
            m->coverage = std::move(coverage.cov);
        }
        fBytes += sizeof(GlyphMask) + m->coverage.size();
        slot = std::move(m);
    }
    return slot->coverage.empty() ? nullptr : slot.get();
}

// ---- the cache ----

namespace {

struct KeyHash {
    size_t operator()(const StrikeKey& k) const {
        uint32_t x, y;
        std::memcpy(&x, &k.ppemX, 4);
        std::memcpy(&y, &k.ppemY, 4);
        size_t h = k.typefaceID;
        h = h * 1000003u ^ x;
        h = h * 1000003u ^ y;
        h = h * 1000003u ^ (size_t(k.hinting) | size_t(k.embolden) << 2 | size_t(k.forceAutoHinting) << 3 |
                            size_t(k.embeddedBitmaps) << 4 | size_t(k.mono) << 5);
        return h;
    }
};

struct Cache {
    std::mutex mutex;
    struct Entry {
        std::shared_ptr<Strike> strike;
        uint64_t lastUse = 0;
    };
    std::unordered_map<StrikeKey, Entry, KeyHash> strikes;
    uint64_t clock = 0;
    size_t byteLimit = 2 * 1024 * 1024;
    int32_t countLimit = 2048;

    size_t bytes() const {
        size_t n = 0;
        for (auto& [k, e] : strikes) n += e.strike->bytesUsed();
        return n;
    }
    // Drops the least recently used strikes (never keep) until within both limits.
    void trim(const Strike* keep) {
        while (strikes.size() > 1 && (bytes() > byteLimit || int64_t(strikes.size()) > countLimit)) {
            auto victim = strikes.end();
            for (auto it = strikes.begin(); it != strikes.end(); ++it)
                if (it->second.strike.get() != keep && (victim == strikes.end() || it->second.lastUse < victim->second.lastUse))
                    victim = it;
            if (victim == strikes.end()) break;
            strikes.erase(victim);
        }
    }
};

Cache& cache() {
    static Cache c;
    return c;
}

}  // namespace

std::shared_ptr<Strike> findOrCreateStrike(const sp<Typeface>& typeface, const StrikeKey& key) {
    Cache& c = cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    auto& e = c.strikes[key];
    if (!e.strike) e.strike = std::make_shared<Strike>(typeface, key);
    e.lastUse = ++c.clock;
    std::shared_ptr<Strike> s = e.strike;
    if ((c.clock & 15) == 0) c.trim(s.get());
    return s;
}

size_t glyphCacheBytesUsed() {
    std::lock_guard<std::mutex> lock(cache().mutex);
    return cache().bytes();
}
size_t glyphCacheByteLimit() {
    std::lock_guard<std::mutex> lock(cache().mutex);
    return cache().byteLimit;
}
size_t setGlyphCacheByteLimit(size_t bytes) {
    std::lock_guard<std::mutex> lock(cache().mutex);
    const size_t old = cache().byteLimit;
    cache().byteLimit = bytes;
    cache().trim(nullptr);
    return old;
}
int32_t glyphCacheCountUsed() {
    std::lock_guard<std::mutex> lock(cache().mutex);
    return int32_t(cache().strikes.size());
}
int32_t glyphCacheCountLimit() {
    std::lock_guard<std::mutex> lock(cache().mutex);
    return cache().countLimit;
}
int32_t setGlyphCacheCountLimit(int32_t count) {
    std::lock_guard<std::mutex> lock(cache().mutex);
    const int32_t old = cache().countLimit;
    cache().countLimit = std::max(count, 0);
    cache().trim(nullptr);
    return old;
}
void purgeGlyphCache() {
    std::lock_guard<std::mutex> lock(cache().mutex);
    cache().strikes.clear();
}

}  // namespace plix
