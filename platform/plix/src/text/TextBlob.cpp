#include "text/TextBlob.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "raster/Paint.h"

namespace plix {

namespace {
std::atomic<uint32_t> gNextBlobID{1};

void joinRect(Rect* all, const Rect& r) {
    if (r.isEmpty()) return;
    if (all->isEmpty()) *all = r;
    else *all = {std::min(all->left, r.left), std::min(all->top, r.top), std::max(all->right, r.right),
                 std::max(all->bottom, r.bottom)};
}
}  // namespace

bool textToGlyphRun(const void* text, size_t bytes, TextEncoding enc, const Font& font, TextRun* run) {
    const size_t n = font.textToGlyphs(text, bytes, enc, nullptr, 0);
    if (n == 0 || n > size_t(INT32_MAX)) return false;
    run->font = font;
    run->glyphs.resize(n);
    font.textToGlyphs(text, bytes, enc, run->glyphs.data(), n);
    return true;
}

TextBlob::TextBlob(std::vector<TextRun> runs) : fRuns(std::move(runs)), fID(gNextBlobID.fetch_add(1)) {
    for (const TextRun& run : fRuns) {
        const int n = int(run.glyphs.size());
        std::vector<Rect> boxes(static_cast<size_t>(n));
        run.font.getWidthsBounds(run.glyphs.data(), n, nullptr, boxes.data(), nullptr);
        for (int i = 0; i < n; ++i) {
            if (!run.xforms.empty()) joinRect(&fBounds, run.xforms[size_t(i)].toMatrix().mapRect(boxes[size_t(i)]));
            else joinRect(&fBounds, boxes[size_t(i)].makeOffset(run.positions[size_t(i)].x, run.positions[size_t(i)].y));
        }
    }
}

sp<TextBlob> TextBlob::Make(std::vector<TextRun> runs) {
    runs.erase(std::remove_if(runs.begin(), runs.end(), [](const TextRun& r) { return r.glyphs.empty(); }), runs.end());
    if (runs.empty()) return nullptr;
    for (const TextRun& r : runs) {
        if (r.xforms.empty() ? r.positions.size() != r.glyphs.size() : r.xforms.size() != r.glyphs.size()) return nullptr;
        for (const Point& p : r.positions)
            if (!p.isFinite()) return nullptr;
        for (const RSXform& x : r.xforms)
            if (!std::isfinite(x.scos) || !std::isfinite(x.ssin) || !std::isfinite(x.tx) || !std::isfinite(x.ty))
                return nullptr;
    }
    return sp<TextBlob>(new TextBlob(std::move(runs)));
}

sp<TextBlob> TextBlob::MakeFromText(const void* text, size_t bytes, TextEncoding enc, const Font& font) {
    TextRun run;
    if (!textToGlyphRun(text, bytes, enc, font, &run)) return nullptr;
    run.positions.resize(run.glyphs.size());
    font.getPos(run.glyphs.data(), int(run.glyphs.size()), run.positions.data(), {0, 0});
    std::vector<TextRun> runs;
    runs.push_back(std::move(run));
    return Make(std::move(runs));
}

void TextBlob::getIntercepts(float top, float bottom, const Paint* paint, std::vector<float>* out) const {
    out->clear();
    std::vector<float> part;
    for (const TextRun& run : fRuns) {
        if (!run.xforms.empty()) continue;  // rotated glyphs have no horizontal intercepts
        run.font.getIntercepts(run.glyphs.data(), int(run.glyphs.size()), run.positions.data(), top, bottom, paint, &part);
        out->insert(out->end(), part.begin(), part.end());
    }
}

}  // namespace plix
