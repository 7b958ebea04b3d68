// Measuring a path contour by contour: each contour becomes a table of cumulative distances
// along chords of its segments, curves split in halves until each piece is flat to a fraction
// of a device pixel. Positions, tangents and pieces at a distance come from that table, with
// the curve itself evaluated at the interpolated parameter, so points lie on the curve.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/Path.h"

namespace plix {

class PathMeasure {
public:
    // resScale: device pixels per path unit (finer pieces for larger scales).
    PathMeasure(const Path& path, bool forceClosed, float resScale = 1);
    PathMeasure(const PathMeasure&) = delete;
    PathMeasure& operator=(const PathMeasure&) = delete;

    // Moves to the next contour of non-zero length; false (and no contour) at the end.
    bool nextContour();
    bool hasContour() const { return !fSegs.empty(); }
    float length() const { return fLength; }
    bool isClosed() const { return fClosed; }

    // Distance is clamped to [0, length]; false when there is no contour or it is not finite.
    bool posTan(float distance, Point* pos, Point* tangent) const;
    enum MatrixFlags : uint32_t { kPosition = 1, kTangent = 2 };
    bool getMatrix(float distance, Matrix* m, uint32_t flags) const;
    // Appends the piece between the two distances (clamped); false when empty.
    bool getSegment(float start, float stop, Path* dst, bool startWithMoveTo) const;

private:
    enum class Kind : uint8_t { Line, Quad, Conic, Cubic };
    struct Seg {
        float distance;  // along the contour at the end of this piece
        uint32_t ptIndex;  // first point of the curve in fPts
        uint32_t t;        // end of the piece on the curve, in 1/2^30
        Kind kind;
        float weight;  // conics only
    };
    static constexpr uint32_t kOneT = 1u << 30;

    float addQuad(const Point p[3], float d, uint32_t t0, uint32_t t1, uint32_t idx, int depth);
    float addCubic(const Point p[4], float d, uint32_t t0, uint32_t t1, uint32_t idx, int depth);
    float addConic(const Point p[3], float w, Point a, Point b, float d, uint32_t t0, uint32_t t1, uint32_t idx,
                   int depth);
    void addSeg(float d, uint32_t idx, uint32_t t, Kind k, float w) { fSegs.push_back({d, idx, t, k, w}); }
    // The segment holding distance d, and the curve parameter there.
    const Seg* find(float d, float* t) const;
    static float segStartT(const Seg* first, const Seg* s);
    void emitPiece(const Seg& s, float t0, float t1, Path* dst) const;

    Path fPath;
    Path::Iter fIter;
    float fTolerance;
    bool fFirstMovePending = false;
    Point fPendingMove;

    std::vector<Seg> fSegs;
    std::vector<Point> fPts;
    float fLength = 0;
    bool fClosed = false;
};

// Splits a conic at t into two conics: points out[0..2] weight w1, out[2..4] weight w2.
void chopConicAt(const Point p[3], float w, float t, Point out[5], float* w1, float* w2);

}  // namespace plix
