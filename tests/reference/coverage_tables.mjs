// Prints the reference engine's coverage tables that tests/plix/raster/reference_coverage_tests.cpp
// holds our fills to (black shapes on a transparent surface, alpha of one pixel).
// Run by hand: node coverage_tables.mjs
import { CK } from './lib/golden.mjs';

function alphaAt(w, h, svg, x, y, aa, evenOdd = false) {
  const s = CK.MakeSurface(w, h);
  const c = s.getCanvas();
  c.clear(CK.TRANSPARENT);
  const p = new CK.Paint();
  p.setColor(CK.Color4f(0, 0, 0, 1));
  p.setAntiAlias(aa);
  const path = CK.Path.MakeFromSVGString(svg);
  if (evenOdd) path.setFillType(CK.FillType.EvenOdd);
  c.drawPath(path, p);
  const px = c.readPixels(0, 0, { width: w, height: h, colorType: CK.ColorType.RGBA_8888,
                                  alphaType: CK.AlphaType.Premul, colorSpace: CK.ColorSpace.SRGB });
  path.delete(); p.delete(); s.delete();
  return x === undefined ? Array.from({ length: w * h }, (_, i) => px[i * 4 + 3]) : px[(y * w + x) * 4 + 3];
}

// A wide bar whose top edge is at 2 + k/16.
const quarter = [];
for (let k = 0; k <= 16; ++k) {
  const y = 2 + k / 16;
  quarter.push(alphaAt(4, 6, `M-30 ${y}L34 ${y}L34 20L-30 20Z`, 1, 2, true));
}
console.log('horizontal edge, top at 2 + k/16:', quarter.join(', '));

// An edge through (x + k/64, 6) with dx/dy = slope, the fill to its right; pixel (3, 6).
for (const [slope, x] of [[0.1, 3], [-0.15, 3.5]]) {
  const v = [];
  for (let k = 0; k <= 16; ++k) {
    const X = x + k / 64;
    v.push(alphaAt(8, 12, `M${X - slope * 46} -40L${X + slope * 54} 60L200 60L200 -40Z`, 3, 6, true));
  }
  console.log(`steep edge, slope ${slope}, through ${x} + k/64:`, v.join(', '));
}

// Aliased inverse even-odd through pixel centres (a contour around the surface inverts it).
const inv = alphaAt(8, 8, 'M1.5 1.5L6.5 1.5L6.5 6.5L1.5 6.5ZM3.5 2.5L5.5 2.5L4.5 5.5ZM-8 -8L16 -8L16 16L-8 16Z',
                    undefined, undefined, false, true);
for (let y = 0; y < 8; ++y) console.log(inv.slice(y * 8, y * 8 + 8).join(' '));
