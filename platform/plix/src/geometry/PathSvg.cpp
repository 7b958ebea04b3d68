// SVG path data: printing (absolute commands, shortest round-trip numbers) and parsing (the
// whole grammar: MLHVCSQTAZ in both cases, implicit repeats, compact flags and numbers).
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "geometry/Path.h"

namespace plix {

namespace {

void appendNumber(std::string& s, float v) {
    if (v == 0) v = 0;  // no "-0"
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof(buf), v);
    s.append(buf, res.ptr);
}

void appendPoints(std::string& s, char cmd, const Point* pts, int n) {
    s += cmd;
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        appendNumber(s, pts[i].x);
        s += ' ';
        appendNumber(s, pts[i].y);
    }
}

class Parser {
public:
    explicit Parser(const char* s) : p(s) {}

    void skipSpace() {
        while (*p && (std::isspace(static_cast<unsigned char>(*p)))) ++p;
    }
    void skipSeparator() {
        skipSpace();
        if (*p == ',') {
            ++p;
            skipSpace();
        }
    }
    bool atEnd() {
        skipSpace();
        return *p == 0;
    }
    // True when a number (not a command) comes next.
    bool numberNext() {
        skipSeparator();
        return *p == '-' || *p == '+' || *p == '.' || std::isdigit(static_cast<unsigned char>(*p));
    }
    bool number(float* out) {
        skipSeparator();
        const char* start = p;
        if (*p == '+' || *p == '-') ++p;
        bool digits = false;
        while (std::isdigit(static_cast<unsigned char>(*p))) ++p, digits = true;
        if (*p == '.') {
            ++p;
            while (std::isdigit(static_cast<unsigned char>(*p))) ++p, digits = true;
        }
        if (!digits) return false;
        if (*p == 'e' || *p == 'E') {
            const char* e = p + 1;
            if (*e == '+' || *e == '-') ++e;
            if (std::isdigit(static_cast<unsigned char>(*e))) {
                p = e;
                while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
            }
        }
        const std::string text(start, p);
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        *out = float(v);
        return true;
    }
    bool flag(bool* out) {
        skipSeparator();
        if (*p != '0' && *p != '1') return false;
        *out = *p == '1';
        ++p;
        return true;
    }
    bool point(Point* out) { return number(&out->x) && number(&out->y); }
    char command() {
        skipSpace();
        return *p ? *p++ : 0;
    }

private:
    const char* p;
};

}  // namespace

std::string Path::toSVG() const {
    std::string s;
    size_t vi = 0, pi = 0, wi = 0;
    Point last{};
    for (; vi < fVerbs.size(); ++vi) {
        switch (fVerbs[vi]) {
            case PathVerb::Move:
                last = fPts[pi];
                appendPoints(s, 'M', &fPts[pi], 1);
                pi += 1;
                break;
            case PathVerb::Line:
                last = fPts[pi];
                appendPoints(s, 'L', &fPts[pi], 1);
                pi += 1;
                break;
            case PathVerb::Quad:
                last = fPts[pi + 1];
                appendPoints(s, 'Q', &fPts[pi], 2);
                pi += 2;
                break;
            case PathVerb::Conic: {
                Point quads[1 + 2 * 32];
                const float cw = fWeights[wi++];
                const int pow2 = conicQuadPow2(last, fPts[pi], fPts[pi + 1], cw, 0.25f);
                const int n = conicToQuads(last, fPts[pi], fPts[pi + 1], cw, quads, pow2);
                for (int i = 0; i < n; ++i) appendPoints(s, 'Q', &quads[1 + 2 * i], 2);
                last = fPts[pi + 1];
                pi += 2;
                break;
            }
            case PathVerb::Cubic:
                last = fPts[pi + 2];
                appendPoints(s, 'C', &fPts[pi], 3);
                pi += 3;
                break;
            case PathVerb::Close: s += 'Z'; break;
        }
    }
    return s;
}

bool Path::FromSVG(const char* text, Path* out) {
    if (!text || !out) return false;
    Path path;
    Parser ps(text);
    Point cur{}, start{};
    Point lastCtrl{};   // the last cubic or quad control point, for S and T
    char prev = 0;      // previous command, upper case
    char cmd = 0;
    bool first = true;
    while (!ps.atEnd()) {
        char c;
        if (ps.numberNext()) {
            // Implicit repeat: after M the repeats are L.
            if (!cmd) return false;
            c = cmd;
            if (c == 'M') c = 'L';
            else if (c == 'm') c = 'l';
        } else {
            c = ps.command();
        }
        const bool rel = std::islower(static_cast<unsigned char>(c)) != 0;
        const char up = char(std::toupper(static_cast<unsigned char>(c)));
        if (first && up != 'M') return false;
        first = false;
        const Point base = rel ? cur : Point{};
        switch (up) {
            case 'M': {
                Point p;
                if (!ps.point(&p)) return false;
                p += base;
                path.moveTo(p);
                cur = start = p;
                break;
            }
            case 'L': {
                Point p;
                if (!ps.point(&p)) return false;
                p += base;
                path.lineTo(p);
                cur = p;
                break;
            }
            case 'H': {
                float x;
                if (!ps.number(&x)) return false;
                cur = {rel ? cur.x + x : x, cur.y};
                path.lineTo(cur);
                break;
            }
            case 'V': {
                float y;
                if (!ps.number(&y)) return false;
                cur = {cur.x, rel ? cur.y + y : y};
                path.lineTo(cur);
                break;
            }
            case 'C': {
                Point a, b, e;
                if (!ps.point(&a) || !ps.point(&b) || !ps.point(&e)) return false;
                a += base, b += base, e += base;
                path.cubicTo(a, b, e);
                lastCtrl = b;
                cur = e;
                break;
            }
            case 'S': {
                Point b, e;
                if (!ps.point(&b) || !ps.point(&e)) return false;
                b += base, e += base;
                const Point a = (prev == 'C' || prev == 'S') ? cur * 2 - lastCtrl : cur;
                path.cubicTo(a, b, e);
                lastCtrl = b;
                cur = e;
                break;
            }
            case 'Q': {
                Point a, e;
                if (!ps.point(&a) || !ps.point(&e)) return false;
                a += base, e += base;
                path.quadTo(a, e);
                lastCtrl = a;
                cur = e;
                break;
            }
            case 'T': {
                Point e;
                if (!ps.point(&e)) return false;
                e += base;
                const Point a = (prev == 'Q' || prev == 'T') ? cur * 2 - lastCtrl : cur;
                path.quadTo(a, e);
                lastCtrl = a;
                cur = e;
                break;
            }
            case 'A': {
                Point r, e;
                float rot;
                bool large, sweep;
                if (!ps.point(&r) || !ps.number(&rot) || !ps.flag(&large) || !ps.flag(&sweep) || !ps.point(&e))
                    return false;
                e += base;
                path.arcTo(r, rot, large, sweep, e);
                cur = e;
                break;
            }
            case 'Z':
                path.close();
                cur = start;
                break;
            default:
                return false;
        }
        prev = up;
        cmd = c;
        if (up == 'Z') cmd = 0;  // numbers may not follow Z without a command
    }
    *out = std::move(path);
    return true;
}

}  // namespace plix
