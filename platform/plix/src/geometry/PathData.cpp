#include "geometry/PathData.h"

#include <cstring>

namespace plix {

namespace {

constexpr uint32_t kVersion = 5;
constexpr uint32_t kFillShift = 8;
// More elements than any path may hold: keeps the size arithmetic far from overflow.
constexpr uint32_t kMaxCount = 1u << 28;

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void putFloat(std::vector<uint8_t>& out, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    put32(out, v);
}

struct Reader {
    const uint8_t* p;
    size_t left;
    bool read32(uint32_t* v) {
        if (left < 4) return false;
        *v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        p += 4, left -= 4;
        return true;
    }
    bool readFloat(float* f) {
        uint32_t v;
        if (!read32(&v)) return false;
        std::memcpy(f, &v, 4);
        return true;
    }
};

size_t padded(size_t n) { return (n + 3) & ~size_t(3); }

}  // namespace

void writePathData(const Path& path, std::vector<uint8_t>& out) {
    put32(out, uint32_t(path.fillType()) << kFillShift | kVersion);
    put32(out, uint32_t(path.points().size()));
    put32(out, uint32_t(path.conicWeights().size()));
    put32(out, uint32_t(path.verbs().size()));
    for (const Point& pt : path.points()) putFloat(out, pt.x), putFloat(out, pt.y);
    for (float w : path.conicWeights()) putFloat(out, w);
    for (PathVerb v : path.verbs()) out.push_back(uint8_t(v));
    out.resize(out.size() + padded(path.verbs().size()) - path.verbs().size(), 0);
}

size_t readPathData(const void* data, size_t size, Path* out) {
    if (!data || !out) return 0;
    Reader r{static_cast<const uint8_t*>(data), size};
    uint32_t header, nPoints, nConics, nVerbs;
    if (!r.read32(&header) || !r.read32(&nPoints) || !r.read32(&nConics) || !r.read32(&nVerbs)) return 0;
    if ((header & 0xff) != kVersion || (header >> (kFillShift + 2)) != 0) return 0;
    if (nPoints > kMaxCount || nConics > kMaxCount || nVerbs > kMaxCount) return 0;
    const size_t body = size_t(nPoints) * 8 + size_t(nConics) * 4 + padded(nVerbs);
    if (body > r.left) return 0;

    const uint8_t* verbs = r.p + size_t(nPoints) * 8 + size_t(nConics) * 4;
    // The verbs must ask for exactly the points and weights stored, starting with a move.
    size_t needPoints = 0, needConics = 0;
    for (uint32_t i = 0; i < nVerbs; ++i) {
        if (verbs[i] > uint8_t(PathVerb::Close)) return 0;
        const PathVerb v = PathVerb(verbs[i]);
        if (i == 0 && v != PathVerb::Move) return 0;
        needPoints += size_t(verbPointCount(v));
        needConics += v == PathVerb::Conic;
    }
    if (needPoints != nPoints || needConics != nConics) return 0;

    // Replayed through the builder, which keeps the path's own invariants; data it would change
    // (a line after a close without a move, doubled moves) was not written by a path.
    Path path;
    path.setFillType(PathFillType(header >> kFillShift));
    path.reserve(int(nPoints), int(nVerbs));
    std::vector<Point> pts(nPoints);
    for (Point& pt : pts) r.readFloat(&pt.x), r.readFloat(&pt.y);
    std::vector<float> weights(nConics);
    for (float& w : weights) r.readFloat(&w);
    size_t pi = 0, wi = 0;
    for (uint32_t i = 0; i < nVerbs; ++i) {
        switch (PathVerb(verbs[i])) {
            case PathVerb::Move: path.moveTo(pts[pi]); break;
            case PathVerb::Line: path.lineTo(pts[pi]); break;
            case PathVerb::Quad: path.quadTo(pts[pi], pts[pi + 1]); break;
            case PathVerb::Conic: path.conicTo(pts[pi], pts[pi + 1], weights[wi++]); break;
            case PathVerb::Cubic: path.cubicTo(pts[pi], pts[pi + 1], pts[pi + 2]); break;
            case PathVerb::Close: path.close(); break;
        }
        pi += size_t(verbPointCount(PathVerb(verbs[i])));
    }
    if (path.countVerbs() != int(nVerbs) || path.countPoints() != int(nPoints) ||
        path.conicWeights().size() != nConics ||
        (nPoints && std::memcmp(pts.data(), path.points().data(), pts.size() * sizeof(Point)) != 0))
        return 0;
    for (uint32_t i = nVerbs; i < padded(nVerbs); ++i)
        if (verbs[i] != 0) return 0;
    *out = std::move(path);
    return 16 + body;
}

}  // namespace plix
