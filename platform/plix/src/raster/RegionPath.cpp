#include "raster/RegionPath.h"

#include "raster/Blitter.h"
#include "raster/ScanConverter.h"

namespace plix {

namespace {

// Scans taller than this are refused: rows cost time whether covered or not.
constexpr int64_t kMaxRows = 1 << 22;

// Gathers the covered runs row by row (rows arrive in order, runs left to right).
class RowCollector final : public Blitter {
public:
    explicit RowCollector(int32_t top, int32_t rows) : fTop(top), fRows(size_t(rows)) {}
    void blitH(int x, int y, int w) override {
        std::vector<int32_t>& row = fRows[size_t(y - fTop)];
        if (!row.empty() && row.back() == x) row.back() = x + w;  // touching runs join
        else row.push_back(x), row.push_back(x + w);
    }
    void blitAntiH(int x, int y, const uint8_t* cov, int n) override {
        for (int i = 0; i < n; ++i)
            if (cov[i] >= 128) blitH(x + i, y, 1);
    }
    int32_t fTop;
    std::vector<std::vector<int32_t>> fRows;
};

}  // namespace

bool regionFromPath(const Path& path, const Region& clip, Region* out) {
    out->setEmpty();
    if (clip.isEmpty() || !path.isFinite()) return false;
    IRect area = clip.bounds();
    if (!isInverseFill(path.fillType())) {
        const IRect pb = path.bounds().roundOut();
        if (!area.intersect(pb)) return false;
    }
    if (area.height64() > kMaxRows) return false;
    RowCollector rows(area.top, area.height());
    fillPath(path, Matrix(), area, false, rows);
    out->setRows(area.top, rows.fRows);
    return out->op(clip, RegionOp::Intersect);
}

}  // namespace plix
