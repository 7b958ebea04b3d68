#include "picture/PictureFormat.h"

#include <array>
#include <cstring>
#include <type_traits>

#include "geometry/PathData.h"

namespace plix {

namespace {

constexpr uint32_t kVersion = 1;
constexpr char kMagic[4] = {'P', 'L', 'X', 'P'};

uint32_t crc32(const uint8_t* p, size_t n) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 255] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Tags of the stored ops; the order of ops::Op, fixed by the format.
enum Tag : uint8_t {
    kSave, kSaveLayer, kRestore, kRestoreToCount, kConcat, kSetMatrix, kClipRect, kClipRRect, kClipPath,
    kDrawPaint, kDrawPoints, kDrawRect, kDrawOval, kDrawRRect, kDrawPath, kDrawPicture, kDrawAnnotation, kTagCount
};

class Writer {
public:
    explicit Writer(std::vector<uint8_t>& out) : fOut(out) {}
    template <class T>
    void put(T v) {
        static_assert(std::is_trivially_copyable_v<T>);
        const size_t at = fOut.size();
        fOut.resize(at + sizeof v);
        std::memcpy(fOut.data() + at, &v, sizeof v);
    }
    void rect(const Rect& r) { put(r.left), put(r.top), put(r.right), put(r.bottom); }
    void matrix44(const Matrix44& m) {
        for (float v : m.values()) put(v);
    }
    void rrect(const RRect& rr) {
        rect(rr.rect());
        for (Point p : rr.radii()) put(p.x), put(p.y);
    }
    bool paint(const Paint& p) {
        BlendMode mode;
        if (p.shader || p.colorFilter || p.pathEffect || p.maskFilter || p.imageFilter || !p.asBlendMode(&mode))
            return false;
        for (float c : p.color) put(c);
        put(uint8_t(p.style)), put(p.strokeWidth), put(p.strokeMiter), put(uint8_t(p.cap)), put(uint8_t(p.join));
        put(uint8_t(p.antiAlias)), put(uint8_t(p.dither)), put(uint8_t(mode));
        return true;
    }
    bool optPaint(const std::optional<Paint>& p) {
        put(uint8_t(p.has_value()));
        return !p || paint(*p);
    }
    void path(const Path& p) { writePathData(p, fOut); }
    void bytes(const void* data, size_t n) {
        put(uint32_t(n));
        const auto* b = static_cast<const uint8_t*>(data);
        fOut.insert(fOut.end(), b, b + n);
    }
    bool body(const Picture& pic);

private:
    std::vector<uint8_t>& fOut;
};

bool Writer::body(const Picture& pic) {
    rect(pic.cullRect());
    put(uint32_t(pic.ops().size()));
    for (const ops::Op& any : pic.ops()) {
        const bool ok = std::visit(
            [&](const auto& op) -> bool {
                using T = std::decay_t<decltype(op)>;
                if constexpr (std::is_same_v<T, ops::Save>) return put(kSave), true;
                else if constexpr (std::is_same_v<T, ops::SaveLayer>) {
                    put(kSaveLayer), put(uint8_t(op.bounds.has_value()));
                    if (op.bounds) rect(*op.bounds);
                    put(op.flags);
                    return optPaint(op.paint);
                } else if constexpr (std::is_same_v<T, ops::Restore>) return put(kRestore), true;
                else if constexpr (std::is_same_v<T, ops::RestoreToCount>) return put(kRestoreToCount), put(int32_t(op.count)), true;
                else if constexpr (std::is_same_v<T, ops::Concat>) return put(kConcat), matrix44(op.m), true;
                else if constexpr (std::is_same_v<T, ops::SetMatrix>) return put(kSetMatrix), matrix44(op.m), true;
                else if constexpr (std::is_same_v<T, ops::ClipRect>)
                    return put(kClipRect), rect(op.r), put(uint8_t(op.op)), put(uint8_t(op.aa)), true;
                else if constexpr (std::is_same_v<T, ops::ClipRRect>)
                    return put(kClipRRect), rrect(op.rr), put(uint8_t(op.op)), put(uint8_t(op.aa)), true;
                else if constexpr (std::is_same_v<T, ops::ClipPath>)
                    return put(kClipPath), path(op.path), put(uint8_t(op.op)), put(uint8_t(op.aa)), true;
                else if constexpr (std::is_same_v<T, ops::DrawPaint>) return put(kDrawPaint), paint(op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawPoints>) {
                    put(kDrawPoints), put(uint8_t(op.mode));
                    bytes(op.pts.data(), op.pts.size() * sizeof(Point));
                    return paint(op.paint);
                } else if constexpr (std::is_same_v<T, ops::DrawRect>) return put(kDrawRect), rect(op.r), paint(op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawOval>) return put(kDrawOval), rect(op.r), paint(op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawRRect>) return put(kDrawRRect), rrect(op.rr), paint(op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawPath>) return put(kDrawPath), path(op.path), paint(op.paint);
                else if constexpr (std::is_same_v<T, ops::DrawPicture>) {
                    put(kDrawPicture), put(uint8_t(op.matrix.has_value()));
                    if (op.matrix)
                        for (float v : op.matrix->values()) put(v);
                    return optPaint(op.paint) && body(*op.picture);
                } else if constexpr (std::is_same_v<T, ops::DrawAnnotation>) {
                    put(kDrawAnnotation), rect(op.rect);
                    bytes(op.key.data(), op.key.size());
                    bytes(op.value.data(), op.value.size());
                    return true;
                } else {
                    return false;  // images and shaders have no stored form yet
                }
            },
            any);
        if (!ok) return false;
    }
    return true;
}

class Reader {
public:
    Reader(const uint8_t* p, size_t n) : fP(p), fLeft(n) {}
    template <class T>
    bool get(T* v) {
        if (fLeft < sizeof(T)) return false;
        std::memcpy(v, fP, sizeof(T));
        fP += sizeof(T), fLeft -= sizeof(T);
        return true;
    }
    bool flag(bool* b) {
        uint8_t v;
        if (!get(&v) || v > 1) return false;
        *b = v;
        return true;
    }
    template <class E>
    bool ordinal(E* e, int count) {
        uint8_t v;
        if (!get(&v) || v >= count) return false;
        *e = E(v);
        return true;
    }
    bool rect(Rect* r) { return get(&r->left) && get(&r->top) && get(&r->right) && get(&r->bottom); }
    bool matrix44(Matrix44* m) {
        float v[16];
        for (float& f : v)
            if (!get(&f)) return false;
        *m = Matrix44::FromRowMajor(v);
        return true;
    }
    bool rrect(RRect* rr) {
        Rect r;
        Point radii[4];
        if (!rect(&r)) return false;
        for (Point& p : radii)
            if (!get(&p.x) || !get(&p.y)) return false;
        rr->setRectRadii(r, radii);
        return true;
    }
    bool paint(Paint* p) {
        for (float& c : p->color)
            if (!get(&c)) return false;
        BlendMode mode;
        if (!ordinal(&p->style, 3) || !get(&p->strokeWidth) || !get(&p->strokeMiter) || !ordinal(&p->cap, 3) ||
            !ordinal(&p->join, 3) || !flag(&p->antiAlias) || !flag(&p->dither) || !ordinal(&mode, kBlendModeCount))
            return false;
        p->setBlendMode(mode);
        return true;
    }
    bool optPaint(std::optional<Paint>* p) {
        bool has;
        if (!flag(&has)) return false;
        if (!has) return true;
        p->emplace();
        return paint(&**p);
    }
    bool path(Path* p) {
        const size_t used = readPathData(fP, fLeft, p);
        if (!used) return false;
        fP += used, fLeft -= used;
        return true;
    }
    // A length-prefixed block; the length must fit in what is left.
    bool bytes(const uint8_t** data, uint32_t* n) {
        if (!get(n) || *n > fLeft) return false;
        *data = fP;
        fP += *n, fLeft -= *n;
        return true;
    }
    sp<Picture> body(int depth);
    size_t left() const { return fLeft; }

private:
    bool op(std::vector<ops::Op>& out, int depth);
    const uint8_t* fP;
    size_t fLeft;
};

bool Reader::op(std::vector<ops::Op>& out, int depth) {
    uint8_t tag;
    if (!get(&tag) || tag >= kTagCount) return false;
    bool has = false;
    switch (Tag(tag)) {
        case kSave: out.emplace_back(ops::Save{}); return true;
        case kSaveLayer: {
            ops::SaveLayer o{};
            if (!flag(&has)) return false;
            if (has && !rect(&o.bounds.emplace())) return false;
            if (!get(&o.flags) || !optPaint(&o.paint)) return false;
            out.emplace_back(std::move(o));
            return true;
        }
        case kRestore: out.emplace_back(ops::Restore{}); return true;
        case kRestoreToCount: {
            int32_t c;
            if (!get(&c)) return false;
            out.emplace_back(ops::RestoreToCount{c});
            return true;
        }
        case kConcat:
        case kSetMatrix: {
            Matrix44 m;
            if (!matrix44(&m)) return false;
            if (tag == kConcat) out.emplace_back(ops::Concat{m});
            else out.emplace_back(ops::SetMatrix{m});
            return true;
        }
        case kClipRect: {
            ops::ClipRect o{};
            if (!rect(&o.r) || !ordinal(&o.op, 2) || !flag(&o.aa)) return false;
            out.emplace_back(o);
            return true;
        }
        case kClipRRect: {
            ops::ClipRRect o{};
            if (!rrect(&o.rr) || !ordinal(&o.op, 2) || !flag(&o.aa)) return false;
            out.emplace_back(o);
            return true;
        }
        case kClipPath: {
            ops::ClipPath o{};
            if (!path(&o.path) || !ordinal(&o.op, 2) || !flag(&o.aa)) return false;
            out.emplace_back(std::move(o));
            return true;
        }
        case kDrawPaint: {
            ops::DrawPaint o;
            if (!paint(&o.paint)) return false;
            out.emplace_back(std::move(o));
            return true;
        }
        case kDrawPoints: {
            ops::DrawPoints o{};
            const uint8_t* data;
            uint32_t n;
            if (!ordinal(&o.mode, 3) || !bytes(&data, &n) || n % sizeof(Point) != 0) return false;
            o.pts.resize(n / sizeof(Point));
            if (n) std::memcpy(o.pts.data(), data, n);
            if (!paint(&o.paint)) return false;
            out.emplace_back(std::move(o));
            return true;
        }
        case kDrawRect:
        case kDrawOval: {
            Rect r;
            Paint p;
            if (!rect(&r) || !paint(&p)) return false;
            if (tag == kDrawRect) out.emplace_back(ops::DrawRect{r, std::move(p)});
            else out.emplace_back(ops::DrawOval{r, std::move(p)});
            return true;
        }
        case kDrawRRect: {
            ops::DrawRRect o{};
            if (!rrect(&o.rr) || !paint(&o.paint)) return false;
            out.emplace_back(std::move(o));
            return true;
        }
        case kDrawPath: {
            ops::DrawPath o;
            if (!path(&o.path) || !paint(&o.paint)) return false;
            out.emplace_back(std::move(o));
            return true;
        }
        case kDrawPicture: {
            ops::DrawPicture o;
            if (!flag(&has)) return false;
            if (has) {
                float v[9];
                for (float& f : v)
                    if (!get(&f)) return false;
                o.matrix = Matrix::MakeAll(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
            }
            if (!optPaint(&o.paint)) return false;
            if (!(o.picture = body(depth + 1))) return false;
            out.emplace_back(std::move(o));
            return true;
        }
        case kDrawAnnotation: {
            const uint8_t *key, *value;
            uint32_t keyLen, valueLen;
            Rect at;
            if (!rect(&at) || !bytes(&key, &keyLen) || !bytes(&value, &valueLen)) return false;
            out.emplace_back(ops::DrawAnnotation{at, std::string(reinterpret_cast<const char*>(key), keyLen),
                                                 std::vector<uint8_t>(value, value + valueLen)});
            return true;
        }
        case kTagCount: break;
    }
    return false;
}

sp<Picture> Reader::body(int depth) {
    if (depth > Picture::kMaxDepth) return nullptr;
    Rect cull;
    uint32_t count;
    if (!rect(&cull) || !get(&count) || count > fLeft) return nullptr;  // every op takes a byte at least
    std::vector<ops::Op> list;
    list.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        if (!op(list, depth)) return nullptr;
    return make_sp<Picture>(std::move(list), cull);
}

}  // namespace

bool writePicture(const Picture& picture, std::vector<uint8_t>& out) {
    std::vector<uint8_t> body;
    if (!Writer(body).body(picture) || body.size() > UINT32_MAX) return false;
    std::vector<uint8_t> whole;
    Writer w(whole);
    for (char c : kMagic) w.put(c);
    w.put(kVersion), w.put(uint32_t(body.size()));
    whole.insert(whole.end(), body.begin(), body.end());
    w.put(crc32(body.data(), body.size()));
    out.insert(out.end(), whole.begin(), whole.end());
    return true;
}

sp<Picture> readPicture(const uint8_t* data, size_t size) {
    if (!data || size < 16 || std::memcmp(data, kMagic, 4) != 0) return nullptr;
    uint32_t version, length, crc;
    std::memcpy(&version, data + 4, 4);
    std::memcpy(&length, data + 8, 4);
    if (version != kVersion || length != size - 16) return nullptr;
    const uint8_t* body = data + 12;
    std::memcpy(&crc, body + length, 4);
    if (crc32(body, length) != crc) return nullptr;
    Reader r(body, length);
    sp<Picture> picture = r.body(0);
    if (!picture || r.left() != 0) return nullptr;
    return picture;
}

}  // namespace plix
